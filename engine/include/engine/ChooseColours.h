#pragma once

#include <span>
#include <vector>

#include "engine/Refine.h"
#include "raster/Color.h"

namespace brodix {

// The colours a chart keeps, given the picture's colours as read (fitted) and as they stand
// now (current: fitted, or snapped to threads). Without a budget, or when current has no more
// colours than the budget, they are current's colours. Otherwise the fitted colours are grouped
// by Ward's criterion in CIELAB (the least growth of the stitch-weighted squared spread at each
// merge) into maxColours groups, each takes the candidate nearest its mean (a thread when
// threads are given, else a colour of fitted), and a few rounds of matching every colour to
// its nearest choice and moving each choice to the candidate nearest its stitches' mean
// follow; then swaps of a choice for another candidate, first for any candidate nearest some
// group's mean, then for those near the choice, wherever they lower the stitch-weighted sum of
// the squared CIEDE2000 to the nearest choice. Then, while a colour has fewer stitches than
// minStitches when every stitch takes its nearest choice, the rarest goes (ties: the lower colour
// value); the last colour stays. Ascending colour values.
std::vector<TColor> ChooseColours(const StitchGrid& fitted, const StitchGrid& current,
                                  int minStitches, int maxColours, std::span<const TColor> threads);

}  // namespace brodix
