#include "engine/Stitchability.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "engine/ColourDifference.h"
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

// A symbol's inside (the cell without its grid lines) as the eye sees it at the chart's
// size: ink (1) and paper (0), each pixel averaged with its neighbours, row by row.
constexpr int kInside = kCellSize - 2;

// Below this difference two symbols are told apart only by looking closely.
constexpr double kAlikeDifference = 0.2;
using Seen = std::array<double, kInside * kInside>;

Seen SeenOf(const TBitmap& sheet, int symbol) {
    const TRect cell = SymbolCellRect(symbol);
    Seen ink{};
    for (int y = 0; y < kInside; ++y) {
        for (int x = 0; x < kInside; ++x) {
            const TColor c = ColorToRGB(sheet.GetPixel(cell.Left + 1 + x, cell.Top + 1 + y));
            ink[GridIndex(x, y, kInside)] = RedOf(c) + GreenOf(c) + BlueOf(c) < 3 * 128 ? 1.0 : 0.0;
        }
    }
    Seen seen{};
    for (int y = 0; y < kInside; ++y) {
        for (int x = 0; x < kInside; ++x) {
            double sum = 0.0;
            int count = 0;
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, kInside - 1); ++ny) {
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, kInside - 1); ++nx) {
                    sum += ink[GridIndex(nx, ny, kInside)];
                    ++count;
                }
            }
            seen[GridIndex(x, y, kInside)] = sum / count;
        }
    }
    return seen;
}

// How different two symbols look: the ink where they differ as a share of the ink of both, 0
// (the same) to 1 (no ink in common). Relative, so that two thin letters a stroke apart count
// as different as two bold shapes a stroke apart.
double Difference(const Seen& first, const Seen& second) {
    double differ = 0.0;
    double either = 0.0;
    for (std::size_t i = 0; i < first.size(); ++i) {
        differ += std::abs(first[i] - second[i]);
        either += std::max(first[i], second[i]);
    }
    return either > 0.0 ? differ / either : 0.0;
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
            if (alike && symbols && alike(i, j))
                report.alikeSymbols.push_back({i, j});
        }
    }
    std::stable_sort(report.closeColours.begin(), report.closeColours.end(),
                     [](const ColourPair& a, const ColourPair& b) { return a.deltaE < b.deltaE; });
    return report;
}

SymbolsAlike SymbolsAlikeOnSheet(const TBitmap& sheet) {
    // A sheet too small for every symbol gives no answer for those beyond it.
    auto seen = std::make_shared<std::vector<Seen>>();
    for (int k = 0; k < kSymbolCount; ++k) {
        const TRect cell = SymbolCellRect(k);
        if (cell.Right > sheet.Width() || cell.Bottom > sheet.Height())
            break;
        seen->push_back(SeenOf(sheet, k));
    }
    return [seen](int first, int second) {
        const auto count = static_cast<int>(seen->size());
        if (first < 0 || second < 0 || first >= count || second >= count)
            return false;
        return Difference((*seen)[static_cast<std::size_t>(first)],
                          (*seen)[static_cast<std::size_t>(second)]) < kAlikeDifference;
    };
}

}  // namespace brodix
