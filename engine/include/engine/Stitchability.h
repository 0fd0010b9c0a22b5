#pragma once

#include <functional>
#include <vector>

#include "engine/Census.h"

namespace brodix {

class TBitmap;

// Two colours of a chart closer than this (CIEDE2000) are hard to tell apart as threads.
inline constexpr double kCloseColoursDeltaE = 3.0;

// Two palette indexes (the first the lower) and, for colours, how far apart they are.
struct ColourPair {
    int first = 0;
    int second = 0;
    double deltaE = 0.0;
};
struct SymbolPair {
    int first = 0;
    int second = 0;
    friend bool operator==(const SymbolPair&, const SymbolPair&) = default;
};

// How easily a chart stitches. White stitches are blank cells (the fabric shows), so they are
// never isolated and have no symbol.
struct StitchabilityReport {
    int stitches = 0;
    // Stitches none of whose neighbours (up to 8) has their colour: a thread started and ended
    // for one stitch.
    int isolatedStitches = 0;
    int rows = 0;
    // Neighbouring stitches of different colours along the rows, all rows together.
    int colourChanges = 0;
    // Colours closer than kCloseColoursDeltaE, nearest first.
    std::vector<ColourPair> closeColours;
    // Symbols of the chart that look alike, by the symbol sheet (none without one).
    std::vector<SymbolPair> alikeSymbols;

    double IsolatedPerThousand() const {
        return stitches > 0 ? 1000.0 * isolatedStitches / stitches : 0.0;
    }
    double ChangesPerRow() const {
        return rows > 0 ? static_cast<double>(colourChanges) / rows : 0.0;
    }
};

// Whether two symbols (by number, the palette index they serve) look alike.
using SymbolsAlike = std::function<bool(int first, int second)>;

// The report of a census; alike, when given, is asked about every pair of symbols in use.
StitchabilityReport AssessStitchability(const Census& census, const SymbolsAlike& alike = {});

// Symbols alike on a symbol sheet: closer than kAlikeSymbolDistance (engine/SymbolLikeness.h),
// as a stitcher sees them at a glance.
SymbolsAlike SymbolsAlikeOnSheet(const TBitmap& sheet);

}  // namespace brodix
