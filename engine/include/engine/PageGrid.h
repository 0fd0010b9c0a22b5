#pragma once

#include <string>
#include <vector>

namespace brodix {

// The stitches of one full page of a chart.
struct PageSize {
    int across = 0;
    int down = 0;
};

// The pages Save writes and the printed chart uses, in stitches across and down.
inline constexpr PageSize kChartPageSize{50, 70};

// How a side of the chart is cut into pages: full pages with the remainder on the last (as
// Save cuts them), or as many pages, their sizes differing by at most one stitch.
enum class PageSplit { RemainderLast, Balanced };

struct ChartPage {
    int column = 0;  // 0-based page column and row
    int row = 0;
    int x0 = 0;  // first stitch column and row on the page (0-based)
    int y0 = 0;
    int cols = 0;  // stitches on the page
    int rows = 0;

    // "(i-j)", page column and row counted from 1.
    std::string Label() const;
};

struct PageGrid {
    int across = 1;
    int down = 1;
    std::vector<ChartPage> pages;  // every page row of a column before the next column
};

// The pages of a chart of width x height stitches. An empty chart still has its one, empty,
// page.
PageGrid ChartPages(int width, int height, PageSize size = kChartPageSize,
                    PageSplit split = PageSplit::RemainderLast);

}  // namespace brodix
