#include "raster/FormData.h"

#include <cstring>
#include <string>

#include "LittleEndian.h"
#include "raster/Exceptions.h"
#include "raster/FileFormats.h"
#include "raster/PixelFormat.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TPicture.h"

namespace brodix {

void ReadPictureData(TPicture& picture, TStream& stream) {
    std::uint8_t nameLength = 0;
    stream.ReadBuffer(&nameLength, 1);
    std::string className(nameLength, '\0');
    stream.ReadBuffer(className.data(), className.size());
    const TFileFormat* format = TFileFormatsList::Instance().FindClassName(className);
    if (format == nullptr) {
        picture.SetGraphic(nullptr);
        return;
    }
    std::uint8_t countBytes[4];
    stream.ReadBuffer(countBytes, sizeof countBytes);
    const std::uint32_t count = GetLe32(countBytes);
    std::unique_ptr<TGraphic> graphic = format->create();
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic.get())) {
        bitmap->ReadData(stream, count);
    } else {
        if (count > stream.Remaining())
            throw EReadError(msg::kReadError);
        if (count > kMaxPixelStoreBytes)
            throw EOutOfResources(msg::kOutOfResources);
        std::vector<std::uint8_t> bytes(count);
        stream.ReadBuffer(bytes.data(), bytes.size());
        TMemoryStream own(std::move(bytes));
        graphic->LoadFromStream(own);
    }
    picture.Adopt(std::move(graphic));
}

void WritePictureData(const TPicture& picture, TStream& stream) {
    const TGraphic* graphic = picture.Graphic();
    const std::string className = graphic != nullptr ? graphic->ClassName() : "";
    const auto nameLength = static_cast<std::uint8_t>(className.size());
    stream.Write(&nameLength, 1);
    stream.Write(className.data(), nameLength);
    if (graphic == nullptr)
        return;
    TMemoryStream data;
    graphic->SaveToStream(data);
    if (data.Size() > 0xFFFFFFFFu)
        throw EWriteError(msg::kWriteError);
    std::uint8_t countBytes[4];
    PutLe32(countBytes, static_cast<std::uint32_t>(data.Size()));
    stream.Write(countBytes, sizeof countBytes);
    stream.Write(data.Bytes().data(), data.Bytes().size());
}

}  // namespace brodix
