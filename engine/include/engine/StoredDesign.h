#pragma once

#include <cstdint>
#include <span>

namespace brodix {

class TImage;

// The blank cell as the main window's design stores it: the picture-data container (one byte
// L, the L-character class name "TBitmap", a 32-bit byte count N, then N bytes of BMP file) of
// a 13 x 13, 4-bit picture with the standard 16-colour table. Black dots every other pixel
// along the four edges, corners included; white inside.
std::span<const std::uint8_t> BlankCellFormData();

// Gives image the blank cell as its picture, read from the stored design data.
void ReadBlankCell(TImage& image);

}  // namespace brodix
