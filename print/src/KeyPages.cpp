#include "KeyPages.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "ChartPages.h"
#include "threads/KeyBuilder.h"

namespace brodix::print::detail {

namespace {

using threads::FlossModel;
using threads::KeyRow;
using threads::PatternKey;

constexpr double kMarginMm = 12.0;
constexpr double kRowMm = 4.4;
constexpr double kTextSize = 7.5;

// Column positions from the left margin: left edges, or right edges for numbers.
struct Columns {
    double cell = 0.5;
    double swatch = 5.5;
    double number = 22.0;  // right
    double hex = 24.5;
    double thread = 40.0;
    double name = 54.0;
    double nameWidth = 52.0;
    double deltaE = 115.0;    // right
    double stitches = 132.0;  // right
    double metres = 147.0;    // right
    double skeins = 159.0;    // right
    double note = 162.0;
};

class KeyWriter {
  public:
    KeyWriter(PdfCanvas& pdf, const SymbolFont& symbols, const PatternKey& key, ChartStyle style)
        : m_pdf(pdf),
          m_symbols(symbols),
          m_key(key),
          m_style(style),
          m_left(kMarginMm),
          m_bottom(pdf.Size().height - kMarginMm),
          m_width(pdf.Size().width - 2 * kMarginMm) {}

    void Write();

  private:
    void Heading(bool first);
    void Row(const KeyRow& row);
    void Totals();
    void NeedRows(int count);
    void Cell(double x, double y, const KeyRow& row);
    void DrawGathered();

    PdfCanvas& m_pdf;
    const SymbolFont& m_symbols;
    const PatternKey& m_key;
    ChartStyle m_style;
    Columns m_at;
    double m_left;
    double m_bottom;
    double m_width;
    double m_y = 0;  // baseline of the next row
    // Gathered on each page and drawn at its end, as one stroke and one text operation:
    // every operation costs, and a key has hundreds of rows.
    std::vector<cairo_glyph_t> m_symbolGlyphs;
    std::vector<std::array<double, 4>> m_frames;  // x, y, width, height
};

void KeyWriter::DrawGathered() {
    cairo_t* cr = m_pdf.Context();
    m_pdf.SetGrey(0);
    for (const auto& [x, y, width, height] : m_frames)
        cairo_rectangle(cr, x, y, width, height);
    cairo_set_line_width(cr, 0.1);
    cairo_stroke(cr);
    m_symbols.Select(cr, kChartCellMm);
    SymbolFont::Show(cr, m_symbolGlyphs);
    m_frames.clear();
    m_symbolGlyphs.clear();
}

void KeyWriter::Write() {
    Heading(true);
    for (const KeyRow& row : m_key.rows) {
        NeedRows(1);
        Row(row);
    }
    NeedRows(2);
    Totals();
    DrawGathered();
}

// A page break when fewer than count rows still fit; the next page repeats the heading.
void KeyWriter::NeedRows(int count) {
    if (m_y + kRowMm * (count - 1) <= m_bottom)
        return;
    DrawGathered();
    m_pdf.NextPage();
    Heading(false);
}

void KeyWriter::Heading(bool first) {
    m_pdf.SetGrey(0);
    double y = kMarginMm + 6;
    m_pdf.Text(m_left, y, first ? "Key" : "Key (continued)", 14, Align::Left, Weight::Bold);
    if (first) {
        y += 6;
        const FlossModel& floss = m_key.floss;
        const std::string catalogue =
            m_key.catalogueTitle.empty()
                ? std::string("No thread catalogue chosen.")
                : "Threads: " + m_key.catalogueTitle + ". Floss for full cross stitches on " +
                      threads::Fixed(floss.fabricCount, 0) + "-count fabric, " +
                      std::to_string(floss.strands) + " strands.";
        m_pdf.Text(m_left, y, m_pdf.Fitted(catalogue, 8.5, m_width), 8.5);
    }
    y += 7;
    const Columns& c = m_at;
    const double size = kTextSize;
    m_pdf.Text(m_left + c.cell, y, "Sym.", size, Align::Left, Weight::Bold);
    m_pdf.Text(m_left + c.number, y, "No.", size, Align::Right, Weight::Bold);
    m_pdf.Text(m_left + c.hex, y, "Colour", size, Align::Left, Weight::Bold);
    m_pdf.Text(m_left + c.thread, y, "Thread", size, Align::Left, Weight::Bold);
    m_pdf.Text(m_left + c.name, y, "Name", size, Align::Left, Weight::Bold);
    m_pdf.Text(m_left + c.deltaE, y,
               "\xCE\x94"
               "E00",
               size, Align::Right, Weight::Bold);
    m_pdf.Text(m_left + c.stitches, y, "Stitches", size, Align::Right, Weight::Bold);
    m_pdf.Text(m_left + c.metres, y, "Metres", size, Align::Right, Weight::Bold);
    m_pdf.Text(m_left + c.skeins, y, "Skeins", size, Align::Right, Weight::Bold);
    cairo_t* cr = m_pdf.Context();
    cairo_set_line_width(cr, 0.25);
    cairo_move_to(cr, m_left, y + 1.2);
    cairo_line_to(cr, m_left + m_width, y + 1.2);
    cairo_stroke(cr);
    m_y = y + 1.2 + kRowMm;
}

// The symbol drawn as its chart cell shows it: framed, black on white or on its tint; a white
// colour's cell stays blank.
void KeyWriter::Cell(double x, double top, const KeyRow& row) {
    cairo_t* cr = m_pdf.Context();
    const double cell = kChartCellMm;
    const bool blank = row.color == clWhite;
    if (m_style == ChartStyle::Tint && !blank) {
        m_pdf.SetColor(TintOf(row.color, kTintShare));
        cairo_rectangle(cr, x, top, cell, cell);
        cairo_fill(cr);
    }
    if (!blank && m_symbols.HasInk(row.symbol))
        m_symbolGlyphs.push_back({SymbolFont::GlyphOf(row.symbol), x, top});
    m_frames.push_back({x, top, cell, cell});
}

void KeyWriter::Row(const KeyRow& row) {
    const Columns& c = m_at;
    const double y = m_y;
    const double top = y - kChartCellMm + 0.6;
    Cell(m_left + c.cell, top, row);
    cairo_t* cr = m_pdf.Context();
    m_pdf.SetColor(RgbOf(row.color));
    cairo_rectangle(cr, m_left + c.swatch, top, 10, kChartCellMm);
    cairo_fill(cr);
    m_frames.push_back({m_left + c.swatch, top, 10, kChartCellMm});

    const double size = kTextSize;
    m_pdf.Text(m_left + c.number, y, std::to_string(threads::SymbolNumber(row.symbol)), size,
               Align::Right);
    m_pdf.Text(m_left + c.hex, y, threads::HexColour(row.color), size);
    if (row.hasThread) {
        m_pdf.Text(m_left + c.thread, y,
                   m_pdf.Fitted(row.thread.number, size, c.name - c.thread - 1), size);
        m_pdf.Text(m_left + c.name, y, m_pdf.Fitted(row.thread.name, size, c.nameWidth), size);
        m_pdf.Text(m_left + c.deltaE, y, threads::Fixed(row.deltaE, 1), size, Align::Right);
    }
    m_pdf.Text(m_left + c.stitches, y, std::to_string(row.stitches), size, Align::Right);
    if (row.metres > 0 || row.skeins > 0) {
        m_pdf.Text(m_left + c.metres, y, threads::Fixed(row.metres, 1), size, Align::Right);
        m_pdf.Text(m_left + c.skeins, y, std::to_string(row.skeins), size, Align::Right);
    }
    const std::string note = threads::SameThreadNote(row);
    if (!note.empty())
        m_pdf.Text(m_left + c.note, y, m_pdf.Fitted(note, size, m_width - c.note), size);
    m_y += kRowMm;
}

void KeyWriter::Totals() {
    const auto [stitches, metres, skeins] = m_key.totals;
    cairo_t* cr = m_pdf.Context();
    m_pdf.SetGrey(0);
    const double line = m_y - kRowMm + 1.4;
    cairo_set_line_width(cr, 0.25);
    cairo_move_to(cr, m_left, line);
    cairo_line_to(cr, m_left + m_width, line);
    cairo_stroke(cr);
    m_y += 1.0;
    const Columns& c = m_at;
    const double size = kTextSize;
    m_pdf.Text(m_left + c.cell, m_y,
               "Total: " + std::to_string(m_key.rows.size()) +
                   (m_key.rows.size() == 1 ? " colour" : " colours"),
               size, Align::Left, Weight::Bold);
    m_pdf.Text(m_left + c.stitches, m_y, std::to_string(stitches), size, Align::Right,
               Weight::Bold);
    if (metres > 0 || skeins > 0) {
        m_pdf.Text(m_left + c.metres, m_y, threads::Fixed(metres, 1), size, Align::Right,
                   Weight::Bold);
        m_pdf.Text(m_left + c.skeins, m_y, std::to_string(skeins), size, Align::Right,
                   Weight::Bold);
    }
}

}  // namespace

void DrawKeyPages(PdfCanvas& pdf, const SymbolFont& symbols, const PatternKey& key,
                  ChartStyle style) {
    KeyWriter(pdf, symbols, key, style).Write();
}

}  // namespace brodix::print::detail
