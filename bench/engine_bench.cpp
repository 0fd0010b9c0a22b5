#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "engine/Census.h"
#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace {

using namespace brodix;

// 200 x 200 stitches in 255 distinct colours, every colour in long runs and scattered.
void GiveWorstPicture(TImage& image) {
    TBitmap bitmap;
    bitmap.SetWidth(200);
    bitmap.SetHeight(200);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            const int k = (x * 7 + y * 13) % 255;
            bitmap.SetPixel(x, y, RGB(k * 37, k * 11, k * 3));
        }
    }
    image.Picture().SetGraphic(&bitmap);
}

class NoMessages final : public MessageSink {
  public:
    void ShowMessage(const std::string&, const std::string&) override {}
};

void BM_Census200x200With255Colours(benchmark::State& state) {
    TImage image;
    GiveWorstPicture(image);
    for (auto _ : state) {
        auto result = TakeCensus(image, {});
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_Census200x200With255Colours)->Unit(benchmark::kMillisecond);

void BM_Make200x200With255Colours(benchmark::State& state) {
    Workspace workspace;
    HeadlessControls controls;
    GiveWorstPicture(workspace.picture);
    GiveWorstPicture(workspace.preview);
    workspace.LoadSymbolSheet(std::string(BRODIX_BIN_DIR) + "/" + kSymbolSheetFileName);
    workspace.ReadBlankCell();
    NoMessages messages;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            workspace.Make({}, controls.Captions(), messages, controls.Zoom()));
}
BENCHMARK(BM_Make200x200With255Colours)->Unit(benchmark::kMillisecond);

// 200 x 200 stitches like a photograph: smooth shading over the whole picture, with a little
// grain on every stitch, some 20,000 distinct colours.
void GivePhotoLikePicture(TImage& image) {
    TBitmap bitmap;
    bitmap.SetWidth(200);
    bitmap.SetHeight(200);
    std::mt19937 random(5);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            const auto channel = [&](double base, double wave) {
                const double grain = static_cast<double>(random() % 9) - 4.0;
                return static_cast<int>(std::clamp(base + wave + grain, 0.0, 255.0));
            };
            bitmap.SetPixel(x, y,
                            RGB(channel(120 + 0.4 * x, 60 * std::sin(y / 23.0)),
                                channel(90 + 0.3 * y, 50 * std::cos(x / 31.0)),
                                channel(160 - 0.3 * x, 40 * std::sin((x + y) / 41.0))));
        }
    }
    image.Picture().SetGraphic(&bitmap);
}

// A range of threads as a maker offers it: 448 colours spread over the colour cube.
std::vector<TColor> SomeThreads() {
    std::vector<TColor> threads;
    for (int r = 0; r < 8; ++r) {
        for (int g = 0; g < 8; ++g) {
            for (int b = 0; b < 7; ++b)
                threads.push_back(RGB(r * 255 / 7, g * 255 / 7, b * 255 / 6));
        }
    }
    return threads;
}

// Make of a photograph snapped to threads, and with the budget of 40 colours and the clean on
// top: the second should cost at most three times the first.
void BM_MakePhoto200x200(benchmark::State& state, bool budget) {
    Workspace workspace;
    HeadlessControls controls;
    GivePhotoLikePicture(workspace.picture);
    GivePhotoLikePicture(workspace.preview);
    workspace.LoadSymbolSheet(std::string(BRODIX_BIN_DIR) + "/" + kSymbolSheetFileName);
    workspace.ReadBlankCell();
    NoMessages messages;
    MakeOptions options;
    options.snapColours = SomeThreads();
    if (budget) {
        options.maxColours = 40;
        options.clean = true;
    }
    Census census;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            workspace.Make({}, controls.Captions(), messages, controls.Zoom(), options, &census));
    // Refused (over 255 colours) when 0.
    state.counters["colours"] = static_cast<double>(census.palette.size());
}
BENCHMARK_CAPTURE(BM_MakePhoto200x200, Snapped, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MakePhoto200x200, SnappedBudget40Cleaned, true)->Unit(benchmark::kMillisecond);

// The floor Make cannot go below: a new white chart of a 200 x 200 picture, given to an image.
void BM_NewWhiteChart2401x2401(benchmark::State& state) {
    TImage chart;
    for (auto _ : state) {
        TBitmap bitmap;
        bitmap.SetWidth(2401);
        bitmap.SetHeight(2401);
        chart.Picture().SetGraphic(&bitmap);
        benchmark::DoNotOptimize(chart.Canvas().Pixel(0, 0));
    }
}
BENCHMARK(BM_NewWhiteChart2401x2401)->Unit(benchmark::kMillisecond);

}  // namespace
