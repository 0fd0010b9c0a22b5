#pragma once

#include <string>

#include "pattern/Pattern.h"

namespace brodix {

// The extension of a pattern in the open exchange format of cross-stitch programs.
inline constexpr const char* kOxsExtension = "oxs";

// The pattern as OXS: the chart's properties (its size, the title from the picture's name
// without folder and extension, the key's fabric count); the palette, the cloth (white) as
// item 0, then one item per colour that is not left as bare fabric (PatternColour::blank), with
// indexes 1..n in the legend's order, each with its thread from the key ("DMC 310", or the
// colour's "#RRGGBB" without a catalogue), name, colour, printed symbol (as the decimal code
// point of its character) and the key's strands; one full stitch per stitched cell, x and y
// counted from 0 at the top left; no part stitches or backstitches.
std::string MakeOxs(const Pattern& pattern);

// Writes the OXS file whole or not at all: a file that cannot be written raises EFCreateError
// or EWriteError with "cannot write NAME: REASON" and leaves an earlier file of that name as it
// was.
void SaveOxs(const std::string& fileName, const Pattern& pattern);

}  // namespace brodix
