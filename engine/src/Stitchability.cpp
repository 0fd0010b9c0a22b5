#include "engine/Stitchability.h"

#include <algorithm>
#include <vector>

#include "engine/ColourDifference.h"
#include "engine/SymbolLikeness.h"
#include "engine/SymbolSheet.h"
#include "raster/TBitmap.h"

namespace brodix {

namespace {

bool IsIsolated(const Census& census, int x, int y) {
    const int own = census.IndexAt(x, y);
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if ((dx != 0 || dy != 0) && nx >= 0 && ny >= 0 && nx < census.width &&
                ny < census.height && census.IndexAt(nx, ny) == own)
                return false;
        }
    }
    return true;
}

}  // namespace

StitchabilityReport AssessStitchability(const Census& census, const SymbolsAlike& alike) {
    StitchabilityReport report;
    report.stitches = census.width * census.height;
    report.rows = census.height;
    for (int y = 0; y < census.height; ++y) {
        for (int x = 0; x < census.width; ++x) {
            if (x > 0 && census.IndexAt(x - 1, y) != census.IndexAt(x, y))
                ++report.colourChanges;
            if (census.ColorAt(x, y) != clWhite && IsIsolated(census, x, y))
                ++report.isolatedStitches;
        }
    }
    std::vector<TColor> colours;
    for (const PaletteEntry& entry : census.palette)
        colours.push_back(entry.color);
    const std::vector<LabColour> labs = ToLab(colours);
    const int n = static_cast<int>(colours.size());
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const double d =
                DeltaE00(labs[static_cast<std::size_t>(i)], labs[static_cast<std::size_t>(j)]);
            if (d < kCloseColoursDeltaE)
                report.closeColours.push_back({i, j, d});
            const bool symbols =
                census.PaletteAt(i).color != clWhite && census.PaletteAt(j).color != clWhite;
            if (alike && symbols && alike(census.SymbolAt(i), census.SymbolAt(j)))
                report.alikeSymbols.push_back({i, j});
        }
    }
    std::stable_sort(report.closeColours.begin(), report.closeColours.end(),
                     [](const ColourPair& a, const ColourPair& b) { return a.deltaE < b.deltaE; });
    return report;
}

SymbolsAlike SymbolsAlikeOnSheet(const TBitmap& sheet) {
    // A sheet too small for every symbol gives no answer for those beyond it.
    std::vector<SymbolInk> symbols;
    for (int k = 0; k < kSymbolCount; ++k) {
        const TRect cell = SymbolCellRect(k);
        if (cell.Right > sheet.Width() || cell.Bottom > sheet.Height())
            break;
        symbols.push_back(SymbolInkOf(sheet, k));
    }
    const auto count = static_cast<int>(symbols.size());
    return [count, distance = DistancesBetween(symbols)](int first, int second) {
        if (first < 0 || second < 0 || first >= count || second >= count)
            return false;
        return distance(first, second) < kAlikeSymbolDistance;
    };
}

}  // namespace brodix
