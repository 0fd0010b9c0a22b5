#include "PageLayout.h"

#include <algorithm>

namespace brodix::print::detail {

PrintedGrid ChartPagesOf(int width, int height, PageSize size) {
    const PageGrid grid = ChartPages(width, height, size, PageSplit::Balanced);
    PrintedGrid printed{grid.across, grid.down, size, {}};
    for (const ChartPage& page : grid.pages) {
        PrintedPage& out = printed.pages.emplace_back(PrintedPage{page});
        out.extraCols = std::clamp(width - page.x0 - page.cols, 0, kOverlapStitches);
        out.extraRows = std::clamp(height - page.y0 - page.rows, 0, kOverlapStitches);
    }
    return printed;
}

}  // namespace brodix::print::detail
