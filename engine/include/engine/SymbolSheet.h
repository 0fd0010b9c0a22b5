#pragma once

#include <string>

#include "engine/ChartGeometry.h"
#include "raster/Geometry.h"

namespace brodix {

// The symbol sheet "Brodix.bmp" beside the program: ten chart cells a row (13 x 13 at a pitch
// of 12, as in the chart), so neighbouring cells share their border row or column. Symbol k serves
// palette index k.
inline constexpr const char* kSymbolSheetFileName = "Brodix.bmp";

// The full path of the running program (empty when the system cannot tell).
std::string ProgramFileName();
// The sheet's place for a program: its folder, final '/' kept, then the sheet's name.
std::string SymbolSheetPath(const std::string& programFileName);
inline constexpr int kSymbolsPerRow = 10;
inline constexpr int kSymbolCount = 255;
inline constexpr int kSymbolSheetWidth = (kSymbolsPerRow - 1) * kCellPitch + kCellSize;  // 121
inline constexpr int kSymbolSheetHeight =
    ((kSymbolCount + kSymbolsPerRow - 1) / kSymbolsPerRow - 1) * kCellPitch + kCellSize;  // 313

constexpr TRect SymbolCellRect(int k) {
    const int left = kCellPitch * (k % kSymbolsPerRow);
    const int top = kCellPitch * (k / kSymbolsPerRow);
    return Rect(left, top, left + kCellSize, top + kCellSize);
}

// The blank cell is the whole 13 x 13 picture of its image.
inline constexpr TRect kBlankCellRect = Rect(0, 0, kCellSize, kCellSize);

}  // namespace brodix
