#include "engine/PageGrid.h"

#include <algorithm>

namespace brodix {

namespace {

struct Span {
    int first = 0;
    int count = 0;
};

std::vector<Span> Split(int stitches, int perPage, PageSplit split) {
    const int pages = std::max(1, (stitches + perPage - 1) / perPage);
    std::vector<Span> spans;
    int first = 0;
    for (int i = 0; i < pages; ++i) {
        const int count = split == PageSplit::Balanced
                              ? stitches / pages + (i < stitches % pages ? 1 : 0)
                              : std::clamp(stitches - first, 0, perPage);
        spans.push_back({first, count});
        first += count;
    }
    return spans;
}

}  // namespace

std::string ChartPage::Label() const {
    std::string label("(");
    label.append(std::to_string(column + 1)).append("-").append(std::to_string(row + 1));
    return label.append(")");
}

PageGrid ChartPages(int width, int height, PageSize size, PageSplit split) {
    const std::vector<Span> columns = Split(width, size.across, split);
    const std::vector<Span> rows = Split(height, size.down, split);
    PageGrid grid;
    grid.across = static_cast<int>(columns.size());
    grid.down = static_cast<int>(rows.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        for (std::size_t j = 0; j < rows.size(); ++j) {
            grid.pages.push_back({static_cast<int>(i), static_cast<int>(j), columns[i].first,
                                  rows[j].first, columns[i].count, rows[j].count});
        }
    }
    return grid;
}

}  // namespace brodix
