#pragma once

#include <memory>
#include <vector>

#include "raster/Color.h"
#include "raster/TBitmap.h"

namespace brodix::testing {

inline std::unique_ptr<TBitmap> WhiteBitmap(int width, int height) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetWidth(width);
    bitmap->SetHeight(height);
    return bitmap;
}

// Every pixel of the bitmap, row by row.
inline std::vector<TColor> Pixels(const TBitmap& bitmap) {
    std::vector<TColor> pixels;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x)
            pixels.push_back(bitmap.GetPixel(x, y));
    }
    return pixels;
}

inline int CountColor(const TBitmap& bitmap, TColor color) {
    int count = 0;
    for (TColor pixel : Pixels(bitmap))
        count += pixel == color ? 1 : 0;
    return count;
}

}  // namespace brodix::testing
