#include "CoverPage.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/Stitchability.h"
#include "print/StitchedPreview.h"
#include "raster/DisplayPixels.h"
#include "raster/FileName.h"
#include "raster/TBitmap.h"
#include "threads/Floss.h"
#include "threads/KeyBuilder.h"
#include "threads/StitchabilityText.h"

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
// A symbol in the report's text: its cell's side, how far below the baseline the cell ends,
// and how far a wrapped line of pairs is indented.
constexpr double kReportSymbolMm = 3.6;
constexpr double kReportSymbolDropMm = 0.7;
constexpr double kReportIndentMm = 4.0;

// A pattern of at most this many stitches a side is shown on the cover as it will look stitched;
// a larger one as its reduced picture, where a cross would be too small to see on paper.
constexpr int kMostStitchedCoverSide = 200;
// The stitched picture is drawn at about this many pixels an inch of paper.
constexpr double kStitchedCoverDotsPerInch = 300.0;

// The picture, as large as the room allows: stitched when small enough, else the reduced picture,
// one block per stitch, never smoothed.
void DrawPicture(PdfCanvas& pdf, const Pattern& pattern, double top, double width) {
    const Census& census = pattern.Stitches();
    if (census.width <= 0 || census.height <= 0)
        return;
    const double scale = std::min(width / census.width, kPictureHeightMm / census.height);
    const double left = (pdf.Size().width - scale * census.width) / 2;
    if (std::max(census.width, census.height) > kMostStitchedCoverSide) {
        pdf.Blocks(left, top, scale, census.width, census.height,
                   [&census](int x, int y) { return PackedRgb(RgbOf(census.ColorAt(x, y))); });
        return;
    }
    const int pixels = std::max(kLeastCrossPixels,
                                static_cast<int>(scale / kMmPerInch * kStitchedCoverDotsPerInch));
    const StitchedPreview preview(pattern, pixels);
    const TBitmap stitched = preview.Bitmap();
    pdf.Blocks(
        left, top, scale / preview.StitchPixels(), preview.Width(), preview.Height(),
        [&stitched](int x, int y) { return DisplayRow(stitched, y)[static_cast<std::size_t>(x)]; });
}

// The page number alone, as large as a small box of the page map allows (at most 9 points).
void DrawPageNumber(PdfCanvas& pdf, double x, double y, double width, double height, int number) {
    constexpr double kLargest = 9.0;
    const std::string text = std::to_string(number);
    const double byWidth = kLargest * 0.85 * width / pdf.TextWidth(text, kLargest, Weight::Bold);
    const double byHeight = 0.6 * height / kMmPerPoint;
    const double size = std::min({kLargest, byWidth, byHeight});
    pdf.Text(x + width / 2, y + (height + size * kMmPerPoint * 0.7) / 2, text, size, Align::Centre,
             Weight::Bold);
}

// One box per chart page, laid out as the pages lie, with the stitches it covers. A large
// pattern has hundreds of pages: the boxes then shrink to the room left on the cover and
// carry their page number alone.
void DrawPageMap(PdfCanvas& pdf, const PrintedGrid& grid, double top, int firstChartPage) {
    cairo_t* cr = pdf.Context();
    const double width = std::min(kMapBoxWidthMm, (pdf.Size().width - 2 * kMarginMm) / grid.across);
    // Below this width the label and the stitches no longer fit in a box; full boxes may reach
    // into the bottom margin, as far as this from the paper's edge (clear of the page number).
    constexpr double kLeastFullWidthMm = 30.0;
    constexpr double kLeastEdgeMm = 9.0;
    const bool full = width >= kLeastFullWidthMm &&
                      top + kMapBoxHeightMm * grid.down <= pdf.Size().height - kLeastEdgeMm;
    const double height =
        full ? kMapBoxHeightMm
             : std::min(kMapBoxHeightMm,
                        std::max(pdf.Size().height - kMarginMm - top, 0.0) / grid.down);
    const double left = (pdf.Size().width - width * grid.across) / 2;
    cairo_set_line_width(cr, full ? 0.3 : 0.15);
    for (std::size_t i = 0; i < grid.pages.size(); ++i) {
        const PrintedPage& page = grid.pages[i];
        const double x = left + width * page.column;
        const double y = top + height * page.row;
        pdf.SetGrey(0);
        cairo_rectangle(cr, x, y, width, height);
        cairo_stroke(cr);
        const int number = firstChartPage + static_cast<int>(i);
        if (!full) {
            DrawPageNumber(pdf, x, y, width, height, number);
            continue;
        }
        const double centre = x + width / 2;
        pdf.Text(centre, y + 5, page.Label() + " p. " + std::to_string(number), 9, Align::Centre,
                 Weight::Bold);
        const auto range = [](int first, int count) {
            return count > 0 ? std::to_string(first + 1) + "-" + std::to_string(first + count)
                             : std::string("-");
        };
        pdf.Text(centre, y + 9.5, "columns " + range(page.x0, page.cols), 7, Align::Centre);
        pdf.Text(centre, y + 13, "rows " + range(page.y0, page.rows), 7, Align::Centre);
    }
}

// The stitchability report as the PDF shows it: colours named by the key's symbols (and
// threads), symbols compared as the PDF prints them, by use.
StitchabilityReport PrintedReport(const PdfSources& sources, const PrintedSymbols& symbolOf) {
    SymbolsAlike alike;
    if (sources.symbolSheet != nullptr) {
        alike = [onSheet = SymbolsAlikeOnSheet(*sources.symbolSheet), &symbolOf](int a, int b) {
            const int first = symbolOf.Of(a);
            const int second = symbolOf.Of(b);
            return first != kNoSymbol && second != kNoSymbol && onSheet(first, second);
        };
    }
    return AssessStitchability(sources.pattern.Stitches(), alike);
}

// A piece of a report line: text, or (text empty) a symbol drawn from the symbol font.
struct Piece {
    std::string text;
    int symbol = kNoSymbol;
};

// Writes the report's lines, a line of pairs wrapping between its pairs.
class ReportWriter {
  public:
    ReportWriter(PdfCanvas& pdf, const SymbolFont& symbols, double y, double width)
        : m_pdf(pdf), m_symbols(symbols), m_y(y), m_right(kMarginMm + width) {}

    void Line(const std::string& text) {
        NewLine();
        m_pdf.Text(kMarginMm, m_y, m_pdf.Fitted(text, kReportSize, m_right - kMarginMm),
                   kReportSize);
    }
    // pieces, on the next line when they do not fit on this one.
    void Add(const std::vector<Piece>& pieces) {
        double width = 0;
        for (const Piece& piece : pieces)
            width +=
                piece.text.empty() ? kReportSymbolMm : m_pdf.TextWidth(piece.text, kReportSize);
        if (m_x + width > m_right && m_x > kMarginMm + kReportIndentMm) {
            NewLine();
            m_x += kReportIndentMm;
        }
        for (const Piece& piece : pieces) {
            if (!piece.text.empty()) {
                m_x += m_pdf.Text(m_x, m_y, piece.text, kReportSize);
                continue;
            }
            if (m_symbols.HasInk(piece.symbol))
                m_glyphs.push_back(
                    {SymbolFont::GlyphOf(piece.symbol), m_x, m_y + kReportSymbolDropMm});
            m_x += kReportSymbolMm;
        }
    }
    void NewLine() {
        m_y += kReportLineMm;
        m_x = kMarginMm;
    }
    // Draws the symbols gathered; the next line's y.
    double Finish() {
        m_pdf.SetGrey(0);
        m_symbols.Select(m_pdf.Context(), kReportSymbolMm);
        // The cover comes before the key: the symbols' first use (see ShowFirst).
        SymbolFont::ShowFirst(m_pdf.Context(), m_glyphs);
        return m_y;
    }

  private:
    PdfCanvas& m_pdf;
    const SymbolFont& m_symbols;
    double m_y;
    double m_x = kMarginMm;
    double m_right;
    std::vector<cairo_glyph_t> m_glyphs;
};

// A line of pairs: "none", or each pair as named, then how many more.
void AddPairs(ReportWriter& writer, const threads::PairsLine& line, const std::string& caption,
              const std::function<std::vector<Piece>(int)>& name) {
    writer.NewLine();
    writer.Add({{caption}});
    if (line.pairs.empty())
        writer.Add({{"none"}});
    for (std::size_t i = 0; i < line.pairs.size(); ++i) {
        std::vector<Piece> pair = name(line.pairs[i].first);
        pair.push_back({" and "});
        for (Piece& piece : name(line.pairs[i].second))
            pair.push_back(std::move(piece));
        pair.push_back({line.notes[i] + (i + 1 < line.pairs.size() || line.more > 0 ? ", " : "")});
        writer.Add(pair);
    }
    if (line.more > 0)
        writer.Add({{"and " + std::to_string(line.more) + " more"}});
}

// The stitchability report, when asked for, below the pattern's figures; the next line's y.
double DrawReport(PdfCanvas& pdf, const PdfSources& sources, const SymbolFont& symbols,
                  const PrintedSymbols& symbolOf, double y, double width) {
    if (!sources.pattern.Settings().report)
        return y;
    const StitchabilityReport report = PrintedReport(sources, symbolOf);
    y += 2;
    pdf.Text(kMarginMm, y, "How easily it stitches", kInfoSize, Align::Left, Weight::Bold);
    ReportWriter writer(pdf, symbols, y, width);
    for (const std::string& line : threads::StitchabilityFigureLines(report))
        writer.Line(line);
    const threads::PatternKey& key = sources.pattern.Key();
    const auto symbol = [&symbolOf](int colour) { return Piece{{}, symbolOf.Of(colour)}; };
    // Each colour as the key gives it: its symbol, then its thread's number.
    const auto colour = [&](int index) {
        const threads::KeyRow& row = key.Row(index);
        if (row.blank)
            return std::vector<Piece>{{"blank"}};
        std::vector<Piece> pieces = {symbol(index)};
        if (row.hasThread)
            pieces.push_back({" " + row.thread.number});
        return pieces;
    };
    const threads::PairsLine close = threads::CloseColoursLine(report);
    AddPairs(writer, close,
             close.caption + (key.threads.empty() ? ", by symbol: " : ", by symbol and thread: "),
             colour);
    const threads::PairsLine alike = threads::AlikeSymbolsLine(report);
    AddPairs(writer, alike, alike.caption + ": ",
             [&](int index) { return std::vector<Piece>{symbol(index)}; });
    return writer.Finish() + kLineMm;
}

}  // namespace

void DrawCoverPage(PdfCanvas& pdf, const PdfSources& sources, const SymbolFont& symbols,
                   const PrintedSymbols& symbolOf, const PrintedGrid& grid, int firstChartPage) {
    const Census& census = sources.pattern.Stitches();
    const threads::PatternKey& key = sources.pattern.Key();
    const double width = pdf.Size().width - 2 * kMarginMm;
    double y = kMarginMm + 7;
    pdf.SetGrey(0);
    pdf.Text(kMarginMm, y, pdf.Fitted(NamePart(sources.pattern.PictureName()), 16, width), 16,
             Align::Left, Weight::Bold);
    y += 6;
    pdf.Text(kMarginMm, y, "Counted cross-stitch pattern", kInfoSize);
    y += 5;
    DrawPicture(pdf, sources.pattern, y, width);
    y += kPictureHeightMm + 10;

    const std::string title = key.catalogueTitle;
    std::vector<std::string> lines = {
        "Size: " + std::to_string(census.width) + " x " + std::to_string(census.height) +
            " stitches",
        threads::FinishedSizeText(census.width, census.height, key.floss.fabricCount),
        threads::FabricToCutText(census.width, census.height, key.floss.fabricCount),
        "Colours: " + std::to_string(census.palette.size()),
        "Threads: " + (title.empty() ? std::string("no catalogue chosen") : title),
    };
    for (const std::string& line : lines) {
        pdf.Text(kMarginMm, y, pdf.Fitted(line, kInfoSize, width), kInfoSize);
        y += kLineMm;
    }
    y = DrawReport(pdf, sources, symbols, symbolOf, y, width);
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
