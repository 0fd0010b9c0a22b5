#pragma once

// Row-level pixel access shared by the bitmap and its canvas. Rows are BMP rows: pixels packed
// most significant bits first for 1 and 4 bits per pixel, little-endian words otherwise.

#include <bit>
#include <cstdint>
#include <cstring>

#include <algorithm>

#include "raster/Color.h"
#include "raster/Geometry.h"
#include "raster/TBitmap.h"

namespace brodix {
namespace detail {

static_assert(std::endian::native == std::endian::little,
              "pixel rows are read as little-endian words");

// Display pixels keep red in the third byte, colour values in the first.
constexpr std::uint32_t SwapRedBlue(std::uint32_t value) {
    return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

inline std::uint32_t ReadPixel(const std::uint8_t* row, int bitsPerPixel, int x) {
    switch (bitsPerPixel) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4:
            return (row[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 0xFu;
        case 8:
            return row[x];
        case 16: {
            const std::uint8_t* p = row + 2 * static_cast<std::size_t>(x);
            return p[0] | (std::uint32_t{p[1]} << 8);
        }
        case 24: {
            const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
            return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
        }
        default: {
            std::uint32_t value;
            std::memcpy(&value, row + 4 * static_cast<std::size_t>(x), 4);
            return value;
        }
    }
}

inline void WritePixel(std::uint8_t* row, int bitsPerPixel, int x, std::uint32_t value) {
    switch (bitsPerPixel) {
        case 1: {
            const auto mask = static_cast<std::uint8_t>(0x80u >> (x & 7));
            std::uint8_t& byte = row[x >> 3];
            byte = static_cast<std::uint8_t>((value & 1u) != 0 ? (byte | mask) : (byte & ~mask));
            return;
        }
        case 4: {
            std::uint8_t& byte = row[x >> 1];
            byte = (x & 1) != 0 ? static_cast<std::uint8_t>((byte & 0xF0) | (value & 0xF))
                                : static_cast<std::uint8_t>((byte & 0x0F) | ((value & 0xF) << 4));
            return;
        }
        case 8:
            row[x] = static_cast<std::uint8_t>(value);
            return;
        case 16: {
            std::uint8_t* p = row + 2 * static_cast<std::size_t>(x);
            p[0] = static_cast<std::uint8_t>(value);
            p[1] = static_cast<std::uint8_t>(value >> 8);
            return;
        }
        case 24: {
            std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
            p[0] = static_cast<std::uint8_t>(value);
            p[1] = static_cast<std::uint8_t>(value >> 8);
            p[2] = static_cast<std::uint8_t>(value >> 16);
            return;
        }
        default:
            std::memcpy(row + 4 * static_cast<std::size_t>(x), &value, 4);
            return;
    }
}

// Row y of a store obtained from MutableBits() (taken once per operation, so that a shared
// store is detached once and not per row).
inline std::uint8_t* RowOf(std::uint8_t* bits, const TBitmap& bitmap, int y) {
    const auto stored = static_cast<std::size_t>(bitmap.TopDown() ? y : bitmap.Height() - 1 - y);
    return bits + stored * bitmap.Stride();
}

// The part of a rectangle inside a bitmap.
struct ClipBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
};

inline ClipBox ClipToBitmap(const TRect& rect, const TBitmap& bitmap) {
    return {std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, bitmap.Width()),
            std::min(rect.Bottom, bitmap.Height())};
}

// Sets pixels [x0, x1) of a row to value.
void FillSpan(std::uint8_t* row, int bitsPerPixel, int x0, int x1, std::uint32_t value);

// A raster-operation code's low byte is a truth table over pattern, source and destination
// bits: bit (p << 2 | s << 1 | d) holds the result. Applied to whole words at once.
constexpr std::uint32_t Rop3(std::uint8_t code, std::uint32_t pattern, std::uint32_t source,
                             std::uint32_t dest) {
    switch (code) {
        case 0xCC:
            return source;
        case 0x33:
            return ~source;
        case 0x88:
            return source & dest;
        case 0xEE:
            return source | dest;
        case 0x66:
            return source ^ dest;
        case 0xAA:
            return dest;
        case 0x00:
            return 0;
        case 0xFF:
            return ~0u;
        default:
            break;
    }
    std::uint32_t result = 0;
    for (unsigned term = 0; term < 8; ++term) {
        if (((code >> term) & 1u) == 0)
            continue;
        result |= ((term & 4u) != 0 ? pattern : ~pattern) & ((term & 2u) != 0 ? source : ~source) &
                  ((term & 1u) != 0 ? dest : ~dest);
    }
    return result;
}

// Bits of a pixel value that raster operations may change: the 4th byte of a display pixel
// stays zero.
std::uint32_t PixelBitsMask(const TBitmap& bitmap);

struct BlitRequest {
    TRect destRect;
    TRect sourceRect;
    TColor sourceBackground = clWhite;  // resolved; decides white/black going into monochrome
    std::uint32_t rop = 0x00CC0020;
    TColor pattern = clWhite;  // the destination's brush, for codes that use it
};

// Draws source's sourceRect into dest's destRect, scaled by nearest neighbour when the sizes
// differ; source pixels outside the source count as white. Returns whether a pixel of dest
// was touched (the caller then reports the change once).
bool Blit(TBitmap& dest, const TBitmap& source, const BlitRequest& request);

}  // namespace detail
}  // namespace brodix
