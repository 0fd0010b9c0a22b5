#pragma once

#include <cstdint>
#include <span>

#include "RgbImage.h"

namespace brodix {

// The orientation tag (1 to 8) of an APP1 "Exif" segment's data, 1 when it has none or is
// damaged.
int ExifOrientation(std::span<const std::uint8_t> app1);

// Orientations 5 to 8 swap width and height.
inline bool SwapsAxes(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// The picture turned and mirrored as the orientation says, so that it stands upright.
RgbImage Oriented(const RgbImage& image, int orientation);

}  // namespace brodix
