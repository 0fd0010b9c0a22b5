#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brodix {

// A colour value 0x00BBGGRR: red in the low byte. A value with the top bit set names a
// system colour (0x80000000 + index) that is resolved whenever it is used for drawing.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0xFFFFFFFF;  // what reading outside an image gives

inline constexpr TColor kSystemColorFlag = 0x80000000;
inline constexpr TColor clBtnFace = kSystemColorFlag | 15;
inline constexpr TColor clWindowText = kSystemColorFlag | 8;
inline constexpr TColor clWindow = kSystemColorFlag | 5;

constexpr std::uint8_t RedOf(TColor c) {
    return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t GreenOf(TColor c) {
    return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t BlueOf(TColor c) {
    return static_cast<std::uint8_t>(c >> 16);
}
constexpr TColor RGB(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

// The standard colour scheme's value for a system colour index (black window text,
// light grey button face, ...). Unknown indexes give black.
TColor SysColor(unsigned index);

// A colour as files write it: six hexadecimal digits, red first ("FF8000"), and back. Parsing
// takes either letter case and nothing else: no '#', no blanks, exactly six digits.
std::string HexRgb(TColor color);
std::optional<TColor> ParseHexRgb(std::string_view text);

// Resolves a system colour to its value and clears the top byte of every other value.
constexpr TColor ColorToRGB(TColor c);

}  // namespace brodix

namespace brodix {
constexpr TColor ColorToRGB(TColor c) {
    return (c & kSystemColorFlag) != 0 ? SysColor(c & 0xFF) : (c & 0xFFFFFF);
}
}  // namespace brodix
