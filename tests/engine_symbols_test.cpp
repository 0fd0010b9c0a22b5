#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "engine/StoredDesign.h"
#include "engine/SymbolLikeness.h"
#include "engine/SymbolSheet.h"
#include "engine_support.h"
#include "raster/TCanvas.h"

namespace brodix {
namespace {

TEST(SymbolSheet, CellRectangles) {
    struct Case {
        int k;
        TRect rect;
    };
    const Case cases[] = {{0, Rect(0, 0, 13, 13)},
                          {9, Rect(108, 0, 121, 13)},
                          {10, Rect(0, 12, 13, 25)},
                          {254, Rect(48, 300, 61, 313)}};
    for (const auto& c : cases)
        EXPECT_EQ(SymbolCellRect(c.k), c.rect) << c.k;
    EXPECT_EQ(kSymbolSheetWidth, 121);
    EXPECT_EQ(kSymbolSheetHeight, 313);
}

// Text readers find each symbol by its character, so two symbols may never share one, and a
// character must be one a font can draw and a reader can name: no control, space, surrogate or
// private use.
TEST(SymbolCharacters, OnePrintableCharacterPerSymbol) {
    ASSERT_EQ(SheetSymbols().size(), static_cast<std::size_t>(kSymbolCount));
    std::set<char32_t> seen;
    for (int k = 0; k < kSymbolCount; ++k) {
        const char32_t c = SymbolCharacter(k);
        EXPECT_TRUE(seen.insert(c).second) << "symbol " << k << " repeats U+" << std::hex << +c;
        EXPECT_GT(c, U' ') << k;
        EXPECT_FALSE(c >= 0x7F && c < 0xA0) << k;
        EXPECT_FALSE(c >= 0xD800 && c < 0xE000) << k;
        EXPECT_FALSE(c >= 0xE000 && c < 0xF900) << k;
        EXPECT_LT(c, 0xF0000u) << k;
    }
}

TEST(SymbolCharacters, Utf8OfEachLength) {
    const struct {
        int k;
        const char* utf8;
    } cases[] = {{67, "A"}, {95, "\xCE\xA9"}, {226, "\xE2\x96\xA0"}, {241, "\xF0\x9F\x9E\x91"}};
    for (const auto& c : cases)
        EXPECT_EQ(SymbolText(c.k), c.utf8) << c.k;
    EXPECT_THROW(SymbolCharacter(kSymbolCount), std::out_of_range);
}

class SheetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_sheet.Picture().LoadFromFile(testing::BinFile(kSymbolSheetFileName));
        ASSERT_EQ(m_sheet.Picture().Width(), kSymbolSheetWidth);
        ASSERT_EQ(m_sheet.Picture().Height(), kSymbolSheetHeight);
    }

    TColor Pixel(int x, int y) { return m_sheet.Canvas().Pixel(x, y); }

    // The 11 x 11 inside of symbol k's frame, black as true.
    std::vector<bool> Inside(int k) {
        const TRect cell = SymbolCellRect(k);
        std::vector<bool> inside;
        for (int y = 1; y < kCellSize - 1; ++y) {
            for (int x = 1; x < kCellSize - 1; ++x) {
                inside.push_back(Pixel(cell.Left + x, cell.Top + y) == clBlack);
            }
        }
        return inside;
    }

    TImage m_sheet;
};

TEST_F(SheetTest, OnlyPureBlackAndWhite) {
    for (int y = 0; y < kSymbolSheetHeight; ++y) {
        for (int x = 0; x < kSymbolSheetWidth; ++x) {
            const TColor color = Pixel(x, y);
            ASSERT_TRUE(color == clBlack || color == clWhite) << x << "," << y;
        }
    }
}

TEST_F(SheetTest, EveryCellHasTheBlankCellsDottedFrame) {
    for (int k = 0; k < kSymbolCount; ++k) {
        const TRect cell = SymbolCellRect(k);
        for (int i = 0; i < kCellSize; ++i) {
            const TColor dot = i % 2 == 0 ? clBlack : clWhite;
            ASSERT_EQ(Pixel(cell.Left + i, cell.Top), dot) << "cell " << k;
            ASSERT_EQ(Pixel(cell.Left + i, cell.Bottom - 1), dot) << "cell " << k;
            ASSERT_EQ(Pixel(cell.Left, cell.Top + i), dot) << "cell " << k;
            ASSERT_EQ(Pixel(cell.Right - 1, cell.Top + i), dot) << "cell " << k;
        }
    }
}

TEST_F(SheetTest, SymbolsAreDrawnAndTellApart) {
    std::vector<std::vector<bool>> insides;
    for (int k = 0; k < kSymbolCount; ++k) {
        insides.push_back(Inside(k));
        const auto blacks = std::count(insides[k].begin(), insides[k].end(), true);
        EXPECT_GT(blacks, 4) << "symbol " << k << " is (nearly) empty";
        EXPECT_LT(blacks, 11 * 11) << "symbol " << k << " is a plain fill";
    }
    for (int a = 0; a < kSymbolCount; ++a) {
        for (int b = a + 1; b < kSymbolCount; ++b) {
            int differ = 0;
            for (std::size_t i = 0; i < insides[a].size(); ++i)
                differ += insides[a][i] != insides[b][i];
            EXPECT_GE(differ, 8) << "symbols " << a << " and " << b;
        }
    }
}

// A chart of K colours takes the first K symbols: the sheet is in the order that keeps them as
// unlike as the set allows (each the farthest from those before it), with one light mark, first.
TEST_F(SheetTest, EachSymbolTheFarthestFromThoseBeforeIt) {
    std::vector<SymbolInk> symbols;
    for (int k = 0; k < kSymbolCount; ++k)
        symbols.push_back(SymbolInkOf(m_sheet.Picture().Bitmap(), k));
    std::vector<int> order = SheetOrder();
    EXPECT_EQ(FarthestFirstOrder(symbols, 0), order);
    // One light mark, symbol 0: a dot no more than 3 pixels across. Every other symbol is a
    // stroke or a shape, larger than that, and none a texture of dots.
    const auto across = [](const SymbolInk& ink) {
        int least = kSymbolInside, most = -1;
        for (int i = 0; i < kSymbolInside * kSymbolInside; ++i) {
            if (ink[static_cast<std::size_t>(i)]) {
                least = std::min({least, i % kSymbolInside, i / kSymbolInside});
                most = std::max({most, i % kSymbolInside, i / kSymbolInside});
            }
        }
        return most - least + 1;
    };
    EXPECT_LE(across(symbols[0]), 3);
    for (int k = 1; k < kSymbolCount; ++k) {
        EXPECT_GT(across(symbols[static_cast<std::size_t>(k)]), 3) << k;
        EXPECT_FALSE(IsDotTexture(symbols[static_cast<std::size_t>(k)])) << k;
    }
    // No two of the first 40 alike: not turned or mirrored, nor a small detail apart.
    const ClosestSymbols closest = ClosestAmongFirst(symbols, 40);
    EXPECT_GE(closest.distance, kAlikeSymbolDistance) << closest.first << ", " << closest.second;
}

// A drawing of ink ('#') in the middle of a symbol's inside, moved right by shift pixels.
SymbolInk Drawn(std::initializer_list<const char*> rows, int shift = 0) {
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(std::string(*rows.begin()).size());
    SymbolInk ink;
    int y = (kSymbolInside - height) / 2;
    for (const std::string row : rows) {
        for (int x = 0; x < width; ++x) {
            if (row[static_cast<std::size_t>(x)] == '#')
                ink.set(GridIndex((kSymbolInside - width) / 2 + shift + x, y, kSymbolInside));
        }
        ++y;
    }
    return ink;
}

// Pairs that stitchers name as read one for the other at a glance, and pairs nobody confuses.
TEST(SymbolDistance, TellsLookAlikesFromDistinctSymbols) {
    const SymbolInk b = Drawn({"#....", "#....", "####.", "#...#", "#...#", "#...#", "####."});
    const SymbolInk d = Drawn({"....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"});
    const SymbolInk less = Drawn({"....#", "..##.", "##...", "..##.", "....#"});
    const SymbolInk more = Drawn({"#....", ".##..", "...##", ".##..", "#...."});
    const SymbolInk left = Drawn({"....#", "..###", "#####", "..###", "....#"});
    const SymbolInk right = Drawn({"#....", "###..", "#####", "###..", "#...."});
    const SymbolInk O = Drawn({".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."});
    const SymbolInk zero = Drawn({".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."});
    const SymbolInk l = Drawn({"##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"});
    const SymbolInk one = Drawn({".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"});
    const SymbolInk I = Drawn({"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"});
    const SymbolInk braille = Drawn({"##.", "...", "...", ".##"});
    const SymbolInk dots = Drawn({"#.#", "...", "#.#"});
    const SymbolInk A = Drawn({"..#..", ".#.#.", "#...#", "#...#", "#####", "#...#", "#...#"});
    const SymbolInk square = Drawn({"#######", "#######", "#######", "#######", "#######"});
    const SymbolInk X = Drawn({"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"});
    const SymbolInk plus = Drawn({"..#..", "..#..", "#####", "..#..", "..#.."});
    const SymbolInk T = Drawn({"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."});
    const SymbolInk S = Drawn({".####", "#....", "#....", ".###.", "....#", "....#", "####."});
    const SymbolInk seven = Drawn({"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."});
    const SymbolInk Y = Drawn({"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."});
    const SymbolInk tilde = Drawn({".##....", "#..#..#", "....##."});
    const struct {
        const char* pair;
        SymbolInk first, second;
        bool alike;
    } cases[] = {
        {"b d, mirrored", b, d, true},
        {"< >, mirrored", less, more, true},
        {"triangles pointing left and right", left, right, true},
        {"O 0, a stroke apart", O, zero, true},
        {"l 1, a serif apart", l, one, true},
        {"1 I, a serif apart", one, I, true},
        {"two dot textures", braille, dots, true},
        {"a symbol a pixel to the side", A,
         Drawn({"..#..", ".#.#.", "#...#", "#...#", "#####", "#...#", "#...#"}, 1), true},
        {"A and a filled square", A, square, false},
        {"X O", X, O, false},
        {"+ O", plus, O, false},
        {"T S", T, S, false},
        {"7 Y", seven, Y, false},
        {"~ l", tilde, l, false},
        {"b A", b, A, false},
        {"< and a triangle", less, left, false},
    };
    for (const auto& c : cases) {
        const double distance = SymbolDistance(c.first, c.second);
        EXPECT_EQ(distance < kAlikeSymbolDistance, c.alike) << c.pair << ": " << distance;
        EXPECT_DOUBLE_EQ(SymbolDistance(c.second, c.first), distance) << c.pair;
    }
    EXPECT_EQ(SymbolDistance(A, A), 0.0);
}

TEST(SymbolsByUse, TheMostStitchedColourTakesTheFirstSymbol) {
    const struct {
        std::vector<int> counts;
        std::vector<int> symbols;
    } cases[] = {
        {{5, 90, 7, 90}, {3, 0, 2, 1}},  // ties keep the colours' order
        {{-1, 4, 9}, {-1, 1, 0}},        // blank: no symbol
        {{}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SymbolsByUse(c.counts, SheetOrder()), c.symbols);
    // More colours than symbols: the rarest go without.
    const std::vector<int> order = {4, 2};
    EXPECT_EQ(SymbolsByUse(std::vector<int>{1, 2, 3}, order), (std::vector<int>{-1, 2, 4}));
}

TEST(BlankCell, FormDataIsABitmapContainer) {
    const auto data = BlankCellFormData();
    ASSERT_EQ(data.size(), 234u);
    EXPECT_EQ(data[0], 7);
    EXPECT_EQ(std::string(data.begin() + 1, data.begin() + 8), "TBitmap");
    EXPECT_EQ(data[8] | data[9] << 8 | data[10] << 16 | data[11] << 24, 222);
    EXPECT_EQ(data[12], 'B');
    EXPECT_EQ(data[13], 'M');
}

TEST(BlankCell, DottedFrameOfTwentyFourDots) {
    TImage blank(41, 41);
    ReadBlankCell(blank);
    ASSERT_EQ(blank.Picture().Width(), 13);
    ASSERT_EQ(blank.Picture().Height(), 13);
    const TBitmap& bitmap = blank.Picture().Bitmap();
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Indexed4);
    ASSERT_EQ(bitmap.ColorTable().size(), 16u);
    EXPECT_EQ(bitmap.ColorTable()[0], clBlack);
    EXPECT_EQ(bitmap.ColorTable()[15], clWhite);
    int blacks = 0;
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 13; ++x) {
            const bool edge =
                ((y == 0 || y == 12) && x % 2 == 0) || ((x == 0 || x == 12) && y % 2 == 0);
            const TColor color = blank.Canvas().Pixel(x, y);
            EXPECT_EQ(color, edge ? clBlack : clWhite) << x << "," << y;
            blacks += color == clBlack;
        }
    }
    EXPECT_EQ(blacks, 24);
}

}  // namespace
}  // namespace brodix
