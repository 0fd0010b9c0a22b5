#include "raster/DisplayPixels.h"

#include <stdexcept>
#include <string>

#include "raster/TBitmap.h"

namespace brodix {

namespace {

void RequireDisplay(const TBitmap& bitmap) {
    if (bitmap.PixelFormat() != TPixelFormat::Display)
        throw std::logic_error("a display row of a bitmap in another format");
}

}  // namespace

std::span<const DisplayPixel> DisplayRow(const TBitmap& bitmap, int y) {
    RequireDisplay(bitmap);
    // The store is allocated as 32-bit words and every display row starts on one.
    return {reinterpret_cast<const DisplayPixel*>(bitmap.ScanLine(y)),
            static_cast<std::size_t>(bitmap.Width())};
}

std::span<DisplayPixel> MutableDisplayRow(TBitmap& bitmap, int y) {
    RequireDisplay(bitmap);
    return {reinterpret_cast<DisplayPixel*>(bitmap.MutableScanLine(y)),
            static_cast<std::size_t>(bitmap.Width())};
}

bool IsTopDownDisplay(const TBitmap& bitmap) {
    return bitmap.PixelFormat() == TPixelFormat::Display && bitmap.TopDown();
}

void RequireTopDownDisplay(const TBitmap& bitmap, const char* caller) {
    if (!IsTopDownDisplay(bitmap))
        throw std::logic_error(std::string(caller) + " needs top-down display rows");
}

}  // namespace brodix
