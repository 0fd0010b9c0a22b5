#include "engine/Make.h"

#include <string>

#include "engine/Census.h"
#include "engine/SymbolSheet.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace brodix {

namespace {

constexpr int kLegendWidth = 89;
constexpr int kLegendRowHeight = 15;
constexpr int kGridSpacing = 5 * kCellPitch;

// A new white image of the given size becomes the picture of image, whose control takes the
// same size. Only the picture's own copy is kept.
void GiveNewPicture(TImage& image, int width, int height) {
    TBitmap bitmap;
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    image.Picture().SetGraphic(&bitmap);
    image.SetWidth(width);
    image.SetHeight(height);
}

void DrawLegendRows(TImage& legend, TImage& symbols, const Census& census) {
    const int n = static_cast<int>(census.palette.size());
    TCanvas& canvas = legend.Canvas();
    for (int i = 0; i < n; ++i) {
        const auto [color, count] = census.palette[i];
        const int y = kLegendRowHeight * i;
        canvas.Brush().SetColor(clWhite - color);
        canvas.FillRect(Rect(0, y, 30, y + 15));
        canvas.Brush().SetColor(color);
        canvas.FillRect(Rect(1, y + 1, 29, y + 14));
        // White stitches are drawn with the blank cell, so white has no symbol.
        if (color != clWhite) {
            canvas.CopyRect(Rect(31, y + 1, 44, y + 14), symbols.Canvas(), SymbolCellRect(i));
        }
        canvas.Brush().SetColor(clWhite);
        canvas.TextOut(50, y + 2, std::to_string(count));
    }
}

void WritePreview(TImage& preview, const Census& census) {
    TCanvas& canvas = preview.Canvas();
    for (int y = 0; y < census.height; ++y) {
        for (int x = 0; x < census.width; ++x)
            canvas.SetPixel(x, y, census.ColorAt(x, y));
    }
}

// The canvas to copy image's cells from: its own when its bitmap is in display format, the
// chart's format, else that of copy, which is made a display-format copy of it. Copies between
// formats convert every pixel and cost Make most of its time; copies within one format are row
// copies. The pixels that reach the chart are the same either way.
TCanvas& DisplayFormatCanvas(TImage& image, TBitmap& copy) {
    TCanvas& canvas = image.Canvas();
    const TBitmap& bitmap = canvas.Bitmap();
    if (bitmap.PixelFormat() == TPixelFormat::Display)
        return canvas;
    copy.SetWidth(bitmap.Width());
    copy.SetHeight(bitmap.Height());
    const TRect all = Rect(0, 0, bitmap.Width(), bitmap.Height());
    copy.Canvas().CopyRect(all, canvas, all);
    return copy.Canvas();
}

void DrawChart(TImage& chart, TImage& symbols, TImage& blank, const Census& census) {
    GiveNewPicture(chart, kCellPitch * census.width + 1, kCellPitch * census.height + 1);
    TCanvas& canvas = chart.Canvas();
    // Asked for only when first needed: the canvas of an image without a picture gives it one.
    TCanvas* symbolCanvas = nullptr;
    TCanvas* blankCanvas = nullptr;
    TBitmap symbolCopy;
    TBitmap blankCopy;
    for (int y = 0; y < census.height; ++y) {
        for (int x = 0; x < census.width; ++x) {
            const int k = census.IndexAt(x, y);
            const TRect dest = Rect(kCellPitch * x, kCellPitch * y, kCellPitch * x + kCellSize,
                                    kCellPitch * y + kCellSize);
            // Cells overlap by one row and column: the later cell wins the shared line.
            if (census.palette[k].color == clWhite) {
                if (!blankCanvas)
                    blankCanvas = &DisplayFormatCanvas(blank, blankCopy);
                canvas.CopyRect(dest, *blankCanvas, kBlankCellRect);
            } else {
                if (!symbolCanvas)
                    symbolCanvas = &DisplayFormatCanvas(symbols, symbolCopy);
                canvas.CopyRect(dest, *symbolCanvas, SymbolCellRect(k));
            }
        }
    }

    // The brush stays black: the monochrome export of the chart takes the chart canvas's
    // brush colour as the background it keeps black.
    canvas.Brush().SetColor(clBlack);
    const int width = chart.Width();
    const int height = chart.Height();
    for (int k = 0; k <= height / kGridSpacing; ++k) {
        canvas.MoveTo(0, kGridSpacing * k);
        canvas.LineTo(width - 1, kGridSpacing * k);
    }
    for (int k = 0; k <= width / kGridSpacing; ++k) {
        canvas.MoveTo(kGridSpacing * k, 0);
        canvas.LineTo(kGridSpacing * k, height - 1);
    }
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

}  // namespace

MakeResult Make(MakeTargets& targets, const LevelChoices& levels) {
    if (!targets.source.Picture().HasGraphic())
        return MakeResult::NoPicture;
    targets.status.SetText("Making...");

    CensusResult result = TakeCensus(targets.source, levels);
    if (const auto* refusal = std::get_if<CensusRefusal>(&result)) {
        targets.messages.ShowMessage(refusal->text, refusal->title);
        targets.status.SetText("");
        return MakeResult::Refused;
    }
    const Census& census = std::get<Census>(result);

    GiveNewPicture(targets.legend, kLegendWidth,
                   kLegendRowHeight * static_cast<int>(census.palette.size()) + 1);
    targets.colorCount.SetText(std::to_string(census.palette.size()));
    targets.width.SetText(std::to_string(census.width));
    targets.height.SetText(std::to_string(census.height));
    DrawLegendRows(targets.legend, targets.symbols, census);
    WritePreview(targets.preview, census);
    DrawChart(targets.chart, targets.symbols, targets.blank, census);
    UpdateZoom(targets.zoom, targets.preview);
    targets.status.SetText("");
    return MakeResult::Done;
}

}  // namespace brodix
