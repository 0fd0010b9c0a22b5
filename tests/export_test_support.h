#pragma once

// BMP files built and read by the export tests on their own, without the raster layer's reader
// and writer, so that the saved files are checked against an independent reading.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "raster/Color.h"
#include "test_files.h"

namespace brodix::testing {

using ColorAt = std::function<TColor(int x, int y)>;
using BlackAt = std::function<bool(int x, int y)>;

inline std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
}

inline void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A bottom-up BMP with a 40-byte header. Indexed depths get a table of the picture's own
// distinct colours, in order of first appearance.
inline std::vector<std::uint8_t> BmpBytes(int width, int height, int bpp, const ColorAt& color,
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
    const std::uint32_t offset = 54 + 4 * static_cast<std::uint32_t>(table.size());
    std::vector<std::uint8_t> b{'B', 'M'};
    Put32(b, offset + stride * height);
    Put32(b, 0);
    Put32(b, offset);
    for (std::uint32_t v : {40u, std::uint32_t(width), std::uint32_t(height)})
        Put32(b, v);
    Put16(b, 1);
    Put16(b, bpp);
    for (std::uint32_t v : {0u, stride * height, 0u, 0u, std::uint32_t(table.size()), 0u}) {
        Put32(b, v);
    }
    for (TColor c : table)
        Put32(b, BlueOf(c) | GreenOf(c) << 8 | RedOf(c) << 16);
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
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// What Save must write for a 1-bit picture: table black, white; 0 black.
inline std::vector<std::uint8_t> MonochromeBmpBytes(int width, int height, const BlackAt& black) {
    return BmpBytes(width, height, 1, [&](int x, int y) { return black(x, y) ? clBlack : clWhite; },
                    {clBlack, clWhite});
}

// A BMP as written by the program, read back for its pixels (1 and 32 bits).
struct SavedBmp {
    std::vector<std::uint8_t> bytes;
    int width = 0;
    int height = 0;
    int bpp = 0;

    explicit SavedBmp(const std::string& path) : bytes(ReadFileBytes(path)) {
        if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
            throw std::runtime_error(path + " is no BMP");
        }
        width = static_cast<int>(Le32(bytes, 18));
        height = static_cast<int>(Le32(bytes, 22));
        bpp = bytes[28];
    }
    TColor Pixel(int x, int y) const {
        const std::size_t stride = ((width * bpp + 31) / 32) * 4;
        const std::size_t row = Le32(bytes, 10) + stride * (height - 1 - y);
        if (bpp == 1)
            return (bytes.at(row + x / 8) >> (7 - x % 8) & 1) ? clWhite : clBlack;
        const std::size_t at = row + 4 * static_cast<std::size_t>(x);
        return RGB(bytes.at(at + 2), bytes.at(at + 1), bytes.at(at));
    }
};

}  // namespace brodix::testing
