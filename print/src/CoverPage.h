#pragma once

#include "PageLayout.h"
#include "PdfCanvas.h"
#include "print/PatternPdf.h"

namespace brodix::print::detail {

// The first page: the picture's name, the reduced picture in solid blocks, its size in
// stitches and finished on the fabric, its colours and catalogue, and a map of the chart pages.
void DrawCoverPage(PdfCanvas& pdf, const PdfSources& sources, const PrintedGrid& grid);

}  // namespace brodix::print::detail
