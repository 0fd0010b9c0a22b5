// Thread catalogues and matching, and Make with the options that refine its colours, against
// Make without them in the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>

#include "engine/Make.h"
#include "engine/StoredDesign.h"
#include "engine/SymbolSheet.h"
#include "raster/TBitmap.h"
#include "threads/KeyBuilder.h"
#include "threads/ThreadCatalogue.h"

namespace {

using namespace brodix;

// The largest installed catalogue.
const std::string kDmc = "/usr/share/kxstitch/schemes/dmc.xml";

// A photo-like render, 200 x 200: a background of soft colour waves and a shaded ball with a
// highlight, with fine noise, as soft shading gives: some 20,000 colours, or some 150 at six
// levels a channel.
TColor Scene(int x, int y) {
    const double noise = static_cast<double>((x * 7919 + y * 104729) % 9) - 4.0;
    double r = 128 + 100 * std::sin(x / 30.0) + noise;
    double g = 128 + 100 * std::sin(y / 25.0 + 1.0) + noise;
    double b = 128 + 100 * std::sin((x + y) / 40.0 + 2.0) + noise;
    const double dx = (x - 95) / 55.0, dy = (y - 95) / 55.0;
    if (dx * dx + dy * dy < 1.0) {
        const double dz = std::sqrt(1.0 - dx * dx - dy * dy);
        const double light = std::max(0.0, -0.5 * dx - 0.6 * dy + 0.62 * dz);
        const double shine = std::pow(light, 30.0);
        r = 40 + 190 * light + 60 * shine;
        g = 20 + 60 * light + 160 * shine;
        b = 30 + 50 * light + 160 * shine;
    }
    const auto clamp = [](double v) { return static_cast<unsigned>(std::clamp(v, 0.0, 255.0)); };
    return RGB(clamp(r), clamp(g), clamp(b));
}

void GiveScene(TImage& image) {
    TBitmap bitmap;
    bitmap.SetWidth(200);
    bitmap.SetHeight(200);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x)
            bitmap.SetPixel(x, y, Scene(x, y));
    }
    image.Picture().SetGraphic(&bitmap);
}

class NoMessages final : public MessageSink {
  public:
    void ShowMessage(const std::string&, const std::string&) override {}
};

// The images and captions Make works on, with the scene loaded.
struct Window {
    TImage source, preview, legend, chart, symbols{41, 41}, blank{13, 13}, zoom{200, 200};
    StringCaption count, width, height, status, zoomWidth, zoomHeight;
    NoMessages messages;
    MakeTargets targets{source, preview, legend, chart,  symbols,  blank,
                        count,  width,   height, status, messages, {zoom, zoomWidth, zoomHeight}};
    Window() {
        GiveScene(source);
        GiveScene(preview);
        symbols.Picture().LoadFromFile(std::string(BRODIX_BIN_DIR) + "/" + kSymbolSheetFileName);
        ReadBlankCell(blank);
    }
};

// Six levels a channel, so that Make takes the scene without options too.
constexpr LevelChoices kSix{2, 2, 2};

void BM_ReadCatalogueDmc(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(threads::ReadCatalogue(kDmc));
}
BENCHMARK(BM_ReadCatalogueDmc)->Unit(benchmark::kMillisecond);

// The key of every palette colour of the scene at six levels,
// matched against DMC: what the key costs after each Make.
void BM_KeyOfSceneDmc(benchmark::State& state) {
    Window window;
    Census census;
    Make(window.targets, kSix, {}, &census);
    const threads::ThreadCatalogue dmc = threads::ReadCatalogue(kDmc);
    for (auto _ : state)
        benchmark::DoNotOptimize(threads::BuildPatternKey(census, &dmc, {}));
    state.counters["colours"] = static_cast<double>(census.palette.size());
}
BENCHMARK(BM_KeyOfSceneDmc)->Unit(benchmark::kMillisecond);

// 255 colours anywhere in the sRGB cube, most of them far from every thread: the search
// skips fewest threads.
void BM_Match255RandomColoursDmc(benchmark::State& state) {
    const threads::ThreadCatalogue dmc = threads::ReadCatalogue(kDmc);
    std::mt19937 random(11);
    std::vector<TColor> colours(255);
    for (TColor& c : colours)
        c = random() & 0xFFFFFF;
    const std::vector<LabColour> labs = ToLab(colours);
    for (auto _ : state) {
        for (const LabColour& lab : labs)
            benchmark::DoNotOptimize(dmc.matcher->Nearest(lab));
    }
}
BENCHMARK(BM_Match255RandomColoursDmc)->Unit(benchmark::kMillisecond);

void BM_MakeScene(benchmark::State& state, bool options) {
    Window window;
    MakeOptions make;
    if (options) {
        make.snapColours = threads::ReadCatalogue(kDmc).Colours();
        make.clean = true;
        make.minStitches = 20;
        make.maxColours = 40;
    }
    Census census;
    for (auto _ : state)
        benchmark::DoNotOptimize(Make(window.targets, kSix, make, &census));
    state.counters["colours"] = static_cast<double>(census.palette.size());
}
BENCHMARK_CAPTURE(BM_MakeScene, WithoutOptions, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MakeScene, SnapCleanMerge, true)->Unit(benchmark::kMillisecond);

// The scene at sixteen levels a channel (some 2,000 colours, refused without options), snapped
// to DMC and merged down to 100 colours.
void BM_MakeSceneSixteenLevelsSnappedMerged(benchmark::State& state) {
    Window window;
    MakeOptions make;
    make.snapColours = threads::ReadCatalogue(kDmc).Colours();
    make.maxColours = 100;
    Census census;
    for (auto _ : state)
        benchmark::DoNotOptimize(Make(window.targets, {3, 3, 3}, make, &census));
    state.counters["colours"] = static_cast<double>(census.palette.size());
}
BENCHMARK(BM_MakeSceneSixteenLevelsSnappedMerged)->Unit(benchmark::kMillisecond);

}  // namespace
