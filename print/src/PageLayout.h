#pragma once

#include <vector>

#include "engine/PageGrid.h"

namespace brodix::print::detail {

// The printed chart's pages are as large as the paper allows (ChartPageSizeOn) and balanced,
// unlike Save's 50 x 70 pages. Each page repeats, greyed, this many columns and rows of its
// neighbours to the right and below, so that pages can be lined up.
inline constexpr int kOverlapStitches = 2;

struct PrintedPage : ChartPage {
    int extraCols = 0;  // greyed stitches of the neighbours
    int extraRows = 0;
};

struct PrintedGrid {
    int across = 1;
    int down = 1;
    PageSize size;                   // the largest page
    std::vector<PrintedPage> pages;  // page column by page column
};

PrintedGrid ChartPagesOf(int width, int height, PageSize size);

}  // namespace brodix::print::detail
