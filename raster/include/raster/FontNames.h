#pragma once

#include <string>

namespace brodix {

// The fonts the program's design names: the desktop fonts it was designed with, which are not
// installed here. Canvases and the windows both draw them in the family FontFamilyFor() gives.
inline constexpr const char* kWindowFontFamily = "ＭＳ Ｐゴシック";  // windows, Japanese fonts
inline constexpr const char* kGroupFontFamily = "ＭＳ ゴシック";     // the level choices
inline constexpr const char* kDefaultFontFamily = "MS Sans Serif";   // other locales

// The installed family that stands in for a font name; any other name stands for itself.
std::string FontFamilyFor(const std::string& name);

}  // namespace brodix
