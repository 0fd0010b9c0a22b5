#include "engine/ReduceColor.h"

namespace brodix {

namespace {

struct Step {
    unsigned step;
    unsigned half;
};

// Index 0 ("Org") has no step; every step divides 255, so 255 is always a level.
constexpr Step kSteps[] = {{0, 0}, {85, 42}, {51, 25}, {17, 8}, {15, 7}};

unsigned ReduceChannel(unsigned value, int choice) {
    if (choice <= 0 || choice >= static_cast<int>(std::size(kSteps)))
        return value;
    const auto [step, half] = kSteps[choice];
    const unsigned remainder = value % step;
    // A remainder equal to the half rounds down.
    return remainder > half ? value - remainder + step : value - remainder;
}

}  // namespace

TColor ReduceColor(TColor color, const LevelChoices& levels) {
    return RGB(ReduceChannel(RedOf(color), levels.red), ReduceChannel(GreenOf(color), levels.green),
               ReduceChannel(BlueOf(color), levels.blue));
}

}  // namespace brodix
