#pragma once

#include <span>
#include <string>
#include <vector>

#include "engine/ChartGeometry.h"
#include "raster/Geometry.h"

namespace brodix {

// The symbol sheet beside the program: kSymbolsPerRow chart cells a row (kCellSize pixels square
// at a pitch of kCellPitch, as in the chart), so neighbouring cells share their border row or
// column. Symbol k serves palette index k.
inline constexpr const char* kSymbolSheetFileName = "Brodix.bmp";

// The full path of the running program (empty when the system cannot tell).
std::string ProgramFileName();
// The sheet's place for a program: its folder, final '/' kept, then the sheet's name.
std::string SymbolSheetPath(const std::string& programFileName);
inline constexpr int kSymbolsPerRow = 10;
inline constexpr int kSymbolCount = 255;
inline constexpr int kSymbolSheetWidth = (kSymbolsPerRow - 1) * kCellPitch + kCellSize;  // 121
inline constexpr int kSymbolSheetHeight =
    ((kSymbolCount + kSymbolsPerRow - 1) / kSymbolsPerRow - 1) * kCellPitch + kCellSize;  // 313

constexpr TRect SymbolCellRect(int k) {
    const int left = kCellPitch * (k % kSymbolsPerRow);
    const int top = kCellPitch * (k / kSymbolsPerRow);
    return Rect(left, top, left + kCellSize, top + kCellSize);
}

// A symbol of the sheet: the design it is drawn from (the rule tools/SymbolDesigns.cpp
// evaluates) and the character that stands for it wherever a pattern is text rather than
// pixels (the PDF's text, the OXS file): the character it looks like. Every character differs.
struct SheetSymbol {
    const char* design;
    char32_t character;
};

// The sheet's kSymbolCount symbols in cell order: symbol 0 the one light mark, then each next
// the one farthest from all before it (FarthestFirstOrder, engine/SymbolLikeness.h), so that
// the first K symbols, which a chart of K colours takes, are as unlike as the set allows.
// Keeping the design and its character on one line means the sheet cannot be reordered without
// its characters.
std::span<const SheetSymbol> SheetSymbols();

// Symbol k's character, and the same as UTF-8. k must be a symbol of the sheet.
char32_t SymbolCharacter(int k);
std::string SymbolText(int k);
// The symbol whose character is character; -1 when the sheet has none.
int SymbolOfCharacter(char32_t character);

// The symbols of a pattern given by use, where it is printed or exchanged rather than drawn
// in the window: counts[k] stitches of colour k, or a negative count for a colour left blank.
// The most stitched colour takes order[0], the next order[1], and so on (ties
// in colour order), so that the largest area takes the light mark; a blank colour, or one
// beyond the symbols, takes -1. Our sheet is in that order already, so for it order is
// 0, 1, ...
std::vector<int> SymbolsByUse(std::span<const int> counts, std::span<const int> order);
// 0, 1, ... kSymbolCount - 1: the sheet's own order.
std::vector<int> SheetOrder();

// The blank cell is the whole picture of its image, one cell of kCellSize pixels square.
inline constexpr TRect kBlankCellRect = Rect(0, 0, kCellSize, kCellSize);

}  // namespace brodix
