// A photo pattern larger than the window's chart, as brodix-chart --fit N --snap --max-colours
// 60 --clean --pdf makes it without NAME, stage by stage: read and fit a 3000 x 3000 JPEG,
// refine (on one thread and on two), and write the PDF. 500 x 500 and 1000 x 1000 stitches.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "engine/Refine.h"
#include "engine/SplitWork.h"
#include "engine/SymbolSheet.h"
#include "photo/Photo.h"
#include "print/PatternPdf.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"
#include "raster_files_jpeg.h"
#include "threads/KeyBuilder.h"

namespace {

using namespace brodix;

constexpr int kPhotoSide = 3000;

// Photo-like: broad shading, textures of several scales and fine noise, so that the fitted
// picture has as many distinct colours as a photograph's.
const std::vector<unsigned char>& Photo() {
    static const std::vector<unsigned char> bytes = testing::EncodeJpeg(
        kPhotoSide, kPhotoSide, testing::JpegKind::Baseline, 90, [](int y, unsigned char* row) {
            for (int x = 0; x < kPhotoSide; ++x) {
                const double shade = 0.5 + 0.5 * std::sin(x * 0.0021 + y * 0.0013);
                const double texture = std::sin(x * 0.031) * std::cos(y * 0.027);
                const unsigned noise = (x * 7919u + y * 104729u) % 17u;
                row[x * 3] = static_cast<unsigned char>(40 + 150 * shade + 30 * texture + noise);
                row[x * 3 + 1] = static_cast<unsigned char>(30 + 120 * (1 - shade) + 40 * texture);
                row[x * 3 + 2] =
                    static_cast<unsigned char>(60 + 90 * std::sin(y * 0.004) * shade + noise * 2);
            }
        });
    return bytes;
}

// 450 threads spread over the colour cube, as many as a catalogue holds.
const std::vector<TColor>& Threads() {
    static const std::vector<TColor> threads = [] {
        std::vector<TColor> colours;
        std::uint32_t seed = 99;
        for (int i = 0; i < 450; ++i) {
            seed = seed * 1103515245u + 12345u;
            colours.push_back((seed >> 4) & 0xFFFFFF);
        }
        return colours;
    }();
    return threads;
}

MakeOptions PatternOptions() {
    MakeOptions options;
    options.snapColours = Threads();
    options.maxColours = 60;
    options.clean = true;
    return options;
}

StitchGrid FittedStitches(int side) {
    PhotoOptions photo;
    photo.fit = StitchSize{side, side};
    TImage image;
    image.Picture().Adopt(ReadPhoto(Photo(), photo, "photo.jpg"));
    return ReadStitches(image, {});
}

// Read, fitted and refined once for the stages after it.
const StitchGrid& Fitted(int side) {
    static std::map<int, StitchGrid> grids;
    auto [at, added] = grids.try_emplace(side);
    if (added)
        at->second = FittedStitches(side);
    return at->second;
}

const Census& Refined(int side) {
    static std::map<int, Census> censuses;
    auto [at, added] = censuses.try_emplace(side);
    if (added)
        at->second = std::get<Census>(RefinedCensusOf(Fitted(side), PatternOptions()));
    return at->second;
}

void BM_ReadAndFitPhoto(benchmark::State& state) {
    const auto side = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(FittedStitches(side).colours.data());
}
BENCHMARK(BM_ReadAndFitPhoto)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// Snap, the colour budget, the match and the clean; the second argument is the threads.
void BM_RefinePhotoPattern(benchmark::State& state) {
    const StitchGrid& fitted = Fitted(static_cast<int>(state.range(0)));
    SetWorkThreads(static_cast<int>(state.range(1)));
    std::size_t colours = 0;
    for (auto _ : state)
        colours = std::get<Census>(RefinedCensusOf(fitted, PatternOptions())).palette.size();
    SetWorkThreads(0);
    state.counters["colours"] = static_cast<double>(colours);
}
// Wall time, and the CPU time of every thread together: what the second core takes off the
// first, and what splitting costs.
BENCHMARK(BM_RefinePhotoPattern)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Args({500, 1})
    ->Args({500, 2})
    ->Args({1000, 1})
    ->Args({1000, 2})
    ->Unit(benchmark::kMillisecond);

void BM_PhotoPatternPdf(benchmark::State& state) {
    const Pattern pattern(Refined(static_cast<int>(state.range(0))), {}, "photo.jpg");
    TImage sheet;
    sheet.Picture().LoadFromFile(std::string(BRODIX_BIN_DIR) + "/" + kSymbolSheetFileName);
    const print::PdfSources sources{pattern, &sheet.Picture().Bitmap()};
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = print::MakePatternPdf(sources, {}).size();
    state.counters["pdf_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PhotoPatternPdf)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
