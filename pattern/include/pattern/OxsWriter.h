#pragma once

#include <string>

#include "engine/Census.h"
#include "threads/PatternKey.h"
#include "threads/PatternSettings.h"

namespace brodix {

class Workspace;

// The extension of a pattern in the open exchange format of cross-stitch programs.
inline constexpr const char* kOxsExtension = "oxs";

// What an OXS file is made of: the census of the last Make (palette and stitches), its key in
// the legend's order (threads, fabric count, strands), and the picture's file name as the user
// loaded it, which titles the chart. White cells are left blank, as the chart leaves them,
// unless stitchWhite asks for them to be stitched.
struct OxsSources {
    const Census& census;
    const threads::PatternKey& key;
    std::string pictureName;
    bool stitchWhite = false;
};

// The sources of the workspace's last Make (its census and the picture it counted) with its
// key and whether the settings stitch white, for "Save OXS..." and brodix-chart --oxs alike.
// Needs a census.
OxsSources OxsSourcesOf(const Workspace& workspace, const threads::PatternKey& key,
                        const threads::PatternSettings& settings);

// The pattern as OXS: the chart's properties; the palette, the cloth (white) as item 0, then
// one item per stitched colour with indexes 1..n in the legend's order, each with its thread
// ("DMC 310", or the colour's "#RRGGBB" without a catalogue), name, colour, symbol character
// (as its decimal code point; symbols by use, as the printed pattern gives them) and strands; one
// full stitch per stitched cell, x and y counted from 0 at the top left; no part stitches or
// backstitches. Raises std::invalid_argument when the key is not the census's.
std::string MakeOxs(const OxsSources& sources);

// Writes the OXS file whole or not at all: a file that cannot be written raises EFCreateError
// or EWriteError with "cannot write NAME: REASON" and leaves an earlier file of that name as it
// was.
void SaveOxs(const std::string& fileName, const OxsSources& sources);

}  // namespace brodix
