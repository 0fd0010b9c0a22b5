#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "raster/Color.h"
#include "raster/RowStreamer.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster_core_support.h"

namespace brodix {
namespace {

using testing::CountColor;
using testing::Pixels;
using testing::WhiteBitmap;

// --- fill and lines ------------------------------------------------------------------------

TEST(FillRect, FillsRightColumnAndBottomRowExcluded) {
    auto bitmap = WhiteBitmap(40, 20);
    TCanvas& canvas = bitmap->Canvas();
    canvas.Brush().SetColor(0x00FF00);
    canvas.FillRect(Rect(0, 0, 30, 15));
    EXPECT_EQ(bitmap->GetPixel(29, 14), 0x00FF00u);
    EXPECT_EQ(bitmap->GetPixel(30, 14), clWhite);
    EXPECT_EQ(bitmap->GetPixel(29, 15), clWhite);
    EXPECT_EQ(CountColor(*bitmap, 0x00FF00), 30 * 15);
}

TEST(FillRect, EmptyAndOutsideRectanglesChangeNothing) {
    const TRect rects[] = {Rect(5, 5, 5, 10),   Rect(5, 5, 10, 5),
                           Rect(10, 5, 5, 10),  Rect(-10, -10, 0, 0),
                           Rect(40, 0, 50, 20), Rect(INT_MIN, INT_MIN, INT_MIN + 1, INT_MIN + 1)};
    for (const TRect& r : rects) {
        auto bitmap = WhiteBitmap(40, 20);
        const std::uint64_t generation = bitmap->Generation();
        bitmap->Canvas().Brush().SetColor(clBlack);
        bitmap->Canvas().FillRect(r);
        EXPECT_EQ(CountColor(*bitmap, clWhite), 800);
        EXPECT_EQ(bitmap->Generation(), generation);
    }
    auto bitmap = WhiteBitmap(40, 20);
    bitmap->Canvas().Brush().SetColor(clBlack);
    bitmap->Canvas().FillRect(Rect(-5, 18, 3, 100));
    EXPECT_EQ(CountColor(*bitmap, clBlack), 3 * 2);
}

TEST(Lines, EndPointIsNotDrawn) {
    struct Case {
        TPoint from;
        TPoint to;
        int blackPixels;
        TPoint firstDrawn;
        TPoint notDrawn;
    };
    const int w = 100;
    const Case cases[] = {
        {{0, 60}, {w - 1, 60}, w - 1, {0, 60}, {w - 1, 60}},
        {{w - 1, 60}, {0, 60}, w - 1, {w - 1, 60}, {0, 60}},
        {{12, 0}, {12, 79}, 79, {12, 0}, {12, 79}},
        {{0, 0}, {10, 10}, 10, {9, 9}, {10, 10}},
        {{3, 3}, {3, 3}, 0, {-1, -1}, {3, 3}},
    };
    for (const Case& c : cases) {
        auto bitmap = WhiteBitmap(w, 80);
        TCanvas& canvas = bitmap->Canvas();
        canvas.MoveTo(c.from.x, c.from.y);
        canvas.LineTo(c.to.x, c.to.y);
        EXPECT_EQ(canvas.PenPos(), c.to);
        EXPECT_EQ(CountColor(*bitmap, clBlack), c.blackPixels) << c.to.x << "," << c.to.y;
        if (c.firstDrawn.x >= 0) {
            EXPECT_EQ(bitmap->GetPixel(c.firstDrawn.x, c.firstDrawn.y), clBlack);
        }
        EXPECT_EQ(bitmap->GetPixel(c.notDrawn.x, c.notDrawn.y), clWhite);
    }
}

TEST(Lines, FarAwayEndsAreClippedNotWalked) {
    auto bitmap = WhiteBitmap(50, 50);
    TCanvas& canvas = bitmap->Canvas();
    canvas.MoveTo(INT_MIN, 10);
    canvas.LineTo(INT_MAX, 10);
    EXPECT_EQ(CountColor(*bitmap, clBlack), 50);
    canvas.MoveTo(INT_MIN, INT_MIN);
    canvas.LineTo(INT_MAX, INT_MAX);  // the diagonal through the image
    EXPECT_EQ(bitmap->GetPixel(30, 30), clBlack);
}

// --- copies --------------------------------------------------------------------------------

TEST(CopyRect, IntoMonochromeFollowsTheSourceBrushNotBrightness) {
    struct Case {
        TColor sourceBrush;
        std::uint32_t copyMode;
        TColor pixel;
        TColor expected;
    };
    const Case cases[] = {
        {clBlack, cmNotSrcCopy, 0x000000, clBlack}, {clBlack, cmNotSrcCopy, 0x010101, clWhite},
        {clBlack, cmNotSrcCopy, 0x808080, clWhite}, {clBlack, cmNotSrcCopy, 0xFFFFFF, clWhite},
        {clWhite, cmNotSrcCopy, 0xFFFFFF, clBlack}, {clWhite, cmNotSrcCopy, 0x000000, clWhite},
        {clWhite, cmNotSrcCopy, 0xFEFFFF, clWhite}, {clWhite, cmSrcCopy, 0xFFFFFF, clWhite},
        {clWhite, cmSrcCopy, 0x000000, clBlack},    {clWhite, cmSrcCopy, 0xFFFFFE, clBlack},
    };
    for (const Case& c : cases) {
        // Odd widths and offsets put the pixel in the middle of a byte of the target.
        auto source = WhiteBitmap(13, 3);
        source->SetPixel(10, 1, c.pixel);
        source->Canvas().Brush().SetColor(c.sourceBrush);
        auto target = WhiteBitmap(13, 3);
        target->SetMonochrome(true);
        target->Canvas().SetCopyMode(c.copyMode);
        target->Canvas().CopyRect(Rect(0, 0, 13, 3), source->Canvas(), Rect(0, 0, 13, 3));
        EXPECT_EQ(target->GetPixel(10, 1), c.expected)
            << std::hex << c.sourceBrush << " " << c.copyMode << " " << c.pixel;
    }
}

TEST(CopyRect, EqualRectanglesCopyPixelForPixelInEveryFormatPair) {
    struct Case {
        TPixelFormat sourceFormat;
        TPixelFormat targetFormat;
    };
    const Case cases[] = {
        {TPixelFormat::Display, TPixelFormat::Display},
        {TPixelFormat::Indexed1, TPixelFormat::Display},
        {TPixelFormat::Indexed4, TPixelFormat::Display},
        {TPixelFormat::Indexed8, TPixelFormat::Display},
        {TPixelFormat::Direct24, TPixelFormat::Display},
        {TPixelFormat::Direct32, TPixelFormat::Display},
        {TPixelFormat::Display, TPixelFormat::Direct24},
        {TPixelFormat::Direct24, TPixelFormat::Direct24},
    };
    for (const Case& c : cases) {
        BitmapLayout layout;
        layout.format = c.sourceFormat;
        layout.colorTable = {0x0000FF, 0xFFFFFF, 0x00FF00};
        auto source = TBitmap::CreateWithLayout(9, 4, layout, false);
        source->SetPixel(2, 1, 0xFFFFFF);  // index 1 in the tables
        const TColor red = source->NearestColor(0x0000FF);
        BitmapLayout targetLayout;
        targetLayout.format = c.targetFormat;
        auto target = TBitmap::CreateWithLayout(20, 10, targetLayout, true);
        target->Canvas().CopyRect(Rect(5, 5, 9, 8), source->Canvas(), Rect(1, 0, 5, 3));
        EXPECT_EQ(target->GetPixel(6, 6), 0xFFFFFFu) << static_cast<int>(c.sourceFormat);
        EXPECT_EQ(target->GetPixel(5, 5), IsIndexed(c.sourceFormat) ? red : clBlack);
        EXPECT_EQ(target->GetPixel(4, 5), clBlack);  // outside the destination rectangle
        EXPECT_EQ(target->GetPixel(9, 7), clBlack);
        EXPECT_EQ(target->GetPixel(8, 8), clBlack);
    }
}

TEST(CopyRect, InvertedCopyIntoDisplayInvertsColourBitsOnly) {
    auto source = WhiteBitmap(3, 1);
    source->SetPixel(0, 0, 0x123456);
    auto target = WhiteBitmap(3, 1);
    target->Canvas().SetCopyMode(cmNotSrcCopy);
    target->Canvas().CopyRect(Rect(0, 0, 3, 1), source->Canvas(), Rect(0, 0, 3, 1));
    EXPECT_EQ(target->GetPixel(0, 0), 0xEDCBA9u);
    EXPECT_EQ(target->GetPixel(1, 0), clBlack);
    EXPECT_EQ(target->ScanLine(0)[3], 0);
    EXPECT_EQ(target->ScanLine(0)[7], 0);
}

TEST(CopyRect, SourceOutsideTheSourceCountsAsWhite) {
    auto source = WhiteBitmap(4, 4);
    source->Canvas().Brush().SetColor(0x0000FF);
    source->Canvas().FillRect(Rect(0, 0, 4, 4));
    for (bool equalSize : {true, false}) {
        auto target = WhiteBitmap(10, 10);
        target->Canvas().Brush().SetColor(clBlack);
        target->Canvas().FillRect(Rect(0, 0, 10, 10));
        const TRect dest = equalSize ? Rect(0, 0, 6, 6) : Rect(0, 0, 6, 12);
        target->Canvas().CopyRect(dest, source->Canvas(), Rect(-2, -2, 4, 4));
        EXPECT_EQ(target->GetPixel(0, 0), clWhite);
        EXPECT_EQ(target->GetPixel(5, 5), equalSize ? 0x0000FFu : 0x0000FFu);
        EXPECT_EQ(target->GetPixel(6, 0), clBlack);
    }
    // An empty source copies white.
    TBitmap empty;
    auto target = WhiteBitmap(3, 3);
    target->Canvas().Brush().SetColor(clBlack);
    target->Canvas().FillRect(Rect(0, 0, 3, 3));
    target->Canvas().CopyRect(Rect(0, 0, 2, 2), empty.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(CountColor(*target, clWhite), 4);
}

TEST(CopyRect, ExtremeRectanglesAreClippedSafely) {
    auto source = WhiteBitmap(5, 5);
    source->SetPixel(0, 0, clBlack);
    const TRect rects[] = {Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), Rect(0, 0, INT_MAX, 1),
                           Rect(-3, -3, 2, 2), Rect(INT_MAX - 1, 0, INT_MAX, 1)};
    for (const TRect& dest : rects) {
        for (const TRect& from : rects) {
            auto target = WhiteBitmap(7, 7);
            target->Canvas().CopyRect(dest, source->Canvas(), from);
            target->Canvas().StretchDraw(dest, *source);
        }
    }
    auto target = WhiteBitmap(7, 7);
    target->Canvas().CopyRect(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), source->Canvas(),
                              Rect(0, 0, 1, 1));
    EXPECT_EQ(CountColor(*target, clBlack), 49);  // one black pixel stretched over everything
}

TEST(CopyRect, OverlappingCopyWithinOneImageReadsTheOldPixels) {
    auto bitmap = WhiteBitmap(6, 1);
    for (int x = 0; x < 6; ++x)
        bitmap->SetPixel(x, 0, static_cast<TColor>(x));
    bitmap->Canvas().CopyRect(Rect(1, 0, 6, 1), bitmap->Canvas(), Rect(0, 0, 5, 1));
    EXPECT_EQ(Pixels(*bitmap), (std::vector<TColor>{0, 0, 1, 2, 3, 4}));
}

TEST(CopyRect, WritesReachTheCopyingImageOnlyOnce) {
    auto source = WhiteBitmap(2, 2);
    auto target = WhiteBitmap(2, 2);
    int changes = 0;
    target->OnChange = [&changes]() { ++changes; };
    const std::uint64_t generation = target->Generation();
    target->Canvas().CopyRect(Rect(0, 0, 2, 2), source->Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(changes, 1);
    EXPECT_GT(target->Generation(), generation);
    target->Canvas().CopyRect(Rect(5, 5, 7, 7), source->Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(changes, 1);
}

// A chart of 2401 x 2401 pixels (23 MB) stays in a 32 MB share of the cache and streams past
// smaller ones, such as half of a 32 MB cache that two processors share.
TEST(RowStreamer, StreamsOnlyWhatTheCacheCannotHold) {
    constexpr std::size_t kMiB = 1024 * 1024;
    constexpr std::size_t kChart = std::size_t{4} * 2401 * 2401;
    const struct {
        std::size_t bytes, cache;
        bool streams;
    } cases[] = {
        {kChart, 32 * kMiB, false},
        {kChart, 384 * kMiB, false},
        {kChart, 16 * kMiB, true},
        {kChart, 8 * kMiB, true},
        {kChart, 0, true},
        {24 * kMiB, 32 * kMiB, false},
        {24 * kMiB + 1, 32 * kMiB, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StreamsPastCache(c.bytes, c.cache), c.streams) << c.bytes << " in " << c.cache;
}

// Rows of tiles at every alignment a row can start at, in both store kinds, with every tile,
// every fifth tile and no tile marked, and rows too short for a whole line: each row must be its
// tiles, marks and last pixel in order, and nothing around it may change. Tile k's pixel i is
// 1000 k + i + 1, so that a pixel taken from the wrong tile or column shows, plus 100000 times
// the row's offset: new tiles are set for each offset, and a row cut from the old ones shows.
TEST(RowStreamer, WritesRowsOfTilesAtEveryAlignment) {
    constexpr int kWidth = TRowStreamer::kTileWidth;
    constexpr DisplayPixel kMark = 0xABCDEF;
    constexpr DisplayPixel kLast = 0x777777;
    constexpr DisplayPixel kUntouched = 0xEEEEEEEE;
    std::vector<DisplayPixel> tiles(9 * kWidth);
    std::vector<std::uint8_t> indices(40);
    for (std::size_t i = 0; i < indices.size(); ++i)
        indices[i] = static_cast<std::uint8_t>((i * 5 + 3) % 9);
    for (std::size_t cache : {std::size_t{256}, std::size_t{1} << 20}) {
        TRowStreamer streamer(4096, cache);
        for (std::size_t offset = 0; offset < 16; ++offset) {
            for (std::size_t i = 0; i < tiles.size(); ++i) {
                tiles[i] =
                    static_cast<DisplayPixel>(offset * 100000 + i / kWidth * 1000 + i % kWidth + 1);
            }
            streamer.SetTiles(tiles, kMark);
            for (std::size_t count : {0, 1, 2, 5, 6, 7, 40}) {
                for (int markEvery : {0, 1, 5}) {
                    alignas(64) DisplayPixel row[16 + 40 * kWidth + 8];
                    std::fill(std::begin(row), std::end(row), kUntouched);
                    const std::span<const std::uint8_t> named(indices.data(), count);
                    streamer.WriteTiles(row + offset, named, kLast, markEvery);
                    std::vector<DisplayPixel> expected(offset, kUntouched);
                    for (std::size_t t = 0; t < count; ++t) {
                        const auto first = tiles.begin() + indices[t] * kWidth;
                        expected.insert(expected.end(), first, first + kWidth);
                        if (markEvery > 0 && t % static_cast<std::size_t>(markEvery) == 0)
                            expected[offset + t * kWidth] = kMark;
                    }
                    expected.push_back(kLast);
                    expected.resize(std::size(row), kUntouched);
                    ASSERT_EQ(std::vector<DisplayPixel>(std::begin(row), std::end(row)), expected)
                        << cache << ": " << count << " tiles at " << offset << ", marks every "
                        << markEvery;
                }
            }
            for (std::size_t count : {0, 3, 16, 17, 40, 95}) {
                alignas(64) DisplayPixel row[16 + 95 + 8];
                std::fill(std::begin(row), std::end(row), kUntouched);
                streamer.Fill(row + offset, count, kMark);
                for (std::size_t i = 0; i < std::size(row); ++i) {
                    const bool filled = i >= offset && i < offset + count;
                    ASSERT_EQ(row[i], filled ? kMark : kUntouched) << count << " at " << offset;
                }
            }
        }
    }
}

// --- stretching ----------------------------------------------------------------------------

TEST(StretchDraw, WholeFactorsGiveSolidBlocks) {
    TBitmap image;
    image.SetSize(2, 2);
    const TColor colors[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x123456};
    for (int i = 0; i < 4; ++i)
        image.SetPixel(i % 2, i / 2, colors[i]);
    auto target = WhiteBitmap(8, 8);
    target->Canvas().StretchDraw(Rect(0, 0, 6, 6), image);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(target->GetPixel(x, y), colors[(y / 3) * 2 + x / 3]) << x << "," << y;
        }
    }
    EXPECT_EQ(target->GetPixel(6, 0), clWhite);
    EXPECT_EQ(target->GetPixel(0, 6), clWhite);
}

TEST(StretchDraw, OtherFactorsTakeTheFlooredSourcePixel) {
    BitmapLayout layout;
    layout.format = TPixelFormat::Indexed1;
    layout.colorTable = {0x0000FF, 0x00FF00};
    auto image = TBitmap::CreateWithLayout(2, 1, layout, true);
    image->SetPixel(1, 0, 0x00FF00);
    auto target = WhiteBitmap(5, 1);
    target->Canvas().StretchDraw(Rect(0, 0, 5, 1), *image);
    // dx * 2 / 5: 0, 0, 0, 1, 1; the table's colours, not black and white.
    EXPECT_EQ(Pixels(*target),
              (std::vector<TColor>{0x0000FF, 0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00}));
}

}  // namespace
}  // namespace brodix
