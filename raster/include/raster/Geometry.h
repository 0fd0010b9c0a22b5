#pragma once

#include <cstddef>

namespace brodix {

struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// (Left, Top)-(Right, Bottom), right column and bottom row excluded.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) {
    return TRect{left, top, right, bottom};
}

// Where cell (x, y) lies in a grid of the given width stored row by row, top row first: a
// pixel of a picture without row padding, a stitch of a chart. None of the three is ever
// negative.
constexpr std::size_t GridIndex(int x, int y, int width) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
}

// How many cells a grid of width x height holds.
constexpr std::size_t GridCells(int width, int height) {
    return GridIndex(0, height, width);
}

}  // namespace brodix
