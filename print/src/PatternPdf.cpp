#include "print/PatternPdf.h"

#include "ChartPages.h"
#include "CoverPage.h"
#include "KeyPages.h"
#include "PageLayout.h"
#include "PdfCanvas.h"
#include "SymbolFont.h"
#include "engine/Workspace.h"
#include "raster/FileIO.h"

namespace brodix::print {

PdfSources PdfSourcesOf(const Workspace& workspace, const threads::PatternKey& key) {
    return {*workspace.LastCensus(), workspace.SymbolSheet(), key,
            workspace.LastCensusPictureName()};
}

std::string MakePatternPdf(const PdfSources& sources, const PdfOptions& options) {
    using namespace detail;
    const PrintedGrid grid = ChartPagesOf(sources.census.width, sources.census.height);
    const SymbolFont symbols(sources.symbolSheet);
    PdfCanvas pdf(options.paper);
    DrawCoverPage(pdf, sources, grid);
    pdf.NextPage();
    DrawKeyPages(pdf, symbols, sources.key, options.style);
    for (const PrintedPage& page : grid.pages) {
        pdf.NextPage();
        DrawChartPage(pdf, symbols, sources.census, page, options.style);
    }
    return pdf.Finish();
}

void SavePatternPdf(const std::string& fileName, const PdfSources& sources,
                    const PdfOptions& options) {
    // The whole document is made before the file is touched: a failure leaves no trace.
    const std::string bytes = MakePatternPdf(sources, options);
    TSafeFileWriter writer(fileName);
    writer.Stream().Write(bytes.data(), bytes.size());
    writer.Commit();
}

}  // namespace brodix::print
