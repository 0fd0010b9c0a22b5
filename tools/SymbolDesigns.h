#pragma once

#include <bitset>
#include <string>
#include <vector>

#include "engine/SymbolLikeness.h"

namespace brodix {

// A design: a 9 x 9 pattern of black pixels, (x, y) at bit 9y + x. It is drawn in the middle of
// the 11 x 11 inside of its 13 x 13 cell, one white pixel away from the cell's dotted frame on
// every side, so that no symbol runs into the chart's grid line.
inline constexpr int kGlyphSize = 9;
using Glyph = std::bitset<kGlyphSize * kGlyphSize>;

// The sheet's symbols in cell order, the inside of each cell, drawn from the designs that
// SheetSymbols() lists: letters, digits, signs and simple shapes, each the look of the
// character that stands for it. A rule combines parts from left to right: "+" adds, "-" removes
// and "&" keeps only what both have. A part may be turned: ":v" flips it top to bottom, ":h"
// left to right, ":t" mirrors it on the main diagonal, in the order written. Throws
// std::logic_error when a design or a rule is malformed.
std::vector<SymbolInk> SymbolGlyphs();
// One design's symbol, as SymbolGlyphs() draws it.
SymbolInk DesignedSymbol(const std::string& design);

}  // namespace brodix
