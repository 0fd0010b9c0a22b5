#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/Census.h"
#include "engine/Stitchability.h"

namespace brodix {
class TBitmap;
}

namespace brodix::threads {

// A line of the report that names pairs of palette entries: its caption, the pairs listed (at
// most a few, each with its note, such as the colours' distance) and how many more there are.
// Each place that shows the report names the entries its own way.
struct PairsLine {
    std::string caption;
    std::vector<std::pair<int, int>> pairs;
    std::vector<std::string> notes;
    int more = 0;
};

// The report's figures, one line each, and its two lines of pairs: colours hard to tell apart
// and symbols that look alike.
std::vector<std::string> StitchabilityFigureLines(const StitchabilityReport& report);
PairsLine CloseColoursLine(const StitchabilityReport& report);
PairsLine AlikeSymbolsLine(const StitchabilityReport& report);

// The stitchability report in plain English, one line a figure, symbols numbered as the key
// numbers them.
std::vector<std::string> StitchabilityLines(const StitchabilityReport& report);
// The same with each palette entry named by colourName ("\u25b2 3865"), its symbol by
// symbolName ("\u25b2"), and the close colours' caption ending in how they are named ("by
// symbol and thread"): what --report prints and the window shows.
std::vector<std::string> StitchabilityLines(const StitchabilityReport& report,
                                            const std::function<std::string(int)>& colourName,
                                            const std::function<std::string(int)>& symbolName,
                                            const std::string& namedBy);
// The lines of the report of a census, symbols compared on sheet (none: not compared).
std::vector<std::string> StitchabilityLinesOf(const Census& census, const TBitmap* sheet);

}  // namespace brodix::threads
