#pragma once

#include <vector>

#include "raster/Color.h"

namespace brodix {

// The choices that refine the reduced colours before they are counted, in the order Make
// applies them. All off (the default), Make counts the reduced colours exactly as read.
struct MakeOptions {
    // Snap to threads: every colour becomes the nearest of these (CIEDE2000). Empty: off.
    std::vector<TColor> snapColours;
    // A colour budget: the picture's colours are grouped by likeness weighted by their stitch
    // counts until this many groups remain, each group taking the thread (when snapping) or
    // the picture colour nearest its mean (0: no budget) ...
    int maxColours = 0;
    // ... then colours with fewer stitches than this go, the rarest first (0 or 1: off). After
    // either, every stitch takes the remaining colour nearest its own colour as read.
    int minStitches = 0;
    // Error diffusion onto the remaining colours instead of taking the nearest: smooth shading
    // from few colours, for photographs; flat art would get speckled.
    bool dither = false;
    // Clean stray stitches, last: stitches weigh their likeness against their neighbours', then
    // a stitch that none of its 8 neighbours shares takes a neighbour's colour, or a neighbour
    // takes its colour, whichever keeps the colours as read best (see CleanStrayStitches); a
    // few that no change keeps near may stay. Not after dither: the scattered
    // stitches are what the dither is for, and the clean would undo them.
    bool clean = false;

    bool Any() const {
        return !snapColours.empty() || clean || minStitches > 1 || maxColours > 0 || dither;
    }
};

// How many colours a photograph refused for its colours is charted with when no budget or
// least stitch count is asked for (threads::ChoosePhotoDefaults).
inline constexpr int kPhotoColourBudget = 30;

}  // namespace brodix
