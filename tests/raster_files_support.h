#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "raster/Color.h"
#include "test_files.h"

namespace brodix::testing {

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

// What a hand-built BMP file says; the builder lays it out as a writer would.
struct BmpSpec {
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

inline Bytes BuildBmp(const BmpSpec& spec) {
    const bool core = spec.headerSize == 12;
    const std::size_t entry = core ? 3 : 4;
    const std::size_t head = 14 + spec.headerSize + 4 * spec.masks.size();
    const std::size_t offset = head + entry * spec.table.size();
    Bytes out(offset, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 10, static_cast<std::uint32_t>(spec.pixelOffset < 0 ? offset : spec.pixelOffset));
    Put32(out, 14, spec.headerSize);
    if (core) {
        Put16(out, 18, static_cast<std::uint32_t>(spec.width));
        Put16(out, 20, static_cast<std::uint32_t>(spec.height));
        Put16(out, 22, spec.planes);
        Put16(out, 24, spec.bitCount);
    } else {
        Put32(out, 18, static_cast<std::uint32_t>(spec.width));
        Put32(out, 22, static_cast<std::uint32_t>(spec.height));
        Put16(out, 26, spec.planes);
        Put16(out, 28, spec.bitCount);
        Put32(out, 30, spec.compression);
        Put32(out, 34, spec.imageSize);
        Put32(out, 46, spec.colorsUsed);
    }
    for (std::size_t i = 0; i < spec.masks.size(); ++i) {
        Put32(out, 14 + spec.headerSize + 4 * i, spec.masks[i]);
    }
    for (std::size_t i = 0; i < spec.table.size(); ++i) {
        std::uint8_t* e = out.data() + head + entry * i;
        e[0] = BlueOf(spec.table[i]);
        e[1] = GreenOf(spec.table[i]);
        e[2] = RedOf(spec.table[i]);
    }
    out.insert(out.end(), spec.pixels.begin(), spec.pixels.end());
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    return out;
}

inline std::string SuiteFile(const std::string& relative) {
    return std::string(BRODIX_TESTDATA_DIR) + "/bmpsuite/" + relative;
}

}  // namespace brodix::testing
