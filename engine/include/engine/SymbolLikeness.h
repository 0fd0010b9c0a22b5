#pragma once

#include <bitset>
#include <functional>
#include <span>
#include <vector>

#include "engine/ChartGeometry.h"

namespace brodix {

class TBitmap;

// A symbol as the stitcher sees it: the inside of its cell, within the cell's frame (the chart's
// grid line), kSymbolInside pixels square, ink at bit y * kSymbolInside + x.
inline constexpr int kSymbolInside = kCellSize - 2;
using SymbolInk = std::bitset<kSymbolInside * kSymbolInside>;

// Symbol k of a sheet (a pixel is ink when it is nearer black than white); empty for a cell
// beyond the sheet.
SymbolInk SymbolInkOf(const TBitmap& sheet, int k);

// How far apart two symbols look on a printed chart glanced at from reading distance: 0 for
// the same symbol, about 1 for symbols with no ink in common. Below kAlikeSymbolDistance a
// stitcher tells them apart only by looking closely.
double SymbolDistance(const SymbolInk& first, const SymbolInk& second);
inline constexpr double kAlikeSymbolDistance = 0.2;
// The same for many pairs of a list of symbols (by their place in it), each seen once.
using SymbolDistances = std::function<double(int first, int second)>;
SymbolDistances DistancesBetween(std::span<const SymbolInk> symbols);

// A dot texture: a symbol whose largest group of touching ink pixels (diagonals counting) has
// fewer than kDotGroupPixels pixels, a pattern of specks rather than a shape.
inline constexpr int kDotGroupPixels = 5;
int LargestInkGroup(const SymbolInk& ink);
bool IsDotTexture(const SymbolInk& ink);

// The order in which symbols serve a chart's colours, most stitched first: first the given one
// (the sheet's one light mark, for the largest area), then each next the one farthest (by
// SymbolDistance) from its nearest among those before it; of the candidates within
// kNearlyAsFar of the farthest, the one with the least ink, so that the first colours stay
// light (and of equal ink, the first in the list). Returns the symbols' places in that order.
inline constexpr double kNearlyAsFar = 0.25;
std::vector<int> FarthestFirstOrder(std::span<const SymbolInk> symbols, int first);

// The closest pair among the first count symbols of a list, and how far apart they are.
struct ClosestSymbols {
    int first = -1;
    int second = -1;
    double distance = 0.0;
};
ClosestSymbols ClosestAmongFirst(std::span<const SymbolInk> symbols, int count);

}  // namespace brodix
