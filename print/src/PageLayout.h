#pragma once

#include <string>
#include <vector>

namespace brodix::print::detail {

// The chart is printed in the pages of the saved chart: 50 stitches across and 70 down,
// labelled "(i-j)" with page column i and page row j, all page rows of a column before the
// next column.
inline constexpr int kPageStitchesAcross = 50;
inline constexpr int kPageStitchesDown = 70;
// Each page repeats, greyed, this many columns and rows of its neighbours to the right and
// below, so that pages can be lined up.
inline constexpr int kOverlapStitches = 2;

struct ChartPage {
    int column = 0;  // 0-based page column and row
    int row = 0;
    int x0 = 0;  // first stitch column and row on the page (0-based)
    int y0 = 0;
    int cols = 0;  // stitches of the page itself
    int rows = 0;
    int extraCols = 0;  // greyed stitches of the neighbours
    int extraRows = 0;

    // "(i-j)", page column and row counted from 1.
    std::string Label() const;
};

struct PageGrid {
    int across = 1;
    int down = 1;
    std::vector<ChartPage> pages;  // in the saved pages' order
};

PageGrid ChartPagesOf(int width, int height);

}  // namespace brodix::print::detail
