#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace brodix {

// The sRGB transfer function: a channel's byte as linear light (0 to 1), in which light from
// neighbouring stitches adds up as the eye sees it from afar, and back.
inline double LinearOf(std::uint8_t channel) {
    const double v = channel / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

inline std::uint8_t SrgbOf(double linear) {
    const double v = std::clamp(linear, 0.0, 1.0);
    const double s = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(s * 255.0));
}

}  // namespace brodix
