#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "raster/Color.h"

namespace brodix {

class TBitmap;

// The program's working pixel format, TPixelFormat::Display: one 32-bit value a pixel, kept in
// the machine's little-endian order, so that its bytes in memory are blue, green, red and an
// unused byte that is always 0. That is a BMP's 32-bit layout with the default masks and what
// Qt calls Format_RGB32, so rows go to files and to the screen without conversion. A bitmap
// made in the program keeps its rows top-down; one read from a bottom-up file keeps them so.
using DisplayPixel = std::uint32_t;
inline constexpr std::size_t kDisplayPixelBytes = sizeof(DisplayPixel);
static_assert(std::endian::native == std::endian::little,
              "display pixels are stored blue byte first");

// The display value of a colour, 0x00RRGGBB: a TColor (0x00BBGGRR) with red and blue swapped.
constexpr DisplayPixel DisplayPixelOf(TColor color) {
    return DisplayPixel{RedOf(color)} << 16 | DisplayPixel{GreenOf(color)} << 8 | BlueOf(color);
}

// The colour of a display value; the unused byte is ignored.
constexpr TColor ColorOfDisplayPixel(DisplayPixel value) {
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

// Row y of a display-format bitmap as pixel values, whichever way its rows are stored. Raises
// std::logic_error when the bitmap is in another format: a programming mistake, not bad input.
std::span<const DisplayPixel> DisplayRow(const TBitmap& bitmap, int y);
std::span<DisplayPixel> MutableDisplayRow(TBitmap& bitmap, int y);

// True when the whole store is display rows, top row first, Stride() bytes apart: what a
// caller that hands the store on as one block (the window's views) or walks it row after row
// by pointer (the chart) relies on.
bool IsTopDownDisplay(const TBitmap& bitmap);

// Raises std::logic_error naming caller unless IsTopDownDisplay(bitmap).
void RequireTopDownDisplay(const TBitmap& bitmap, const char* caller);

}  // namespace brodix
