#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "raster/Color.h"

namespace brodix::threads {

// One thread of a catalogue: its number as the maker prints it ("310", "B5200"), its name and
// its colour.
struct Thread {
    std::string number;
    std::string name;
    TColor color = 0;
    friend bool operator==(const Thread&, const Thread&) = default;
};

// What the floss estimate assumes; printed on the key so the user sees it.
struct FlossModel {
    double fabricCount = 14.0;  // stitches per inch
    int strands = 2;            // strands stitched together
};

// One row of the key, in the legend's order. symbol is the palette index, which is also the
// symbol number drawn in the chart.
struct KeyRow {
    int symbol = 0;
    TColor color = 0;
    int stitches = 0;
    bool hasThread = false;  // false when no catalogue was chosen, and for a blank row
    // White left as bare fabric, as the chart draws it: no symbol, thread nor floss, and no
    // stitches counted.
    bool blank = false;
    Thread thread;
    double deltaE = 0.0;            // CIEDE2000 between the palette colour and the thread
    std::vector<int> sameThreadAs;  // other symbols matched to the same thread
    double metres = 0.0;
    int skeins = 0;
};

// One thread of the key with everything the rows matched to it need: their symbols, in the
// legend's order, their stitches together and the floss for all of them.
struct ThreadTotal {
    Thread thread;
    std::vector<int> symbols;
    int stitches = 0;
    double metres = 0.0;
    int skeins = 0;
};

// What the key adds up to, for every place that shows it. Skeins are counted per thread when
// threads are matched (rows sharing a thread share its skeins), otherwise per colour.
struct KeyTotals {
    int stitches = 0;
    double metres = 0.0;
    int skeins = 0;
};

// The key of the last Make: the catalogue it was matched against (empty title: none), the
// floss model and one row per palette colour. threads lists each matched thread once, in the
// order of its first row (empty without a catalogue). totals is computed once, with the rows.
struct PatternKey {
    std::string catalogueTitle;
    FlossModel floss;
    std::vector<KeyRow> rows;
    std::vector<ThreadTotal> threads;
    KeyTotals totals;

    // The row of symbol number k, a palette index.
    const KeyRow& Row(int k) const { return rows[static_cast<std::size_t>(k)]; }
    KeyRow& Row(int k) { return rows[static_cast<std::size_t>(k)]; }
};

// Whether a colour is left as bare fabric rather than stitched: white is, as the chart leaves
// its cells blank, unless stitchWhite asks for it to be stitched like any colour.
inline bool LeftAsFabric(TColor colour, bool stitchWhite) {
    return colour == clWhite && !stitchWhite;
}

// What the key says in place of a thread for a blank row.
inline constexpr const char* kBlankRowText = "blank: not stitched";

// The number the key shows for a symbol: legend rows count from 1.
inline int SymbolNumber(int symbol) {
    return symbol + 1;
}

}  // namespace brodix::threads
