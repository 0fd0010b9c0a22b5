#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "CairoHandles.h"
#include "print/PatternPdf.h"
#include "raster/Color.h"
#include "raster/Utf8.h"

namespace brodix::print::detail {

// Everything on a page is laid out in millimetres; cairo's PDF unit is the point.
inline constexpr double kMmPerInch = 25.4;
inline constexpr double kPointsPerMm = 72.0 / kMmPerInch;
inline constexpr double kMmPerPoint = kMmPerInch / 72.0;

struct PaperSize {
    double width = 0;  // mm
    double height = 0;
};
PaperSize SizeOf(Paper paper);

struct Rgb {
    double r = 0, g = 0, b = 0;
};
Rgb RgbOf(TColor color);
// The colour mixed with white, keeping share of it: a light tint under a black symbol.
Rgb TintOf(TColor color, double share);
// How much of a stitch's colour its tinted cell (in the chart and the key) shows.
inline constexpr double kTintShare = 0.3;
// Whether white stands out more than black on the colour (the larger contrast ratio of
// their relative luminances).
bool WantsWhiteInk(TColor color);
// The same as one 0x00RRGGBB value.
std::uint32_t PackedRgb(const Rgb& color);

enum class Align { Left, Centre, Right };
enum class Weight { Normal, Bold };

// One PDF in memory, drawn page by page in millimetres.
class PdfCanvas {
  public:
    explicit PdfCanvas(Paper paper);
    PdfCanvas(const PdfCanvas&) = delete;
    PdfCanvas& operator=(const PdfCanvas&) = delete;

    cairo_t* Context() { return m_cr; }
    PaperSize Size() const { return m_size; }

    // A grid of columns x rows solid square blocks of size mm from (left, top), never smoothed
    // between them: block (x, y) in the colour rgbAt(x, y) returns, as 0x00RRGGBB.
    void Blocks(double left, double top, double size, int columns, int rows,
                const std::function<std::uint32_t(int, int)>& rgbAt);

    // The document's title and subject, as viewers and libraries list it; Brodix as its creator.
    void SetMetadata(const std::string& title, const std::string& subject);

    // From now on every page ends with its number, "page 7 of 14", in the same place at the
    // foot of the page, below every margin; the first page is page 1.
    void NumberPages(int total) { m_pageTotal = total; }
    // Ends the current page and starts the next one.
    void NextPage();
    // Ends the document and hands over its bytes. Raises EWriteError when cairo failed.
    std::string Finish();

    void SetColor(const Rgb& color);
    void SetGrey(double level) { SetColor({level, level, level}); }

    // Black text in the program's fonts (DejaVu Sans; IPAPGothic for each character DejaVu Sans
    // lacks, such as those of a Japanese file name), its baseline at y. size is in points. Returns
    // the width in mm. Text is gathered and drawn with the page's end: one operation per font and
    // page instead of one per text, which is what makes a key of 255 rows quick. It never overlaps
    // shapes.
    double Text(double x, double y, std::string_view text, double size, Align align = Align::Left,
                Weight weight = Weight::Normal);
    double TextWidth(std::string_view text, double size, Weight weight = Weight::Normal);
    // The text cut, with "..." added, so that it is at most width mm wide.
    std::string Fitted(std::string_view text, double size, double width);

  private:
    using FontKey = std::tuple<bool, Weight, double>;  // the fallback font, weight, size
    // The text gathered for one font on the current page.
    struct TextBatch {
        CairoScaledFont font;
        std::string utf8;
        std::vector<cairo_glyph_t> glyphs;
        std::vector<cairo_text_cluster_t> clusters;
    };

    // A piece of text in one font: DejaVu Sans, or the fallback (IPAPGothic) for characters
    // DejaVu Sans lacks.
    struct Run {
        bool fallback = false;
        std::string text;
    };
    TextBatch& BatchFor(bool fallback, double size, Weight weight);
    std::vector<Run> RunsOf(const std::string& valid, double size, Weight weight);
    double RunWidth(const Run& run, double size, Weight weight);
    void AddRun(double x, double y, const Run& run, double size, Weight weight);
    void DrawText();

    void EndPage();

    PaperSize m_size;
    int m_page = 1;
    int m_pageTotal = 0;  // 0: pages unnumbered
    std::map<FontKey, TextBatch> m_text;
    // cairo writes into the bytes until the surface is gone, and the context goes first.
    std::string m_bytes;
    CairoSurface m_surface;
    CairoContext m_context;
    cairo_t* m_cr;  // m_context's, for the many calls that take it
};

}  // namespace brodix::print::detail
