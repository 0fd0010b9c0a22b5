#pragma once

#include <span>
#include <vector>

#include "engine/ColourDifference.h"
#include "engine/Refine.h"

namespace brodix {

// The distinct colours of a grid, ascending, and each stitch's index among them.
struct IndexedGrid {
    std::vector<TColor> colours;
    std::vector<int> stitches;
};

IndexedGrid Indexed(const StitchGrid& grid);

// The fitted colours of a grid indexed once, with the CIELAB of each distinct colour: what the
// snap, the choice of colours, the match and the clean all read, worked out once for them all.
struct FittedColours {
    IndexedGrid indexed;
    std::vector<LabColour> labs;
};

FittedColours FittedColoursOf(const StitchGrid& fitted);

// The stages of the refining given the fitted colours worked out already; each gives what the
// public function of its name (engine/Refine.h, engine/ChooseColours.h) gives for fitted.
void SnapToThreads(StitchGrid& grid, const FittedColours& fitted, std::span<const TColor> threads);
std::vector<TColor> ChooseColours(const FittedColours& fitted, const StitchGrid& current,
                                  int minStitches, int maxColours, std::span<const TColor> threads);
// The match also gives each fitted colour's CIEDE2000 to the colour it took, and the clean of
// the grid it made may be given them (matched) instead of measuring them again.
std::vector<double> MatchToColours(StitchGrid& grid, const FittedColours& fitted,
                                   std::span<const TColor> colours);
void CleanStrayStitches(StitchGrid& grid, const FittedColours& fitted,
                        std::span<const double> matched = {});

}  // namespace brodix
