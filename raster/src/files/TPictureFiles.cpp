// TPicture's file side: the picture loader and the picture save.
#include "raster/Exceptions.h"
#include "raster/FileFormats.h"
#include "raster/FileIO.h"
#include "raster/Stream.h"
#include "raster/TPicture.h"

namespace brodix {

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string extension = ExtractExtension(fileName);
    const TFileFormat* format = TFileFormatsList::Instance().FindExtension(extension);
    if (format == nullptr) {
        throw EInvalidGraphic(FormatMessage(msg::kUnknownExtension, extension));
    }
    // The new graphic is complete before the held one is touched: any failure below leaves
    // the picture as it was.
    std::unique_ptr<TGraphic> graphic = format->create();
    {
        const std::unique_ptr<TFileStream> stream = TFileStream::OpenRead(fileName);
        graphic->LoadFromStream(*stream);
    }
    Adopt(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) const {
    if (m_graphic == nullptr)
        return;
    TSafeFileWriter writer(fileName);
    m_graphic->SaveToStream(writer.Stream());
    writer.Commit();
}

}  // namespace brodix
