#pragma once

// BMP files read by the export tests on their own, without the raster layer's reader, so that
// the saved files are checked against an independent reading (bmp_builder.h builds them).

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "raster/Color.h"
#include "test_files.h"

namespace brodix::testing {

inline std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
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
