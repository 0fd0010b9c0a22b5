// Draws the symbol sheet: every cell's dotted frame, and its symbol in the middle.
// Usage: make_symbol_sheet OUTPUT.bmp
#include <cstdio>
#include <exception>

#include "SymbolDesigns.h"
#include "engine/SymbolSheet.h"
#include "raster/TBitmap.h"
#include "raster/TPicture.h"

namespace {

using namespace brodix;

// The same dotted frame as the blank cell: black where the cell-relative coordinate along the
// border is even. The pitch is even, so cells that share a border draw the same dots on it.
void DrawFrame(TBitmap& sheet, const TRect& cell) {
    for (int i = 0; i < kCellSize; i += 2) {
        sheet.SetPixel(cell.Left + i, cell.Top, clBlack);
        sheet.SetPixel(cell.Left + i, cell.Bottom - 1, clBlack);
        sheet.SetPixel(cell.Left, cell.Top + i, clBlack);
        sheet.SetPixel(cell.Right - 1, cell.Top + i, clBlack);
    }
}

void DrawGlyph(TBitmap& sheet, const TRect& cell, const SymbolInk& glyph) {
    for (int y = 0; y < kSymbolInside; ++y) {
        for (int x = 0; x < kSymbolInside; ++x) {
            if (glyph[GridIndex(x, y, kSymbolInside)])
                sheet.SetPixel(cell.Left + 1 + x, cell.Top + 1 + y, clBlack);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<SymbolInk> glyphs = SymbolGlyphs();
        // A display-format sheet is saved at 32 bits, so each cell copies as plain rows.
        TBitmap sheet;
        sheet.SetWidth(kSymbolSheetWidth);
        sheet.SetHeight(kSymbolSheetHeight);
        for (int k = 0; k < kSymbolCount; ++k) {
            DrawFrame(sheet, SymbolCellRect(k));
            DrawGlyph(sheet, SymbolCellRect(k), glyphs[k]);
        }
        TPicture picture;
        picture.SetGraphic(&sheet);
        picture.SaveToFile(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
