#pragma once

#include <string>
#include <vector>

#include "pattern/Pattern.h"

namespace brodix {

class TBitmap;

// The stitchability report of a pattern in plain English, one line a figure, each colour named
// as the legend shows it (its symbol's character and its thread: "\u25b2 3865"), symbols
// compared on sheet (none: not compared): what --report prints and the window shows.
std::vector<std::string> StitchabilityLinesOf(const Pattern& pattern, const TBitmap* sheet);

}  // namespace brodix
