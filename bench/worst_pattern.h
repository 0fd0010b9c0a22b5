#pragma once
// The largest pattern the program makes, for the benchmarks of the files written from it.

#include <cstdint>
#include <string>

#include "engine/Census.h"
#include "pattern/Pattern.h"
#include "threads/ThreadCatalogue.h"

namespace brodix::bench {

// 200 x 200 stitches (or side x side) in 255 colours, scattered so that neighbouring cells
// rarely repeat: the most glyphs to place and the least for compression to find.
inline Census WorstCensus(int side = kMaxStitchesPerSide) {
    Census census;
    census.width = side;
    census.height = side;
    for (int k = 0; k < kMaxColors; ++k)
        census.palette.push_back({RGB(255 - k, (k * 37) & 0xFF, (k * 11) & 0xFF), 0});
    std::uint32_t seed = 12345;
    for (int i = 0; i < census.width * census.height; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int k = static_cast<int>((seed >> 16) % kMaxColors);
        census.stitches.push_back(static_cast<std::uint8_t>(k));
        ++census.PaletteAt(k).count;
    }
    return census;
}

// The pattern of a census with a thread for every colour, as a matched catalogue gives them:
// a catalogue of one thread per colour, each with a long name.
inline Pattern PatternWithThreads(Census census, const std::string& pictureName) {
    std::string palette = "GIMP Palette\nName: DMC\n";
    for (std::size_t k = 0; k < census.palette.size(); ++k) {
        const TColor colour = census.palette[k].color;
        palette += std::to_string(RedOf(colour)) + " " + std::to_string(GreenOf(colour)) + " " +
                   std::to_string(BlueOf(colour)) + " " + std::to_string(3000 + k) +
                   " Very Dark Golden Olive Green\n";
    }
    threads::PatternSettings settings;
    settings.catalogue = threads::ParseCatalogue("dmc.gpl", palette);
    return Pattern(std::move(census), std::move(settings), pictureName);
}

}  // namespace brodix::bench
