#pragma once

#include <vector>

#include "PdfCanvas.h"
#include "SymbolFont.h"
#include "print/PatternPdf.h"

namespace brodix::print::detail {

// The key, one row per palette colour in the legend's order, each with the symbol symbolOf
// gives it, continued on as many pages as it needs, totals at the end; then the shopping list,
// one row per thread. Starts on the current page and leaves the last one open.
void DrawKeyPages(PdfCanvas& pdf, const SymbolFont& symbols, const threads::PatternKey& key,
                  const PrintedSymbols& symbolOf, ChartStyle style);
// The pages DrawKeyPages takes, drawing nothing.
int KeyPageCount(PdfCanvas& pdf, const SymbolFont& symbols, const threads::PatternKey& key,
                 const PrintedSymbols& symbolOf);

}  // namespace brodix::print::detail
