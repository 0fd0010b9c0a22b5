#pragma once

#include <memory>
#include <string>
#include <vector>

#include "raster/Stream.h"

namespace brodix {

// Writes a file so that it is either replaced whole or not at all: the bytes go to a
// temporary file in the target's folder, which is flushed to disk and renamed over the target
// only by Commit(). A writer destroyed without a successful Commit() removes its temporary
// file, and an existing file of the name keeps its old contents.
//
// A name that is a symbolic link writes the file it names, unless the link lies in a sticky
// folder that everyone may write and belongs neither to the user nor to the folder's owner.
// The rename gives the name a new file: other hard links to the old one keep the old contents.
// Where the folder takes no new files but the existing file may be written, the file is
// rewritten in place instead, from a complete copy in memory.
class TSafeFileWriter {
  public:
    // Raises EFCreateError ("ファイル %s を作成できません" with the name) when the file
    // cannot be made: missing or unwritable folder, the name of a folder, a name too long for
    // the folder, or a link that may not be followed. The error carries the system's reason
    // (SystemError()) where the system gave one.
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
    void CommitInPlace();

    std::string m_target;
    std::string m_temporary;  // empty when the file is rewritten in place
    std::unique_ptr<TStream> m_stream;
    bool m_committed = false;
};

// The first symbolic link on the way to path, in its folders or at its end, that a writer does
// not follow: one in a sticky folder that everyone may write (such as /tmp) that belongs
// neither to the user nor to the folder's owner, which the kernel's rule for protected links
// would not follow either. Empty when there is none.
std::string LinkNotFollowed(const std::string& path);

// Refuses, before anything is written, a run that would write over one of its own inputs or
// write one file twice: raises EFCreateError with a message naming both names when an output
// is the same file as an input or an earlier output. The same file: the same device and inode
// for files that exist (links followed), else the same absolute path.
void RequireDistinctFiles(const std::vector<std::string>& inputs,
                          const std::vector<std::string>& outputs);

// Refuses, before anything is written, a run whose standard output is a regular file that is
// also one of its inputs or outputs (as for RequireDistinctFiles): raises EFCreateError with a
// message naming that file. A terminal, a pipe or a new file passes.
void RequireStandardOutputApart(const std::vector<std::string>& inputs,
                                const std::vector<std::string>& outputs);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary file of a save in progress before the
// program ends as the signal would end it. Signals that the program ignores stay ignored. Call
// once at start-up, before any save. SIGPIPE and SIGXFSZ are ignored from then on, so that a
// closed pipe or a file size limit makes the write fail (EPIPE, EFBIG) instead of ending the
// program.
void InstallInterruptCleanup();

}  // namespace brodix
