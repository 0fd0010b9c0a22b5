#pragma once

#include <string>
#include <vector>

#include "engine/Census.h"
#include "engine/Progress.h"
#include "threads/PatternKey.h"
#include "threads/PatternSettings.h"

namespace brodix {
class TBitmap;
class Workspace;
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

// What the printed pattern is made of: the census of the last Make, the symbol sheet it drew
// its cells from (null: none was read, every symbol is blank), its key in the legend's order,
// and the picture's file name as the user loaded it.
struct PdfSources {
    const Census& census;
    const TBitmap* symbolSheet = nullptr;
    const threads::PatternKey& key;
    std::string pictureName;
    // Whether the cover carries the stitchability report, its colours and symbols named as
    // the key names them.
    bool report = false;
    // Hears how far the chart pages have come: a pattern of a million stitches has hundreds.
    ProgressReport progress = {};
};

// The printed pattern of a workspace's last Make: its census, its symbol sheet and the name of
// the picture that Make counted, with key. The workspace must hold a census.
PdfSources PdfSourcesOf(const Workspace& workspace, const threads::PatternKey& key);

// The pattern as PDF bytes: a cover page, the key pages with the shopping list, and the chart
// in pages as large as the paper allows, each symbol a character of the PDF's text. Symbols
// are given by use: the most stitched colour takes the lightest. Raises EWriteError when cairo
// cannot make the document, std::invalid_argument when the key is not the census's.
std::string MakePatternPdf(const PdfSources& sources, const PdfOptions& options);

// Writes the PDF to fileName whole or not at all: a file that cannot be written raises
// EFCreateError with "cannot write NAME: REASON" and leaves an earlier file of that name as it
// was.
void SavePatternPdf(const std::string& fileName, const PdfSources& sources,
                    const PdfOptions& options);

}  // namespace brodix::print
