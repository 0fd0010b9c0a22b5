#pragma once

#include <cairo.h>

#include <cstddef>
#include <vector>

#include "CairoHandles.h"
#include "pattern/Pattern.h"
#include "threads/PatternKey.h"

namespace brodix {
class TBitmap;
}

namespace brodix::print::detail {

// A rectangle of ink inside a chart cell, in sheet pixels from the cell's top-left corner.
struct InkRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The ink of symbol cell k of the sheet, inside the cell's frame (the frame is the chart's grid
// line): dark pixels, merged into rectangles. Empty for a cell beyond the sheet.
std::vector<InkRect> TraceSymbol(const TBitmap& sheet, int k);

// The sheet's symbols as a font whose glyph k + 1 is symbol k, one cell pitch to the em: the
// PDF stores each glyph used once (an embedded TrueType subset) and every cell refers to it;
// viewers draw glyphs as outlines, sharp at any zoom.
class SymbolFont {
  public:
    explicit SymbolFont(const TBitmap* sheet);
    SymbolFont(const SymbolFont&) = delete;
    SymbolFont& operator=(const SymbolFont&) = delete;

    // Whether symbol k has any ink; a blank one needs no glyph.
    bool HasInk(int k) const;
    // Selects the font on cr for cells of pitch mm; glyph origins are the cells' bottom-left.
    void Select(cairo_t* cr, double pitch) const;
    static unsigned long GlyphOf(int k) { return static_cast<unsigned long>(k) + 1; }
    // Draws the glyphs in the current source colour; text taken from the PDF reads each glyph
    // as its symbol's character (SymbolCharacter).
    static void Show(cairo_t* cr, const std::vector<cairo_glyph_t>& glyphs);
    // Draws glyphs without their text, for their first use (the key): the font maps no
    // character, so cairo files each glyph in the one composite font of the PDF; shown first
    // with a letter or digit as its text, a glyph would go to a second, WinAnsi-coded font.
    // The ToUnicode table is written at the PDF's end, so these glyphs too read as the
    // characters the chart pages give them through Show.
    static void ShowFirst(cairo_t* cr, const std::vector<cairo_glyph_t>& glyphs);

  private:
    CairoFontFace m_face;
    std::vector<int> m_ink;  // pixels of ink of each symbol
};

// The symbol each palette entry is printed with: the pattern's printed symbol of the colour (by
// use, as the OXS file gives them; kNoSymbol for a blank row).
class PrintedSymbols {
  public:
    explicit PrintedSymbols(const Pattern& pattern) : m_pattern(pattern) {}
    // The symbol of palette entry k.
    int Of(int k) const { return m_pattern.Colour(k).printedSymbol; }

  private:
    const Pattern& m_pattern;
};

}  // namespace brodix::print::detail
