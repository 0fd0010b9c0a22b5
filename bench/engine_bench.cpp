#include <benchmark/benchmark.h>

#include <string>

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
