#include "engine/SymbolLikeness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>

#include "engine/SymbolSheet.h"
#include "raster/Geometry.h"
#include "raster/TBitmap.h"

namespace brodix {

namespace {

// How a symbol looks from reading distance. A chart cell is printed 3 to 4 mm wide, so one of
// its twelve pixels is about 0.3 mm: at 40 cm, some two and a half minutes of arc, which a
// glance (rather than a stare) blurs over, and a stitcher reads a symbol a pixel to the side,
// or a pixel higher, as the same symbol. So a symbol is seen blurred by a binomial filter of one
// pixel's radius, and two symbols are compared at every shift of up to a pixel, the closest one
// counting. The field keeps a margin for the blur and the shift, so no ink falls off it.
constexpr int kBlurPasses = 1;
constexpr int kMargin = kBlurPasses + 1;
constexpr int kField = kSymbolInside + 2 * kMargin;
using Field = std::array<float, static_cast<std::size_t>(kField* kField)>;

// Read as the same symbol turned or mirrored, two symbols are still told apart by a careful
// look, at this distance: below kAlikeSymbolDistance, so that <, >, b, d or an arrow and its
// turns count as alike (a stitcher reads them one for the other at a glance).
constexpr double kTurnedOnly = 0.12;
// Two dot textures are alike whatever their dots: a field of specks reads as grey.
constexpr double kBothSpecks = 0.1;

// The symmetries of the square other than keeping it: turned a quarter, a half, three
// quarters, mirrored left to right, top to bottom and on each diagonal.
constexpr int kTurns = 7;

bool InkAt(const SymbolInk& ink, int x, int y) {
    return ink[GridIndex(x, y, kSymbolInside)];
}

SymbolInk Turned(const SymbolInk& ink, int turn) {
    constexpr int last = kSymbolInside - 1;
    SymbolInk result;
    for (int y = 0; y < kSymbolInside; ++y) {
        for (int x = 0; x < kSymbolInside; ++x) {
            const std::array<std::array<int, 2>, kTurns> from = {{{y, last - x},
                                                                  {last - x, last - y},
                                                                  {last - y, x},
                                                                  {last - x, y},
                                                                  {x, last - y},
                                                                  {y, x},
                                                                  {last - y, last - x}}};
            const auto& [sx, sy] = from[static_cast<std::size_t>(turn)];
            result[GridIndex(x, y, kSymbolInside)] = InkAt(ink, sx, sy);
        }
    }
    return result;
}

// One pass of the binomial filter 1 2 1 along the rows, then the columns.
Field Blurred(const Field& field) {
    constexpr std::array<float, 3> weights = {0.25f, 0.5f, 0.25f};
    Field rows{};
    for (int y = 0; y < kField; ++y) {
        for (int x = 1; x < kField - 1; ++x) {
            float sum = 0.0f;
            for (int d = -1; d <= 1; ++d)
                sum +=
                    weights[static_cast<std::size_t>(d + 1)] * field[GridIndex(x + d, y, kField)];
            rows[GridIndex(x, y, kField)] = sum;
        }
    }
    Field blurred{};
    for (int y = 1; y < kField - 1; ++y) {
        for (int x = 0; x < kField; ++x) {
            float sum = 0.0f;
            for (int d = -1; d <= 1; ++d)
                sum += weights[static_cast<std::size_t>(d + 1)] * rows[GridIndex(x, y + d, kField)];
            blurred[GridIndex(x, y, kField)] = sum;
        }
    }
    return blurred;
}

Field Seen(const SymbolInk& ink) {
    Field sharp{};
    for (int y = 0; y < kSymbolInside; ++y) {
        for (int x = 0; x < kSymbolInside; ++x) {
            if (InkAt(ink, x, y))
                sharp[GridIndex(x + kMargin, y + kMargin, kField)] = 1.0f;
        }
    }
    Field seen = sharp;
    for (int pass = 0; pass < kBlurPasses; ++pass)
        seen = Blurred(seen);
    return seen;
}

// The ink where two seen symbols differ as a share of the ink of either, at the closest shift
// of up to a pixel: relative, so that two thin letters a stroke apart count as far apart as two
// bold shapes a stroke apart.
double SeenDistance(const Field& first, const Field& second) {
    double closest = std::numeric_limits<double>::max();
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            double differ = 0.0;
            double either = 0.0;
            for (int y = 1; y < kField - 1; ++y) {
                for (int x = 1; x < kField - 1; ++x) {
                    const float a = first[GridIndex(x, y, kField)];
                    const float b = second[GridIndex(x + dx, y + dy, kField)];
                    differ += std::abs(a - b);
                    either += std::max(a, b);
                }
            }
            if (either > 0.0)
                closest = std::min(closest, differ / either);
        }
    }
    return closest == std::numeric_limits<double>::max() ? 0.0 : closest;
}

// A symbol seen as it is and in each of its turns, ready to be compared many times.
struct Views {
    Field seen;
    std::array<Field, kTurns> turned;
    bool specks = false;
};

Views ViewsOf(const SymbolInk& ink) {
    Views views{Seen(ink), {}, IsDotTexture(ink)};
    for (int turn = 0; turn < kTurns; ++turn)
        views.turned[static_cast<std::size_t>(turn)] = Seen(Turned(ink, turn));
    return views;
}

double Distance(const Views& first, const Views& second) {
    double distance = SeenDistance(first.seen, second.seen);
    double turned = std::numeric_limits<double>::max();
    for (const Field& turn : second.turned)
        turned = std::min(turned, SeenDistance(first.seen, turn));
    distance = std::min(distance, kTurnedOnly + turned);
    if (first.specks && second.specks)
        distance = std::min(distance, kBothSpecks);
    return distance;
}

std::vector<Views> ViewsOf(std::span<const SymbolInk> symbols) {
    std::vector<Views> views;
    views.reserve(symbols.size());
    for (const SymbolInk& ink : symbols)
        views.push_back(ViewsOf(ink));
    return views;
}

}  // namespace

SymbolInk SymbolInkOf(const TBitmap& sheet, int k) {
    SymbolInk ink;
    const TRect cell = SymbolCellRect(k);
    if (cell.Right > sheet.Width() || cell.Bottom > sheet.Height())
        return ink;
    for (int y = 0; y < kSymbolInside; ++y) {
        for (int x = 0; x < kSymbolInside; ++x) {
            const TColor c = ColorToRGB(sheet.GetPixel(cell.Left + 1 + x, cell.Top + 1 + y));
            ink[GridIndex(x, y, kSymbolInside)] = RedOf(c) + GreenOf(c) + BlueOf(c) < 3 * 128;
        }
    }
    return ink;
}

double SymbolDistance(const SymbolInk& first, const SymbolInk& second) {
    return Distance(ViewsOf(first), ViewsOf(second));
}

SymbolDistances DistancesBetween(std::span<const SymbolInk> symbols) {
    auto views = std::make_shared<const std::vector<Views>>(ViewsOf(symbols));
    return [views](int first, int second) {
        return Distance(views->at(static_cast<std::size_t>(first)),
                        views->at(static_cast<std::size_t>(second)));
    };
}

int LargestInkGroup(const SymbolInk& ink) {
    SymbolInk seen;
    int largest = 0;
    std::vector<int> stack;
    for (int start = 0; start < kSymbolInside * kSymbolInside; ++start) {
        const auto s = static_cast<std::size_t>(start);
        if (!ink[s] || seen[s])
            continue;
        int size = 0;
        seen[s] = true;
        stack.push_back(start);
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            ++size;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = at % kSymbolInside + dx;
                    const int y = at / kSymbolInside + dy;
                    if (x < 0 || y < 0 || x >= kSymbolInside || y >= kSymbolInside)
                        continue;
                    const std::size_t next = GridIndex(x, y, kSymbolInside);
                    if (ink[next] && !seen[next]) {
                        seen[next] = true;
                        stack.push_back(static_cast<int>(next));
                    }
                }
            }
        }
        largest = std::max(largest, size);
    }
    return largest;
}

bool IsDotTexture(const SymbolInk& ink) {
    return LargestInkGroup(ink) < kDotGroupPixels;
}

std::vector<int> FarthestFirstOrder(std::span<const SymbolInk> symbols, int first) {
    const std::vector<Views> views = ViewsOf(symbols);
    const auto n = symbols.size();
    std::vector<int> order;
    if (first < 0 || static_cast<std::size_t>(first) >= n)
        return order;
    std::vector<bool> taken(n, false);
    std::vector<double> nearest(n, std::numeric_limits<double>::max());
    const auto take = [&](std::size_t k) {
        taken[k] = true;
        order.push_back(static_cast<int>(k));
        for (std::size_t j = 0; j < n; ++j) {
            if (!taken[j])
                nearest[j] = std::min(nearest[j], Distance(views[k], views[j]));
        }
    };
    const auto lighter = [&](std::size_t a, std::size_t b) {
        return symbols[a].count() < symbols[b].count();
    };
    take(static_cast<std::size_t>(first));
    while (order.size() < n) {
        double farthest = -1.0;
        for (std::size_t k = 0; k < n; ++k) {
            if (!taken[k])
                farthest = std::max(farthest, nearest[k]);
        }
        std::size_t next = n;
        for (std::size_t k = 0; k < n; ++k) {
            if (!taken[k] && nearest[k] >= farthest - kNearlyAsFar &&
                (next == n || lighter(k, next)))
                next = k;
        }
        take(next);
    }
    return order;
}

ClosestSymbols ClosestAmongFirst(std::span<const SymbolInk> symbols, int count) {
    const auto n = std::min(symbols.size(), static_cast<std::size_t>(std::max(count, 0)));
    const std::vector<Views> views = ViewsOf(symbols.first(n));
    ClosestSymbols closest;
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = a + 1; b < n; ++b) {
            const double d = Distance(views[a], views[b]);
            if (closest.first < 0 || d < closest.distance)
                closest = {static_cast<int>(a), static_cast<int>(b), d};
        }
    }
    return closest;
}

}  // namespace brodix
