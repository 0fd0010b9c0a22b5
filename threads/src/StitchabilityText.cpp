#include "threads/StitchabilityText.h"

#include "threads/KeyBuilder.h"
#include "threads/PatternKey.h"

namespace brodix::threads {

namespace {

// The pairs listed, nearest first; the rest are only counted.
template <typename Pair, typename Note>
PairsLine PairsOf(std::string caption, const std::vector<Pair>& pairs, Note note) {
    constexpr std::size_t kListed = 8;
    PairsLine line{std::move(caption), {}, {}, 0};
    for (std::size_t i = 0; i < pairs.size() && i < kListed; ++i) {
        line.pairs.emplace_back(pairs[i].first, pairs[i].second);
        line.notes.push_back(note(pairs[i]));
    }
    line.more = static_cast<int>(pairs.size() - line.pairs.size());
    return line;
}

// "none", or the pairs as "3 and 7 (1.2)", each entry as name gives it, then how many more.
std::string NamedPairs(const PairsLine& line, const std::function<std::string(int)>& name) {
    if (line.pairs.empty())
        return "none";
    std::string text;
    for (std::size_t i = 0; i < line.pairs.size(); ++i) {
        text.append(i > 0 ? ", " : "")
            .append(name(line.pairs[i].first) + " and " + name(line.pairs[i].second) +
                    line.notes[i]);
    }
    if (line.more > 0)
        text += " and " + std::to_string(line.more) + " more";
    return text;
}

}  // namespace

std::vector<std::string> StitchabilityFigureLines(const StitchabilityReport& report) {
    return {
        "Stitches: " + std::to_string(report.stitches) + " in " + std::to_string(report.rows) +
            " rows",
        "Isolated stitches (a thread started for one stitch): " +
            std::to_string(report.isolatedStitches) + ", " +
            Fixed(report.IsolatedPerThousand(), 1) + " per 1000 stitches",
        "Colour changes along the rows: " + std::to_string(report.colourChanges) + ", " +
            Fixed(report.ChangesPerRow(), 1) + " per row",
    };
}

PairsLine CloseColoursLine(const StitchabilityReport& report) {
    return PairsOf("Colours hard to tell apart (closer than " + Fixed(kCloseColoursDeltaE, 0) +
                       " in CIEDE2000)",
                   report.closeColours,
                   [](const ColourPair& pair) { return " (" + Fixed(pair.deltaE, 1) + ")"; });
}

PairsLine AlikeSymbolsLine(const StitchabilityReport& report) {
    return PairsOf("Symbols that look alike, both in use", report.alikeSymbols,
                   [](const SymbolPair&) { return std::string(); });
}

std::vector<std::string> StitchabilityLines(const StitchabilityReport& report) {
    const auto number = [](int k) { return std::to_string(SymbolNumber(k)); };
    return StitchabilityLines(report, number, number, "by symbol");
}

std::vector<std::string> StitchabilityLines(const StitchabilityReport& report,
                                            const std::function<std::string(int)>& colourName,
                                            const std::function<std::string(int)>& symbolName,
                                            const std::string& namedBy) {
    std::vector<std::string> lines = StitchabilityFigureLines(report);
    const PairsLine close = CloseColoursLine(report);
    lines.push_back(close.caption + ", " + namedBy + ": " + NamedPairs(close, colourName));
    const PairsLine alike = AlikeSymbolsLine(report);
    lines.push_back(alike.caption + ": " + NamedPairs(alike, symbolName));
    return lines;
}

std::vector<std::string> StitchabilityLinesOf(const Census& census, const TBitmap* sheet) {
    return StitchabilityLines(
        AssessStitchability(census, sheet ? SymbolsAlikeOnSheet(*sheet) : SymbolsAlike()));
}

}  // namespace brodix::threads
