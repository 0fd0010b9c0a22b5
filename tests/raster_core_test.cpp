#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fake_graphic.h"
#include "raster/Color.h"
#include "raster/Exceptions.h"
#include "raster/GraphicsObjects.h"
#include "raster/RowStreamer.h"
#include "raster/Screen.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TImage.h"
#include "raster/TPicture.h"

namespace brodix {
namespace {

std::unique_ptr<TBitmap> WhiteBitmap(int width, int height) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetWidth(width);
    bitmap->SetHeight(height);
    return bitmap;
}

// Every pixel of the bitmap, row by row.
std::vector<TColor> Pixels(const TBitmap& bitmap) {
    std::vector<TColor> pixels;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x)
            pixels.push_back(bitmap.GetPixel(x, y));
    }
    return pixels;
}

int CountColor(const TBitmap& bitmap, TColor color) {
    int count = 0;
    for (TColor pixel : Pixels(bitmap))
        count += pixel == color ? 1 : 0;
    return count;
}

// A graphic of another kind than a bitmap, as a loaded JPEG image is.
testing::FakeGraphic FakeJpeg() {
    return testing::FakeGraphic("TJPEGImage", 7, 5);
}

// --- sizes ---------------------------------------------------------------------------------

TEST(BitmapSize, NewImagesStartWhiteWhicheverSizeIsSetFirst) {
    for (bool widthFirst : {true, false}) {
        TBitmap bitmap;
        if (widthFirst) {
            bitmap.SetWidth(89);
            bitmap.SetHeight(16);
        } else {
            bitmap.SetHeight(16);
            bitmap.SetWidth(89);
        }
        EXPECT_EQ(bitmap.Width(), 89);
        EXPECT_EQ(bitmap.Height(), 16);
        EXPECT_EQ(CountColor(bitmap, clWhite), 89 * 16) << widthFirst;
        // The fourth byte of a display pixel stays zero.
        EXPECT_EQ(bitmap.ScanLine(15)[4 * 88 + 3], 0);
    }
}

TEST(BitmapSize, OnlyOneSideSetHoldsNoPixels) {
    TBitmap bitmap;
    bitmap.SetWidth(89);
    EXPECT_EQ(bitmap.Width(), 89);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_EQ(bitmap.StoreSize(), 0u);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.GetPixel(0, 0), clWhite);
}

TEST(BitmapSize, ResizeKeepsOldPixelsAndFillsWithTheBrush) {
    auto bitmap = WhiteBitmap(4, 3);
    bitmap->SetPixel(3, 2, 0x123456);
    bitmap->Canvas().Brush().SetColor(0x00FF00);
    bitmap->SetSize(6, 5);
    EXPECT_EQ(bitmap->GetPixel(3, 2), 0x123456u);
    EXPECT_EQ(bitmap->GetPixel(0, 0), clWhite);
    EXPECT_EQ(bitmap->GetPixel(5, 0), 0x00FF00u);
    EXPECT_EQ(bitmap->GetPixel(0, 4), 0x00FF00u);
    bitmap->SetSize(2, 2);
    EXPECT_EQ(bitmap->GetPixel(2, 0), clNone);
    bitmap->SetSize(4, 3);
    EXPECT_EQ(bitmap->GetPixel(3, 2), 0x00FF00u);  // lost when it shrank
}

TEST(BitmapSize, SettingTheSameSizeChangesNothing) {
    auto bitmap = WhiteBitmap(3, 3);
    bitmap->SetPixel(1, 1, clBlack);
    const std::uint64_t generation = bitmap->Generation();
    bitmap->SetWidth(3);
    bitmap->SetHeight(3);
    EXPECT_EQ(bitmap->Generation(), generation);
    EXPECT_EQ(bitmap->GetPixel(1, 1), clBlack);
}

TEST(BitmapSize, NegativeSizesGiveAnEmptyImage) {
    auto bitmap = WhiteBitmap(3, 3);
    bitmap->SetWidth(-5);
    EXPECT_EQ(bitmap->Width(), 0);
    EXPECT_EQ(bitmap->StoreSize(), 0u);
}

TEST(BitmapSize, TooLargeIsRefusedAndLeavesTheImageAsItWas) {
    struct Case {
        int width;
        int height;
    };
    for (const Case c : {Case{100000, 100000}, Case{INT_MAX, 2}, Case{2, INT_MAX}}) {
        auto bitmap = WhiteBitmap(5, 4);
        bitmap->SetPixel(2, 2, 0x010203);
        try {
            bitmap->SetSize(c.width, c.height);
            FAIL() << c.width << "x" << c.height;
        } catch (const EOutOfResources& e) {
            EXPECT_STREQ(e.what(), msg::kOutOfResources);
        }
        EXPECT_EQ(bitmap->Width(), 5);
        EXPECT_EQ(bitmap->Height(), 4);
        EXPECT_EQ(bitmap->GetPixel(2, 2), 0x010203u);
    }
    EXPECT_THROW(TBitmap::CreateWithLayout(1 << 20, 1 << 20, {}, true), EOutOfResources);
}

TEST(BitmapLayout, CreateWithLayoutIsZeroedAndScanLineHidesRowOrder) {
    BitmapLayout layout;
    layout.format = TPixelFormat::Indexed8;
    layout.colorTable = {0x0000FF, 0x00FF00};
    for (bool topDown : {true, false}) {
        auto bitmap = TBitmap::CreateWithLayout(3, 2, layout, topDown);
        ASSERT_EQ(bitmap->StoreSize(), 8u);
        EXPECT_EQ(bitmap->Stride(), 4u);
        for (std::size_t i = 0; i < bitmap->StoreSize(); ++i)
            EXPECT_EQ(bitmap->Bits()[i], 0);
        bitmap->MutableBits()[0] = 1;  // first stored row
        EXPECT_EQ(bitmap->GetPixel(0, topDown ? 0 : 1), 0x00FF00u);
        EXPECT_EQ(bitmap->GetPixel(0, topDown ? 1 : 0), 0x0000FFu);
    }
}

// --- monochrome ----------------------------------------------------------------------------

TEST(Monochrome, NewWhiteImageBecomesAllOnes) {
    auto bitmap = WhiteBitmap(5, 5);
    bitmap->SetMonochrome(true);
    EXPECT_TRUE(bitmap->Monochrome());
    EXPECT_EQ(CountColor(*bitmap, clWhite), 25);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(bitmap->ScanLine(y)[0] & 0xF8, 0xF8);
}

TEST(Monochrome, WhiteExactlyWhereThePixelEqualsTheBackground) {
    struct Case {
        bool hasCanvas;
        TColor brush;
        TColor pixel;
        TColor expected;
    };
    const Case cases[] = {
        {false, 0, clWhite, clWhite},        {false, 0, 0xFEFEFE, clBlack},
        {false, 0, clBlack, clBlack},        {true, clBlack, clBlack, clWhite},
        {true, clBlack, 0x010101, clBlack},  {true, clBlack, clWhite, clBlack},
        {true, 0x808080, 0x808080, clWhite},
    };
    for (const Case& c : cases) {
        auto bitmap = WhiteBitmap(3, 1);
        bitmap->SetPixel(1, 0, c.pixel);
        if (c.hasCanvas)
            bitmap->Canvas().Brush().SetColor(c.brush);
        bitmap->SetMonochrome(true);
        EXPECT_EQ(bitmap->GetPixel(1, 0), c.expected) << std::hex << c.brush << " " << c.pixel;
    }
}

// --- pixels --------------------------------------------------------------------------------

TEST(Pixels, OutsideReadsNoneAndWritesNothing) {
    auto bitmap = WhiteBitmap(4, 3);
    const std::vector<TColor> before = Pixels(*bitmap);
    const TPoint outside[] = {{-1, 0}, {4, 0}, {0, -1}, {0, 3}, {INT_MIN, INT_MAX}};
    for (const TPoint p : outside) {
        EXPECT_EQ(bitmap->GetPixel(p.x, p.y), clNone) << p.x << "," << p.y;
        bitmap->SetPixel(p.x, p.y, clBlack);
    }
    EXPECT_EQ(Pixels(*bitmap), before);
}

TEST(Pixels, SystemColoursAreResolvedBeforeWriting) {
    auto bitmap = WhiteBitmap(3, 1);
    bitmap->SetPixel(0, 0, clWindowText);
    bitmap->SetPixel(1, 0, clBtnFace);
    bitmap->SetPixel(2, 0, 0x01123456);  // a palette-relative top byte is dropped
    EXPECT_EQ(bitmap->GetPixel(0, 0), clBlack);
    EXPECT_EQ(bitmap->GetPixel(1, 0), 0xF0F0F0u);
    EXPECT_EQ(bitmap->GetPixel(2, 0), 0x123456u);
}

TEST(Pixels, IndexedWritesTakeTheNearestTableColourLowestIndexOnTies) {
    BitmapLayout layout;
    layout.format = TPixelFormat::Indexed4;
    // 0x101010 and 0x303030 are equally far from 0x202020; index 1 wins over 3.
    layout.colorTable = {clBlack, 0x101010, clWhite, 0x303030, 0x0000FF};
    auto bitmap = TBitmap::CreateWithLayout(2, 1, layout, false);
    struct Case {
        TColor written;
        TColor read;
    };
    const Case cases[] = {{0x202020, 0x101010}, {0x0000F0, 0x0000FF}, {0xF0F0F0, clWhite},
                          {0x050505, clBlack},  {0x2F2F2F, 0x303030}, {clWindowText, clBlack}};
    for (const Case& c : cases) {
        bitmap->SetPixel(1, 0, c.written);
        EXPECT_EQ(bitmap->GetPixel(1, 0), c.read) << std::hex << c.written;
        EXPECT_EQ(bitmap->GetPixel(0, 0), clBlack);  // the neighbour in the same byte
    }
    EXPECT_EQ(bitmap->ColorTable().size(), 5u);
}

TEST(Pixels, SixteenBitRoundsEachChannel) {
    struct Case {
        BitMasks masks;
        TColor written;
        TColor read;
    };
    const Case cases[] = {
        {kMasks555, clWhite, clWhite},
        {kMasks555, 0x000000, 0x000000},
        // red 0x04 -> 0 of 31 (0x04 * 31 / 255 = 0.49), 0x05 -> 1 of 31 -> widened to 8.
        {kMasks555, RGB(4, 0, 0), RGB(0, 0, 0)},
        {kMasks555, RGB(5, 0, 0), RGB(8, 0, 0)},
        {kMasks565, RGB(0, 130, 0), RGB(0, 130, 0)},  // 130 * 63 / 255 = 32.1 -> 32 -> 130
        {kMasks565, RGB(0, 128, 200), RGB(0, 130, 197)},
    };
    for (const Case& c : cases) {
        BitmapLayout layout;
        layout.format = TPixelFormat::Direct16;
        layout.masks = c.masks;
        auto bitmap = TBitmap::CreateWithLayout(1, 1, layout, true);
        bitmap->SetPixel(0, 0, c.written);
        EXPECT_EQ(bitmap->GetPixel(0, 0), c.read) << std::hex << c.written;
        EXPECT_EQ(bitmap->NearestColor(c.written), c.read);
    }
}

TEST(Pixels, DirectFormatsHoldColoursExactly) {
    for (TPixelFormat format :
         {TPixelFormat::Display, TPixelFormat::Direct24, TPixelFormat::Direct32}) {
        BitmapLayout layout;
        layout.format = format;
        auto bitmap = TBitmap::CreateWithLayout(3, 2, layout, false);
        bitmap->SetPixel(2, 1, 0x123456);
        EXPECT_EQ(bitmap->GetPixel(2, 1), 0x123456u);
        EXPECT_EQ(bitmap->GetPixel(1, 1), clBlack);
    }
}

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

TEST(RowStreamer, CopiesEveryByteAtEveryAlignment) {
    std::vector<std::uint8_t> source(300);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<std::uint8_t>(i * 7 + 1);
    for (std::size_t offset = 0; offset < 64; offset += 4) {
        for (std::size_t length : {0, 4, 60, 64, 68, 128, 200, 260}) {
            alignas(64) std::uint8_t target[400] = {};
            {
                TRowStreamer streamer;
                streamer.Copy(target + offset, source.data(), length);
            }
            for (std::size_t i = 0; i < sizeof target; ++i) {
                const bool copied = i >= offset && i < offset + length;
                ASSERT_EQ(target[i], copied ? source[i - offset] : 0) << offset << "+" << length;
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

// --- pictures and value semantics ------------------------------------------------------------

TEST(Picture, GivenImagesAreCopiesInBothDirections) {
    auto giver = WhiteBitmap(4, 4);
    giver->SetPixel(1, 1, 0x111111);
    TPicture picture;
    picture.SetGraphic(giver.get());
    TBitmap& held = picture.Bitmap();
    ASSERT_NE(&held, giver.get());
    giver->SetPixel(1, 1, 0x222222);
    EXPECT_EQ(held.GetPixel(1, 1), 0x111111u);
    held.SetPixel(2, 2, 0x333333);
    EXPECT_EQ(giver->GetPixel(2, 2), clWhite);
    giver.reset();
    EXPECT_EQ(held.GetPixel(1, 1), 0x111111u);

    // Picture to picture, the zoom hand-over.
    TPicture other;
    other.Assign(picture);
    picture.Bitmap().Canvas().Brush().SetColor(clBlack);
    picture.Bitmap().Canvas().FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(other.Bitmap().GetPixel(1, 1), 0x111111u);
    EXPECT_EQ(other.Bitmap().GetPixel(2, 2), 0x333333u);
}

TEST(Picture, CanvasStateIsNotCarriedOver) {
    auto giver = WhiteBitmap(3, 3);
    giver->Canvas().SetCopyMode(cmNotSrcCopy);
    giver->Canvas().Brush().SetColor(clBlack);
    giver->Canvas().MoveTo(2, 2);
    TPicture picture;
    picture.SetGraphic(giver.get());
    EXPECT_FALSE(picture.Bitmap().HasCanvas());
    TCanvas& canvas = picture.Bitmap().Canvas();
    EXPECT_EQ(canvas.CopyMode(), cmSrcCopy);
    EXPECT_EQ(canvas.Brush().Color(), clWhite);
    EXPECT_EQ(canvas.PenPos(), (TPoint{0, 0}));
}

TEST(Picture, BitmapOfAnotherKindDiscardsIt) {
    TPicture picture;
    testing::FakeGraphic jpeg = FakeJpeg();
    picture.SetGraphic(&jpeg);
    EXPECT_EQ(picture.Width(), 7);
    int changes = 0;
    picture.OnChange = [&changes]() { ++changes; };
    TBitmap& bitmap = picture.Bitmap();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Height(), 0);
    EXPECT_EQ(&picture.Bitmap(), &bitmap);
    picture.SetGraphic(nullptr);
    EXPECT_FALSE(picture.HasGraphic());
    EXPECT_EQ(picture.Width(), 0);
}

// --- image controls ------------------------------------------------------------------------

TEST(ImageCanvas, EmptyPictureGetsAWhiteImageOfTheControlsSize) {
    TImage image(41, 41);
    TCanvas& canvas = image.Canvas();
    ASSERT_TRUE(image.Picture().HasGraphic());
    EXPECT_EQ(image.Picture().Width(), 41);
    EXPECT_EQ(image.Picture().Height(), 41);
    EXPECT_EQ(CountColor(image.Picture().Bitmap(), clWhite), 41 * 41);
    canvas.Brush().SetColor(clBlack);
    canvas.SetCopyMode(cmNotSrcCopy);
    TCanvas& again = image.Canvas();
    EXPECT_EQ(&again, &canvas);
    EXPECT_EQ(again.Brush().Color(), clBlack);
    EXPECT_EQ(again.CopyMode(), cmNotSrcCopy);
}

TEST(ImageCanvas, OtherKindsAreRefusedAndKept) {
    TImage image(10, 10);
    testing::FakeGraphic jpeg = FakeJpeg();
    image.Picture().SetGraphic(&jpeg);
    try {
        image.Canvas();
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), msg::kNoCanvasBitmap);
    }
    ASSERT_NE(image.Picture().Graphic(), nullptr);
    EXPECT_STREQ(image.Picture().Graphic()->ClassName(), "TJPEGImage");
}

TEST(ImageCanvas, AnEmptyImageKeepsItsOwnCanvasAndDrawsNothing) {
    TImage image(10, 10);
    TBitmap empty;
    image.Picture().SetGraphic(&empty);
    TCanvas& canvas = image.Canvas();
    EXPECT_EQ(image.Picture().Width(), 0);
    canvas.Brush().SetColor(clBlack);
    canvas.FillRect(Rect(0, 0, 10, 10));
    canvas.MoveTo(0, 0);
    canvas.LineTo(9, 9);
    canvas.TextOut(0, 0, "abc");
    canvas.SetPixel(0, 0, clBlack);
    auto source = WhiteBitmap(3, 3);
    canvas.CopyRect(Rect(0, 0, 3, 3), source->Canvas(), Rect(0, 0, 3, 3));
    EXPECT_EQ(image.Picture().Width(), 0);
    EXPECT_EQ(canvas.Pixel(0, 0), clWhite);
}

TEST(ImageControl, ToldOfEveryChangeAndAutoSized) {
    TImage image(10, 10);
    int changes = 0;
    image.OnChange = [&changes]() { ++changes; };
    image.SetWidth(12);
    EXPECT_EQ(changes, 1);
    image.SetWidth(12);
    EXPECT_EQ(changes, 1);
    image.SetStretch(true);
    EXPECT_EQ(changes, 2);
    TCanvas& canvas = image.Canvas();  // the new picture
    EXPECT_EQ(changes, 3);
    canvas.SetPixel(1, 1, clBlack);
    EXPECT_EQ(changes, 4);
    canvas.FillRect(Rect(0, 0, 5, 5));
    EXPECT_EQ(changes, 5);

    image.SetAutoSize(true);
    auto bigger = WhiteBitmap(30, 20);
    image.Picture().SetGraphic(bigger.get());
    EXPECT_EQ(image.Width(), 30);
    EXPECT_EQ(image.Height(), 20);
    image.Picture().Bitmap().SetSize(0, 5);  // an empty picture leaves the size alone
    EXPECT_EQ(image.Width(), 30);
}

// --- fonts and text ------------------------------------------------------------------------

class FontTest : public ::testing::Test {
  protected:
    void TearDown() override {
        Screen::SetJapaneseLocaleForTesting(-1);
        Screen::SetPixelsPerInch(96);
    }
};

TEST_F(FontTest, DefaultFontFollowsLocaleAndScreenDensity) {
    struct Case {
        int japanese;
        int ppi;
        const char* name;
        int size;
        int height;
        int charset;
    };
    const Case cases[] = {
        {1, 96, "ＭＳ Ｐゴシック", 9, -12, SHIFTJIS_CHARSET},
        {0, 96, "MS Sans Serif", 8, -11, DEFAULT_CHARSET},
        {1, 120, "ＭＳ Ｐゴシック", 9, -15, SHIFTJIS_CHARSET},
        {0, 120, "MS Sans Serif", 8, -13, DEFAULT_CHARSET},
    };
    for (const Case& c : cases) {
        Screen::SetJapaneseLocaleForTesting(c.japanese);
        Screen::SetPixelsPerInch(c.ppi);
        TFont font;
        EXPECT_EQ(font.Name(), c.name);
        EXPECT_EQ(font.Height(), c.height) << c.ppi;
        EXPECT_EQ(font.Size(), c.size);
        EXPECT_EQ(font.Charset(), c.charset);
        EXPECT_EQ(font.Color(), clWindowText);
        EXPECT_EQ(font.Style(), TFontStyles{});
    }
}

TEST_F(FontTest, SizeAndHeightRoundHalvesAwayFromZero) {
    struct Case {
        int ppi;
        int size;
        int height;
    };
    // 6 pt at 96 ppi is exactly 8 px; 3 pt at 108 ppi is 4.5 px -> 5; 10 pt at 100 is 13.9.
    const Case cases[] = {{96, 6, -8}, {108, 3, -5}, {100, 10, -14}, {96, -9, 12}};
    for (const Case& c : cases) {
        Screen::SetPixelsPerInch(c.ppi);
        TFont font;
        font.SetSize(c.size);
        EXPECT_EQ(font.Height(), c.height) << c.ppi << " " << c.size;
    }
    Screen::SetPixelsPerInch(96);
    TFont font;
    font.SetHeight(-15);  // 11.25 pt
    EXPECT_EQ(font.Size(), 11);
    font.SetHeight(-14);  // 10.5 pt
    EXPECT_EQ(font.Size(), 11);
    Screen::SetPixelsPerInch(0);  // refused: every conversion would divide by it
    EXPECT_EQ(Screen::PixelsPerInch(), 96);
}

TEST_F(FontTest, TextIsDrawnInsideItsBoxAndMovesThePen) {
    for (int japanese : {0, 1}) {
        Screen::SetJapaneseLocaleForTesting(japanese);
        for (bool monochrome : {false, true}) {
            auto bitmap = WhiteBitmap(120, 40);
            TCanvas& canvas = bitmap->Canvas();
            const int width = canvas.TextWidth("W 123");
            const int height = canvas.TextHeight("W 123");
            ASSERT_GT(width, 10);
            ASSERT_GT(height, 8);
            ASSERT_LT(height, 30);
            // Paint a frame that the text must not touch.
            canvas.Brush().SetColor(monochrome ? clBlack : 0x0000FF);
            canvas.FillRect(Rect(0, 0, 120, 40));
            if (monochrome)
                bitmap->SetMonochrome(true);
            const TColor frame = bitmap->GetPixel(0, 0);
            canvas.Brush().SetColor(clWhite);
            canvas.MoveTo(0, 0);
            canvas.TextOut(7, 5, "W 123");
            EXPECT_EQ(canvas.PenPos(), (TPoint{7 + width, 5}));
            int ink = 0;
            int paper = 0;
            for (int y = 0; y < 40; ++y) {
                for (int x = 0; x < 120; ++x) {
                    const TColor pixel = bitmap->GetPixel(x, y);
                    const bool inBox = x >= 7 && x < 7 + width && y >= 5 && y < 5 + height;
                    if (!inBox) {
                        ASSERT_EQ(pixel, frame) << x << "," << y;
                    } else if (pixel == clBlack) {
                        ++ink;
                    } else {
                        ASSERT_EQ(pixel, clWhite);
                        ++paper;
                    }
                }
            }
            EXPECT_GT(ink, 20) << japanese << monochrome;
            EXPECT_GT(paper, ink);
        }
    }
}

TEST_F(FontTest, RepeatedAndOddTextIsSafe) {
    auto bitmap = WhiteBitmap(20, 20);
    TCanvas& canvas = bitmap->Canvas();
    EXPECT_EQ(canvas.TextWidth(""), 0);
    canvas.TextOut(3, 4, "");
    EXPECT_EQ(canvas.PenPos(), (TPoint{3, 4}));
    const std::string broken = "\xff\xc3\x28\xe2\x82";  // malformed UTF-8
    EXPECT_GT(canvas.TextWidth(broken), 0);
    canvas.TextOut(-50, -50, broken);
    canvas.TextOut(INT_MAX - 2, INT_MAX - 2, "wide text");
    canvas.Font().SetName("No Such Family Anywhere");
    EXPECT_GT(canvas.TextWidth("x"), 0);  // the system's sans-serif stands in
    canvas.Font().SetHeight(INT_MIN);
    canvas.TextOut(0, 0, "big");
    canvas.Font().SetHeight(40);
    EXPECT_GT(canvas.TextHeight("x"), 30);
    canvas.Font().SetHeight(-12);
    canvas.Font().SetStyle({.bold = true});
    canvas.Font().SetColor(0x0000FF);
    canvas.TextOut(0, 0, "8");
    EXPECT_GT(CountColor(*bitmap, 0x0000FF), 0);
}

// --- conversions ---------------------------------------------------------------------------

TEST(StrToInt, ReadsDecimalAndHexAndRefusesTheRest) {
    struct Case {
        const char* text;
        int value;
    };
    const Case good[] = {{"0", 0},
                         {"42", 42},
                         {"-17", -17},
                         {"+5", 5},
                         {"$1F", 31},
                         {"0x10", 16},
                         {"-$10", -16},
                         {"007", 7},
                         {"2147483647", INT_MAX},
                         {"-2147483648", INT_MIN},
                         {"$FFFFFFFF", -1}};
    for (const Case& c : good)
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    for (const char* bad : {"", " 1", "1 ", "-", "$", "1.5", "12a", "2147483648", "-2147483649",
                            "$100000000", "0x", "++1", "１"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' は整数ではありません");
        }
    }
}

TEST(FormatMessage, FillsTheFirstPlaceholder) {
    EXPECT_EQ(FormatMessage(msg::kFOpenError, "a.bmp"), "ファイル a.bmp は開けません");
    EXPECT_EQ(FormatMessage(msg::kJpegError, 42), "JPEG エラー #42");
    EXPECT_EQ(FormatMessage(msg::kWin32Error, 5, "denied"), "Win32 エラー。コード : 5.\ndenied");
}

TEST(SysColor, StandardSchemeValues) {
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xF0F0F0u);
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(SysColor(200), clBlack);
}

}  // namespace
}  // namespace brodix
