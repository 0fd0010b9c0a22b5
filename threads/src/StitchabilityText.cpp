#include "threads/StitchabilityText.h"

#include "threads/KeyBuilder.h"
#include "threads/PatternKey.h"

namespace brodix::threads {

namespace {

// "none", or the pairs as "3 and 7 (1.2)", the listed ones at most, then how many more.
template <typename Pair, typename Note>
std::string Pairs(const std::vector<Pair>& pairs, Note note) {
    constexpr std::size_t kListed = 8;
    if (pairs.empty())
        return "none";
    std::string text;
    for (std::size_t i = 0; i < pairs.size() && i < kListed; ++i) {
        text.append(i > 0 ? ", " : "")
            .append(std::to_string(SymbolNumber(pairs[i].first)) + " and " +
                    std::to_string(SymbolNumber(pairs[i].second)) + note(pairs[i]));
    }
    if (pairs.size() > kListed)
        text += " and " + std::to_string(pairs.size() - kListed) + " more";
    return text;
}

}  // namespace

std::vector<std::string> StitchabilityLines(const StitchabilityReport& report) {
    return {
        "Stitches: " + std::to_string(report.stitches) + " in " + std::to_string(report.rows) +
            " rows",
        "Isolated stitches (a thread started for one stitch): " +
            std::to_string(report.isolatedStitches) + ", " +
            Fixed(report.IsolatedPerThousand(), 1) + " per 1000 stitches",
        "Colour changes along the rows: " + std::to_string(report.colourChanges) + ", " +
            Fixed(report.ChangesPerRow(), 1) + " per row",
        "Colours hard to tell apart (closer than " + Fixed(kCloseColoursDeltaE, 0) +
            " in CIEDE2000), by symbol: " +
            Pairs(report.closeColours,
                  [](const ColourPair& pair) { return " (" + Fixed(pair.deltaE, 1) + ")"; }),
        "Symbols that look alike, both in use: " +
            Pairs(report.alikeSymbols, [](const SymbolPair&) { return std::string(); }),
    };
}

std::vector<std::string> StitchabilityLinesOf(const Workspace& workspace) {
    const TBitmap* sheet = workspace.SymbolSheet();
    return StitchabilityLines(AssessStitchability(
        *workspace.LastCensus(), sheet ? SymbolsAlikeOnSheet(*sheet) : SymbolsAlike()));
}

}  // namespace brodix::threads
