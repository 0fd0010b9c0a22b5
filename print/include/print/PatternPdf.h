#pragma once

#include <string>

#include "engine/Census.h"
#include "threads/PatternKey.h"

namespace brodix {
class TBitmap;
class Workspace;
}  // namespace brodix

namespace brodix::print {

enum class Paper { A4, Letter };

// Black symbols on white cells (cheap to print), or black symbols on a light tint of each
// stitch's colour.
enum class ChartStyle { BlackWhite, Tint };

struct PdfOptions {
    Paper paper = Paper::A4;
    ChartStyle style = ChartStyle::BlackWhite;
};

// What the printed pattern is made of: the census of the last Make, the symbol sheet it drew
// its cells from (null: none was read, every symbol is blank), its key in the legend's order,
// and the picture's file name as the user loaded it.
struct PdfSources {
    const Census& census;
    const TBitmap* symbolSheet = nullptr;
    const threads::PatternKey& key;
    std::string pictureName;
};

// The printed pattern of a workspace's last Make: its census, its symbol sheet and the name of
// the picture that Make counted, with key. The workspace must hold a census.
PdfSources PdfSourcesOf(const Workspace& workspace, const threads::PatternKey& key);

// The pattern as PDF bytes: a cover page, the key pages and the chart in the pages of the
// saved chart. Raises EWriteError when cairo cannot make the document.
std::string MakePatternPdf(const PdfSources& sources, const PdfOptions& options);

// Writes the PDF to fileName whole or not at all: a file that cannot be written raises the
// framework's file-creation or write error and leaves an earlier file of that name as it was.
void SavePatternPdf(const std::string& fileName, const PdfSources& sources,
                    const PdfOptions& options);

}  // namespace brodix::print
