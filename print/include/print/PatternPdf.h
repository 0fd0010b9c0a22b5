#pragma once

#include <string>
#include <vector>

#include "engine/Progress.h"
#include "pattern/Pattern.h"

namespace brodix {
class TBitmap;
}  // namespace brodix

namespace brodix::print {

enum class Paper { A4, Letter };

// Black symbols on white cells (cheap to print), black symbols on a light tint of each
// stitch's colour, or each cell in its full colour with its symbol in black or white,
// whichever stands out more.
enum class ChartStyle { BlackWhite, Tint, Colour };

struct PdfOptions {
    Paper paper = Paper::A4;
    ChartStyle style = ChartStyle::BlackWhite;
};

// What the printed pattern is made of: the pattern (its stitches, key, printed symbols, the
// picture's name, and whether its settings put the stitchability report on the cover) and the
// symbol sheet its symbols are traced from (null: none was read, every symbol is blank).
struct PdfSources {
    const Pattern& pattern;
    const TBitmap* symbolSheet = nullptr;
    // Hears how far the chart pages have come: a pattern of a million stitches has hundreds.
    ProgressReport progress = {};
};

// The pattern as PDF bytes: a cover page, the key pages with the shopping list, and the chart
// in pages as large as the paper allows, each symbol a character of the PDF's text, the
// pattern's printed symbol of its colour. Raises EWriteError when cairo cannot make the
// document.
std::string MakePatternPdf(const PdfSources& sources, const PdfOptions& options);

// Writes the PDF to fileName whole or not at all: a file that cannot be written raises
// EFCreateError with "cannot write NAME: REASON" and leaves an earlier file of that name as it
// was.
void SavePatternPdf(const std::string& fileName, const PdfSources& sources,
                    const PdfOptions& options);

}  // namespace brodix::print
