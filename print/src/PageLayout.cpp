#include "PageLayout.h"

#include <algorithm>

namespace brodix::print::detail {

std::string ChartPage::Label() const {
    std::string label("(");
    label.append(std::to_string(column + 1)).append("-").append(std::to_string(row + 1));
    return label.append(")");
}

PageGrid ChartPagesOf(int width, int height) {
    PageGrid grid;
    // An empty picture still gets its one (empty) page.
    grid.across = std::max(1, (width + kPageStitchesAcross - 1) / kPageStitchesAcross);
    grid.down = std::max(1, (height + kPageStitchesDown - 1) / kPageStitchesDown);
    for (int i = 0; i < grid.across; ++i) {
        for (int j = 0; j < grid.down; ++j) {
            ChartPage page;
            page.column = i;
            page.row = j;
            page.x0 = kPageStitchesAcross * i;
            page.y0 = kPageStitchesDown * j;
            page.cols = std::clamp(width - page.x0, 0, kPageStitchesAcross);
            page.rows = std::clamp(height - page.y0, 0, kPageStitchesDown);
            page.extraCols = std::clamp(width - page.x0 - page.cols, 0, kOverlapStitches);
            page.extraRows = std::clamp(height - page.y0 - page.rows, 0, kOverlapStitches);
            grid.pages.push_back(page);
        }
    }
    return grid;
}

}  // namespace brodix::print::detail
