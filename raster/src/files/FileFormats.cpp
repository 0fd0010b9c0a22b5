#include "raster/FileFormats.h"

#include "raster/TBitmap.h"
#include "raster/TIcon.h"
#include "raster/TJPEGImage.h"
#include "raster/TMetafile.h"

namespace brodix {

namespace {

template <typename Graphic>
std::unique_ptr<TGraphic> Create() {
    return std::make_unique<Graphic>();
}

std::string ToLowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

TFileFormatsList::TFileFormatsList() {
    Add("wmf", "TMetafile", &Create<TMetafile>);
    Add("emf", "TMetafile", &Create<TMetafile>);
    Add("ico", "TIcon", &Create<TIcon>);
    Add("bmp", "TBitmap", &Create<TBitmap>);
    Add("jpeg", "TJPEGImage", &Create<TJPEGImage>);
    Add("jpg", "TJPEGImage", &Create<TJPEGImage>);
}

TFileFormatsList& TFileFormatsList::Instance() {
    static TFileFormatsList list;
    return list;
}

void TFileFormatsList::Add(const std::string& extension, const std::string& className,
                           std::unique_ptr<TGraphic> (*create)()) {
    m_entries.push_back({ToLowerAscii(extension), className, create});
}

const TFileFormat* TFileFormatsList::FindExtension(const std::string& extension) const {
    const std::string wanted = ToLowerAscii(extension);
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (it->extension == wanted)
            return &*it;
    }
    return nullptr;
}

const TFileFormat* TFileFormatsList::FindClassName(const std::string& className) const {
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (it->className == className)
            return &*it;
    }
    return nullptr;
}

}  // namespace brodix
