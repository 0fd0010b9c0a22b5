#pragma once
// The largest pattern the program makes, for the benchmarks of the files written from it.

#include <cstdint>
#include <string>

#include "engine/Census.h"
#include "threads/KeyBuilder.h"

namespace brodix::bench {

// 200 x 200 stitches in 255 colours, scattered so that neighbouring cells rarely repeat: the
// most glyphs to place and the least for compression to find.
inline Census WorstCensus() {
    Census census;
    census.width = 200;
    census.height = 200;
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

// Every key row with a thread, as a matched catalogue gives them.
inline threads::PatternKey KeyWithThreads(const Census& census) {
    threads::PatternKey key = threads::BuildPatternKey(census, nullptr, {});
    key.catalogueTitle = "DMC";
    for (threads::KeyRow& row : key.rows) {
        row.hasThread = true;
        row.thread = {std::to_string(3000 + row.symbol), "Very Dark Golden Olive Green", row.color};
        row.deltaE = 2.5;
        row.metres = row.stitches * 0.03;
        row.skeins = 1;
    }
    return key;
}

}  // namespace brodix::bench
