#pragma once

#include <bitset>
#include <vector>

namespace brodix {

// One symbol: a 9 x 9 pattern of black pixels, (x, y) at bit 9y + x. It sits in the middle of
// its 13 x 13 cell, one white pixel away from the cell's dotted frame on every side.
inline constexpr int kGlyphSize = 9;
using Glyph = std::bitset<kGlyphSize * kGlyphSize>;

// The sheet's symbols in cell order, drawn from the designs that SheetSymbols() lists: bold
// simple shapes first (a picture with few colours gets only these), then letters, digits and
// signs, then shapes combined. A rule combines parts from left to right: "+" adds, "-" removes
// and "&" keeps only what both have. A part may be turned: ":v" flips it top to bottom, ":h"
// left to right, ":t" mirrors it on the main diagonal, in the order written. Throws
// std::logic_error when a design or a rule is malformed.
std::vector<Glyph> SymbolGlyphs();

}  // namespace brodix
