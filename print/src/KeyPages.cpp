#include "KeyPages.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "ChartPages.h"
#include "threads/Floss.h"
#include "threads/KeyBuilder.h"

namespace brodix::print::detail {

namespace {

using threads::FlossModel;
using threads::KeyRow;
using threads::PatternKey;
using threads::ThreadTotal;

constexpr double kMarginMm = 12.0;
constexpr double kRowMm = 4.4;
constexpr double kTextSize = 7.5;
constexpr double kSwatchMm = 7.0;

// Column positions from the left margin: left edges, or right edges for numbers. What a
// reader looks up comes first: the symbol, then the thread's number and name.
struct Columns {
    double cell = 0.5;
    double number = 13.0;
    double name = 27.0;
    double nameWidth = 45.0;
    double swatch = 73.0;
    double hex = 81.5;
    double deltaE = 106.0;    // right
    double stitches = 122.0;  // right
    double metres = 137.0;    // right
    double skeins = 149.0;    // right
    double note = 152.0;
    // The shopping list: the symbols of the colours sharing a thread, after its name.
    double symbols = 81.5;
};

// "14" or "14.5": the fabric count as the user gave it.
std::string CountText(double count) {
    return threads::Fixed(count, count == static_cast<int>(count) ? 0 : 1);
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Thread numbers in the order of a maker's card: numbers by value, then names ("B5200",
// "Blanc", "Ecru").
bool ThreadNumberBefore(const std::string& a, const std::string& b) {
    const auto numeric = [](const std::string& s) {
        return !s.empty() &&
               std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (numeric(a) != numeric(b))
        return numeric(a);
    if (numeric(a) && a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

class KeyWriter {
  public:
    KeyWriter(PdfCanvas& pdf, const SymbolFont& symbols, const PatternKey& key,
              const PrintedSymbols& symbolOf, ChartStyle style, bool counting)
        : m_pdf(pdf),
          m_symbols(symbols),
          m_key(key),
          m_symbolOf(symbolOf),
          m_style(style),
          m_counting(counting),
          m_left(kMarginMm),
          m_bottom(pdf.Size().height - kMarginMm),
          m_width(pdf.Size().width - 2 * kMarginMm) {}

    // Lays the key out; returns the pages it took.
    int Write();

  private:
    void Title(const char* title, bool first);
    // A column's heading: where it goes and how it aligns there.
    struct ColumnHeading {
        double x;
        const char* text;
        Align align;
    };
    void Heading(std::initializer_list<ColumnHeading> headings);
    void KeyHeading();
    void ListHeading();
    void Row(const KeyRow& row);
    void ListRow(const ThreadTotal& thread);
    void Totals(bool threads);
    void NeedRows(int count, void (KeyWriter::*heading)());
    void Cell(double x, double y, const KeyRow& row);
    void Rule(double y);
    void DrawGathered();
    double Text(double x, double y, const std::string& text, Align align = Align::Left,
                Weight weight = Weight::Normal) {
        return m_pdf.Text(m_left + x, y, text, kTextSize, align, weight);
    }

    PdfCanvas& m_pdf;
    const SymbolFont& m_symbols;
    const PatternKey& m_key;
    const PrintedSymbols& m_symbolOf;
    ChartStyle m_style;
    bool m_counting;  // only counts the pages, drawing nothing
    Columns m_at;
    double m_left;
    double m_bottom;
    double m_width;
    double m_y = 0;  // baseline of the next row
    int m_pages = 1;
    // Gathered on each page and drawn at its end, as one stroke and one text operation:
    // every operation costs, and a key has hundreds of rows.
    std::vector<cairo_glyph_t> m_symbolGlyphs;
    std::vector<cairo_glyph_t> m_whiteGlyphs;     // on dark cells of the full-colour style
    std::vector<std::array<double, 4>> m_frames;  // x, y, width, height
};

void KeyWriter::DrawGathered() {
    if (m_counting)
        return;
    cairo_t* cr = m_pdf.Context();
    m_pdf.SetGrey(0);
    for (const auto& [x, y, width, height] : m_frames)
        cairo_rectangle(cr, x, y, width, height);
    cairo_set_line_width(cr, 0.1);
    cairo_stroke(cr);
    m_symbols.Select(cr, kChartCellMm);
    SymbolFont::ShowFirst(cr, m_symbolGlyphs);
    m_pdf.SetGrey(1);
    SymbolFont::ShowFirst(cr, m_whiteGlyphs);
    m_frames.clear();
    m_symbolGlyphs.clear();
    m_whiteGlyphs.clear();
}

int KeyWriter::Write() {
    Title("Key", true);
    KeyHeading();
    for (const KeyRow& row : m_key.rows) {
        NeedRows(1, &KeyWriter::KeyHeading);
        Row(row);
    }
    NeedRows(3, &KeyWriter::KeyHeading);
    Totals(false);
    if (!m_key.threads.empty()) {
        // The shopping list starts on a page of its own when its heading and a row do not fit.
        m_y += 8;
        NeedRows(4, nullptr);
        m_y -= 2;
        if (!m_counting)
            m_pdf.Text(m_left, m_y, "Shopping list", 12, Align::Left, Weight::Bold);
        m_y += 5;
        ListHeading();
        std::vector<const ThreadTotal*> threads;
        for (const ThreadTotal& thread : m_key.threads)
            threads.push_back(&thread);
        std::stable_sort(threads.begin(), threads.end(), [](const auto* a, const auto* b) {
            return ThreadNumberBefore(a->thread.number, b->thread.number);
        });
        for (const ThreadTotal* thread : threads) {
            NeedRows(1, &KeyWriter::ListHeading);
            ListRow(*thread);
        }
        NeedRows(3, &KeyWriter::ListHeading);
        Totals(true);
    }
    DrawGathered();
    return m_pages;
}

// A page break when fewer than count rows still fit; the next page repeats the heading.
void KeyWriter::NeedRows(int count, void (KeyWriter::*heading)()) {
    if (m_y + kRowMm * (count - 1) <= m_bottom)
        return;
    DrawGathered();
    if (!m_counting)
        m_pdf.NextPage();
    ++m_pages;
    Title(heading == &KeyWriter::ListHeading ? "Shopping list (continued)" : "Key (continued)",
          false);
    if (heading != nullptr)
        (this->*heading)();
}

void KeyWriter::Title(const char* title, bool first) {
    double y = kMarginMm + 6;
    if (!m_counting) {
        m_pdf.SetGrey(0);
        m_pdf.Text(m_left, y, title, 14, Align::Left, Weight::Bold);
    }
    if (first) {
        const FlossModel& floss = m_key.floss;
        const std::string lines[] = {
            m_key.catalogueTitle.empty() ? std::string("No thread catalogue chosen.")
                                         : "Threads: " + m_key.catalogueTitle + ".",
            "Amounts: full cross stitches on " + CountText(floss.fabricCount) +
                "-count fabric with " + Plural(floss.strands, "strand", "strands") + ", " +
                threads::Fixed(threads::kCrossSides, 2) +
                " stitch widths of each strand a stitch, plus " +
                std::to_string(static_cast<int>(threads::kAllowance * 100 + 0.5)) +
                "% for tails and travel.",
            "Skeins of " + CountText(threads::kSkeinMetres) + " m of " +
                std::to_string(threads::kSkeinStrands) +
                " strands; metres are of floss as sold. A thread shared by several colours "
                "is counted once, in the shopping list.",
        };
        for (const std::string& line : lines) {
            y += 4.5;
            if (!m_counting)
                m_pdf.Text(m_left, y, line, kTextSize);
        }
    }
    m_y = y + 7;
}

void KeyWriter::Rule(double y) {
    cairo_t* cr = m_pdf.Context();
    m_pdf.SetGrey(0);
    cairo_set_line_width(cr, 0.25);
    cairo_move_to(cr, m_left, y);
    cairo_line_to(cr, m_left + m_width, y);
    cairo_stroke(cr);
}

void KeyWriter::Heading(std::initializer_list<ColumnHeading> headings) {
    const double y = m_y;
    m_y = y + 1.2 + kRowMm;
    if (m_counting)
        return;
    for (const auto& [x, text, align] : headings)
        Text(x, y, text, align, Weight::Bold);
    Rule(y + 1.2);
}

void KeyWriter::KeyHeading() {
    const Columns& c = m_at;
    Heading({{c.cell, "Symbol", Align::Left},
             {c.number, "Number", Align::Left},
             {c.name, "Name", Align::Left},
             {c.swatch, "Colour", Align::Left},
             {c.deltaE,
              "\xCE\x94"
              "E00",
              Align::Right},
             {c.stitches, "Stitches", Align::Right},
             {c.metres, "Metres", Align::Right},
             {c.skeins, "Skeins", Align::Right}});
}

void KeyWriter::ListHeading() {
    const Columns& c = m_at;
    Heading({{c.cell, "Number", Align::Left},
             {c.name, "Name", Align::Left},
             {c.symbols, "Symbols", Align::Left},
             {c.stitches, "Stitches", Align::Right},
             {c.metres, "Metres", Align::Right},
             {c.skeins, "Skeins", Align::Right}});
}

// The symbol drawn as its chart cell shows it: framed, black on white or on its tint; a blank
// row's cell stays empty.
void KeyWriter::Cell(double x, double top, const KeyRow& row) {
    cairo_t* cr = m_pdf.Context();
    const double cell = kChartCellMm;
    const int symbol = m_symbolOf.Of(row.symbol);
    const bool colour = m_style == ChartStyle::Colour;
    if (m_style != ChartStyle::BlackWhite && !row.blank) {
        m_pdf.SetColor(TintOf(row.color, colour ? 1.0 : kTintShare));
        cairo_rectangle(cr, x, top, cell, cell);
        cairo_fill(cr);
    }
    if (m_symbols.HasInk(symbol)) {
        auto& glyphs = colour && WantsWhiteInk(row.color) ? m_whiteGlyphs : m_symbolGlyphs;
        glyphs.push_back({SymbolFont::GlyphOf(symbol), x, top + cell});
    }
    m_frames.push_back({x, top, cell, cell});
}

void KeyWriter::Row(const KeyRow& row) {
    const Columns& c = m_at;
    const double y = m_y;
    m_y += 2 * kRowMm;  // the totals, then what they are of
    if (m_counting)
        return;
    const double top = y - kChartCellMm + 0.6;
    Cell(m_left + c.cell, top, row);
    cairo_t* cr = m_pdf.Context();
    m_pdf.SetColor(RgbOf(row.color));
    cairo_rectangle(cr, m_left + c.swatch, top, kSwatchMm, kChartCellMm);
    cairo_fill(cr);
    m_frames.push_back({m_left + c.swatch, top, kSwatchMm, kChartCellMm});

    Text(c.hex, y, threads::HexColour(row.color));
    if (row.blank) {
        Text(c.number, y, "-");
        Text(c.name, y, threads::kBlankRowText);
        return;
    }
    if (row.hasThread) {
        Text(c.number, y, m_pdf.Fitted(row.thread.number, kTextSize, c.name - c.number - 1));
        Text(c.name, y, m_pdf.Fitted(row.thread.name, kTextSize, c.nameWidth));
        Text(c.deltaE, y, threads::Fixed(row.deltaE, 1), Align::Right);
    } else {
        Text(c.number, y, "-");
    }
    Text(c.stitches, y, std::to_string(row.stitches), Align::Right);
    Text(c.metres, y, threads::MetresText(row.metres, 1), Align::Right);
    if (row.sameThreadAs.empty())
        Text(c.skeins, y, std::to_string(row.skeins), Align::Right);
    else
        Text(c.note, y, "shared: see list");
}

void KeyWriter::ListRow(const ThreadTotal& thread) {
    const Columns& c = m_at;
    const double y = m_y;
    m_y += 2 * kRowMm;  // the totals, then what they are of
    if (m_counting)
        return;
    Text(c.cell, y, m_pdf.Fitted(thread.thread.number, kTextSize, c.name - c.cell - 1));
    Text(c.name, y, m_pdf.Fitted(thread.thread.name, kTextSize, c.nameWidth));
    const double top = y - kChartCellMm + 0.6;
    // As many of the colours' symbols as fit before the numbers.
    const auto fit = static_cast<std::size_t>((c.deltaE - c.symbols) / kChartCellMm);
    double column = 0;  // i as a length in cells
    for (std::size_t i = 0; i < thread.symbols.size() && i < fit; ++i, ++column) {
        const int symbol = m_symbolOf.Of(thread.symbols[i]);
        if (m_symbols.HasInk(symbol)) {
            m_symbolGlyphs.push_back({SymbolFont::GlyphOf(symbol),
                                      m_left + c.symbols + kChartCellMm * column,
                                      top + kChartCellMm});
        }
    }
    Text(c.stitches, y, std::to_string(thread.stitches), Align::Right);
    Text(c.metres, y, threads::MetresText(thread.metres, 1), Align::Right);
    Text(c.skeins, y, std::to_string(thread.skeins), Align::Right);
}

void KeyWriter::Totals(bool threads) {
    const double line = m_y - kRowMm + 1.4;
    m_y += 1.0;
    const double y = m_y;
    m_y += 2 * kRowMm;  // the totals, then what they are of
    if (m_counting)
        return;
    Rule(line);
    const auto [stitches, metres, skeins] = m_key.totals;
    const Columns& c = m_at;
    std::size_t colours = 0;
    for (const KeyRow& row : m_key.rows)
        colours += row.blank ? 0 : 1;
    Text(c.cell, y,
         "Total: " + (threads ? Plural(static_cast<int>(m_key.threads.size()), "thread", "threads")
                              : Plural(static_cast<int>(colours), "colour", "colours")),
         Align::Left, Weight::Bold);
    Text(c.stitches, y, std::to_string(stitches), Align::Right, Weight::Bold);
    Text(c.metres, y, threads::MetresText(metres, 1), Align::Right, Weight::Bold);
    Text(c.skeins, y, std::to_string(skeins), Align::Right, Weight::Bold);
    Text(c.cell, y + kRowMm, threads::kTotalsNote, Align::Left);
}

}  // namespace

void DrawKeyPages(PdfCanvas& pdf, const SymbolFont& symbols, const PatternKey& key,
                  const PrintedSymbols& symbolOf, ChartStyle style) {
    KeyWriter(pdf, symbols, key, symbolOf, style, false).Write();
}

int KeyPageCount(PdfCanvas& pdf, const SymbolFont& symbols, const PatternKey& key,
                 const PrintedSymbols& symbolOf) {
    return KeyWriter(pdf, symbols, key, symbolOf, ChartStyle::BlackWhite, true).Write();
}

}  // namespace brodix::print::detail
