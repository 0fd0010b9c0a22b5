#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "engine/ReduceColor.h"
#include "raster/Color.h"
#include "raster/Geometry.h"

namespace brodix {

class TImage;

// A chart holds at most this many stitches a side and this many colours; one more is refused.
inline constexpr int kMaxStitchesPerSide = 200;
inline constexpr int kMaxColors = 255;
// A pattern written without the window's images (the PDF, the OXS file, the key) is bounded by
// its memory and paper alone, not by the chart image of kCellPitch (ChartGeometry.h) pixels a
// stitch: this many a side.
inline constexpr int kMaxPatternStitchesPerSide = 1000;

struct PaletteEntry {
    TColor color = 0;
    std::int32_t count = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// The picture counted stitch by stitch: its size, its palette in strictly descending colour
// order (white, when present, first: it is the largest value) and every stitch's palette
// index. As counted, a palette index is also the symbol number of its colour; a pattern changed
// by hand keeps each colour's symbol in symbols.
struct Census {
    int width = 0;
    int height = 0;
    std::vector<PaletteEntry> palette;
    std::vector<std::uint8_t> stitches;  // row by row, top row first
    // The sheet symbol of each palette entry when it is not the entry's index; empty when every
    // entry k takes symbol k.
    std::vector<int> symbols;

    int SymbolAt(int k) const { return symbols.empty() ? k : symbols[static_cast<std::size_t>(k)]; }

    int IndexAt(int x, int y) const { return stitches[GridIndex(x, y, width)]; }
    // The palette entry of index (symbol number) k.
    const PaletteEntry& PaletteAt(int k) const { return palette[static_cast<std::size_t>(k)]; }
    PaletteEntry& PaletteAt(int k) { return palette[static_cast<std::size_t>(k)]; }
    TColor ColorAt(int x, int y) const { return palette[stitches[GridIndex(x, y, width)]].color; }
};

// Why a picture cannot become a chart: the program's message box text and title.
struct CensusRefusal {
    std::string text;
    std::string title;
    friend bool operator==(const CensusRefusal&, const CensusRefusal&) = default;
};

using CensusResult = std::variant<Census, CensusRefusal>;

// Checks the size of source's picture, then reads every pixel through source's canvas, reduced
// when levels reduce any channel. The palette is seeded from pixel (0, 0) with count 0 before
// the scan counts it, so an empty picture gives one entry counted 0; otherwise the counts add
// up to width x height. A picture that is not a bitmap raises EInvalidOperation at the first
// read. Make takes the census only of a loaded picture: asking the canvas of an image holding
// nothing would give it a white picture of the control's size.
CensusResult TakeCensus(TImage& source, const LevelChoices& levels);

// The size refusal of a picture too large to chart; nothing for one that passes.
std::optional<CensusRefusal> SizeCheck(int width, int height);

// Counts stitch colours given row by row (width x height of them, at least one) exactly as
// TakeCensus counts the colours it reads: the same palette order, limit and refusal.
CensusResult CountStitches(int width, int height, std::span<const TColor> colours);

}  // namespace brodix
