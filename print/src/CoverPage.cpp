#include "CoverPage.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "raster/FileName.h"
#include "threads/Floss.h"
#include "threads/KeyBuilder.h"

namespace brodix::print::detail {

namespace {

constexpr double kMarginMm = 15.0;
constexpr double kPictureHeightMm = 110.0;
constexpr double kLineMm = 5.5;
constexpr double kInfoSize = 10.0;
constexpr double kMapBoxWidthMm = 40.0;
constexpr double kMapBoxHeightMm = 16.0;
constexpr double kReportSize = 8.5;
constexpr double kReportLineMm = 4.5;

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
void DrawPageMap(PdfCanvas& pdf, const PrintedGrid& grid, double top, int firstChartPage) {
    cairo_t* cr = pdf.Context();
    const double width = std::min(kMapBoxWidthMm, (pdf.Size().width - 2 * kMarginMm) / grid.across);
    const double left = (pdf.Size().width - width * grid.across) / 2;
    cairo_set_line_width(cr, 0.3);
    for (std::size_t i = 0; i < grid.pages.size(); ++i) {
        const PrintedPage& page = grid.pages[i];
        const double x = left + width * page.column;
        const double y = top + kMapBoxHeightMm * page.row;
        pdf.SetGrey(0);
        cairo_rectangle(cr, x, y, width, kMapBoxHeightMm);
        cairo_stroke(cr);
        const double centre = x + width / 2;
        pdf.Text(centre, y + 5,
                 page.Label() + " p. " + std::to_string(firstChartPage + static_cast<int>(i)), 9,
                 Align::Centre, Weight::Bold);
        const auto range = [](int first, int count) {
            return count > 0 ? std::to_string(first + 1) + "-" + std::to_string(first + count)
                             : std::string("-");
        };
        pdf.Text(centre, y + 9.5, "columns " + range(page.x0, page.cols), 7, Align::Centre);
        pdf.Text(centre, y + 13, "rows " + range(page.y0, page.rows), 7, Align::Centre);
    }
}

// The stitchability report, when asked for, below the pattern's figures; the next line's y.
double DrawReport(PdfCanvas& pdf, const std::vector<std::string>& lines, double y, double width) {
    if (lines.empty())
        return y;
    y += 2;
    pdf.Text(kMarginMm, y, "How easily it stitches", kInfoSize, Align::Left, Weight::Bold);
    for (const std::string& line : lines) {
        y += kReportLineMm;
        pdf.Text(kMarginMm, y, pdf.Fitted(line, kReportSize, width), kReportSize);
    }
    return y + kLineMm;
}

}  // namespace

void DrawCoverPage(PdfCanvas& pdf, const PdfSources& sources, const PrintedGrid& grid,
                   int firstChartPage) {
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
    std::vector<std::string> lines = {
        "Size: " + std::to_string(census.width) + " x " + std::to_string(census.height) +
            " stitches",
        threads::FinishedSizeText(census.width, census.height, sources.key.floss.fabricCount),
        threads::FabricToCutText(census.width, census.height, sources.key.floss.fabricCount),
        "Colours: " + std::to_string(census.palette.size()),
        "Threads: " + (title.empty() ? std::string("no catalogue chosen") : title),
    };
    for (const std::string& line : lines) {
        pdf.Text(kMarginMm, y, pdf.Fitted(line, kInfoSize, width), kInfoSize);
        y += kLineMm;
    }
    y = DrawReport(pdf, sources.reportLines, y, width);
    y += 4;
    pdf.Text(kMarginMm, y,
             "Chart pages: " + std::to_string(grid.pages.size()) + ", each at most " +
                 std::to_string(grid.size.across) + " x " + std::to_string(grid.size.down) +
                 " stitches",
             kInfoSize);
    y += 4;
    DrawPageMap(pdf, grid, y, firstChartPage);
}

}  // namespace brodix::print::detail
