#include "ChartPages.h"

#include <string>
#include <vector>

#include "raster/Geometry.h"

namespace brodix::print::detail {

namespace {

constexpr double kRowBandMm = 8.0;   // row numbers and the centre arrow, left of the chart
constexpr double kTopBandMm = 5.0;   // page label, column numbers and the centre arrow
constexpr double kNumberSize = 6.5;  // points
constexpr double kLabelSize = 7.5;
constexpr double kArrowMm = 1.6;  // length of a centre arrow
constexpr double kGreyInk = 0.6;  // the neighbours' repeated cells
// Grid lines: every stitch, bold every 5, heavier every 10, counted from the chart's edges.
constexpr double kThinLineMm = 0.08;
constexpr double kBoldLineMm = 0.25;
constexpr double kHeavyLineMm = 0.45;

bool IsBlank(const Census& census, int index) {
    return census.palette[static_cast<std::size_t>(index)].color == clWhite;
}

// Light tints of the stitches' colours under the page's own cells, as one image of a pixel a
// cell: one operation per page however many colours it holds.
void DrawTints(PdfCanvas& pdf, const Census& census, const PrintedPage& page,
               const ChartPlacement& at) {
    std::vector<std::uint32_t> tints(census.palette.size());
    for (std::size_t k = 0; k < tints.size(); ++k)
        tints[k] = PackedRgb(TintOf(census.palette[k].color, kTintShare));
    pdf.Blocks(at.X(0), at.Y(0), at.cell, page.cols, page.rows,
               [&](int x, int y) { return tints[census.IndexAt(page.x0 + x, page.y0 + y)]; });
}

// The symbols of the cells in columns [x0, x1) and rows [y0, y1) of the page, in one colour.
void DrawSymbols(PdfCanvas& pdf, const SymbolFont& symbols, const Census& census,
                 const PrintedPage& page, const ChartPlacement& at, TRect cells, double grey) {
    std::vector<cairo_glyph_t> glyphs;
    for (int y = cells.Top; y < cells.Bottom; ++y) {
        for (int x = cells.Left; x < cells.Right; ++x) {
            const int k = census.IndexAt(page.x0 + x, page.y0 + y);
            if (IsBlank(census, k) || !symbols.HasInk(k))
                continue;
            glyphs.push_back({SymbolFont::GlyphOf(k), at.X(x), at.Y(y)});
        }
    }
    if (glyphs.empty())
        return;
    cairo_t* cr = pdf.Context();
    pdf.SetGrey(grey);
    symbols.Select(cr, at.cell);
    SymbolFont::Show(cr, glyphs);
}

double LineWidthAt(int stitchLine) {
    if (stitchLine % 10 == 0)
        return kHeavyLineMm;
    return stitchLine % 5 == 0 ? kBoldLineMm : kThinLineMm;
}

// The grid over cols x rows cells from the page's corner, one stroke per line weight.
void DrawGrid(PdfCanvas& pdf, const PrintedPage& page, const ChartPlacement& at, int cols, int rows,
              double grey) {
    cairo_t* cr = pdf.Context();
    pdf.SetGrey(grey);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    for (const double width : {kThinLineMm, kBoldLineMm, kHeavyLineMm}) {
        for (int x = 0; x <= cols; ++x) {
            if (LineWidthAt(page.x0 + x) != width)
                continue;
            cairo_move_to(cr, at.X(x), at.Y(0));
            cairo_line_to(cr, at.X(x), at.Y(rows));
        }
        for (int y = 0; y <= rows; ++y) {
            if (LineWidthAt(page.y0 + y) != width)
                continue;
            cairo_move_to(cr, at.X(0), at.Y(y));
            cairo_line_to(cr, at.X(cols), at.Y(y));
        }
        cairo_set_line_width(cr, width);
        cairo_stroke(cr);
    }
}

// A filled triangle pointing from (baseX, baseY) towards (tipX, tipY).
void Arrow(cairo_t* cr, double tipX, double tipY, double baseX, double baseY) {
    const double halfX = (baseY - tipY) * 0.6;  // the base runs across the arrow's direction
    const double halfY = (baseX - tipX) * 0.6;
    cairo_move_to(cr, tipX, tipY);
    cairo_line_to(cr, baseX + halfX, baseY + halfY);
    cairo_line_to(cr, baseX - halfX, baseY - halfY);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// Absolute column and row numbers every 10 stitches, over and left of their stitch; arrows at
// the centre column and row where they cross the page; the page's label in the corner.
void DrawRulers(PdfCanvas& pdf, const Census& census, const PrintedPage& page,
                const ChartPlacement& at) {
    cairo_t* cr = pdf.Context();
    pdf.SetGrey(0);
    const double numberLift = 2.2;
    for (int n = (page.x0 / 10 + 1) * 10; n <= page.x0 + page.cols; n += 10) {
        const double x = at.X(n - page.x0) - at.cell / 2;
        pdf.Text(x, at.top - numberLift, std::to_string(n), kNumberSize, Align::Centre);
    }
    const double digitHalf = kNumberSize * kMmPerPoint * 0.36;
    for (int n = (page.y0 / 10 + 1) * 10; n <= page.y0 + page.rows; n += 10) {
        const double y = at.Y(n - page.y0) - at.cell / 2 + digitHalf;
        pdf.Text(at.left - numberLift, y, std::to_string(n), kNumberSize, Align::Right);
    }
    const double centreX = census.width / 2.0 - page.x0;
    if (page.cols > 0 && centreX >= 0 && centreX <= page.cols) {
        const double x = at.left + at.cell * centreX;
        Arrow(cr, x, at.top - 0.3, x, at.top - 0.3 - kArrowMm);
    }
    const double centreY = census.height / 2.0 - page.y0;
    if (page.rows > 0 && centreY >= 0 && centreY <= page.rows) {
        const double y = at.top + at.cell * centreY;
        Arrow(cr, at.left - 0.3, y, at.left - 0.3 - kArrowMm, y);
    }
    pdf.Text(at.left - kRowBandMm, at.top - 1.2, page.Label(), kLabelSize, Align::Left,
             Weight::Bold);
}

}  // namespace

ChartPlacement ChartPlacementOn(const PaperSize& paper) {
    const double blockWidth =
        kRowBandMm + kChartCellMm * (kChartPageSize.across + kOverlapStitches);
    ChartPlacement at;
    at.left = kChartMarginMm + (paper.width - 2 * kChartMarginMm - blockWidth) / 2 + kRowBandMm;
    at.top = kChartMarginMm + kTopBandMm;
    return at;
}

void DrawChartPage(PdfCanvas& pdf, const SymbolFont& symbols, const Census& census,
                   const PrintedPage& page, ChartStyle style) {
    const ChartPlacement at = ChartPlacementOn(pdf.Size());
    const int allCols = page.cols + page.extraCols;
    const int allRows = page.rows + page.extraRows;
    if (style == ChartStyle::Tint)
        DrawTints(pdf, census, page, at);
    // The neighbours' cells: the strip to the right (with the corner) and the strip below.
    DrawSymbols(pdf, symbols, census, page, at, Rect(page.cols, 0, allCols, allRows), kGreyInk);
    DrawSymbols(pdf, symbols, census, page, at, Rect(0, page.rows, page.cols, allRows), kGreyInk);
    if (page.extraCols + page.extraRows > 0)
        DrawGrid(pdf, page, at, allCols, allRows, kGreyInk);
    DrawSymbols(pdf, symbols, census, page, at, Rect(0, 0, page.cols, page.rows), 0.0);
    if (page.cols > 0 && page.rows > 0)
        DrawGrid(pdf, page, at, page.cols, page.rows, 0.0);
    DrawRulers(pdf, census, page, at);
}

}  // namespace brodix::print::detail
