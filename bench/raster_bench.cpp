// The costs that decide how fast a chart appears and is saved: creating the 2401 x 2401 chart,
// copying 40,000 symbol cells into it, and turning it into the monochrome export.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "raster/Color.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace brodix {
namespace {

constexpr int kChartSide = 2401;
constexpr int kCells = 200;

// The floor every new chart pays: one pass of white over 23 MB.
void BM_FillRawBuffer(benchmark::State& state) {
    const std::size_t count = std::size_t{kChartSide} * kChartSide;
    for (auto _ : state) {
        std::unique_ptr<std::uint32_t[]> pixels(new std::uint32_t[count]);
        std::uint32_t* p = pixels.get();
        for (std::size_t i = 0; i < count; ++i)
            p[i] = 0x00FFFFFF;
        benchmark::DoNotOptimize(p);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * count * 4));
}
BENCHMARK(BM_FillRawBuffer)->Unit(benchmark::kMillisecond);

void BM_NewWhiteChart(benchmark::State& state) {
    for (auto _ : state) {
        TBitmap chart;
        chart.SetWidth(kChartSide);
        chart.SetHeight(kChartSide);
        benchmark::DoNotOptimize(chart.Bits());
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * std::size_t{kChartSide} * kChartSide * 4));
}
BENCHMARK(BM_NewWhiteChart)->Unit(benchmark::kMillisecond);

// A symbol sheet of 10 x 26 cells at a pitch of 12, with some ink in every cell.
std::unique_ptr<TBitmap> SymbolSheet(TPixelFormat format) {
    BitmapLayout layout;
    layout.format = format;
    layout.colorTable = {clBlack, clWhite};
    auto sheet = TBitmap::CreateWithLayout(121, 313, layout, false);
    for (int y = 0; y < sheet->Height(); ++y) {
        for (int x = 0; x < sheet->Width(); ++x) {
            sheet->SetPixel(
                x, y, (x % 12 == 0 || y % 12 == 0 || (x * 7 + y * 3) % 5 == 0) ? clBlack : clWhite);
        }
    }
    return sheet;
}

void CopyCells(benchmark::State& state, TPixelFormat sheetFormat) {
    auto sheet = SymbolSheet(sheetFormat);
    for (auto _ : state) {
        TBitmap chart;
        chart.SetWidth(kChartSide);
        chart.SetHeight(kChartSide);
        TCanvas& canvas = chart.Canvas();
        TCanvas& source = sheet->Canvas();
        for (int y = 0; y < kCells; ++y) {
            for (int x = 0; x < kCells; ++x) {
                const int k = (x + y * 7) % 260;
                const int sx = 12 * (k % 10);
                const int sy = 12 * (k / 10);
                canvas.CopyRect(Rect(12 * x, 12 * y, 12 * x + 13, 12 * y + 13), source,
                                Rect(sx, sy, sx + 13, sy + 13));
            }
        }
        benchmark::DoNotOptimize(chart.Bits());
    }
    state.SetItemsProcessed(state.iterations() * kCells * kCells);
}

void BM_ChartCellsFromDisplaySheet(benchmark::State& state) {
    CopyCells(state, TPixelFormat::Display);
}
BENCHMARK(BM_ChartCellsFromDisplaySheet)->Unit(benchmark::kMillisecond);

void BM_ChartCellsFromOneBitSheet(benchmark::State& state) {
    CopyCells(state, TPixelFormat::Indexed1);
}
BENCHMARK(BM_ChartCellsFromOneBitSheet)->Unit(benchmark::kMillisecond);

void BM_ChartCellsFromTrueColourSheet(benchmark::State& state) {
    CopyCells(state, TPixelFormat::Direct24);
}
BENCHMARK(BM_ChartCellsFromTrueColourSheet)->Unit(benchmark::kMillisecond);

// The export: the chart, brush black, copied inverted into a new monochrome image.
void BM_ChartToMonochrome(benchmark::State& state) {
    TBitmap chart;
    chart.SetSize(kChartSide, kChartSide);
    for (int y = 0; y < kChartSide; y += 3)
        chart.SetPixel(y, y, clBlack);
    chart.Canvas().Brush().SetColor(clBlack);
    for (auto _ : state) {
        TBitmap mono;
        mono.SetSize(kChartSide, kChartSide);
        mono.SetMonochrome(true);
        mono.Canvas().SetCopyMode(cmNotSrcCopy);
        mono.Canvas().CopyRect(Rect(0, 0, kChartSide, kChartSide), chart.Canvas(),
                               Rect(0, 0, kChartSide, kChartSide));
        benchmark::DoNotOptimize(mono.Bits());
    }
    state.SetItemsProcessed(state.iterations() * kChartSide * kChartSide);
}
BENCHMARK(BM_ChartToMonochrome)->Unit(benchmark::kMillisecond);

// The copy alone, into an existing monochrome image.
void BM_ChartToMonochromeCopyOnly(benchmark::State& state) {
    TBitmap chart;
    chart.SetSize(kChartSide, kChartSide);
    chart.Canvas().Brush().SetColor(clBlack);
    TBitmap mono;
    mono.SetSize(kChartSide, kChartSide);
    mono.SetMonochrome(true);
    mono.Canvas().SetCopyMode(cmNotSrcCopy);
    for (auto _ : state) {
        mono.Canvas().CopyRect(Rect(0, 0, kChartSide, kChartSide), chart.Canvas(),
                               Rect(0, 0, kChartSide, kChartSide));
        benchmark::DoNotOptimize(mono.Bits());
    }
    state.SetItemsProcessed(state.iterations() * kChartSide * kChartSide);
}
BENCHMARK(BM_ChartToMonochromeCopyOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brodix
