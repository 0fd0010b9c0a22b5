#include <benchmark/benchmark.h>

#include <string>

#include "engine/SymbolSheet.h"
#include "print/PatternPdf.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"
#include "worst_pattern.h"

namespace {

using namespace brodix;

void MeasurePdf(benchmark::State& state, const print::PdfOptions& options) {
    const Pattern pattern = bench::PatternWithThreads(bench::WorstCensus(), "rose.bmp");
    TImage sheet;
    sheet.Picture().LoadFromFile(std::string(BRODIX_BIN_DIR) + "/" + kSymbolSheetFileName);
    const print::PdfSources sources{pattern, &sheet.Picture().Bitmap()};
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = print::MakePatternPdf(sources, options).size();
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
}

void BM_PatternPdf200x200With255Colours(benchmark::State& state) {
    MeasurePdf(state, {});
}
BENCHMARK(BM_PatternPdf200x200With255Colours)->Unit(benchmark::kMillisecond);

// Tinted cells add one fill per colour on each chart page.
void BM_PatternPdf200x200With255ColoursTinted(benchmark::State& state) {
    MeasurePdf(state, {.style = print::ChartStyle::Tint});
}
BENCHMARK(BM_PatternPdf200x200With255ColoursTinted)->Unit(benchmark::kMillisecond);

// Full colour: the symbols of each page in two inks, black and white.
void BM_PatternPdf200x200With255ColoursInFullColour(benchmark::State& state) {
    MeasurePdf(state, {.style = print::ChartStyle::Colour});
}
BENCHMARK(BM_PatternPdf200x200With255ColoursInFullColour)->Unit(benchmark::kMillisecond);

}  // namespace
