#pragma once

#include <memory>
#include <string>

#include "raster/Stream.h"

namespace brodix {

// Writes a file so that it is either replaced whole or not at all: the bytes go to a
// temporary file in the target's folder, which is flushed to disk and renamed over the target
// only by Commit(). A writer destroyed without a successful Commit() removes its temporary
// file, and an existing file of the name keeps its old contents.
class TSafeFileWriter {
  public:
    // Raises EFCreateError ("ファイル %s を作成できません" with the name) when the file
    // cannot be made: missing or unwritable folder, or the name of a folder.
    explicit TSafeFileWriter(const std::string& fileName);
    ~TSafeFileWriter();
    TSafeFileWriter(const TSafeFileWriter&) = delete;
    TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

    // Writes raise EWriteError ("ストリームへの書き込みエラー") when the disk does not take them.
    TStream& Stream() { return *m_stream; }

    // Flushes the temporary file and puts it in the target's place. Raises EWriteError when
    // any of that fails; the temporary file is then gone and the old file unchanged.
    void Commit();

  private:
    void Discard() noexcept;

    std::string m_target;
    std::string m_temporary;
    std::unique_ptr<TFileStream> m_stream;
    bool m_committed = false;
};

}  // namespace brodix
