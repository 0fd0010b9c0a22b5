// The pattern changed by hand: each change and its undo, random sequences of changes and undos,
// the counts, the symbols and the undo history's bounds.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "pattern/PatternEdits.h"
#include "pattern_edit_checks.h"
#include "threads/KeyBuilder.h"
#include "threads/PatternSettings.h"
#include "threads/ThreadCatalogue.h"

namespace brodix {
namespace {

const char* const kCatalogue =
    "GIMP Palette\nName: DMC\n"
    "0 0 0 310 Black\n255 255 255 B5200 Snow White\n"
    "200 30 30 321 Red\n30 60 200 797 Royal Blue\n20 140 40 699 Green\n";

const threads::Thread kGreen{"699", "Green", RGB(20, 140, 40)};
const threads::Thread kRed{"321", "Red", RGB(200, 30, 30)};

// 8 x 6 stitches: white (fabric), black, red, blue and a dark red near the red; the blue
// touches one corner of the lone black stitch at (5, 4).
Pattern SmallPattern(bool withCatalogue = true) {
    const char rows[] =
        "WWWWBBBB"
        "WKKWBBBB"
        "WKKWRRRD"
        "WWWWRRRD"
        "BBBBBKWW"
        "BBBBWWWW";
    std::vector<TColor> stitches;
    for (char c : rows) {
        if (c == '\0')
            break;
        stitches.push_back(c == 'W'   ? clWhite
                           : c == 'K' ? clBlack
                           : c == 'R' ? RGB(200, 30, 30)
                           : c == 'D' ? RGB(170, 20, 20)
                                      : RGB(30, 60, 200));
    }
    threads::PatternSettings settings;
    if (withCatalogue)
        settings.catalogue = threads::ParseCatalogue("dmc.gpl", kCatalogue);
    return Pattern(std::get<Census>(CountStitches(8, 6, stitches)), settings, "small.bmp");
}

int RowOf(const Pattern& pattern, TColor colour) {
    for (std::size_t k = 0; k < pattern.Colours().size(); ++k) {
        if (pattern.Colours()[k].colour == colour)
            return static_cast<int>(k);
    }
    return -1;
}

struct OperationCase {
    const char* what;
    std::function<void(PatternEditor&)> change;
    const char* undoName;
    int rows;         // rows after the change
    int redStitches;  // stitches of RGB(200, 30, 30) after it
};

class EditOperation : public testing::TestWithParam<OperationCase> {};

TEST_P(EditOperation, ChangesThenUndoesToTheSameDocument) {
    const OperationCase& c = GetParam();
    const Pattern made = SmallPattern();
    PatternEditor editor(made);
    const SymbolsOfRows symbols = SymbolsOf(made);
    c.change(editor);
    const Pattern& changed = editor.Document();
    EXPECT_EQ(PatternFault(changed), "");
    EXPECT_TRUE(SymbolsStayed(symbols, SymbolsOf(changed)));
    EXPECT_EQ(editor.UndoName(), c.undoName);
    EXPECT_EQ(static_cast<int>(changed.Colours().size()), c.rows);
    const int red = RowOf(changed, RGB(200, 30, 30));
    EXPECT_EQ(red < 0 ? 0 : changed.Stitches().PaletteAt(red).count, c.redStitches);
    EXPECT_EQ(changed.Key().totals.stitches + changed.Stitches().PaletteAt(0).count, 48);
    const Pattern after = changed;
    editor.Undo();
    EXPECT_TRUE(editor.Document() == made);
    EXPECT_EQ(threads::KeyTable(editor.Document().Key()), threads::KeyTable(made.Key()));
    EXPECT_TRUE(editor.SavedNow());
    editor.Redo();
    EXPECT_TRUE(editor.Document() == after);
    EXPECT_FALSE(editor.SavedNow());
}

int Row(PatternEditor& e, TColor colour) {
    return RowOf(e.Document(), colour);
}

INSTANTIATE_TEST_SUITE_P(
    EachOperation, EditOperation,
    testing::Values(
        OperationCase{"paint",
                      [](PatternEditor& e) {
                          const TPoint points[] = {{0, 0}, {1, 0}, {1, 0}, {9, 9}};
                          e.Paint(points, Row(e, RGB(200, 30, 30)));
                      },
                      "Paint 2 Stitches", 5, 8},
        OperationCase{"fill by edges",
                      [](PatternEditor& e) {
                          e.Fill({5, 4}, Row(e, RGB(200, 30, 30)));
                      },
                      "Fill 1 Stitch", 5, 7},
        OperationCase{"fill an area",
                      [](PatternEditor& e) {
                          e.Fill({0, 5}, Row(e, RGB(200, 30, 30)));
                      },
                      "Fill 9 Stitches", 5, 15},
        OperationCase{"erase",
                      [](PatternEditor& e) {
                          const TPoint points[] = {{4, 2}};
                          ASSERT_EQ(std::get<int>(e.Erase(points)), 1);
                      },
                      "Erase 1 Stitch", 5, 5},
        OperationCase{
            "merge",
            [](PatternEditor& e) { e.Merge(Row(e, RGB(170, 20, 20)), Row(e, RGB(200, 30, 30))); },
            "Merge Colours", 4, 8},
        OperationCase{
            "remove to nearest",
            [](PatternEditor& e) { ASSERT_FALSE(e.Remove(Row(e, RGB(170, 20, 20)), false)); },
            "Remove Colour", 4, 8},
        OperationCase{
            "remove to fabric",
            [](PatternEditor& e) { ASSERT_FALSE(e.Remove(Row(e, RGB(200, 30, 30)), true)); },
            "Remove Colour", 4, 0},
        OperationCase{
            "thread onto another's",
            [](PatternEditor& e) { e.ChangeThread(Row(e, RGB(170, 20, 20)), kRed, false); },
            "Change Thread", 4, 8},
        OperationCase{
            "thread taken",
            [](PatternEditor& e) { e.ChangeThread(Row(e, RGB(200, 30, 30)), kGreen, true); },
            "Change Thread", 5, 0},
        OperationCase{"thread added",
                      [](PatternEditor& e) { ASSERT_EQ(std::get<int>(e.AddThread(kGreen)), 5); },
                      "Add Thread", 6, 6}));

TEST(PatternEdits, AThreadNamedWithoutItsColourKeepsTheColour) {
    PatternEditor editor(SmallPattern());
    const int red = Row(editor, RGB(200, 30, 30));
    editor.ChangeThread(red, kGreen, false);
    const threads::KeyRow& row = editor.Document().Key().Row(red);
    EXPECT_EQ(editor.Document().Colour(red).colour, RGB(200, 30, 30));
    EXPECT_EQ(row.thread.number, "699");
    EXPECT_GT(row.deltaE, 10.0);
}

TEST(PatternEdits, AddedColoursTakeTheFirstFreeSymbolsAndANewLastRow) {
    PatternEditor editor(SmallPattern());
    const int dark = Row(editor, RGB(170, 20, 20));
    const PatternColour freed = editor.Document().Colour(dark);
    ASSERT_FALSE(editor.Remove(dark, false));
    const int added = std::get<int>(editor.AddThread(kGreen));
    EXPECT_EQ(added, 4);
    EXPECT_EQ(editor.Document().Colour(added).sheetSymbol, freed.sheetSymbol);
    EXPECT_EQ(editor.Document().Colour(added).printedSymbol, freed.printedSymbol);
}

TEST(PatternEdits, The256thColourIsRefusedInPlainEnglish) {
    std::vector<TColor> stitches;
    for (int i = 0; i < 255; ++i)
        stitches.push_back(RGB(i, 7, 9));
    PatternEditor editor(Pattern(std::get<Census>(CountStitches(255, 1, stitches)), {}, "a.bmp"));
    const auto refused = editor.AddThread(kGreen);
    ASSERT_TRUE(std::holds_alternative<EditRefusal>(refused));
    EXPECT_NE(std::get<EditRefusal>(refused).text.find("Merge two colours or remove one first"),
              std::string::npos);
    EXPECT_FALSE(editor.CanUndo());
}

TEST(PatternEdits, StrokesJoinIntoOneChangeUntilAnUndo) {
    PatternEditor editor(SmallPattern());
    const int blue = Row(editor, RGB(30, 60, 200));
    for (int x = 0; x < 4; ++x) {
        const TPoint point[] = {{x, 0}};
        editor.Paint(point, blue, true);
    }
    EXPECT_EQ(editor.UndoName(), "Paint 4 Stitches");
    editor.Undo();
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_EQ(editor.RedoName(), "Paint 4 Stitches");
}

TEST(PatternEdits, RandomChangesAndUndosEndWhereTheyBegan) {
    const Pattern made = SmallPattern();
    std::mt19937 random(31);
    for (int run = 0; run < 40; ++run) {
        PatternEditor editor(made);
        for (int step = 0; step < 30; ++step) {
            const int rows = static_cast<int>(editor.Document().Colours().size());
            const auto any = [&](int n) {
                return static_cast<int>(random() % static_cast<unsigned>(n));
            };
            const SymbolsOfRows before = SymbolsOf(editor.Document());
            const TPoint point[] = {{any(8), any(6)}, {any(8), any(6)}};
            const int op = any(9);
            switch (op) {
                case 0:
                    editor.Paint(point, any(rows), true);
                    break;
                case 1:
                    editor.Fill(point[0], any(rows));
                    break;
                case 2:
                    editor.Erase(point);
                    break;
                case 3:
                    editor.Merge(any(rows), any(rows));
                    break;
                case 4:
                    editor.Remove(any(rows), any(2) == 0);
                    break;
                case 5:
                    editor.ChangeThread(any(rows), any(2) ? kGreen : kRed, any(2) == 0);
                    break;
                case 6:
                    editor.AddThread(any(2) ? kGreen : kRed);
                    break;
                case 7:
                    editor.Undo();
                    break;
                default:
                    editor.Redo();
                    break;
            }
            ASSERT_EQ(PatternFault(editor.Document()), "") << run << " " << step;
            ASSERT_TRUE(SymbolsStayed(before, SymbolsOf(editor.Document())))
                << run << " " << step << " op " << op;
        }
        while (editor.CanUndo())
            editor.Undo();
        ASSERT_TRUE(editor.Document() == made) << run;
    }
}

TEST(PatternEdits, TheHistoryDropsTheOldestChangesPastItsBound) {
    // Each fill of a million stitches is 8 MB of history: the ninth passes 64 MB.
    std::vector<TColor> stitches(1000 * 1000, clBlack);
    stitches[0] = clWhite;
    PatternEditor editor(Pattern(std::get<Census>(CountStitches(1000, 1000, stitches)), {}, "a"));
    for (int i = 0; i < 9; ++i)
        editor.Fill({500, 500}, i % 2);
    EXPECT_LE(editor.HistoryBytes(), kMaxHistoryBytes);
    EXPECT_FALSE(editor.UndoReachesMade());
    EXPECT_EQ(editor.ChangesInEffect(), 9);
    EXPECT_EQ(editor.UndoableChanges(), 8);
    int undone = 0;
    for (; editor.CanUndo(); ++undone)
        editor.Undo();
    EXPECT_EQ(undone, 8);
}

}  // namespace
}  // namespace brodix
