#pragma once

// Where every pixel of the chart and the legend goes. Make draws by these numbers, Save cuts
// the chart into pages and the legend into columns by them, and a printed chart keeps the same
// proportions: change one here and every picture and file follows.

namespace brodix {

// A stitch's cell is 13 x 13 pixels, placed every 12 pixels: neighbouring cells share their
// border row or column, and the later cell (to the right, or below) wins the shared line.
inline constexpr int kCellPitch = 12;
inline constexpr int kCellSize = 13;

// A solid black line runs along every fifth stitch boundary, counted from the top and left.
inline constexpr int kStitchesPerGridLine = 5;
inline constexpr int kGridSpacing = kStitchesPerGridLine * kCellPitch;

// The pixels a chart of this many stitches takes along one side: the last cell's closing line
// is the one extra pixel.
constexpr int ChartExtent(int stitches) {
    return kCellPitch * stitches + 1;
}

// The legend: one row of kLegendRowHeight pixels per palette colour, top to bottom, and one
// white pixel row below the last.
inline constexpr int kLegendWidth = 89;
inline constexpr int kLegendRowHeight = 15;

constexpr int LegendHeight(int colors) {
    return kLegendRowHeight * colors + 1;
}

// Inside a legend row, from left to right (x from the image's left, y from the row's top):
// a frame in the inverse colour over the first kSwatchFrameWidth columns and the whole row
// height; the swatch, kSwatchInset pixels inside the frame on every side; the symbol cell; the
// stitch count as text, its box's top-left corner at (kLegendCountLeft, kLegendCountTop).
inline constexpr int kSwatchFrameWidth = 30;
inline constexpr int kSwatchInset = 1;
inline constexpr int kLegendSymbolLeft = kSwatchFrameWidth + 1;  // one white column apart
inline constexpr int kLegendSymbolTop = 1;
inline constexpr int kLegendCountLeft = 50;
inline constexpr int kLegendCountTop = 2;

static_assert(kLegendSymbolTop + kCellSize < kLegendRowHeight,
              "a symbol cell fits inside its legend row");
static_assert(kLegendSymbolLeft + kCellSize < kLegendCountLeft,
              "the symbol cell ends before the count begins");

}  // namespace brodix
