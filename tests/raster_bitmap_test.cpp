#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "raster/Color.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster_core_support.h"

namespace brodix {
namespace {

using testing::CountColor;
using testing::Pixels;
using testing::WhiteBitmap;

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

}  // namespace
}  // namespace brodix
