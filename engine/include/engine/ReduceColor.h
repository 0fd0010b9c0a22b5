#pragma once

#include <array>

#include "raster/Color.h"

namespace brodix {

// The level choice of one channel: the selected item of its radio group, whose items read
// these texts: 0 "Org" (unchanged), 1 " 4", 2 " 6", 3 "16", 4 "18" levels. brodix-chart takes
// the same items typed without padding.
inline constexpr std::array<const char*, 5> kLevelItems = {"Org", " 4", " 6", "16", "18"};

struct LevelChoices {
    int red = 0;
    int green = 0;
    int blue = 0;

    // True when any channel is reduced (Make then reduces every pixel).
    constexpr bool Reduces() const { return red != 0 || green != 0 || blue != 0; }
};

// The colour with each channel rounded to its chosen levels (a remainder above half the step
// rounds up, one equal to it or below rounds down). Channels at "Org" keep their value.
TColor ReduceColor(TColor color, const LevelChoices& levels);

}  // namespace brodix
