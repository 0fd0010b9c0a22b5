#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/Color.h"

namespace brodix {

// How a bitmap's pixels are stored.
enum class TPixelFormat {
    Display,     // the program's working format: 32 bits, bytes blue, green, red, 0
    Monochrome,  // 1 bit, 0 black and 1 white (made by TBitmap::SetMonochrome)
    Indexed1,    // 1, 4 or 8 bits: an index into the bitmap's own colour table
    Indexed4,
    Indexed8,
    Direct16,  // 16 bits with red, green, blue masks (normally 5-5-5 or 5-6-5)
    Direct24,  // blue, green, red bytes
    Direct32,  // 32 bits with masks (normally 0x00FF0000, 0x0000FF00, 0x000000FF)
};

constexpr int BitsPerPixel(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::Monochrome:
        case TPixelFormat::Indexed1:
            return 1;
        case TPixelFormat::Indexed4:
            return 4;
        case TPixelFormat::Indexed8:
            return 8;
        case TPixelFormat::Direct16:
            return 16;
        case TPixelFormat::Direct24:
            return 24;
        case TPixelFormat::Display:
        case TPixelFormat::Direct32:
            return 32;
    }
    return 32;
}

constexpr bool IsIndexed(TPixelFormat format) {
    return format == TPixelFormat::Indexed1 || format == TPixelFormat::Indexed4 ||
           format == TPixelFormat::Indexed8;
}

// Largest colour table the format can have (0 for direct formats).
constexpr std::size_t MaxTableSize(TPixelFormat format) {
    return IsIndexed(format) ? std::size_t{1} << BitsPerPixel(format) : 0;
}

// Bytes of a row that hold its pixels, before the padding.
constexpr std::size_t UsedRowBytes(int width, int bitsPerPixel) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 7) / 8;
}

// Bytes per row, padded to whole 32-bit words as in BMP files. Returns 0 when the row would
// not fit in 31 bits (callers treat that as an impossible size).
constexpr std::size_t RowStride(std::int64_t width, int bitsPerPixel) {
    if (width < 0)
        return 0;
    const std::int64_t bits = width * bitsPerPixel + 31;
    const std::int64_t stride = (bits / 32) * 4;
    return stride > 0x7FFFFFFF ? 0 : static_cast<std::size_t>(stride);
}

// The largest pixel store the raster layer will allocate. Far above any real picture (the
// biggest image the program makes is 2401 x 2401 x 4 bytes = 23 MB); a file that asks for more
// is refused instead of exhausting memory.
inline constexpr std::size_t kMaxPixelStoreBytes = std::size_t{256} << 20;

// Red, green and blue masks of a 16- or 32-bit direct format.
struct BitMasks {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
    friend bool operator==(const BitMasks&, const BitMasks&) = default;
};

inline constexpr BitMasks kMasks555{0x7C00, 0x03E0, 0x001F};
inline constexpr BitMasks kMasks565{0xF800, 0x07E0, 0x001F};
inline constexpr BitMasks kMasks888{0x00FF0000, 0x0000FF00, 0x000000FF};

// The layout of a bitmap besides its size: what a BMP reader asks for.
struct BitmapLayout {
    TPixelFormat format = TPixelFormat::Display;
    std::vector<TColor> colorTable;  // indexed formats; may be kept for direct ones too
    BitMasks masks;                  // Direct16 / Direct32
};

}  // namespace brodix
