#pragma once

#include <string>
#include <vector>

#include "engine/Progress.h"
#include "pattern/Pattern.h"

namespace brodix {
class TBitmap;
}  // namespace brodix

namespace brodix::print {

// The paper and chart style are pattern choices, kept with the others in the settings.
using Paper = threads::Paper;
using ChartStyle = threads::ChartStyle;

struct PdfOptions {
    Paper paper = Paper::A4;
    ChartStyle style = ChartStyle::BlackWhite;
};

// The paper and chart style the settings choose.
PdfOptions PdfOptionsOf(const threads::PatternSettings& settings);

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
