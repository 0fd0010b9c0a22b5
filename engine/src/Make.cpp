#include "engine/Make.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/Census.h"
#include "engine/ChartGeometry.h"
#include "engine/Refine.h"
#include "engine/SymbolSheet.h"
#include "raster/DisplayPixels.h"
#include "raster/RowStreamer.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace brodix {

namespace {

constexpr DisplayPixel kBlackPixel = DisplayPixelOf(clBlack);

// bitmap becomes the picture of image, whose control takes its size. Only the picture's own
// copy is kept.
void GivePicture(TImage& image, TBitmap& bitmap) {
    image.Picture().SetGraphic(&bitmap);
    image.SetWidth(bitmap.Width());
    image.SetHeight(bitmap.Height());
}

// A new white image of the given size becomes the picture of image.
void GiveNewPicture(TImage& image, int width, int height) {
    TBitmap bitmap;
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    GivePicture(image, bitmap);
}

// A new legend, each row written once: its frame in the inverse colour and its swatch inside,
// white to the right and in the row below the last colour, exactly as filling the white image
// and the two rectangles through the canvas does.
void GiveNewLegend(TImage& legend, const Census& census) {
    const int colours = static_cast<int>(census.palette.size());
    TBitmap bitmap;
    bitmap.SetSizeForOverwrite(kLegendWidth, LegendHeight(colours));
    RequireTopDownDisplay(bitmap, "the legend");
    const DisplayPixel white = bitmap.PixelValueOf(clWhite);
    const auto fillRow = [&](int y, DisplayPixel frame, DisplayPixel swatch, bool inside) {
        const std::span<DisplayPixel> row = MutableDisplayRow(bitmap, y);
        std::fill_n(row.begin(), kSwatchFrameWidth, frame);
        if (inside) {
            std::fill(row.begin() + kSwatchInset, row.begin() + (kSwatchFrameWidth - kSwatchInset),
                      swatch);
        }
        std::fill(row.begin() + kSwatchFrameWidth, row.end(), white);
    };
    for (int i = 0; i < colours; ++i) {
        const TColor color = census.PaletteAt(i).color;
        const DisplayPixel frame = bitmap.PixelValueOf(ColorToRGB(clWhite - color));
        const DisplayPixel swatch = bitmap.PixelValueOf(ColorToRGB(color));
        for (int r = 0; r < kLegendRowHeight; ++r) {
            fillRow(kLegendRowHeight * i + r, frame, swatch,
                    r >= kSwatchInset && r < kLegendRowHeight - kSwatchInset);
        }
    }
    fillRow(kLegendRowHeight * colours, white, white, false);
    GivePicture(legend, bitmap);
}

// The cells Make draws from, in the chart's display format: the symbol sheet and the blank
// cell, each converted once through the canvas's CopyRect, so that formats convert and cells
// beyond a short sheet come out white exactly as copying each cell would give them. Either is
// empty when no colour needs it.
struct DisplayCells {
    TBitmap symbols;  // kSymbolSheetWidth x kSymbolSheetHeight
    TBitmap blank;    // one cell
};

void ConvertInto(TBitmap& bitmap, TCanvas& source, const TRect& area) {
    bitmap.SetWidth(area.Right - area.Left);
    bitmap.SetHeight(area.Bottom - area.Top);
    bitmap.Canvas().CopyRect(Rect(0, 0, bitmap.Width(), bitmap.Height()), source, area);
}

// The sheet for every colour but white (the legend shows their symbols), the blank cell for
// white when a stitch has it.
DisplayCells ConvertCells(TImage& symbols, TImage& blank, const Census& census) {
    bool symbolsNeeded = false;
    bool blankNeeded = false;
    for (std::size_t k = 0; k < census.palette.size(); ++k) {
        if (census.palette[k].color != clWhite) {
            symbolsNeeded = true;
        } else {
            blankNeeded = std::find(census.stitches.begin(), census.stitches.end(), k) !=
                          census.stitches.end();
        }
    }
    // Asked for only when needed: the canvas of an image without a picture gives it one.
    DisplayCells cells;
    if (symbolsNeeded)
        ConvertInto(cells.symbols, symbols.Canvas(),
                    Rect(0, 0, kSymbolSheetWidth, kSymbolSheetHeight));
    if (blankNeeded)
        ConvertInto(cells.blank, blank.Canvas(), kBlankCellRect);
    return cells;
}

// The symbols come from the converted sheet, where they already are in the legend's format.
void DrawLegendRows(TImage& legend, DisplayCells& cells, const Census& census) {
    TCanvas& canvas = legend.Canvas();
    canvas.Brush().SetColor(clWhite);
    for (std::size_t i = 0; i < census.palette.size(); ++i) {
        const auto [color, count] = census.palette[i];
        const int y = kLegendRowHeight * static_cast<int>(i);
        // White stitches are drawn with the blank cell, so white has no symbol.
        if (color != clWhite) {
            const int top = y + kLegendSymbolTop;
            canvas.CopyRect(
                Rect(kLegendSymbolLeft, top, kLegendSymbolLeft + kCellSize, top + kCellSize),
                cells.symbols.Canvas(), SymbolCellRect(census.SymbolAt(static_cast<int>(i))));
        }
        canvas.TextOut(kLegendCountLeft, y + kLegendCountTop, std::to_string(count));
    }
}

// Writes every stitch's colour into its pixel of the preview, exactly as setting the pixels one
// at a time through the canvas does (an indexed preview takes the nearest colour of its own
// table), but converts each palette colour once and reports the change once. A display-format
// preview (any picture read from a file of 16 bits or more) is written row by row.
void WritePreview(TImage& preview, const Census& census) {
    TBitmap& bitmap = preview.Canvas().Bitmap();
    std::vector<std::uint32_t> values(census.palette.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = bitmap.PixelValueOf(census.palette[i].color);
    // The preview was loaded from the same file as the source, but that file may have changed
    // in between: pixels beyond the preview are left out, as a pixel write outside would be.
    const int width = std::min(census.width, bitmap.Width());
    const int height = std::min(census.height, bitmap.Height());
    const bool display = bitmap.PixelFormat() == TPixelFormat::Display;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* stitch = &census.stitches[GridIndex(0, y, census.width)];
        if (display) {
            const std::span<DisplayPixel> row = MutableDisplayRow(bitmap, y);
            std::transform(stitch, stitch + width, row.begin(),
                           [&](std::uint8_t k) { return values[k]; });
        } else {
            for (int x = 0; x < width; ++x)
                bitmap.SetPixelValue(x, y, values[stitch[x]]);
        }
    }
    bitmap.Modified();
}

// Row r of every colour's cell, its first 12 pixels as tile k of tiles and its 13th as
// lasts[k]: a chart row reads row r of many cells, which then lie together in the first-level
// cache. White's cell is the blank cell, or nothing when no stitch is white.
void CellRowsAsTiles(const DisplayCells& cells, const Census& census, int r,
                     std::vector<DisplayPixel>& tiles, std::vector<DisplayPixel>& lasts) {
    tiles.clear();
    lasts.clear();
    for (std::size_t k = 0; k < census.palette.size(); ++k) {
        const bool white = census.palette[k].color == clWhite;
        if (white && cells.blank.Height() == 0) {
            tiles.insert(tiles.end(), kCellPitch, 0);
            lasts.push_back(0);
            continue;
        }
        const TRect cell =
            white ? kBlankCellRect : SymbolCellRect(census.SymbolAt(static_cast<int>(k)));
        const std::span<const DisplayPixel> row =
            DisplayRow(white ? cells.blank : cells.symbols, cell.Top + r)
                .subspan(static_cast<std::size_t>(cell.Left), kCellSize);
        tiles.insert(tiles.end(), row.begin(), row.begin() + kCellPitch);
        lasts.push_back(row[kCellPitch]);
    }
}

// Draws every stitch's cell at (12x, 12y), then the grid: black lines along every fifth
// stitch boundary, counted from the top and left edges, as the default pen draws them from
// (0, 60k) to (width - 1, 60k) and from (60k, 0) to (60k, height - 1), end points excluded.
//
// Cells overlap by one row and column and the later cell (to the right, or below) wins the
// shared line, so each cell leaves its first 12 columns and rows and only the last ones leave
// all 13. Each chart row goes straight from the cells into the chart, grid pixels included,
// and is written once: the result is exactly that of copying cell after cell and drawing the
// lines afterwards, in one pass over the chart's 23 MB instead of three.
void DrawCellsAndGrid(TBitmap& chart, const DisplayCells& cells, const Census& census) {
    static_assert(kCellPitch == TRowStreamer::kTileWidth);
    static_assert(kGridSpacing % kCellPitch == 0);
    // Rows are written by pointer from the chart's first: both bitmaps are new, so in display
    // format with top-down rows, one pixel after another.
    RequireTopDownDisplay(chart, "the chart");
    const int width = chart.Width();
    const int height = chart.Height();
    DisplayPixel* const pixels = reinterpret_cast<DisplayPixel*>(chart.MutableBits());
    TRowStreamer streamer(chart.StoreSize());
    std::vector<DisplayPixel> tiles;
    std::vector<DisplayPixel> lasts;
    const auto drawRow = [&](int y, int r) {
        const int py = kCellPitch * y + r;
        const std::span<const std::uint8_t> stitches(
            census.stitches.data() + GridIndex(0, y, census.width),
            census.stitches.data() + GridIndex(0, y + 1, census.width));
        DisplayPixel* const row = pixels + GridIndex(0, py, width);
        // The last column is a grid line's when it falls on one, on every row but the last.
        const bool lines = py < height - 1;
        const DisplayPixel last =
            lines && (width - 1) % kGridSpacing == 0 ? kBlackPixel : lasts[stitches.back()];
        if (py % kGridSpacing == 0) {
            streamer.Fill(row, static_cast<std::size_t>(width - 1), kBlackPixel);
            row[width - 1] = last;
        } else {
            streamer.WriteTiles(row, stitches, last, lines ? kGridSpacing / kCellPitch : 0);
        }
    };
    // Row r of the chart's every stitch row is drawn before row r + 1 of any: the rows then
    // read only row r of the cells, 16 KB that stay in the first-level cache, where rows in
    // order would read twelve times that between two uses of a cell row.
    for (int r = 0; r < kCellPitch; ++r) {
        CellRowsAsTiles(cells, census, r, tiles, lasts);
        streamer.SetTiles(tiles, kBlackPixel);
        for (int y = 0; y < census.height; ++y)
            drawRow(y, r);
    }
    // The last stitch row keeps its cells' last row.
    CellRowsAsTiles(cells, census, kCellPitch, tiles, lasts);
    streamer.SetTiles(tiles, kBlackPixel);
    drawRow(census.height - 1, kCellPitch);
    chart.Modified();
}

void DrawChart(TImage& chart, const DisplayCells& cells, const Census& census) {
    const int width = ChartExtent(census.width);
    const int height = ChartExtent(census.height);
    if (census.width > 0 && census.height > 0) {
        // Every pixel is drawn, so the chart is drawn before it is handed over and never
        // filled white first; the picture shares the drawn store.
        TBitmap bitmap;
        bitmap.SetSizeForOverwrite(width, height);
        DrawCellsAndGrid(bitmap, cells, census);
        GivePicture(chart, bitmap);
    } else {
        // An empty picture's chart is one white pixel, too small for any line.
        GiveNewPicture(chart, width, height);
    }
    // The canvas is left as drawing the lines with it leaves it. Its brush stays black: the
    // monochrome export of the chart takes the chart canvas's brush colour as the background
    // it keeps black.
    TCanvas& canvas = chart.Canvas();
    canvas.Brush().SetColor(clBlack);
    canvas.SetPenPos({kGridSpacing * (width / kGridSpacing), height - 1});
}

void UpdateZoom(ZoomTarget& zoom, TImage& preview) {
    const int width = preview.Picture().Width();
    const int height = preview.Picture().Height();
    zoom.image.SetHeight(height);
    zoom.image.SetWidth(width);
    zoom.image.Picture().SetGraphic(&preview.Picture().Bitmap());
    zoom.image.SetHeight(zoom.image.Height() * zoom.factor);
    zoom.image.SetWidth(zoom.image.Width() * zoom.factor);
    zoom.image.SetStretch(true);
    zoom.width.SetText(std::to_string(width));
    zoom.height.SetText(std::to_string(height));
}

// The pixel of the chart at (px, py) that the stitch of census at (x, y) owns, as
// DrawCellsAndGrid draws it: its cell (it wins the lines it shares with the cells to its left
// and above), then the grid.
DisplayPixel ChartPixel(const DisplayCells& cells, const Census& census, int x, int y, int px,
                        int py, int width, int height) {
    const int k = census.IndexAt(x, y);
    const bool white = census.PaletteAt(k).color == clWhite;
    DisplayPixel cell = 0;
    if (!white || cells.blank.Height() > 0) {
        const TRect rect = white ? kBlankCellRect : SymbolCellRect(census.SymbolAt(k));
        cell = DisplayRow(
            white ? cells.blank : cells.symbols,
            rect.Top + py -
                kCellPitch * y)[static_cast<std::size_t>(rect.Left + px - kCellPitch * x)];
    }
    const bool lines = py < height - 1;
    if (px == width - 1)
        return lines && (width - 1) % kGridSpacing == 0 ? kBlackPixel : cell;
    if (py % kGridSpacing == 0 || (lines && px % kGridSpacing == 0))
        return kBlackPixel;
    return cell;
}

}  // namespace

void DrawStitchesMade(MakeTargets& targets, const Census& census,
                      std::span<const std::uint32_t> stitches, std::span<const int> rows) {
    DisplayCells cells = ConvertCells(targets.symbols, targets.blank, census);
    TBitmap& chart = targets.chart.Canvas().Bitmap();
    RequireTopDownDisplay(chart, "the chart");
    const int width = chart.Width();
    const int height = chart.Height();
    TBitmap& preview = targets.preview.Canvas().Bitmap();
    for (const std::uint32_t i : stitches) {
        const int x = static_cast<int>(i % static_cast<std::uint32_t>(census.width));
        const int y = static_cast<int>(i / static_cast<std::uint32_t>(census.width));
        // The cell's own pixels: its last column and row are its right and lower neighbours'.
        const int right = kCellPitch * x + (x + 1 == census.width ? kCellPitch + 1 : kCellPitch);
        const int bottom = kCellPitch * y + (y + 1 == census.height ? kCellPitch + 1 : kCellPitch);
        for (int py = kCellPitch * y; py < bottom; ++py) {
            const std::span<DisplayPixel> row = MutableDisplayRow(chart, py);
            for (int px = kCellPitch * x; px < right; ++px)
                row[static_cast<std::size_t>(px)] =
                    ChartPixel(cells, census, x, y, px, py, width, height);
        }
        if (x < preview.Width() && y < preview.Height())
            preview.SetPixelValue(x, y, preview.PixelValueOf(census.ColorAt(x, y)));
    }
    chart.Modified();
    preview.Modified();
    // Each count is written again on white, as on the new legend.
    TCanvas& legend = targets.legend.Canvas();
    legend.Brush().SetColor(clWhite);
    for (const int k : rows) {
        const int y = kLegendRowHeight * k;
        legend.FillRect(Rect(kLegendCountLeft, y, kLegendWidth, y + kLegendRowHeight));
        legend.TextOut(kLegendCountLeft, y + kLegendCountTop,
                       std::to_string(census.PaletteAt(k).count));
    }
    UpdateZoom(targets.zoom, targets.preview);
}

MakeResult Make(MakeTargets& targets, const LevelChoices& levels, const MakeOptions& options,
                Census* censusOut) {
    if (!targets.source.Picture().HasGraphic())
        return MakeResult::NoPicture;
    targets.status.SetText("Making...");

    CensusResult result = TakeRefinedCensus(targets.source, levels, options);
    if (const auto* refusal = std::get_if<CensusRefusal>(&result)) {
        targets.messages.ShowMessage(refusal->text, refusal->title);
        targets.status.SetText("");
        return MakeResult::Refused;
    }
    DrawMade(targets, std::get<Census>(result));
    if (censusOut != nullptr)
        *censusOut = std::move(std::get<Census>(result));
    return MakeResult::Done;
}

void DrawMade(MakeTargets& targets, const Census& census) {
    DisplayCells cells = ConvertCells(targets.symbols, targets.blank, census);
    GiveNewLegend(targets.legend, census);
    targets.colorCount.SetText(std::to_string(census.palette.size()));
    targets.width.SetText(std::to_string(census.width));
    targets.height.SetText(std::to_string(census.height));
    DrawLegendRows(targets.legend, cells, census);
    WritePreview(targets.preview, census);
    DrawChart(targets.chart, cells, census);
    UpdateZoom(targets.zoom, targets.preview);
    targets.status.SetText("");
}

}  // namespace brodix
