#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "raster/DisplayPixels.h"
#include "raster/FileName.h"
#include "raster/FontNames.h"
#include "raster/TBitmap.h"

namespace brodix {
namespace {

TEST(FileName, EveryCallerCutsANameAlike) {
    struct Case {
        const char* name;
        const char* folder;
        const char* namePart;
        const char* extension;
        const char* saved;  // as the save dialog hands it over
        bool namesAFile;
    };
    const Case cases[] = {
        {"/d/rose.bmp", "/d/", "rose.bmp", ".bmp", "/d/rose.bmp", true},
        {"/d/rose", "/d/", "rose", "", "/d/rose.bmp", true},
        {"/d/my.pictures/rose", "/d/my.pictures/", "rose", "", "/d/my.pictures/rose.bmp", true},
        {"rose.tar.gz", "", "rose.tar.gz", ".gz", "rose.tar.gz", true},
        {"/rose", "/", "rose", "", "/rose.bmp", true},
        // A leading dot is an extension here, unlike in std::filesystem.
        {"/d/.hidden", "/d/", ".hidden", ".hidden", "/d/.hidden", true},
        {"/d/rose.", "/d/", "rose.", ".", "/d/rose.", true},
        {"/d/", "/d/", "", "", "/d/.bmp", false},
        {"/d/..", "/d/", "..", ".", "/d/..", false},
        {"a.b\\c", "", "a.b\\c", ".b\\c", "a.b\\c", true},
        {"/d/ファイル", "/d/", "ファイル", "", "/d/ファイル.bmp", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderPart(c.name), c.folder) << c.name;
        EXPECT_EQ(NamePart(c.name), c.namePart) << c.name;
        EXPECT_EQ(ExtensionPart(c.name), c.extension) << c.name;
        EXPECT_EQ(WithDefaultExtension(c.name, "bmp"), c.saved) << c.name;
        EXPECT_EQ(NamesAFile(c.name), c.namesAFile) << c.name;
        const FileNameParts parts = SplitFileName(c.name);
        EXPECT_EQ(parts.Stem() + parts.ext, c.name) << c.name;
    }
    EXPECT_EQ(WithDefaultExtension("/d/rose", ""), "/d/rose");
}

TEST(DisplayPixels, StoredBlueGreenRedThenZero) {
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    const TColor color = RGB(0x12, 0x34, 0x56);
    bitmap.SetPixel(1, 1, color);
    const std::uint8_t* stored = bitmap.ScanLine(1) + 4;
    EXPECT_EQ((std::vector<int>{stored[0], stored[1], stored[2], stored[3]}),
              (std::vector<int>{0x56, 0x34, 0x12, 0}));
    EXPECT_EQ(DisplayRow(bitmap, 1)[1], DisplayPixelOf(color));
    EXPECT_EQ(bitmap.PixelValueOf(color), DisplayPixelOf(color));
    for (TColor c : {clBlack, clWhite, color, RGB(0xFF, 0, 0x01)})
        EXPECT_EQ(ColorOfDisplayPixel(DisplayPixelOf(c)), c);

    MutableDisplayRow(bitmap, 0)[2] = DisplayPixelOf(clBlack);
    EXPECT_EQ(bitmap.GetPixel(2, 0), clBlack);
}

TEST(DisplayPixels, OtherFormatsAndBottomUpRowsAreRefused) {
    TBitmap fresh;
    fresh.SetSize(2, 2);
    EXPECT_TRUE(IsTopDownDisplay(fresh));
    const auto bottomUp = TBitmap::CreateWithLayout(2, 2, BitmapLayout{}, /*topDown=*/false);
    EXPECT_FALSE(IsTopDownDisplay(*bottomUp));
    EXPECT_THROW(RequireTopDownDisplay(*bottomUp, "test"), std::logic_error);
    // A bottom-up display bitmap still has display rows, each in its place.
    EXPECT_EQ(DisplayRow(*bottomUp, 0).data(),
              reinterpret_cast<const DisplayPixel*>(bottomUp->ScanLine(0)));

    TBitmap monochrome;
    monochrome.SetSize(2, 2);
    monochrome.SetMonochrome(true);
    EXPECT_FALSE(IsTopDownDisplay(monochrome));
    EXPECT_THROW(DisplayRow(monochrome, 0), std::logic_error);
}

TEST(FontNames, DesignFontsHaveInstalledStandIns) {
    EXPECT_EQ(FontFamilyFor(kWindowFontFamily), "IPAPGothic");
    EXPECT_EQ(FontFamilyFor(kGroupFontFamily), "IPAGothic");
    EXPECT_EQ(FontFamilyFor(kDefaultFontFamily), "DejaVu Sans");
    EXPECT_EQ(FontFamilyFor("DejaVu Serif"), "DejaVu Serif");
}

}  // namespace
}  // namespace brodix
