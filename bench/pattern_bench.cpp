// A photo pattern larger than the window's chart, as brodix-chart --fit N --snap --max-colours
// 60 --clean --pdf makes it without NAME, stage by stage: read and fit a 3000 x 3000 JPEG,
// refine (on one thread and on two), and write the PDF. 500 x 500 and 1000 x 1000 stitches.
// Then the worst photograph, 4000 x 4000 pixels of noise, charted whole at 1000 x 1000 stitches
// as brodix-chart charts it (read and fitted, refined, PDF and OXS file), and snapped to a
// catalogue of 128,000 threads against one of 450.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "engine/Refine.h"
#include "engine/SplitWork.h"
#include "engine/SymbolSheet.h"
#include "pattern/OxsWriter.h"
#include "photo/Photo.h"
#include "print/PatternPdf.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"
#include "raster_files_jpeg.h"
#include "threads/KeyBuilder.h"
#include "threads/ThreadCatalogue.h"
#include "worst_inputs.h"

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

const std::vector<unsigned char>& Noise() {
    static const std::vector<unsigned char> bytes = testing::NoiseJpeg(4000);
    return bytes;
}

StitchGrid FittedNoise() {
    PhotoOptions photo;
    photo.fit = StitchSize{1000, 1000};
    TImage image;
    image.Picture().Adopt(ReadPhoto(Noise(), photo, "noise.jpg"));
    return ReadStitches(image, {});
}

const StitchGrid& Noise1000() {
    static const StitchGrid grid = FittedNoise();
    return grid;
}

const std::vector<TColor>& LargeCatalogue() {
    static const std::vector<TColor> colours =
        threads::ParseCatalogue("large.gpl", testing::LargePalette(128000)).Colours();
    return colours;
}

// --snap --max-colours 60 on the noise: the 450 threads, then the 128,000. Wall and CPU time.
void BM_SnapNoiseToCatalogue(benchmark::State& state) {
    MakeOptions options;
    options.snapColours = state.range(0) == 0 ? Threads() : LargeCatalogue();
    options.maxColours = 60;
    const StitchGrid& fitted = Noise1000();
    for (auto _ : state)
        benchmark::DoNotOptimize(RefinedCensusOf(fitted, options));
    state.counters["threads"] = static_cast<double>(options.snapColours.size());
}
BENCHMARK(BM_SnapNoiseToCatalogue)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// The whole noise run from the JPEG's bytes: the photo defaults (30 colours snapped to threads,
// cleaned; argument 30) or 255 colours of the picture's own (argument 255), then the PDF and
// the OXS file.
void BM_NoisePatternWhole(benchmark::State& state) {
    TImage sheet;
    sheet.Picture().LoadFromFile(std::string(BRODIX_BIN_DIR) + "/" + kSymbolSheetFileName);
    MakeOptions options;
    options.maxColours = static_cast<int>(state.range(0));
    if (options.maxColours == 30) {
        options.snapColours = Threads();
        options.clean = true;
    }
    Noise();
    std::size_t bytes = 0;
    for (auto _ : state) {
        Census census = std::get<Census>(RefinedCensusOf(FittedNoise(), options));
        const Pattern pattern(std::move(census), {}, "noise.jpg");
        bytes = print::MakePatternPdf({pattern, &sheet.Picture().Bitmap()}, {}).size() +
                MakeOxs(pattern).size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_NoisePatternWhole)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Arg(30)
    ->Arg(255)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
