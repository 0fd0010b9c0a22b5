// Any bytes as a picture in form data: a clean error or a picture.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/Exceptions.h"
#include "raster/FormData.h"
#include "raster/Stream.h"
#include "raster/TPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brodix;
    try {
        TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
        TPicture picture;
        ReadPictureData(picture, stream);
        picture.Width();
        TMemoryStream written;
        WritePictureData(picture, written);
    } catch (const Exception&) {
    }
    return 0;
}
