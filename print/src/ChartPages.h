#pragma once

#include "PageLayout.h"
#include "PdfCanvas.h"
#include "SymbolFont.h"
#include "engine/Census.h"

namespace brodix::print::detail {

// A chart cell on paper: at least 3.5 mm, so that 50 + 2 columns and the row numbers fit the
// width of A4 and 70 + 2 rows the height of US Letter, inside margins of 10 mm.
inline constexpr double kChartCellMm = 3.5;
inline constexpr double kChartMarginMm = 10.0;

// Where a page's first cell lies on paper: the same place on every page of a paper size, so
// that all pages line up alike. In mm from the page's top-left corner.
struct ChartPlacement {
    double left = 0;
    double top = 0;
    double cell = kChartCellMm;

    double X(int column) const { return left + cell * column; }  // page-relative stitches
    double Y(int row) const { return top + cell * row; }
};
ChartPlacement ChartPlacementOn(const PaperSize& paper);

// Draws one chart page on the current page of pdf: its cells, grid, rulers, centre arrows and
// label, with the neighbours' first columns and rows greyed.
void DrawChartPage(PdfCanvas& pdf, const SymbolFont& symbols, const Census& census,
                   const PrintedPage& page, ChartStyle style);

}  // namespace brodix::print::detail
