// Any bytes as an OXS chart: a picture of the declared size with the stitches counted, or a
// clean error, never a crash; and never more memory than the file's size allows.
#include <cstddef>
#include <cstdint>

#include "pattern/OxsReader.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brodix;
    // Large charts read correctly but slowly; the fuzzer's time is better spent on small
    // damaged ones.
    constexpr std::uint64_t kMaxPixels = 1'000'000;
    try {
        const OxsPicture read = ReadOxs({data, size}, "fuzz.oxs", kMaxPixels);
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
