#pragma once

#include <memory>
#include <string>
#include <vector>

#include "raster/FileName.h"  // ExtractExtension: the extension the registry looks up
#include "raster/TGraphic.h"

namespace brodix {

// One kind of graphic that pictures can be loaded as.
struct TFileFormat {
    std::string extension;  // lower case, without the dot
    std::string className;  // the graphic's ClassName(), as form data name it
    std::unique_ptr<TGraphic> (*create)();
};

// The registry of picture kinds by file-name extension. The program's list holds, in this
// order: "wmf" and "emf" (metafile), "ico" (icon), "bmp" (bitmap), "jpeg" and "jpg" (JPEG).
class TFileFormatsList {
  public:
    static TFileFormatsList& Instance();

    // A later entry wins over an earlier one with the same extension or class name.
    void Add(const std::string& extension, const std::string& className,
             std::unique_ptr<TGraphic> (*create)());

    // The last entry whose extension equals the given one, compared in lower case (ASCII
    // letters only); nullptr when there is none.
    const TFileFormat* FindExtension(const std::string& extension) const;
    // The last entry with exactly this class name; nullptr when there is none.
    const TFileFormat* FindClassName(const std::string& className) const;

    const std::vector<TFileFormat>& Entries() const { return m_entries; }

  private:
    TFileFormatsList();
    std::vector<TFileFormat> m_entries;
};

}  // namespace brodix
