#pragma once

// The one BMP builder of the tests and benchmarks, independent of the raster layer's writer:
// BuildBmp lays out hand-chosen header fields (for malformed files), BmpBytes a whole picture
// as a plain writer would.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "raster/Color.h"

namespace brodix::testing {

using Bytes = std::vector<std::uint8_t>;
using ColorAt = std::function<TColor(int x, int y)>;
using BlackAt = std::function<bool(int x, int y)>;

inline void Put16(Bytes& out, std::size_t at, std::uint32_t v) {
    out.at(at) = static_cast<std::uint8_t>(v);
    out.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint32_t Get32(const Bytes& in, std::size_t at) {
    return in[at] | (in[at + 1] << 8) | (in[at + 2] << 16) | (std::uint32_t{in[at + 3]} << 24);
}

// What a hand-built BMP file says, field by field; BuildBmp lays it out as a writer would.
struct BmpFields {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;  // 12 builds a core header
    std::uint16_t planes = 1;
    std::uint32_t colorsUsed = 0;
    std::uint32_t imageSize = 0;
    std::vector<TColor> table;
    std::vector<std::uint32_t> masks;  // written after a 40-byte header
    Bytes pixels;
    std::int64_t pixelOffset = -1;  // -1: right after the table
};

inline Bytes BuildBmp(const BmpFields& fields) {
    const bool core = fields.headerSize == 12;
    const std::size_t entry = core ? 3 : 4;
    const std::size_t head = 14 + fields.headerSize + 4 * fields.masks.size();
    const std::size_t offset = head + entry * fields.table.size();
    Bytes out(offset, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 10,
          static_cast<std::uint32_t>(fields.pixelOffset < 0 ? offset : fields.pixelOffset));
    Put32(out, 14, fields.headerSize);
    if (core) {
        Put16(out, 18, static_cast<std::uint32_t>(fields.width));
        Put16(out, 20, static_cast<std::uint32_t>(fields.height));
        Put16(out, 22, fields.planes);
        Put16(out, 24, fields.bitCount);
    } else {
        Put32(out, 18, static_cast<std::uint32_t>(fields.width));
        Put32(out, 22, static_cast<std::uint32_t>(fields.height));
        Put16(out, 26, fields.planes);
        Put16(out, 28, fields.bitCount);
        Put32(out, 30, fields.compression);
        Put32(out, 34, fields.imageSize);
        Put32(out, 46, fields.colorsUsed);
    }
    for (std::size_t i = 0; i < fields.masks.size(); ++i) {
        Put32(out, 14 + fields.headerSize + 4 * i, fields.masks[i]);
    }
    for (std::size_t i = 0; i < fields.table.size(); ++i) {
        std::uint8_t* e = out.data() + head + entry * i;
        e[0] = BlueOf(fields.table[i]);
        e[1] = GreenOf(fields.table[i]);
        e[2] = RedOf(fields.table[i]);
    }
    out.insert(out.end(), fields.pixels.begin(), fields.pixels.end());
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    return out;
}

// A bottom-up BMP with a 40-byte header. Indexed depths get a table of the picture's own
// distinct colours, in order of first appearance, unless one is given.
inline Bytes BmpBytes(int width, int height, int bpp, const ColorAt& color,
                      std::vector<TColor> table = {}) {
    if (bpp <= 8 && table.empty()) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (std::find(table.begin(), table.end(), color(x, y)) == table.end()) {
                    table.push_back(color(x, y));
                }
            }
        }
        if (table.size() > (1u << bpp))
            throw std::runtime_error("too many colours");
    }
    const std::uint32_t stride = ((width * bpp + 31) / 32) * 4;
    BmpFields fields;
    fields.width = width;
    fields.height = height;
    fields.bitCount = static_cast<std::uint16_t>(bpp);
    fields.colorsUsed = static_cast<std::uint32_t>(table.size());
    fields.imageSize = stride * static_cast<std::uint32_t>(height);
    fields.table = table;
    for (int y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const TColor c = color(x, y);
            if (bpp <= 8) {
                const auto index =
                    static_cast<unsigned>(std::find(table.begin(), table.end(), c) - table.begin());
                const int bit = x * bpp;
                row[bit / 8] |= static_cast<std::uint8_t>(index << (8 - bpp - bit % 8));
            } else {
                const int at = x * bpp / 8;
                row[at] = BlueOf(c);
                row[at + 1] = GreenOf(c);
                row[at + 2] = RedOf(c);
            }
        }
        fields.pixels.insert(fields.pixels.end(), row.begin(), row.end());
    }
    return BuildBmp(fields);
}

// What Save must write for a 1-bit picture: table black, white; 0 black.
inline Bytes MonochromeBmpBytes(int width, int height, const BlackAt& black) {
    return BmpBytes(width, height, 1, [&](int x, int y) { return black(x, y) ? clBlack : clWhite; },
                    {clBlack, clWhite});
}

}  // namespace brodix::testing
