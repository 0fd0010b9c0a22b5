#pragma once

#include <bitset>
#include <vector>

namespace brodix {

// One symbol: a 9 x 9 pattern of black pixels, (x, y) at bit 9y + x. It sits in the middle of
// its 13 x 13 cell, one white pixel away from the cell's dotted frame on every side.
inline constexpr int kGlyphSize = 9;
using Glyph = std::bitset<kGlyphSize * kGlyphSize>;

// The sheet's symbols in cell order: bold simple shapes first (a picture with few colours gets
// only these), then letters, digits and signs, then shapes combined. Throws std::logic_error
// when the design tables are malformed or hold fewer symbols than the sheet has cells.
std::vector<Glyph> SymbolGlyphs(int count);

}  // namespace brodix
