#include "ChartPages.h"

#include <algorithm>
#include <string>
#include <vector>

#include "raster/Geometry.h"

namespace brodix::print::detail {

namespace {

constexpr double kRowBandMm = 8.0;  // row numbers and the centre arrow, left of the chart
constexpr double kHeaderMm = 9.0;   // the pattern's name, the page's number and map
constexpr double kTopBandMm = 5.0;  // page label, column numbers and the centre arrow
constexpr double kMapHeightMm = 8.0;
constexpr double kMapWidthMm = 30.0;
constexpr double kSmallMapBoxMm = 1.5;
constexpr double kNumberSize = 6.5;  // points
constexpr double kLabelSize = 7.5;
constexpr double kArrowMm = 1.6;  // length of a centre arrow
constexpr double kGreyInk = 0.6;  // the neighbours' repeated cells
// Grid lines: every stitch, bold every 5, heavier every 10, counted from the chart's edges.
constexpr double kThinLineMm = 0.08;
constexpr double kBoldLineMm = 0.25;
constexpr double kHeavyLineMm = 0.45;

// The stitches' colours, mixed with white to keep share of them, under the page's own cells,
// as one image of a pixel a cell: one operation per page however many colours it holds.
void DrawColours(PdfCanvas& pdf, const Census& census, const PrintedPage& page,
                 const ChartPlacement& at, double share) {
    std::vector<std::uint32_t> tints(census.palette.size());
    for (std::size_t k = 0; k < tints.size(); ++k)
        tints[k] = PackedRgb(TintOf(census.palette[k].color, share));
    pdf.Blocks(at.X(0), at.Y(0), at.cell, page.cols, page.rows, [&](int x, int y) {
        return tints[census.stitches[GridIndex(page.x0 + x, page.y0 + y, census.width)]];
    });
}

// The symbols of the cells in columns [x0, x1) and rows [y0, y1) of the page, in one grey
// level; with whiteInk, only those of the colours k for which whiteInk[k] is wanted.
void DrawSymbols(PdfCanvas& pdf, const SymbolFont& symbols, const ChartDocument& document,
                 const PrintedPage& page, const ChartPlacement& at, TRect cells, double grey,
                 const std::vector<bool>* whiteInk = nullptr, bool wanted = false) {
    std::vector<cairo_glyph_t> glyphs;
    for (int y = cells.Top; y < cells.Bottom; ++y) {
        for (int x = cells.Left; x < cells.Right; ++x) {
            const int k = document.census.IndexAt(page.x0 + x, page.y0 + y);
            const int symbol = document.symbolOf.Of(k);
            if (!symbols.HasInk(symbol) ||
                (whiteInk != nullptr && (*whiteInk)[static_cast<std::size_t>(k)] != wanted))
                continue;
            glyphs.push_back({SymbolFont::GlyphOf(symbol), at.X(x), at.Y(y + 1)});
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

std::string Range(int first, int count) {
    return count > 0 ? std::to_string(first + 1) + "-" + std::to_string(first + count)
                     : std::string("-");
}

// Over the chart: the pattern's name, "page n of m" with the page's stitches, and a small map
// of the pages with this one filled.
void DrawHeader(PdfCanvas& pdf, const ChartDocument& document, std::size_t index,
                const ChartPlacement& at) {
    const PrintedGrid& grid = document.grid;
    const PrintedPage& page = grid.pages[index];
    const double box = std::min(kMapHeightMm / grid.down, kMapWidthMm / grid.across);
    const double mapRight = at.X(grid.size.across + kOverlapStitches);
    const double mapLeft = mapRight - box * grid.across;
    const double top = kChartMarginMm;
    cairo_t* cr = pdf.Context();
    // The boxes of a map of hundreds of pages are under a millimetre: lines in proportion and
    // the page's own box darker keep it from becoming a black square.
    const bool small = box < kSmallMapBoxMm;
    pdf.SetGrey(small ? 0.35 : 0.75);
    cairo_rectangle(cr, mapLeft + box * page.column, top + box * page.row, box, box);
    cairo_fill(cr);
    pdf.SetGrey(0);
    cairo_set_line_width(cr, small ? box / 12 : 0.15);
    if (small) {
        // Hundreds of pages each drawing every page's box would cost the square of their
        // number: the lines between the boxes draw the same grid.
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
        for (int column = 0; column <= grid.across; ++column) {
            cairo_move_to(cr, mapLeft + box * column, top);
            cairo_line_to(cr, mapLeft + box * column, top + box * grid.down);
        }
        for (int row = 0; row <= grid.down; ++row) {
            cairo_move_to(cr, mapLeft, top + box * row);
            cairo_line_to(cr, mapLeft + box * grid.across, top + box * row);
        }
    } else {
        for (const PrintedPage& other : grid.pages)
            cairo_rectangle(cr, mapLeft + box * other.column, top + box * other.row, box, box);
    }
    cairo_stroke(cr);

    const double left = at.left - kRowBandMm;
    const std::string number = "Chart " + std::to_string(index + 1) + " of " +
                               std::to_string(grid.pages.size()) + " " + page.Label();
    const double numberWidth = pdf.TextWidth(number, kLabelSize, Weight::Bold);
    pdf.Text(mapLeft - 3, top + 3.2, number, kLabelSize, Align::Right, Weight::Bold);
    pdf.Text(left, top + 3.2,
             pdf.Fitted(document.name, kLabelSize, mapLeft - 6 - numberWidth - left), kLabelSize,
             Align::Left, Weight::Bold);
    pdf.Text(mapLeft - 3, top + 7,
             "columns " + Range(page.x0, page.cols) + ", rows " + Range(page.y0, page.rows),
             kNumberSize, Align::Right);
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
}

}  // namespace

PageSize ChartPageSizeOn(const PaperSize& paper) {
    // The cells that fit, less the greyed strips; a hair's room for rounding.
    const auto fit = [](double mm) {
        return std::max(1, static_cast<int>(mm / kChartCellMm + 1e-6) - kOverlapStitches);
    };
    return {fit(paper.width - 2 * kChartMarginMm - kRowBandMm),
            fit(paper.height - 2 * kChartMarginMm - kHeaderMm - kTopBandMm)};
}

ChartPlacement ChartPlacementOn(const PaperSize& paper) {
    const PageSize size = ChartPageSizeOn(paper);
    const double blockWidth = kRowBandMm + kChartCellMm * (size.across + kOverlapStitches);
    ChartPlacement at;
    at.left = kChartMarginMm + (paper.width - 2 * kChartMarginMm - blockWidth) / 2 + kRowBandMm;
    at.top = kChartMarginMm + kHeaderMm + kTopBandMm;
    return at;
}

void DrawChartPage(PdfCanvas& pdf, const SymbolFont& symbols, const ChartDocument& document,
                   std::size_t index, ChartStyle style) {
    const Census& census = document.census;
    const PrintedPage& page = document.grid.pages[index];
    const ChartPlacement at = ChartPlacementOn(pdf.Size());
    const int allCols = page.cols + page.extraCols;
    const int allRows = page.rows + page.extraRows;
    if (style != ChartStyle::BlackWhite)
        DrawColours(pdf, census, page, at, style == ChartStyle::Tint ? kTintShare : 1.0);
    // The neighbours' cells: the strip to the right (with the corner) and the strip below.
    DrawSymbols(pdf, symbols, document, page, at, Rect(page.cols, 0, allCols, allRows), kGreyInk);
    DrawSymbols(pdf, symbols, document, page, at, Rect(0, page.rows, page.cols, allRows), kGreyInk);
    if (page.extraCols + page.extraRows > 0)
        DrawGrid(pdf, page, at, allCols, allRows, kGreyInk);
    const TRect own = Rect(0, 0, page.cols, page.rows);
    if (style == ChartStyle::Colour) {
        std::vector<bool> whiteInk;
        for (const PaletteEntry& entry : census.palette)
            whiteInk.push_back(WantsWhiteInk(entry.color));
        DrawSymbols(pdf, symbols, document, page, at, own, 0.0, &whiteInk, false);
        DrawSymbols(pdf, symbols, document, page, at, own, 1.0, &whiteInk, true);
    } else {
        DrawSymbols(pdf, symbols, document, page, at, own, 0.0);
    }
    if (page.cols > 0 && page.rows > 0)
        DrawGrid(pdf, page, at, page.cols, page.rows, 0.0);
    DrawRulers(pdf, census, page, at);
    DrawHeader(pdf, document, index, at);
}

}  // namespace brodix::print::detail
