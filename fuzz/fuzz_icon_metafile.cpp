// Any bytes as an icon or a metafile (the first byte chooses): a clean error, or a graphic that
// can be drawn.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/Exceptions.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TIcon.h"
#include "raster/TMetafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brodix;
    if (size == 0)
        return 0;
    try {
        TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
        std::unique_ptr<TGraphic> graphic;
        if ((data[0] & 1) != 0) {
            graphic = std::make_unique<TIcon>();
        } else {
            graphic = std::make_unique<TMetafile>();
        }
        graphic->LoadFromStream(stream);
        TBitmap target;
        target.SetSize(40, 40);
        graphic->Draw(target.Canvas(), Rect(-3, 2, 37, 45));
        graphic->Width();
    } catch (const Exception&) {
    }
    return 0;
}
