#pragma once

#include <string>
#include <vector>

#include "PageLayout.h"
#include "PdfCanvas.h"
#include "SymbolFont.h"
#include "engine/Census.h"

namespace brodix::print::detail {

// A chart cell on paper: 3.5 mm, large enough to stitch from at arm's length.
inline constexpr double kChartCellMm = 3.5;
inline constexpr double kChartMarginMm = 10.0;

// The most stitches a chart page holds on this paper, besides the neighbours' greyed strips.
PageSize ChartPageSizeOn(const PaperSize& paper);

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

// What every chart page shows: the census, the symbol of each palette entry (kNoSymbol: a
// blank cell), the pages, the pattern's name and the PDF page number of the first chart page.
struct ChartDocument {
    const Census& census;
    const PrintedSymbols& symbolOf;
    const PrintedGrid& grid;
    std::string name;
    int firstPdfPage = 1;
};

// Draws chart page index of the document on the current page of pdf: its header (name, page
// number, stitch ranges and a map of the pages with its own marked), cells, grid, rulers and
// centre arrows, with the neighbours' first columns and rows greyed.
void DrawChartPage(PdfCanvas& pdf, const SymbolFont& symbols, const ChartDocument& document,
                   std::size_t index, ChartStyle style);

}  // namespace brodix::print::detail
