#pragma once

#include "PageLayout.h"
#include "PdfCanvas.h"
#include "SymbolFont.h"
#include "print/PatternPdf.h"

namespace brodix::print::detail {

// The first page: the picture's name, the reduced picture in solid blocks, its size in
// stitches and finished on the fabric, the fabric to cut, its colours and catalogue, the
// stitchability report when asked for (each colour by the symbol symbolOf gives it, drawn from
// symbols), and a map of the chart pages with their PDF page numbers (the first chart page is
// firstChartPage, counted from 1).
void DrawCoverPage(PdfCanvas& pdf, const PdfSources& sources, const SymbolFont& symbols,
                   const PrintedSymbols& symbolOf, const PrintedGrid& grid, int firstChartPage);

}  // namespace brodix::print::detail
