// What every change by hand keeps true, checked by the tests and the fuzz target of the pattern's
// changes: the counts add up to the stitches, every stitch names a row, and no colour's symbols
// move.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "pattern/Pattern.h"

namespace brodix {

// Each colour's symbols, by its sheet symbol (which no two colours share), in row order.
using SymbolsOfRows = std::vector<std::pair<int, int>>;

inline SymbolsOfRows SymbolsOf(const Pattern& pattern) {
    SymbolsOfRows symbols;
    for (const PatternColour& colour : pattern.Colours())
        symbols.emplace_back(colour.sheetSymbol, colour.printedSymbol);
    return symbols;
}

// What is wrong with pattern, empty when nothing is.
inline std::string PatternFault(const Pattern& pattern) {
    const Census& census = pattern.Stitches();
    if (pattern.Colours().size() != census.palette.size() || census.palette.empty())
        return "rows and palette differ";
    std::vector<int> counts(census.palette.size(), 0);
    for (std::uint8_t stitch : census.stitches) {
        if (stitch >= counts.size())
            return "a stitch names no row";
        ++counts[stitch];
    }
    std::map<int, int> sheet, printed;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        const PatternColour& colour = pattern.Colours()[k];
        if (census.palette[k].count != counts[k])
            return "row " + std::to_string(k) + " miscounted";
        if (census.SymbolAt(static_cast<int>(k)) != colour.sheetSymbol)
            return "row " + std::to_string(k) + " drawn by another symbol";
        if (census.palette[k].color != colour.colour)
            return "row " + std::to_string(k) + " has two colours";
        if (++sheet[colour.sheetSymbol] > 1 ||
            (colour.printedSymbol != kNoSymbol && ++printed[colour.printedSymbol] > 1))
            return "a symbol is taken twice";
    }
    return "";
}

// Whether every colour of before that is still in after (by its sheet symbol) kept its
// printed symbol (unless it became bare fabric or stopped being it) and its order among the
// others.
inline bool SymbolsStayed(const SymbolsOfRows& before, const SymbolsOfRows& after) {
    std::map<int, std::pair<int, std::size_t>> was;
    for (std::size_t row = 0; row < before.size(); ++row)
        was[before[row].first] = {before[row].second, row};
    std::size_t lastRow = 0;
    bool first = true;
    for (const auto& [sheet, printedSymbol] : after) {
        const auto it = was.find(sheet);
        if (it == was.end())
            continue;
        const bool printedBoth = it->second.first != kNoSymbol && printedSymbol != kNoSymbol;
        if ((printedBoth && it->second.first != printedSymbol) ||
            (!first && it->second.second < lastRow))
            return false;
        lastRow = it->second.second;
        first = false;
    }
    return true;
}

}  // namespace brodix
