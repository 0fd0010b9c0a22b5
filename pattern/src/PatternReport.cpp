#include "pattern/PatternReport.h"

#include "engine/Stitchability.h"
#include "engine/SymbolSheet.h"
#include "threads/StitchabilityText.h"

namespace brodix {

std::vector<std::string> StitchabilityLinesOf(const Pattern& pattern, const TBitmap* sheet) {
    const Census& census = pattern.Stitches();
    const threads::PatternKey& key = pattern.Key();
    const StitchabilityReport report =
        AssessStitchability(census, sheet ? SymbolsAlikeOnSheet(*sheet) : SymbolsAlike());
    // As the legend shows each colour: its symbol's character, then its thread's number.
    const auto symbol = [&key](int k) { return SymbolText(key.Row(k).symbol); };
    const auto colour = [&key, &symbol](int k) {
        const threads::KeyRow& row = key.Row(k);
        if (row.blank)
            return std::string("blank");
        return symbol(k) + (row.hasThread ? " " + row.thread.number : std::string());
    };
    return threads::StitchabilityLines(report, colour, symbol,
                                       key.threads.empty() ? "by symbol" : "by symbol and thread");
}

}  // namespace brodix
