// Any bytes as a JPEG file: the header read on loading, then the decoding of the first drawing.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/Exceptions.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TJPEGImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brodix;
    TJPEGImage image;
    try {
        TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
        image.LoadFromStream(stream);
        // Pictures this large decode correctly but slowly; the fuzzer's time is better spent
        // on small damaged ones.
        if (static_cast<std::int64_t>(image.Width()) * image.Height() > 4000000)
            return 0;
        TBitmap target;
        target.SetSize(16, 16);
        image.Draw(target.Canvas(), Rect(0, 0, 16, 16));
    } catch (const Exception&) {
    }
    // A second drawing after a failed decoding shows what there is, without an error.
    try {
        TBitmap target;
        target.SetSize(4, 4);
        image.Draw(target.Canvas(), Rect(0, 0, 4, 4));
    } catch (const Exception&) {
        __builtin_trap();
    }
    return 0;
}
