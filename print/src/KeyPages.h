#pragma once

#include "PdfCanvas.h"
#include "SymbolFont.h"
#include "print/PatternPdf.h"

namespace brodix::print::detail {

// The key, one row per palette colour in the legend's order, continued on as many pages as it
// needs, totals at the end. Starts on the current page and leaves the last one open.
void DrawKeyPages(PdfCanvas& pdf, const SymbolFont& symbols, const threads::PatternKey& key,
                  ChartStyle style);

}  // namespace brodix::print::detail
