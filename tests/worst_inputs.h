#pragma once
// The worst inputs a pattern of a photograph meets, made on the spot rather than kept as files:
// a photograph of pure noise (every stitch of its chart a colour of its own) and a thread
// catalogue of 128,000 threads, as large as the catalogue limit lets a GIMP palette be.

#include <cstdint>
#include <string>
#include <vector>

#include "raster_files_jpeg.h"

namespace brodix::testing {

// A side x side JPEG (quality 90) of uniform noise, each channel of each pixel on its own.
inline std::vector<unsigned char> NoiseJpeg(int side) {
    std::uint64_t seed = 0x9E3779B97F4A7C15u;
    return EncodeJpeg(side, side, JpegKind::Baseline, 90, [&](int, unsigned char* row) {
        for (int i = 0; i < 3 * side; ++i) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            row[i] = static_cast<unsigned char>(seed >> 56);
        }
    });
}

// A GIMP palette of count threads of colours spread at random over the colour cube, numbered
// T000000 on: 128,000 of them take about 2.4 MB.
inline std::string LargePalette(int count) {
    std::string text = "GIMP Palette\nName: Large\n";
    std::uint32_t seed = 128000;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const std::uint32_t rgb = seed >> 8;
        std::string number = std::to_string(i);
        number.insert(0, number.size() < 6 ? 6 - number.size() : 0, '0');
        text += std::to_string(rgb & 0xFF) + " " + std::to_string(rgb >> 8 & 0xFF) + " " +
                std::to_string(rgb >> 16 & 0xFF) + " T" + number + "\n";
    }
    return text;
}

}  // namespace brodix::testing
