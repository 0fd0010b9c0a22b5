#pragma once

#include <span>
#include <vector>

#include "engine/Census.h"
#include "engine/MakeOptions.h"
#include "raster/Color.h"

namespace brodix {

class TImage;

// The stitches of a picture before they are counted: row by row, top row first.
struct StitchGrid {
    int width = 0;
    int height = 0;
    std::vector<TColor> colours;
};

// Every colour becomes the nearest of threads by CIEDE2000 (ties: the earlier thread).
void SnapToThreads(StitchGrid& grid, std::span<const TColor> threads);

// One pass over the grid as it was before the pass: a stitch whose colour none of its
// neighbours (up to 8; none beyond the picture's edge) shares takes the colour most of them
// have; ties go to the colour nearest its own by CIEDE2000, then to the lower colour value.
void CleanStrayStitches(StitchGrid& grid);

// Colours with fewer than minStitches stitches, and with a budget (maxColours > 0) the
// rarest beyond it, merge into their nearest remaining colour by CIEDE2000, the rarest first
// (ties: the lower colour value, for the colour merged as for the one it merges into), until
// none is rarer than minStitches and at most maxColours remain. A last colour never merges.
void MergeRareColours(StitchGrid& grid, int minStitches, int maxColours);

// TakeCensus with the options applied between the reduction and the count: the size check,
// every pixel read and reduced, then snap, clean and merge as chosen, then the count (with its
// limit of 255 colours). Without options, or for an empty picture, it is TakeCensus.
CensusResult TakeRefinedCensus(TImage& source, const LevelChoices& levels,
                               const MakeOptions& options);

}  // namespace brodix
