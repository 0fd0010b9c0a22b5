#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "export/SavePattern.h"
#include "export_test_support.h"
#include "fake_graphic.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace brodix {
namespace {

using testing::SavedBmp;
using testing::TempDir;

// Chart pixels: pure black, near-black, grey and white in a pattern that no page edge lines up
// with, so a misplaced copy shows.
TColor ChartColor(int x, int y) {
    switch ((3 * x + 5 * y) % 7) {
        case 0:
            return clBlack;
        case 1:
            return 0x010101;
        case 2:
            return 0x808080;
        default:
            return clWhite;
    }
}
bool ChartBlack(int x, int y) {
    return ChartColor(x, y) == clBlack;
}

TColor LegendColor(int entry) {
    return RGB(entry, 0x40, 0x80);
}
constexpr TColor kLegendLastRow = 0xFF00FF;  // never carried into the saved legend

TColor PreviewColor(int x, int y) {
    return RGB(x, y, 7);
}

TBitmap NewBitmap(int width, int height) {
    TBitmap bitmap;
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    return bitmap;
}

// The main window's images and labels as a Make of a W x H picture with n colours leaves them.
struct Window {
    Workspace workspace;
    TImage& source = workspace.picture;
    TImage& chart = workspace.chart;
    TImage& legend = workspace.legend;
    TImage& preview = workspace.preview;
    HeadlessControls controls;
    StringCaption& width = controls.width;
    StringCaption& height = controls.height;
    StringCaption& colorCount = controls.colorCount;

    SaveSources Sources() { return SourcesOf(workspace, controls.Captions()); }

    void AfterMake(int w, int h, int n) {
        TBitmap picture = NewBitmap(w, h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                picture.SetPixel(x, y, PreviewColor(x, y));
        }
        source.Picture().SetGraphic(&picture);
        preview.Picture().SetGraphic(&picture);

        TBitmap drawn = NewBitmap(12 * w + 1, 12 * h + 1);
        for (int y = 0; y < drawn.Height(); ++y) {
            for (int x = 0; x < drawn.Width(); ++x)
                drawn.SetPixel(x, y, ChartColor(x, y));
        }
        chart.Picture().SetGraphic(&drawn);
        chart.Canvas().Brush().SetColor(clBlack);

        TBitmap bands = NewBitmap(89, 15 * n + 1);
        legend.Picture().SetGraphic(&bands);
        TCanvas& canvas = legend.Canvas();
        for (int i = 0; i <= n; ++i) {
            canvas.Brush().SetColor(i < n ? LegendColor(i) : kLegendLastRow);
            canvas.FillRect(Rect(0, 15 * i, 89, 15 * i + 15));
        }
        width.SetText(std::to_string(w));
        height.SetText(std::to_string(h));
        colorCount.SetText(std::to_string(n));
    }
};

struct PageCase {
    int w;
    int h;
    struct Page {
        std::string number;
        int width;
        int height;
    };
    std::vector<Page> pages;
};

class SavePages : public ::testing::TestWithParam<PageCase> {};

TEST_P(SavePages, WritesChartPagesLegendAndPictureInOrder) {
    const PageCase& c = GetParam();
    Window window;
    window.AfterMake(c.w, c.h, 3);
    TempDir dir;
    SaveSources sources = window.Sources();
    const auto written = SavePattern(dir / "rose.bmp", sources);

    std::vector<std::string> expected{dir / "rose_CS.bmp"};
    for (const auto& page : c.pages)
        expected.push_back(dir / ("rose_CS" + page.number + ".bmp"));
    expected.push_back(dir / "rose_color.bmp");
    expected.push_back(dir / "rose_CSC.bmp");
    EXPECT_EQ(written, expected);
    EXPECT_EQ(dir.Files().size(), expected.size());

    for (const auto& page : c.pages) {
        SCOPED_TRACE("page " + page.number);
        const SavedBmp saved(dir / ("rose_CS" + page.number + ".bmp"));
        ASSERT_EQ(saved.bpp, 1);
        ASSERT_EQ(saved.width, page.width);
        ASSERT_EQ(saved.height, page.height);
        const int left = 600 * (page.number[0] - '1');
        const int top = 840 * (page.number[1] - '1');
        int mismatches = 0;
        for (int y = 16; y < saved.height; ++y) {
            for (int x = 0; x < saved.width; ++x) {
                const bool black = saved.Pixel(x, y) == clBlack;
                mismatches += black != ChartBlack(left + x, top + y - 16);
            }
        }
        EXPECT_EQ(mismatches, 0);
        int labelInk = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < saved.width; ++x)
                labelInk += saved.Pixel(x, y) == clBlack;
        }
        EXPECT_GT(labelInk, 0) << "the page label is missing";
    }
}

INSTANTIATE_TEST_SUITE_P(
    ChartSizes, SavePages,
    ::testing::Values(PageCase{50, 70, {}}, PageCase{51, 70, {{"11", 601, 857}, {"21", 13, 857}}},
                      PageCase{120, 30, {{"11", 601, 377}, {"21", 601, 377}, {"31", 241, 377}}},
                      PageCase{200,
                               200,
                               {{"11", 601, 857},
                                {"12", 601, 857},
                                {"13", 601, 737},
                                {"21", 601, 857},
                                {"22", 601, 857},
                                {"23", 601, 737},
                                {"31", 601, 857},
                                {"32", 601, 857},
                                {"33", 601, 737},
                                {"41", 601, 857},
                                {"42", 601, 857},
                                {"43", 601, 737}}}));

TEST(SavePattern, WholeChartIsBlackExactlyWhereTheChartIsPureBlack) {
    Window window;
    window.AfterMake(3, 2, 1);
    TempDir dir;
    SaveSources sources = window.Sources();
    SavePattern(dir / "rose.bmp", sources);
    // Near-black 0x010101 and grey come out white: only the chart brush colour counts.
    EXPECT_EQ(testing::ReadFileBytes(dir / "rose_CS.bmp"),
              testing::MonochromeBmpBytes(37, 25, ChartBlack));
}

struct LegendCase {
    int colors;
    int width;
    int height;
};

class SaveLegend : public ::testing::TestWithParam<LegendCase> {};

TEST_P(SaveLegend, PutsFiftyEntriesInEachColumn) {
    const LegendCase& c = GetParam();
    Window window;
    window.AfterMake(2, 2, c.colors);
    TempDir dir;
    SaveSources sources = window.Sources();
    SavePattern(dir / "rose.bmp", sources);

    const SavedBmp saved(dir / "rose_color.bmp");
    ASSERT_EQ(saved.bpp, 32);
    ASSERT_EQ(saved.width, c.width);
    ASSERT_EQ(saved.height, c.height);
    for (int k = 0; k < c.colors; ++k) {
        const int left = 90 * (k / 50);
        const int top = 15 * (k % 50);
        ASSERT_EQ(saved.Pixel(left + 10, top + 7), LegendColor(k)) << "entry " << k;
        ASSERT_EQ(saved.Pixel(left + 89, top + 7), clWhite) << "gap right of entry " << k;
    }
    if (c.colors > 50 && c.colors % 50 != 0) {
        const int lastColumn = 90 * ((c.colors - 1) / 50);
        EXPECT_EQ(saved.Pixel(lastColumn + 10, 15 * (c.colors % 50)), clWhite);
        EXPECT_EQ(saved.Pixel(lastColumn + 10, saved.height - 1), clWhite);
    }
    for (int y = 0; y < saved.height; ++y) {
        for (int x = 0; x < saved.width; ++x)
            ASSERT_NE(saved.Pixel(x, y), kLegendLastRow);
    }
}

INSTANTIATE_TEST_SUITE_P(ColourCounts, SaveLegend,
                         ::testing::Values(LegendCase{1, 90, 15}, LegendCase{50, 90, 750},
                                           LegendCase{51, 180, 750}, LegendCase{255, 540, 750}));

TEST(EnlargedScale, FitsTheWholePictureInSixHundredByEightHundred) {
    struct Case {
        int width, height, scale;
    };
    for (const Case c : {Case{200, 200, 3}, Case{100, 100, 6}, Case{20, 200, 4}, Case{1, 1, 600},
                         Case{200, 1, 3}, Case{0, 0, 0}}) {
        EXPECT_EQ(EnlargedScale(c.width, c.height), c.scale) << c.width << "x" << c.height;
    }
}

TEST(SavePattern, EnlargedPictureRepeatsEachPixelAsAWholeBlock) {
    Window window;
    window.AfterMake(2, 3, 1);  // scale min(300, 266) = 266
    TempDir dir;
    SaveSources sources = window.Sources();
    SavePattern(dir / "rose.bmp", sources);
    EXPECT_EQ(testing::ReadFileBytes(dir / "rose_CSC.bmp"),
              testing::BmpBytes(532, 798, 32,
                                [](int x, int y) { return PreviewColor(x / 266, y / 266); }));
}

TEST(SplitFileName, CutsDirectoryBaseAndExtension) {
    struct Case {
        std::string name, dir, base, ext;
    };
    for (const Case& c :
         {Case{"/d/rose.bmp", "/d/", "rose", ".bmp"}, Case{"/d/rose", "/d/", "rose", ""},
          Case{"/d/my.pictures/rose", "/d/my.pictures/", "rose", ""},
          Case{"/d/rose.tar.gz", "/d/", "rose.tar", ".gz"}, Case{"rose.jpg", "", "rose", ".jpg"},
          Case{"/d/.hidden", "/d/", "", ".hidden"}}) {
        const FileNameParts parts = SplitFileName(c.name);
        EXPECT_EQ(parts.dir, c.dir) << c.name;
        EXPECT_EQ(parts.base, c.base) << c.name;
        EXPECT_EQ(parts.ext, c.ext) << c.name;
    }
}

TEST(SavePattern, EveryFileTakesTheChosenExtensionAndHoldsBmpData) {
    Window window;
    window.AfterMake(2, 2, 1);
    TempDir dir;
    SaveSources sources = window.Sources();
    EXPECT_EQ(SavePattern(dir / "rose.jpg", sources),
              (std::vector<std::string>{dir / "rose_CS.jpg", dir / "rose_color.jpg",
                                        dir / "rose_CSC.jpg"}));
    for (const auto& name : dir.Files()) {
        EXPECT_NO_THROW(SavedBmp(dir / name)) << name;
    }
    EXPECT_EQ(SavePattern(dir / "plain", sources).front(), dir / "plain_CS");
}

TEST(SavePattern, DoesNothingWithoutALoadedPicture) {
    Window window;  // captions empty as well: nothing may even be read
    TempDir dir;
    SaveSources sources = window.Sources();
    EXPECT_TRUE(SavePattern(dir / "rose.bmp", sources).empty());
    EXPECT_TRUE(dir.Files().empty());
}

TEST(SavePattern, UnreadableSizeCaptionStopsBeforeAnyFile) {
    for (const std::string bad : {"", "12a"}) {
        Window window;
        window.AfterMake(2, 2, 1);
        window.height.SetText(bad);
        TempDir dir;
        SaveSources sources = window.Sources();
        try {
            SavePattern(dir / "rose.bmp", sources);
            ADD_FAILURE() << "no error for '" << bad << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Message(), "'" + bad + "' は整数ではありません");
        }
        EXPECT_TRUE(dir.Files().empty());
    }
}

TEST(SavePattern, UnreadableColourCountKeepsTheChartWrittenBefore) {
    Window window;
    window.AfterMake(51, 2, 1);
    window.colorCount.SetText("");
    TempDir dir;
    SaveSources sources = window.Sources();
    EXPECT_THROW(SavePattern(dir / "rose.bmp", sources), EConvertError);
    EXPECT_EQ(dir.Files(),
              (std::vector<std::string>{"rose_CS.bmp", "rose_CS11.bmp", "rose_CS21.bmp"}));
}

TEST(SavePattern, FileThatCannotBeCreatedStopsSaveAndKeepsEarlierFiles) {
    Window window;
    window.AfterMake(2, 2, 1);
    TempDir dir;
    SaveSources sources = window.Sources();

    // Under a regular file no folder can exist, whoever runs the test.
    testing::WriteFileBytes(dir / "file", {1});
    try {
        SavePattern(dir / "file/rose.bmp", sources);
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.Message(), "ファイル " + dir / "file/rose_CS.bmp" + " を作成できません");
    }

    std::filesystem::create_directory(dir / "rose_color.bmp");
    std::vector<std::string> told;
    EXPECT_THROW(SavePattern(dir / "rose.bmp", sources,
                             [&](const std::string& name) { told.push_back(name); }),
                 EFCreateError);
    EXPECT_EQ(told, std::vector<std::string>{dir / "rose_CS.bmp"});
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"file", "rose_CS.bmp", "rose_color.bmp"}));
}

TEST(SavePattern, EmptyPictureIsSavedWithoutTheEnlargedPicture) {
    Window window;
    window.AfterMake(0, 0, 1);
    TempDir dir;
    SaveSources sources = window.Sources();
    std::vector<std::string> written;
    ASSERT_NO_THROW(written = SavePattern(dir / "rose.bmp", sources));
    EXPECT_EQ(written, (std::vector<std::string>{dir / "rose_CS.bmp", dir / "rose_color.bmp"}));
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"rose_CS.bmp", "rose_color.bmp"}));
}

TEST(ExceptionBoxText, AddsAFullStopOnlyAfterBytesAboveIt) {
    struct Case {
        std::string message, shown;
    };
    for (const Case& c :
         {Case{"", ""}, Case{"abc", "abc."}, Case{"code 5", "code 5."}, Case{"end.", "end."},
          Case{"end-", "end-"}, Case{"end/", "end/."}, Case{"end!", "end!"}, Case{"end ", "end "},
          Case{"two\nlines\n", "two\nlines\n"}, Case{"ファイル", "ファイル."}}) {
        EXPECT_EQ(ExceptionBoxText(c.message), c.shown) << c.message;
    }
}

TEST(SavePattern, PreviewOfAnotherKindIsEnlargedAsShownAndKept) {
    Window window;
    window.AfterMake(3, 2, 1);  // the labels of the last Make: scale min(200, 400) = 200
    // Another kind of picture, as a JPEG or icon that Make refused leaves in the preview.
    window.preview.Picture().Adopt(std::make_unique<testing::FakeGraphic>("TPatternGraphic", 3, 2));
    const TGraphic* shown = window.preview.Picture().Graphic();
    TempDir dir;
    SaveSources sources = window.Sources();
    SavePattern(dir / "rose.bmp", sources);

    EXPECT_EQ(window.preview.Picture().Graphic(), shown);
    EXPECT_EQ(testing::ReadFileBytes(dir / "rose_CSC.bmp"),
              testing::BmpBytes(600, 400, 32, [](int x, int y) {
                  return testing::FakeGraphic::Color(x / 200, y / 200);
              }));
}

}  // namespace
}  // namespace brodix
