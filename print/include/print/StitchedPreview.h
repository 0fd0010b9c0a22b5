#pragma once

#include <span>
#include <string>
#include <vector>

#include "raster/DisplayPixels.h"

namespace brodix {
class Pattern;
class TBitmap;
}  // namespace brodix

namespace brodix::print {

// Pixels a stitch of the stitched preview: asked for from the least to the most, the default
// unless asked.
inline constexpr int kLeastPreviewStitchPixels = 2;
inline constexpr int kMostPreviewStitchPixels = 32;
inline constexpr int kDefaultPreviewStitchPixels = 10;
// No side of a preview written to a file is longer: a larger pattern takes fewer pixels a stitch.
inline constexpr int kMaxPreviewSidePixels = 8192;
// Below this many pixels a stitch a cross cannot be drawn: each stitch shows as its colour seen
// from afar, the thread's colour mixed with the fabric's by the thread's coverage.
inline constexpr int kLeastCrossPixels = 4;

// The pixels a stitch of a width x height stitch preview, asked for asked: held to the least and
// the most, and made smaller where a side would pass kMaxPreviewSidePixels (never below the
// least).
int PreviewStitchPixels(int width, int height, int asked);

// The pattern as it will look stitched: the fabric (its colour, weave and holes at the pattern's
// fabric count) and each stitch as two crossed legs of the pattern's strands in its palette
// colour, the upper leg on top, shaded along the strands. A cell left as bare fabric shows the
// fabric. The same pattern gives the same pixels. Seen from afar (each cell averaged in linear
// light) a stitched cell is its colour mixed with the fabric's by Coverage(), a blank cell the
// fabric's colour, a little darkened by its weave and holes.
class StitchedPreview {
  public:
    // stitchPixels is held from 1 (the zoom window's x1) to kMostPreviewStitchPixels.
    StitchedPreview(const Pattern& pattern, int stitchPixels);

    int Width() const;
    int Height() const;
    int StitchPixels() const { return m_pixels; }
    // The share of a stitched cell that its thread covers, 0 to 1.
    double Coverage() const { return m_coverage; }

    // Row y of the picture, Width() pixels; rows are independent of each other, so a large
    // picture is made and written a row at a time.
    void Row(int y, std::span<DisplayPixel> row) const;
    // The whole picture, in the display format.
    TBitmap Bitmap() const;

  private:
    const Pattern& m_pattern;
    int m_pixels;
    double m_coverage = 0;
    // The cell of each palette entry, StitchPixels() squared pixels each, row by row.
    std::vector<DisplayPixel> m_cells;
};

// Writes the preview of pattern at stitchPixels as a PNG file, made and compressed a row at a
// time, replaced whole or not at all; a failure says in plain English what and why ("cannot
// write rose.png: Permission denied"). The file holds no time stamp: the same pattern gives the
// same bytes.
void SavePreviewPng(const std::string& fileName, const Pattern& pattern, int stitchPixels);

}  // namespace brodix::print
