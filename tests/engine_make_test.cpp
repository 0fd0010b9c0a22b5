#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Make.h"
#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "engine_support.h"
#include "raster/Exceptions.h"
#include "raster/TCanvas.h"
#include "raster/TIcon.h"

namespace brodix {
namespace {

using testing::GivePicture;

// The main window's images and captions, with the real symbol sheet and blank cell.
struct Window {
    Window() {
        workspace.LoadSymbolSheet(testing::BinFile(kSymbolSheetFileName));
        workspace.ReadBlankCell();
    }

    MakeResult Run(const LevelChoices& levels = {}) {
        return workspace.Make(levels, {colorCount, width, height, status}, messages, zoom);
    }

    Workspace workspace;
    TImage& source = workspace.picture;
    TImage& preview = workspace.preview;
    TImage& legend = workspace.legend;
    TImage& chart = workspace.chart;
    TImage& symbols = workspace.symbols;
    TImage& blank = workspace.blank;
    TImage zoomImage{200, 200};
    testing::RecordedCaption colorCount, width, height, status, zoomWidth, zoomHeight;
    testing::RecordedMessages messages;
    ZoomTarget zoom{zoomImage, zoomWidth, zoomHeight, 4};

    void Load(int w, int h, const std::function<TColor(int, int)>& colorOf) {
        GivePicture(source, w, h, colorOf);
        GivePicture(preview, w, h, colorOf);
    }
};

// True when the 13 x 13 area at (left, top) of canvas equals cell of the source canvas.
::testing::AssertionResult SameCell(TCanvas& canvas, int left, int top, TCanvas& source,
                                    const TRect& cell) {
    for (int y = 0; y < kCellSize; ++y) {
        for (int x = 0; x < kCellSize; ++x) {
            if (canvas.Pixel(left + x, top + y) != source.Pixel(cell.Left + x, cell.Top + y)) {
                return ::testing::AssertionFailure()
                       << "differs at (" << left + x << ", " << top + y << ")";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

bool SameBitmap(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.GetPixel(x, y) != b.GetPixel(x, y))
                return false;
        }
    }
    return true;
}

TColor At(TImage& image, int x, int y) {
    return image.Canvas().Pixel(x, y);
}

TEST(Make, OneColourPicture) {
    Window w;
    w.Load(7, 3, [](int, int) { return 0x336699u; });
    ASSERT_EQ(w.Run(), MakeResult::Done);

    EXPECT_EQ(w.legend.Picture().Width(), 89);
    EXPECT_EQ(w.legend.Picture().Height(), 16);
    EXPECT_EQ(w.legend.Width(), 89);
    EXPECT_EQ(w.legend.Height(), 16);
    EXPECT_EQ(At(w.legend, 0, 0), clWhite - 0x336699);
    EXPECT_EQ(At(w.legend, 29, 14), clWhite - 0x336699);
    EXPECT_EQ(At(w.legend, 1, 1), 0x336699u);
    EXPECT_EQ(At(w.legend, 28, 13), 0x336699u);
    EXPECT_EQ(At(w.legend, 30, 0), clWhite);
    EXPECT_TRUE(SameCell(w.legend.Canvas(), 31, 1, w.symbols.Canvas(), SymbolCellRect(0)));
    int black = 0;
    for (int y = 2; y < 15; ++y) {
        for (int x = 50; x < 89; ++x)
            black += At(w.legend, x, y) == clBlack;
    }
    EXPECT_GT(black, 5) << "the count 21 is drawn";
    for (int x = 0; x < 89; ++x)
        EXPECT_EQ(At(w.legend, x, 15), clWhite);

    EXPECT_EQ(w.chart.Picture().Width(), 85);
    EXPECT_EQ(w.chart.Picture().Height(), 37);
    EXPECT_EQ(w.chart.Width(), 85);
    EXPECT_EQ(w.chart.Height(), 37);
    // Away from the grid lines at x = 0, 60 and y = 0 every cell is symbol 0.
    EXPECT_TRUE(SameCell(w.chart.Canvas(), 12, 12, w.symbols.Canvas(), SymbolCellRect(0)));
    EXPECT_EQ(w.colorCount.Text(), "1");
    EXPECT_EQ(w.width.Text(), "7");
    EXPECT_EQ(w.height.Text(), "3");
    EXPECT_EQ(w.status.texts, (std::vector<std::string>{"Making...", ""}));
    EXPECT_TRUE(w.messages.shown.empty());
}

TEST(Make, WhiteTakesTheBlankCellAndNoSymbol) {
    Window w;
    w.Load(3, 2, [](int, int) { return clWhite; });
    ASSERT_EQ(w.Run(), MakeResult::Done);
    EXPECT_EQ(At(w.legend, 0, 0), clBlack);
    EXPECT_EQ(At(w.legend, 5, 5), clWhite);
    for (int y = 1; y < 14; ++y) {
        for (int x = 31; x < 44; ++x)
            ASSERT_EQ(At(w.legend, x, y), clWhite);
    }
    // Row 1 and column 1 lie off the grid lines, so whole blank cells show there.
    EXPECT_TRUE(SameCell(w.chart.Canvas(), 12, 12, w.blank.Canvas(), kBlankCellRect));
    EXPECT_TRUE(SameCell(w.chart.Canvas(), 24, 12, w.blank.Canvas(), kBlankCellRect));
}

TEST(Make, SymbolNumbersFollowThePalette) {
    struct Case {
        std::vector<TColor> colors;  // in picture order; palette is descending
        std::vector<int> symbols;    // symbol expected for each, -1 the blank cell
    };
    const Case cases[] = {
        {{0x000010, clWhite, 0x000020}, {2, -1, 1}},
        {{0x000010, 0x000030, 0x000020}, {2, 0, 1}},
    };
    for (const auto& c : cases) {
        Window w;
        w.Load(static_cast<int>(c.colors.size()), 1, [&](int x, int) { return c.colors[x]; });
        ASSERT_EQ(w.Run(), MakeResult::Done);
        for (std::size_t x = 0; x < c.colors.size(); ++x) {
            const int left = 12 * static_cast<int>(x);
            // Inside the cell's frame: the frame lies under grid lines and neighbouring cells.
            for (int dy = 1; dy < kCellSize - 1; ++dy) {
                for (int dx = 1; dx < kCellSize - 1; ++dx) {
                    const TColor want = c.symbols[x] < 0
                                            ? At(w.blank, dx, dy)
                                            : At(w.symbols, SymbolCellRect(c.symbols[x]).Left + dx,
                                                 SymbolCellRect(c.symbols[x]).Top + dy);
                    ASSERT_EQ(At(w.chart, left + dx, dy), want) << "stitch " << x;
                }
            }
            const int row = 15 * c.symbols[x];
            if (c.symbols[x] >= 0) {
                EXPECT_EQ(At(w.legend, 1, row + 1), c.colors[x]);
                EXPECT_TRUE(SameCell(w.legend.Canvas(), 31, row + 1, w.symbols.Canvas(),
                                     SymbolCellRect(c.symbols[x])));
            }
        }
    }
}

TEST(Make, GridLinesEveryFifthStitch) {
    struct Case {
        int width, height;
        std::vector<int> columns;  // x of every full vertical line
        std::vector<int> rows;     // y of every full horizontal line
    };
    const Case cases[] = {
        {5, 10, {0, 60}, {0, 60, 120}}, {6, 10, {0, 60}, {0, 60, 120}}, {11, 4, {0, 60, 120}, {0}}};
    for (const auto& c : cases) {
        Window w;
        w.Load(c.width, c.height, [](int, int) { return clWhite; });
        ASSERT_EQ(w.Run(), MakeResult::Done);
        const int cw = 12 * c.width + 1;
        const int ch = 12 * c.height + 1;
        ASSERT_EQ(w.chart.Width(), cw);
        for (int x = 0; x < cw; ++x) {
            bool full = true;
            for (int y = 0; y < ch - 1; ++y)
                full = full && At(w.chart, x, y) == clBlack;
            const bool expected =
                std::find(c.columns.begin(), c.columns.end(), x) != c.columns.end();
            EXPECT_EQ(full, expected) << "column " << x << " of " << c.width << "x" << c.height;
        }
        for (int y = 0; y < ch; ++y) {
            bool full = true;
            for (int x = 0; x < cw - 1; ++x)
                full = full && At(w.chart, x, y) == clBlack;
            const bool expected = std::find(c.rows.begin(), c.rows.end(), y) != c.rows.end();
            EXPECT_EQ(full, expected) << "row " << y << " of " << c.width << "x" << c.height;
        }
        EXPECT_EQ(w.chart.Canvas().Brush().Color(), clBlack);
    }
}

TEST(Make, ZoomGetsACopyOfThePreviewEnlarged) {
    Window w;
    w.zoom.factor = 3;
    w.Load(12, 8, [](int x, int y) { return RGB(x * 20, y * 30, 7); });
    ASSERT_EQ(w.Run({1, 1, 1}), MakeResult::Done);
    EXPECT_EQ(w.zoomImage.Width(), 36);
    EXPECT_EQ(w.zoomImage.Height(), 24);
    EXPECT_TRUE(w.zoomImage.Stretch());
    EXPECT_EQ(w.zoomImage.Picture().Width(), 12);
    EXPECT_EQ(w.zoomWidth.Text(), "12");
    EXPECT_EQ(w.zoomHeight.Text(), "8");
    EXPECT_EQ(At(w.zoomImage, 5, 5), ReduceColor(RGB(100, 150, 7), {1, 1, 1}));
    w.preview.Canvas().SetPixel(5, 5, 0x010203);
    EXPECT_EQ(At(w.zoomImage, 5, 5), ReduceColor(RGB(100, 150, 7), {1, 1, 1}));
}

TEST(Make, PreviewOfAnIndexedPictureTakesTableColours) {
    Window w;
    BitmapLayout layout;
    layout.format = TPixelFormat::Indexed8;
    layout.colorTable = {clBlack, clWhite, 0x808080};
    auto bitmap = TBitmap::CreateWithLayout(2, 1, layout, true);
    bitmap->SetPixelValue(1, 0, 1);
    w.source.Picture().SetGraphic(bitmap.get());
    w.preview.Picture().SetGraphic(bitmap.get());
    // At four levels 0x808080 becomes 0xAAAAAA, whose nearest table colour is 0x808080 again.
    w.source.Canvas().SetPixel(0, 0, 0x808080);
    ASSERT_EQ(w.Run({1, 1, 1}), MakeResult::Done);
    EXPECT_EQ(At(w.legend, 1, 16), 0xAAAAAAu);  // the palette keeps the reduced colour
    EXPECT_EQ(At(w.preview, 0, 0), 0x808080u);  // the preview only its table's nearest
    EXPECT_EQ(w.preview.Picture().Bitmap().PixelFormat(), TPixelFormat::Indexed8);
}

TEST(Make, RefusalLeavesEveryEarlierResult) {
    struct Case {
        int width, height;
        std::function<TColor(int, int)> colorOf;
        std::string title;
    };
    const Case cases[] = {
        {201, 1, [](int, int) { return 0u; }, "BITMAP size error"},
        {16, 16, [](int x, int y) { return RGB(x * 16, y * 16, 1); }, "BITMAP Color error"},
    };
    for (const auto& c : cases) {
        Window w;
        w.Load(6, 5, [](int x, int y) { return RGB(x * 40, y * 50, 9); });
        ASSERT_EQ(w.Run(), MakeResult::Done);
        const TBitmap legend(w.legend.Picture().Bitmap());
        const TBitmap chart(w.chart.Picture().Bitmap());
        const TBitmap zoom(w.zoomImage.Picture().Bitmap());
        w.status.texts.clear();

        w.Load(c.width, c.height, c.colorOf);
        const TBitmap preview(w.preview.Picture().Bitmap());
        ASSERT_EQ(w.Run(), MakeResult::Refused);
        ASSERT_EQ(w.messages.shown.size(), 1u);
        EXPECT_EQ(w.messages.shown[0].second, c.title);
        EXPECT_EQ(w.status.texts, (std::vector<std::string>{"Making...", ""}));
        EXPECT_EQ(w.colorCount.Text(), "30");
        EXPECT_EQ(w.width.Text(), "6");
        EXPECT_EQ(w.height.Text(), "5");
        EXPECT_EQ(w.zoomWidth.Text(), "6");
        EXPECT_EQ(w.zoomImage.Width(), 24);
        const auto same = SameBitmap;
        EXPECT_TRUE(same(legend, w.legend.Picture().Bitmap()));
        EXPECT_TRUE(same(chart, w.chart.Picture().Bitmap()));
        EXPECT_TRUE(same(zoom, w.zoomImage.Picture().Bitmap()));
        EXPECT_TRUE(same(preview, w.preview.Picture().Bitmap()));
    }
}

// Make hands over the census it drew from, and drawing that census again draws the same
// images, captions and zoom: the window draws a pattern made elsewhere this way. A refusal
// hands over nothing.
TEST(Make, DrawingTheCensusOfAMakeDrawsWhatMakeDrew) {
    for (const LevelChoices levels : {LevelChoices{}, LevelChoices{1, 1, 1}}) {
        const auto colorOf = [](int x, int y) { return RGB(x * 40, y * 50, 9); };
        Window made;
        made.Load(6, 5, colorOf);
        Census census;
        ASSERT_EQ(
            made.workspace.Make(levels, {made.colorCount, made.width, made.height, made.status},
                                made.messages, made.zoom, {}, &census),
            MakeResult::Done);
        const Census expected = std::get<Census>(TakeCensus(made.source, levels));
        EXPECT_EQ(census.palette, expected.palette);
        EXPECT_EQ(census.stitches, expected.stitches);

        // The preview is drawn over the picture it was loaded with, as Make draws it.
        Window drawn;
        drawn.Load(6, 5, colorOf);
        drawn.workspace.Draw(census, {drawn.colorCount, drawn.width, drawn.height, drawn.status},
                             drawn.zoom);
        EXPECT_TRUE(SameBitmap(drawn.chart.Picture().Bitmap(), made.chart.Picture().Bitmap()));
        EXPECT_TRUE(SameBitmap(drawn.legend.Picture().Bitmap(), made.legend.Picture().Bitmap()));
        EXPECT_TRUE(SameBitmap(drawn.preview.Picture().Bitmap(), made.preview.Picture().Bitmap()));
        EXPECT_TRUE(
            SameBitmap(drawn.zoomImage.Picture().Bitmap(), made.zoomImage.Picture().Bitmap()));
        EXPECT_EQ(drawn.colorCount.Text(), made.colorCount.Text());
        EXPECT_EQ(drawn.status.Text(), "");

        made.Load(201, 1, [](int, int) { return clBlack; });
        const Census before = census;
        ASSERT_EQ(
            made.workspace.Make(levels, {made.colorCount, made.width, made.height, made.status},
                                made.messages, made.zoom, {}, &census),
            MakeResult::Refused);
        EXPECT_EQ(census.stitches, before.stitches);
    }
}

// Drawing only the stitches that changed (and their rows' counts) gives what drawing the whole
// census again gives: cells on grid lines, at the last column and row, white taking the blank
// cell and leaving it, counts growing and shrinking by a digit, symbols moved by hand.
TEST(Make, DrawingChangedStitchesDrawsWhatDrawingAllDraws) {
    const auto colorOf = [](int x, int y) {
        return (x + y) % 4 == 0 ? clWhite : RGB((x / 7) * 40, y * 30, 9);
    };
    const int w = 62, h = 7;
    Window source;
    source.Load(w, h, colorOf);
    Census census = std::get<Census>(TakeCensus(source.source, {}));
    for (std::size_t k = 0; k < census.palette.size(); ++k)
        census.symbols.push_back(static_cast<int>((k * 7 + 3) % kSymbolCount));
    Window fast, full;
    for (Window* window : {&fast, &full}) {
        window->Load(w, h, colorOf);
        window->workspace.Draw(census,
                               {window->colorCount, window->width, window->height, window->status},
                               window->zoom);
    }
    std::vector<std::uint32_t> changed;
    std::vector<int> rows;
    for (const auto& [x, y, k] : {std::tuple{0, 0, 1},
                                  {59, 3, 0},
                                  {60, 5, 2},
                                  {61, 6, 3},
                                  {61, 0, 0},
                                  {0, 6, 4},
                                  {30, 2, 0},
                                  {12, 5, 1}}) {
        const std::uint32_t i = static_cast<std::uint32_t>(y * w + x);
        std::uint8_t& stitch = census.stitches[i];
        rows.push_back(stitch);
        rows.push_back(k);
        --census.PaletteAt(stitch).count;
        stitch = static_cast<std::uint8_t>(k);
        ++census.PaletteAt(k).count;
        changed.push_back(i);
    }
    fast.workspace.DrawStitches(census, changed, rows,
                                {fast.colorCount, fast.width, fast.height, fast.status}, fast.zoom);
    full.workspace.Draw(census, {full.colorCount, full.width, full.height, full.status}, full.zoom);
    EXPECT_TRUE(SameBitmap(fast.chart.Picture().Bitmap(), full.chart.Picture().Bitmap()));
    EXPECT_TRUE(SameBitmap(fast.legend.Picture().Bitmap(), full.legend.Picture().Bitmap()));
    EXPECT_TRUE(SameBitmap(fast.preview.Picture().Bitmap(), full.preview.Picture().Bitmap()));
    EXPECT_TRUE(SameBitmap(fast.zoomImage.Picture().Bitmap(), full.zoomImage.Picture().Bitmap()));
}

TEST(Make, NothingLoadedDoesNothing) {
    Window w;
    EXPECT_EQ(w.Run(), MakeResult::NoPicture);
    EXPECT_TRUE(w.status.texts.empty());
    EXPECT_FALSE(w.legend.Picture().HasGraphic());
}

TEST(Make, PictureThatIsNoBitmapStopsWithTheFrameworkError) {
    Window w;
    w.source.Picture().Adopt(std::make_unique<TIcon>());
    EXPECT_THROW(w.Run(), EInvalidOperation);
    EXPECT_EQ(w.status.texts, (std::vector<std::string>{"Making..."}));
    EXPECT_FALSE(w.legend.Picture().HasGraphic());
}

TEST(Make, MissingSheetCopiesWhite) {
    Window w;
    w.symbols.Picture().SetGraphic(nullptr);
    w.Load(20, 3, [](int x, int) { return RGB(x, 0, 0); });
    ASSERT_EQ(w.Run(), MakeResult::Done);
    EXPECT_EQ(w.symbols.Picture().Width(), 41);
    // Symbol 19 lies beyond the 41 x 41 white picture.
    for (int y = 1; y < 12; ++y)
        EXPECT_EQ(At(w.chart, 12 * 0 + 6, 12 + y), clWhite);
    EXPECT_EQ(At(w.legend, 37, 15 * 19 + 7), clWhite);
}

TEST(Make, EmptyPicture) {
    Window w;
    TBitmap empty;
    w.source.Picture().SetGraphic(&empty);
    w.preview.Picture().SetGraphic(&empty);
    ASSERT_EQ(w.Run(), MakeResult::Done);
    EXPECT_EQ(w.legend.Height(), 16);
    EXPECT_EQ(w.chart.Width(), 1);
    EXPECT_EQ(w.chart.Height(), 1);
    EXPECT_EQ(w.colorCount.Text(), "1");
    EXPECT_EQ(w.zoomImage.Width(), 0);
}

// The chart drawn the plain way: every cell copied through the canvas in stitch order, the
// later cell over the shared line, then the grid drawn with the default pen.
void DrawReferenceChart(TBitmap& chart, TCanvas& symbols, TCanvas& blank, TImage& source,
                        const std::vector<TColor>& palette) {
    const int w = source.Picture().Width();
    const int h = source.Picture().Height();
    chart.SetWidth(12 * w + 1);
    chart.SetHeight(12 * h + 1);
    TCanvas& canvas = chart.Canvas();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const TColor color = source.Canvas().Pixel(x, y);
            const int k = static_cast<int>(std::find(palette.begin(), palette.end(), color) -
                                           palette.begin());
            const TRect dest = Rect(12 * x, 12 * y, 12 * x + 13, 12 * y + 13);
            if (color == clWhite) {
                canvas.CopyRect(dest, blank, kBlankCellRect);
            } else {
                canvas.CopyRect(dest, symbols, SymbolCellRect(k));
            }
        }
    }
    canvas.Brush().SetColor(clBlack);
    for (int k = 0; k <= chart.Height() / 60; ++k) {
        canvas.MoveTo(0, 60 * k);
        canvas.LineTo(chart.Width() - 1, 60 * k);
    }
    for (int k = 0; k <= chart.Width() / 60; ++k) {
        canvas.MoveTo(60 * k, 0);
        canvas.LineTo(60 * k, chart.Height() - 1);
    }
}

// The legend drawn the plain way: a white image, then for each colour its frame and swatch
// filled, its symbol copied and its count written through the canvas.
void DrawReferenceLegend(TBitmap& legend, TCanvas& symbols, const Census& census) {
    const int colours = static_cast<int>(census.palette.size());
    legend.SetWidth(kLegendWidth);
    legend.SetHeight(LegendHeight(colours));
    TCanvas& canvas = legend.Canvas();
    for (int i = 0; i < colours; ++i) {
        const auto [color, count] = census.PaletteAt(i);
        const int top = kLegendRowHeight * i;
        canvas.Brush().SetColor(clWhite - color);
        canvas.FillRect(Rect(0, top, kSwatchFrameWidth, top + kLegendRowHeight));
        canvas.Brush().SetColor(color);
        canvas.FillRect(Rect(1, top + 1, kSwatchFrameWidth - 1, top + kLegendRowHeight - 1));
        if (color != clWhite) {
            canvas.CopyRect(Rect(31, top + 1, 31 + kCellSize, top + 1 + kCellSize), symbols,
                            SymbolCellRect(i));
        }
        canvas.Brush().SetColor(clWhite);
        canvas.TextOut(kLegendCountLeft, top + kLegendCountTop, std::to_string(count));
    }
}

// Sizes around the grid spacing, with and without white, with the real sheet, a sheet that is
// missing (41 x 41 white) and a 1-bit sheet: the chart must be the plain drawing's, pixel for
// pixel, and the canvas must be left as the plain drawing leaves it; the legend likewise.
TEST(Make, ChartEqualsCellByCellDrawing) {
    struct Case {
        int width, height;
        bool withWhite;
        const char* sheet;  // "real", "missing", "mono"
    };
    const Case cases[] = {{1, 1, false, "real"},  {5, 10, true, "real"},    {6, 11, false, "real"},
                          {61, 13, true, "real"}, {17, 9, true, "missing"}, {23, 31, false, "mono"},
                          {60, 60, true, "real"}, {200, 199, false, "real"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " " << c.sheet);
        Window w;
        if (std::string(c.sheet) == "missing") {
            w.symbols.Picture().SetGraphic(nullptr);
        } else if (std::string(c.sheet) == "mono") {
            TBitmap mono(w.symbols.Picture().Bitmap());
            w.symbols.Canvas().Brush().SetColor(clBlack);
            TBitmap oneBit;
            oneBit.SetWidth(mono.Width());
            oneBit.SetHeight(mono.Height());
            oneBit.SetMonochrome(true);
            oneBit.Canvas().SetCopyMode(cmNotSrcCopy);
            const TRect all = Rect(0, 0, mono.Width(), mono.Height());
            oneBit.Canvas().CopyRect(all, w.symbols.Canvas(), all);
            w.symbols.Picture().SetGraphic(&oneBit);
        }
        const auto colorOf = [&](int x, int y) -> TColor {
            const int k = (x * 7 + y * 3 + x * y) % 40;
            return c.withWhite && k == 0 ? clWhite : RGB(k * 5, 255 - k, k * 3);
        };
        w.Load(c.width, c.height, colorOf);
        ASSERT_EQ(w.Run(), MakeResult::Done);

        std::vector<TColor> palette;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x)
                palette.push_back(colorOf(x, y));
        }
        std::sort(palette.begin(), palette.end(), std::greater<>());
        palette.erase(std::unique(palette.begin(), palette.end()), palette.end());

        TBitmap expected;
        DrawReferenceChart(expected, w.symbols.Canvas(), w.blank.Canvas(), w.source, palette);
        TCanvas& chart = w.chart.Canvas();
        ASSERT_EQ(chart.Bitmap().Width(), expected.Width());
        ASSERT_EQ(chart.Bitmap().Height(), expected.Height());
        int differences = 0;
        for (int y = 0; y < expected.Height(); ++y) {
            for (int x = 0; x < expected.Width(); ++x)
                differences += chart.Pixel(x, y) != expected.GetPixel(x, y) ? 1 : 0;
        }
        EXPECT_EQ(differences, 0);
        EXPECT_EQ(chart.Brush().Color(), clBlack);
        EXPECT_EQ(chart.PenPos(), expected.Canvas().PenPos());
        EXPECT_EQ(chart.CopyMode(), cmSrcCopy);

        TBitmap legend;
        const Census census = std::get<Census>(TakeCensus(w.source, LevelChoices{}));
        DrawReferenceLegend(legend, w.symbols.Canvas(), census);
        ASSERT_EQ(w.legend.Picture().Height(), legend.Height());
        differences = 0;
        for (int y = 0; y < legend.Height(); ++y) {
            for (int x = 0; x < legend.Width(); ++x)
                differences += At(w.legend, x, y) != legend.GetPixel(x, y) ? 1 : 0;
        }
        EXPECT_EQ(differences, 0);
    }
}

}  // namespace
}  // namespace brodix
