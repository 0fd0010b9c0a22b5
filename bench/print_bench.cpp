#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <string>

#include "engine/SymbolSheet.h"
#include "print/PatternPdf.h"
#include "print/StitchedPreview.h"
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

// The stitched preview drawn in memory, 200 x 200 stitches at the default 10 pixels a stitch.
void BM_StitchedPreview200x200Drawn(benchmark::State& state) {
    const Pattern pattern(bench::WorstCensus(), {}, "rose.bmp");
    for (auto _ : state) {
        const print::StitchedPreview preview(pattern, print::kDefaultPreviewStitchPixels);
        benchmark::DoNotOptimize(preview.Bitmap());
    }
}
BENCHMARK(BM_StitchedPreview200x200Drawn)->Unit(benchmark::kMillisecond);

// A chart as pictures give them: 40 colours in blocks of 7 x 5 stitches, a colour's cells
// repeating along the rows as a picture's areas do.
Census BlockCensus(int side) {
    Census census;
    census.width = side;
    census.height = side;
    constexpr int kColours = 40;
    for (int k = 0; k < kColours; ++k)
        census.palette.push_back({RGB(250 - 6 * k, (k * 37) & 0xFF, (k * 11) & 0xFF), 0});
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const int k = (x / 7 + y / 5) % kColours;
            census.stitches.push_back(static_cast<std::uint8_t>(k));
            ++census.PaletteAt(k).count;
        }
    }
    return census;
}

// The preview written as PNG, as --preview writes it: side x side stitches at the pixels a stitch
// the size cap allows (10 for 200, 8 for 1000).
void MeasurePreviewPng(benchmark::State& state, const Census& census) {
    const Pattern pattern(census, {}, "rose.bmp");
    const int side = census.width;
    const int pixels = print::PreviewStitchPixels(side, side, print::kDefaultPreviewStitchPixels);
    const std::string file = "/tmp/brodix-preview-bench-" + std::to_string(::getpid()) + ".png";
    long bytes = 0;
    for (auto _ : state) {
        print::SavePreviewPng(file, pattern, pixels);
        if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
            std::fseek(f, 0, SEEK_END);
            bytes = std::ftell(f);
            std::fclose(f);
        }
    }
    std::remove(file.c_str());
    state.counters["png_bytes"] = static_cast<double>(bytes);
    state.counters["pixels"] = static_cast<double>(side) * side * pixels * pixels;
}

// Blocks of colour: what a picture gives.
void BM_StitchedPreviewPngOfBlocks(benchmark::State& state) {
    MeasurePreviewPng(state, BlockCensus(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_StitchedPreviewPngOfBlocks)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

// 255 colours scattered: the least for compression to find.
void BM_StitchedPreviewPngScattered(benchmark::State& state) {
    MeasurePreviewPng(state, bench::WorstCensus(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_StitchedPreviewPngScattered)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
