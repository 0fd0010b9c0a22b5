#pragma once

#include <cstdint>
#include <vector>

#include "SymbolFont.h"

namespace brodix::print::detail {

// A TrueType font of the symbols: glyph 0 is empty, glyph k + 1 is symbols[k], each rectangle
// a contour, one sheet pixel 100 units and the cell pitch one em. Glyphs hang below the
// baseline, so a glyph placed at a cell's top-left corner fills that cell; characters U+E000
// onwards (private use) map to glyphs 1 onwards. cairo embeds such a font as a compact
// TrueType subset, much faster than a font of drawn glyphs.
std::vector<std::uint8_t> SymbolFontFile(const std::vector<std::vector<InkRect>>& symbols);

}  // namespace brodix::print::detail
