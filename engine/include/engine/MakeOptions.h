#pragma once

#include <vector>

#include "raster/Color.h"

namespace brodix {

// The choices that refine the reduced colours before they are counted, in the order Make
// applies them. All off (the default), Make counts the reduced colours exactly as read.
struct MakeOptions {
    // Snap to threads: every colour becomes the nearest of these (CIEDE2000). Empty: off.
    std::vector<TColor> snapColours;
    // Clean stray stitches: a stitch that none of its 8 neighbours shares takes its
    // neighbours' most frequent colour.
    bool clean = false;
    // Merge rare colours: colours with fewer stitches than this go into their nearest
    // remaining colour, the rarest first (0 or 1: off) ...
    int minStitches = 0;
    // ... and, with a budget, the rarest go until this many colours remain (0: no budget).
    int maxColours = 0;

    bool Any() const { return !snapColours.empty() || clean || minStitches > 1 || maxColours > 0; }
};

}  // namespace brodix
