#pragma once

#include <vector>

#include "engine/PageGrid.h"

namespace brodix::print::detail {

// The chart is printed in the pages of the saved chart (kChartPageSize, the remainder on the
// last page).
// Each page repeats, greyed, this many columns and rows of its neighbours to the right and
// below, so that pages can be lined up.
inline constexpr int kOverlapStitches = 2;

struct PrintedPage : ChartPage {
    int extraCols = 0;  // greyed stitches of the neighbours
    int extraRows = 0;
};

struct PrintedGrid {
    int across = 1;
    int down = 1;
    std::vector<PrintedPage> pages;  // in the saved pages' order
};

PrintedGrid ChartPagesOf(int width, int height);

}  // namespace brodix::print::detail
