#include "CoverPage.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

constexpr double kCutMarginInches = 2.0;  // about 5 cm of bare fabric each side, for framing

std::string SizeText(double wideInches, double highInches) {
    return threads::Fixed(wideInches * 2.54, 1) + " x " + threads::Fixed(highInches * 2.54, 1) +
           " cm (" + threads::Fixed(wideInches, 1) + " x " + threads::Fixed(highInches, 1) + " in)";
}

std::string FinishedSize(const Census& census, double fabricCount) {
    if (!(fabricCount > 0))
        return "";
    const bool whole = fabricCount == static_cast<int>(fabricCount);
    return "Finished size on " + threads::Fixed(fabricCount, whole ? 0 : 1) +
           "-count fabric: " + SizeText(census.width / fabricCount, census.height / fabricCount);
}

std::string FabricToCut(const Census& census, double fabricCount) {
    if (!(fabricCount > 0))
        return "";
    const double margins = 2 * kCutMarginInches;
    return "Fabric to cut, with 5 cm (2 in) to spare each side: " +
           SizeText(census.width / fabricCount + margins, census.height / fabricCount + margins);
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
        FinishedSize(census, sources.key.floss.fabricCount),
        FabricToCut(census, sources.key.floss.fabricCount),
        "Colours: " + std::to_string(census.palette.size()),
        "Threads: " + (title.empty() ? std::string("no catalogue chosen") : title),
    };
    lines.insert(lines.end(), sources.coverNotes.begin(), sources.coverNotes.end());
    for (const std::string& line : lines) {
        pdf.Text(kMarginMm, y, pdf.Fitted(line, kInfoSize, width), kInfoSize);
        y += kLineMm;
    }
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
