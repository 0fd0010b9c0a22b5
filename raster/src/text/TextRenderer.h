#pragma once

// Text for canvases: fonts found through fontconfig, glyphs rendered by FreeType in two
// colours (no smoothing, as on the platform the program's outputs were drawn on).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brodix {

class TFont;

namespace detail {

// One rendered glyph: 1 bit per pixel, most significant bit first, rows `pitch` bytes apart.
struct GlyphImage {
    int left = 0;  // from the pen position to the first column
    int top = 0;   // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int pitch = 0;
    int advance = 0;
    std::vector<std::uint8_t> bits;

    std::uint8_t* Row(int r) { return bits.data() + std::ptrdiff_t{r} * pitch; }
    const std::uint8_t* Row(int r) const { return bits.data() + std::ptrdiff_t{r} * pitch; }
};

struct PlacedGlyph {
    int penX = 0;
    const GlyphImage* image = nullptr;  // valid until the next LayoutText call
};

struct TextRun {
    int width = 0;     // sum of the advances
    int height = 0;    // ascender - descender: the text box's height
    int ascender = 0;  // baseline distance from the box's top
    std::vector<PlacedGlyph> glyphs;
};

// Lays out UTF-8 text in font. Returns false, leaving run empty, when no font file can be
// found at all: callers then draw nothing.
bool LayoutText(const TFont& font, std::string_view text, TextRun& run);

}  // namespace detail
}  // namespace brodix
