#pragma once

#include <optional>

#include "engine/Census.h"
#include "engine/MakeOptions.h"
#include "threads/PatternKey.h"
#include "threads/ThreadCatalogue.h"

namespace brodix::threads {

// What the user chooses about a pattern besides its levels: the threads it is matched to, the
// floss it is estimated for and the options that refine Make's colours. The window holds one,
// which its pattern menu edits; brodix-chart builds one from its options. Make's options, the
// key and (through the key) the printed pattern derive from it, and nothing else keeps these
// values: a new choice is added here, to the menu, to brodix-chart's option table and to its
// manual page.
struct PatternSettings {
    // The chosen catalogue; none: the key names no threads and snap has nothing to snap to.
    std::optional<ThreadCatalogue> catalogue;
    FlossModel floss;     // fabric count and strands
    bool snap = false;    // every colour becomes its nearest thread of the catalogue
    bool clean = false;   // stray stitches take their neighbours' colour
    int minStitches = 0;  // colours with fewer stitches merge into their nearest (0: off)
    int maxColours = 0;   // the rarest colours merge until this many remain (0: no budget)
};

// What Make takes from the settings (snap only when a catalogue is chosen).
MakeOptions MakeOptionsOf(const PatternSettings& settings);

// The key of a census under the settings: its rows matched to the chosen catalogue, if any,
// with the floss model's estimate.
PatternKey KeyOf(const Census& census, const PatternSettings& settings);

}  // namespace brodix::threads
