// Any bytes as a BMP file: a clean error or a bitmap that can be read and written again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/BmpCodec.h"
#include "raster/Exceptions.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brodix;
    try {
        TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
        const auto bitmap = ReadBmp(stream, size);
        if (bitmap->Empty())
            return 0;
        bitmap->GetPixel(0, 0);
        bitmap->GetPixel(bitmap->Width() - 1, bitmap->Height() - 1);
        // Writing whole pictures of every size the reader accepts would only measure memcpy.
        if (bitmap->StoreSize() > (1u << 20))
            return 0;
        TMemoryStream written;
        WriteBmp(*bitmap, written);
        written.SetPosition(0);
        const auto again = ReadBmp(written, written.Size());
        if (again->Width() != bitmap->Width() || again->Height() != bitmap->Height())
            __builtin_trap();
    } catch (const Exception&) {
    }
    return 0;
}
