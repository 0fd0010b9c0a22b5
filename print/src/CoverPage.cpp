#include "CoverPage.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "raster/FileName.h"
#include "threads/KeyBuilder.h"

namespace brodix::print::detail {

namespace {

constexpr double kMarginMm = 15.0;
constexpr double kPictureHeightMm = 110.0;
constexpr double kLineMm = 5.5;
constexpr double kInfoSize = 10.0;
constexpr double kMapBoxWidthMm = 40.0;
constexpr double kMapBoxHeightMm = 16.0;

std::string FinishedSize(const Census& census, double fabricCount) {
    if (!(fabricCount > 0))
        return "";
    const double wide = census.width / fabricCount;  // inches
    const double high = census.height / fabricCount;
    const bool whole = fabricCount == static_cast<int>(fabricCount);
    return "Finished size on " + threads::Fixed(fabricCount, whole ? 0 : 1) +
           "-count fabric: " + threads::Fixed(wide * 2.54, 1) + " x " +
           threads::Fixed(high * 2.54, 1) + " cm (" + threads::Fixed(wide, 1) + " x " +
           threads::Fixed(high, 1) + " in)";
}

// The reduced picture, one block per stitch, never smoothed.
void DrawPicture(PdfCanvas& pdf, const Census& census, double top, double width) {
    if (census.width <= 0 || census.height <= 0)
        return;
    const double scale = std::min(width / census.width, kPictureHeightMm / census.height);
    const double left = (pdf.Size().width - scale * census.width) / 2;
    pdf.Blocks(left, top, scale, census.width, census.height,
               [&census](int x, int y) { return PackedRgb(RgbOf(census.ColorAt(x, y))); });
}

// One box per chart page, laid out as the pages lie, with the stitches it covers.
void DrawPageMap(PdfCanvas& pdf, const PrintedGrid& grid, double top) {
    cairo_t* cr = pdf.Context();
    const double width = std::min(kMapBoxWidthMm, (pdf.Size().width - 2 * kMarginMm) / grid.across);
    const double left = (pdf.Size().width - width * grid.across) / 2;
    cairo_set_line_width(cr, 0.3);
    for (const PrintedPage& page : grid.pages) {
        const double x = left + width * page.column;
        const double y = top + kMapBoxHeightMm * page.row;
        pdf.SetGrey(0);
        cairo_rectangle(cr, x, y, width, kMapBoxHeightMm);
        cairo_stroke(cr);
        const double centre = x + width / 2;
        pdf.Text(centre, y + 5, page.Label(), 9, Align::Centre, Weight::Bold);
        const auto range = [](int first, int count) {
            return count > 0 ? std::to_string(first + 1) + "-" + std::to_string(first + count)
                             : std::string("-");
        };
        pdf.Text(centre, y + 9.5, "columns " + range(page.x0, page.cols), 7, Align::Centre);
        pdf.Text(centre, y + 13, "rows " + range(page.y0, page.rows), 7, Align::Centre);
    }
}

}  // namespace

void DrawCoverPage(PdfCanvas& pdf, const PdfSources& sources, const PrintedGrid& grid) {
    const Census& census = sources.census;
    const double width = pdf.Size().width - 2 * kMarginMm;
    double y = kMarginMm + 7;
    pdf.SetGrey(0);
    pdf.Text(kMarginMm, y, pdf.Fitted(NamePart(sources.pictureName), 16, width), 16, Align::Left,
             Weight::Bold);
    y += 6;
    pdf.Text(kMarginMm, y, "Counted cross-stitch pattern", kInfoSize);
    y += 5;
    DrawPicture(pdf, census, y, width);
    y += kPictureHeightMm + 10;

    const std::string title = sources.key.catalogueTitle;
    const std::string lines[] = {
        "Size: " + std::to_string(census.width) + " x " + std::to_string(census.height) +
            " stitches",
        FinishedSize(census, sources.key.floss.fabricCount),
        "Colours: " + std::to_string(census.palette.size()),
        "Threads: " + (title.empty() ? std::string("no catalogue chosen") : title),
    };
    for (const std::string& line : lines) {
        pdf.Text(kMarginMm, y, pdf.Fitted(line, kInfoSize, width), kInfoSize);
        y += kLineMm;
    }
    y += 4;
    pdf.Text(kMarginMm, y,
             "Chart pages: " + std::to_string(grid.pages.size()) + ", each at most " +
                 std::to_string(kChartPageSize.across) + " x " +
                 std::to_string(kChartPageSize.down) + " stitches",
             kInfoSize);
    y += 4;
    DrawPageMap(pdf, grid, y);
}

}  // namespace brodix::print::detail
