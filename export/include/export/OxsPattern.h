#pragma once

#include <string>

#include "pattern/Pattern.h"

namespace brodix {

// The extension of a pattern in the open exchange format of cross-stitch programs.
inline constexpr const char* kOxsExtension = "oxs";

// The pattern as OXS: the chart's properties; the palette, the cloth (white) as item 0, then
// one item per stitched colour with indexes 1..n in the legend's order, each with its thread
// ("DMC 310", or the colour's "#RRGGBB" without a catalogue), name, colour, symbol character
// (as its decimal code point; symbols by use, as the printed pattern gives them) and strands; one
// full stitch per stitched cell, x and y counted from 0 at the top left; no part stitches or
// backstitches. Raises std::invalid_argument when the key is not the census's.
std::string MakeOxs(const Pattern& pattern);

// Writes the OXS file whole or not at all: a file that cannot be written raises EFCreateError
// or EWriteError with "cannot write NAME: REASON" and leaves an earlier file of that name as it
// was.
void SaveOxs(const std::string& fileName, const Pattern& pattern);

}  // namespace brodix
