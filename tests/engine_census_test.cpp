#include <gtest/gtest.h>

#include <memory>
#include <numeric>

#include "engine/Census.h"
#include "engine/PageGrid.h"
#include "engine/ReduceColor.h"
#include "engine_support.h"
#include "raster/Exceptions.h"
#include "raster/TIcon.h"

namespace brodix {
namespace {

using testing::GivePicture;

constexpr LevelChoices kOrg{0, 0, 0};
constexpr LevelChoices kFourEach{1, 1, 1};

struct ReduceCase {
    LevelChoices levels;
    TColor in;
    TColor out;
};

TEST(ReduceColor, RoundsEachChannelToItsLevels) {
    const ReduceCase cases[] = {
        {kFourEach, 0x2A2A2A, 0x000000},  // 42: remainder equal to the half rounds down
        {kFourEach, 0x2B2B2B, 0x555555},  // 43 rounds up to 85
        {kFourEach, 0xFFFFFF, 0xFFFFFF},
        {{2, 2, 2}, 0xFFFFFF, 0xFFFFFF},
        {{3, 3, 3}, 0xFFFFFF, 0xFFFFFF},
        {{4, 4, 4}, 0xFFFFFF, 0xFFFFFF},
        {{4, 4, 4}, 0x000000, 0x000000},
        {{4, 0, 0}, RGB(254, 1, 2), RGB(255, 1, 2)},
        {{4, 0, 0}, RGB(247, 0, 0), RGB(240, 0, 0)},
        {{4, 4, 4}, RGB(7, 8, 22), RGB(0, 15, 15)},
        {{1, 0, 0}, 0x123456, 0x123455},  // red 0x56 = 86 -> 85; green, blue kept
        {{0, 2, 0}, RGB(10, 26, 10), RGB(10, 51, 10)},
        {{0, 0, 3}, RGB(10, 10, 25), RGB(10, 10, 17)},
        {kOrg, 0x123456, 0x123456},
        {{9, -1, 5}, 0x123456, 0x123456},  // a choice outside the list leaves its channel
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReduceColor(c.in, c.levels), c.out)
            << std::hex << c.in << " with " << c.levels.red << c.levels.green << c.levels.blue;
    }
}

TEST(ReduceColor, ProducesOnlyTheChoicesLevels) {
    const int steps[] = {0, 85, 51, 17, 15};
    for (int choice = 1; choice <= 4; ++choice) {
        for (unsigned v = 0; v < 256; ++v) {
            const TColor reduced = ReduceColor(RGB(v, 0, 0), {choice, 0, 0});
            EXPECT_EQ(RedOf(reduced) % steps[choice], 0) << choice << " " << v;
            EXPECT_LE(std::abs(static_cast<int>(RedOf(reduced)) - static_cast<int>(v)),
                      steps[choice] / 2 + 1);
        }
    }
}

Census CensusOf(TImage& image, const LevelChoices& levels = kOrg) {
    CensusResult result = TakeCensus(image, levels);
    if (auto* refusal = std::get_if<CensusRefusal>(&result)) {
        ADD_FAILURE() << "refused: " << refusal->text;
        return {};
    }
    return std::get<Census>(std::move(result));
}

CensusRefusal RefusalOf(TImage& image, const LevelChoices& levels = kOrg) {
    CensusResult result = TakeCensus(image, levels);
    EXPECT_TRUE(std::holds_alternative<CensusRefusal>(result));
    return std::holds_alternative<CensusRefusal>(result) ? std::get<CensusRefusal>(result)
                                                         : CensusRefusal{};
}

// k distinct colours, pixel i of the picture taking colour i mod k.
TColor Distinct(int i) {
    return RGB(i * 37, i * 11, i * 3);
}

TEST(Census, SizeLimitIsTwoHundredAStitch) {
    struct SizeCase {
        int width, height;
        bool accepted;
    };
    const SizeCase cases[] = {
        {200, 200, true}, {201, 1, false}, {1, 201, false}, {250, 180, false}, {200, 1, true}};
    for (const auto& c : cases) {
        TImage image;
        GivePicture(image, c.width, c.height, [](int, int) { return 0x102030u; });
        CensusResult result = TakeCensus(image, kOrg);
        ASSERT_EQ(std::holds_alternative<Census>(result), c.accepted) << c.width << "x" << c.height;
        if (c.accepted) {
            EXPECT_EQ(std::get<Census>(result).palette,
                      (std::vector<PaletteEntry>{{0x102030, c.width * c.height}}));
        } else {
            const auto& refusal = std::get<CensusRefusal>(result);
            EXPECT_EQ(refusal.text, "This bitmap is " + std::to_string(c.width) + "x" +
                                        std::to_string(c.height) + "\rOver 200x200 !!");
            EXPECT_EQ(refusal.title, "BITMAP size error");
        }
    }
}

TEST(Census, ColourLimitIsTwoHundredFiftyFive) {
    TImage image;
    // The last pixel repeats the first colour: 255 distinct, 256 pixels.
    GivePicture(image, 16, 16, [](int x, int y) { return Distinct((y * 16 + x) % 255); });
    const Census census = CensusOf(image);
    ASSERT_EQ(census.palette.size(), 255u);
    EXPECT_EQ(census.palette[census.IndexAt(15, 15)].count, 2);

    GivePicture(image, 16, 16, [](int x, int y) { return Distinct(y * 16 + x); });
    EXPECT_EQ(RefusalOf(image),
              (CensusRefusal{"This bitmap is \rOver 255 colors!!", "BITMAP Color error"}));
}

TEST(Census, LimitAppliesToReducedColours) {
    TImage image;
    // 40,000 distinct colours; at four levels a channel there are at most 64.
    GivePicture(image, 200, 200, [](int x, int y) { return RGB(x, y, (x + y) / 2); });
    EXPECT_EQ(RefusalOf(image).title, "BITMAP Color error");
    const Census census = CensusOf(image, kFourEach);
    EXPECT_LE(census.palette.size(), 64u);
    for (const auto& entry : census.palette)
        EXPECT_EQ(ReduceColor(entry.color, kFourEach), entry.color);
}

TEST(Census, PaletteDescendsByColourWhateverTheCounts) {
    TImage image;
    // White only once, black most often.
    const TColor colors[] = {clWhite, 0x00FF00, 0x0000FF, clBlack};
    GivePicture(image, 10, 10, [&](int x, int y) {
        const int i = y * 10 + x;
        return i == 57 ? clWhite : i < 20 ? colors[1] : i < 30 ? colors[2] : colors[3];
    });
    const Census census = CensusOf(image);
    EXPECT_EQ(census.palette, (std::vector<PaletteEntry>{
                                  {clWhite, 1}, {0x00FF00, 20}, {0x0000FF, 10}, {clBlack, 69}}));
    EXPECT_EQ(census.IndexAt(7, 5), 0);
    EXPECT_EQ(census.IndexAt(0, 0), 1);
    EXPECT_EQ(census.ColorAt(9, 9), clBlack);
}

TEST(Census, CountsAndStitchesMatchEveryPixel) {
    TImage image;
    GivePicture(image, 37, 23, [](int x, int y) { return Distinct((x * 7 + y * 3) % 200); });
    const Census census = CensusOf(image);
    ASSERT_EQ(census.width, 37);
    ASSERT_EQ(census.height, 23);
    std::int64_t total = 0;
    for (std::size_t i = 0; i < census.palette.size(); ++i) {
        total += census.palette[i].count;
        if (i > 0) {
            EXPECT_GT(census.palette[i - 1].color, census.palette[i].color);
        }
    }
    EXPECT_EQ(total, 37 * 23);
    std::vector<int> counted(census.palette.size());
    for (int y = 0; y < 23; ++y) {
        for (int x = 0; x < 37; ++x) {
            EXPECT_EQ(census.ColorAt(x, y), Distinct((x * 7 + y * 3) % 200));
            ++counted[census.IndexAt(x, y)];
        }
    }
    for (std::size_t i = 0; i < census.palette.size(); ++i)
        EXPECT_EQ(counted[i], census.palette[i].count);
}

TEST(Census, EmptyPictureGivesOneEntryCountedZero) {
    TImage image;
    TBitmap empty;
    image.Picture().SetGraphic(&empty);
    const Census census = CensusOf(image);
    EXPECT_EQ(census.width, 0);
    EXPECT_EQ(census.height, 0);
    EXPECT_EQ(census.palette, (std::vector<PaletteEntry>{{clWhite, 0}}));
    EXPECT_TRUE(census.stitches.empty());
}

TEST(Census, PictureThatIsNoBitmapFailsAtTheFirstRead) {
    TImage image;
    image.Picture().Adopt(std::make_unique<TIcon>());
    EXPECT_THROW(TakeCensus(image, kOrg), EInvalidOperation);
    EXPECT_STREQ(image.Picture().Graphic()->ClassName(), "TIcon");
}

TEST(Census, IndexedPictureCountsTableColours) {
    BitmapLayout layout;
    layout.format = TPixelFormat::Indexed8;
    layout.colorTable = {0x112233, 0x445566, 0xFFFFFF};
    auto bitmap = TBitmap::CreateWithLayout(4, 2, layout, true);
    bitmap->SetPixelValue(1, 0, 1);
    bitmap->SetPixelValue(2, 1, 2);
    TImage image;
    image.Picture().Adopt(std::move(bitmap));
    EXPECT_EQ(CensusOf(image).palette,
              (std::vector<PaletteEntry>{{0xFFFFFF, 1}, {0x445566, 1}, {0x112233, 6}}));
}

TEST(PageGrid, PagesRunDownEachColumnWithTheRemainderLastOrBalanced) {
    struct Case {
        int width, height;
        PageSplit split;
        std::vector<int> cols, rows;  // stitches of each page column and page row
        const char* lastLabel;
    };
    const Case cases[] = {
        {0, 0, PageSplit::RemainderLast, {0}, {0}, "(1-1)"},
        {50, 70, PageSplit::RemainderLast, {50}, {70}, "(1-1)"},
        {101, 71, PageSplit::RemainderLast, {50, 50, 1}, {70, 1}, "(3-2)"},
        {101, 71, PageSplit::Balanced, {34, 34, 33}, {36, 35}, "(3-2)"},
        {100, 140, PageSplit::Balanced, {50, 50}, {70, 70}, "(2-2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        const PageGrid grid = ChartPages(c.width, c.height, kChartPageSize, c.split);
        ASSERT_EQ(grid.across, static_cast<int>(c.cols.size()));
        ASSERT_EQ(grid.down, static_cast<int>(c.rows.size()));
        ASSERT_EQ(grid.pages.size(), c.cols.size() * c.rows.size());
        int x0 = 0;
        for (std::size_t i = 0; i < c.cols.size(); ++i) {
            int y0 = 0;
            for (std::size_t j = 0; j < c.rows.size(); ++j) {
                const ChartPage& page = grid.pages[i * c.rows.size() + j];
                EXPECT_EQ(page.column, static_cast<int>(i));
                EXPECT_EQ(page.row, static_cast<int>(j));
                EXPECT_EQ(page.x0, x0);
                EXPECT_EQ(page.y0, y0);
                EXPECT_EQ(page.cols, c.cols[i]);
                EXPECT_EQ(page.rows, c.rows[j]);
                y0 += c.rows[j];
            }
            x0 += c.cols[i];
        }
        EXPECT_EQ(grid.pages.back().Label(), c.lastLabel);
    }
}

}  // namespace
}  // namespace brodix
