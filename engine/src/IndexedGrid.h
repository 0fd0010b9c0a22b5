#pragma once

#include <vector>

#include "engine/Refine.h"

namespace brodix {

// The distinct colours of a grid, ascending, and each stitch's index among them.
struct IndexedGrid {
    std::vector<TColor> colours;
    std::vector<int> stitches;
};

IndexedGrid Indexed(const StitchGrid& grid);

}  // namespace brodix
