// Any bytes as they come from a pipe: their kind told by their contents, then read as an OXS
// chart (a picture of the declared size with the stitches counted) or as a picture, or refused
// with a clean error; never a crash, and never more memory than the bytes' size allows.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pattern/MakePattern.h"
#include "pattern/OxsReader.h"
#include "photo/Photo.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brodix;
    // Large charts read correctly but slowly; the fuzzer's time is better spent on small
    // damaged ones.
    constexpr std::uint64_t kMaxPixels = 1'000'000;
    const PictureSource source{"fuzz.oxs", std::vector<std::uint8_t>(data, data + size)};
    try {
        if (ReaderFor(source, size % 2 == 0) != PictureReader::Oxs) {
            PhotoOptions options;
            options.maxPixels = kMaxPixels;
            options.fit = StitchSize{8, 8};
            ReadPhoto(*source.bytes, options, source.fileName);
            return 0;
        }
        const OxsPicture read = ReadOxs(*source.bytes, source.fileName, kMaxPixels);
        const std::uint64_t pixels =
            std::uint64_t(read.picture->Width()) * std::uint64_t(read.picture->Height());
        const OxsLeftOut& left = read.leftOut;
        const bool counted = left.partStitches >= 0 && left.backstitches >= 0 &&
                             left.outsideChart >= 0 && left.secondStitch >= 0;
        if (pixels == 0 || pixels > kMaxPixels || !counted)
            __builtin_trap();
    } catch (const Exception&) {
    }
    return 0;
}
