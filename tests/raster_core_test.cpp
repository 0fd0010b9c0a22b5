#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "fake_graphic.h"
#include "raster/Color.h"
#include "raster/Exceptions.h"
#include "raster/GraphicsObjects.h"
#include "raster/Screen.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TImage.h"
#include "raster/TPicture.h"
#include "raster_core_support.h"

namespace brodix {
namespace {

using testing::CountColor;
using testing::WhiteBitmap;

// A graphic of another kind than a bitmap, as a loaded JPEG image is.
testing::FakeGraphic FakeJpeg() {
    return testing::FakeGraphic("TJPEGImage", 7, 5);
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

// The face of the last font is kept between texts: it must follow each change of size and
// name, and stay sound when more sizes than the renderer keeps push it out.
TEST_F(FontTest, EachTextTakesItsOwnFontAfterManyOthers) {
    auto bitmap = WhiteBitmap(60, 60);
    TCanvas& canvas = bitmap->Canvas();
    canvas.Font().SetHeight(-12);
    const std::string name = canvas.Font().Name();
    const int width = canvas.TextWidth("Wx8");
    const auto drawn = [&] {
        canvas.Brush().SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, 60, 60));
        canvas.TextOut(2, 2, "Wx8");
        return testing::Pixels(*bitmap);
    };
    const auto first = drawn();
    for (int height = -13; height > -40; --height) {
        canvas.Font().SetHeight(height);
        EXPECT_GT(canvas.TextWidth("Wx8"), width) << height;
    }
    canvas.Font().SetName("No Such Family Anywhere");
    canvas.Font().SetHeight(-12);
    canvas.TextWidth("Wx8");
    canvas.Font().SetName(name);
    EXPECT_EQ(canvas.TextWidth("Wx8"), width);
    EXPECT_EQ(drawn(), first);
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

TEST(HexRgb, RedFirstAndBack) {
    EXPECT_EQ(HexRgb(RGB(0xFF, 0x80, 0x0A)), "FF800A");
    EXPECT_EQ(ParseHexRgb("ff800a"), RGB(0xFF, 0x80, 0x0A));
    for (const char* bad : {"", "#FF800A", "FF800", "FF800A0", "FF 80A", "GG800A"})
        EXPECT_EQ(ParseHexRgb(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace brodix
