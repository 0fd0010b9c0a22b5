// Changes by hand on the largest chart, 200 x 200 stitches in 255 colours: one stitch painted
// (with and without the key worked out again, as the legend's tooltips read it), and the undo of
// a fill of 10,000 stitches.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "pattern/PatternEdits.h"
#include "raster/TBitmap.h"
#include "worst_pattern.h"

namespace {

using namespace brodix;

// The window's images with a pattern drawn, as after Make.
struct DrawnWorkspace {
    explicit DrawnWorkspace(const Pattern& pattern) {
        workspace.LoadSymbolSheet(std::string(BRODIX_BIN_DIR) + "/" + kSymbolSheetFileName);
        auto picture = std::make_unique<TBitmap>();
        picture->SetSize(pattern.Width(), pattern.Height());
        workspace.TakePicture(std::move(picture), "worst.bmp");
        workspace.Draw(pattern.Stitches(), controls.Captions(), controls.Zoom());
    }
    // What the last change, undo or redo touched, drawn again.
    void DrawTouched(const PatternEditor& editor) {
        const PatternEditor::Touched& touched = editor.LastTouched();
        workspace.DrawStitches(editor.Document().Stitches(), touched.stitches, touched.rows,
                               controls.Captions(), controls.Zoom());
    }
    Workspace workspace;
    HeadlessControls controls;
};

void BM_PaintOneStitch(benchmark::State& state) {
    PatternEditor editor(bench::PatternWithThreads(bench::WorstCensus(), "worst.bmp"));
    const bool key = state.range(0) != 0;
    int i = 0;
    for (auto _ : state) {
        const TPoint point[] = {{i % 200, (i / 200) % 200}};
        benchmark::DoNotOptimize(editor.Paint(point, i % kMaxColors, true));
        if (key)
            benchmark::DoNotOptimize(editor.Document().Key().totals.stitches);
        ++i;
    }
}
BENCHMARK(BM_PaintOneStitch)->ArgName("key")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One stitch painted and drawn again as the window draws it: its cell of the chart, its pixel
// of the preview, the two counts of the legend and the zoom window's copy (whole:1, the whole
// chart, legend and preview drawn again instead, for comparison).
void BM_PaintAndDrawOneStitch(benchmark::State& state) {
    PatternEditor editor(bench::PatternWithThreads(bench::WorstCensus(), "worst.bmp"));
    DrawnWorkspace drawn(editor.Document());
    const bool whole = state.range(0) != 0;
    int i = 0;
    for (auto _ : state) {
        const TPoint point[] = {{i % 200, (i / 200) % 200}};
        editor.Paint(point, i % kMaxColors, true);
        if (whole)
            drawn.workspace.Draw(editor.Document().Stitches(), drawn.controls.Captions(),
                                 drawn.controls.Zoom());
        else
            drawn.DrawTouched(editor);
        ++i;
    }
}
BENCHMARK(BM_PaintAndDrawOneStitch)
    ->ArgName("whole")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

// The undo of a fill of 10,000 stitches, alone (draw:0) and with the window's drawing of the
// stitches it touched (draw:1).
void BM_UndoFillOf10000Stitches(benchmark::State& state) {
    Census census = bench::WorstCensus();
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            std::uint8_t& stitch = census.stitches[GridIndex(x, y, census.width)];
            --census.PaletteAt(stitch).count;
            stitch = 7;
            ++census.PaletteAt(7).count;
        }
    }
    PatternEditor editor(bench::PatternWithThreads(std::move(census), "worst.bmp"));
    if (editor.Fill({50, 50}, 9) < 10000)
        state.SkipWithError("the fill took fewer than 10,000 stitches");
    const bool draw = state.range(0) != 0;
    DrawnWorkspace drawn(editor.Document());
    for (auto _ : state) {
        editor.Undo();
        if (draw)
            drawn.DrawTouched(editor);
        state.PauseTiming();
        editor.Redo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoFillOf10000Stitches)
    ->ArgName("draw")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
