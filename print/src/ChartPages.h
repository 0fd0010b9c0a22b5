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

// Draws one chart page on the current page of pdf: its cells, grid, rulers, centre arrows and
// label, with the neighbours' first columns and rows greyed.
void DrawChartPage(PdfCanvas& pdf, const SymbolFont& symbols, const Census& census,
                   const ChartPage& page, ChartStyle style);

}  // namespace brodix::print::detail
