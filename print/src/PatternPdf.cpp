#include "print/PatternPdf.h"

#include <algorithm>

#include "ChartPages.h"
#include "CoverPage.h"
#include "KeyPages.h"
#include "PageLayout.h"
#include "PdfCanvas.h"
#include "SymbolFont.h"
#include "raster/FileFailure.h"
#include "raster/FileName.h"

namespace brodix::print {

PdfOptions PdfOptionsOf(const threads::PatternSettings& settings) {
    return {settings.paper, settings.chartStyle};
}

std::string MakePatternPdf(const PdfSources& sources, const PdfOptions& options) {
    using namespace detail;
    const Pattern& pattern = sources.pattern;
    const Census& census = pattern.Stitches();
    const SymbolFont symbols(sources.symbolSheet);
    const PrintedSymbols symbolOf(pattern);
    PdfCanvas pdf(options.paper);
    const std::string name = NamePart(pattern.PictureName());
    pdf.SetMetadata(name, "Counted cross-stitch pattern");
    const PrintedGrid grid = ChartPagesOf(census.width, census.height, ChartPageSizeOn(pdf.Size()));
    // Pages count from 1: the cover, the key, then the chart.
    const int firstChartPage = 2 + KeyPageCount(pdf, symbols, pattern.Key(), symbolOf);
    pdf.NumberPages(firstChartPage - 1 + static_cast<int>(grid.pages.size()));
    DrawCoverPage(pdf, sources, symbols, symbolOf, grid, firstChartPage);
    pdf.NextPage();
    DrawKeyPages(pdf, symbols, pattern.Key(), symbolOf, options.style);
    const ChartDocument document{census, symbolOf, grid, name, firstChartPage};
    for (std::size_t i = 0; i < grid.pages.size(); ++i) {
        if (sources.progress)
            sources.progress(
                "writing the PDF",
                static_cast<int>(100 * i / std::max<std::size_t>(grid.pages.size(), 1)));
        pdf.NextPage();
        DrawChartPage(pdf, symbols, document, i, options.style);
    }
    return pdf.Finish();
}

void SavePatternPdf(const std::string& fileName, const PdfSources& sources,
                    const PdfOptions& options) {
    // The whole document is made before the file is touched: a failure leaves no trace.
    const std::string bytes = MakePatternPdf(sources, options);
    WriteDocumentFile(fileName, bytes);
}

}  // namespace brodix::print
