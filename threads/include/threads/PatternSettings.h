#pragma once

#include <optional>
#include <string>

#include "engine/Census.h"
#include "engine/MakeOptions.h"
#include "threads/PatternKey.h"
#include "threads/ThreadCatalogue.h"

namespace brodix {
class TImage;
}

namespace brodix::threads {

// What the user chooses about a pattern besides its levels: the threads it is matched to, the
// floss it is estimated for and the options that refine Make's colours. The window holds one,
// which its pattern menu edits; brodix-chart builds one from its options. Make's options, the
// key and (through the key) the printed pattern derive from it, and nothing else keeps these
// values: a new choice is added here, to the menu (and the window's store of its choices,
// ui/src/PatternStore.cpp), to brodix-chart's option table and to its manual page.
struct PatternSettings {
    // The chosen catalogue; none: the key names no threads and snap has nothing to snap to.
    std::optional<ThreadCatalogue> catalogue;
    FlossModel floss;     // fabric count and strands
    bool snap = false;    // every colour becomes its nearest thread of the catalogue
    bool clean = false;   // stray stitches take their neighbours' colour
    int minStitches = 0;  // colours with fewer stitches merge into their nearest (0: off)
    int maxColours = 0;   // the colours are grouped by likeness until this many remain (0: off)
    bool dither = false;  // error diffusion onto the remaining colours (for photographs)
    bool report = false;  // the stitchability report is shown, and printed on the PDF's cover
    bool stitchWhite = false;  // white is stitched, with a symbol, instead of left as fabric

    // Whether a colour budget or a merge of rare colours is chosen: the user's own say over
    // the colours, which the photo defaults never override.
    bool ChoosesColours() const { return maxColours > 0 || minStitches > 0; }
};

// The catalogue brodix-chart uses unless told otherwise and a photograph is snapped to when
// none is chosen: the one of this title, when found in the data folders.
inline constexpr const char* kDefaultCatalogueTitle = "dmc";
// That catalogue, looked for in the data folders; nothing when it is not found. A damaged one
// raises as ReadCatalogue does.
std::optional<ThreadCatalogue> FindDefaultCatalogue();

// What Make takes from the settings (snap only when a catalogue is chosen).
MakeOptions MakeOptionsOf(const PatternSettings& settings);

// A photograph that Make would refuse for its colours, when neither a colour budget nor a least
// stitch count is chosen, is charted with the colours that best represent it instead
// (PhotoMakeOptions): whether that applies to picture (a photograph) under levels and settings.
bool PhotoDefaultsApply(TImage& picture, const LevelChoices& levels,
                        const PatternSettings& settings);
// Sets those choices: kPhotoColourBudget colours, cleaned, snapped when a catalogue is chosen,
// otherwise when fallback (the DMC catalogue, when found) is given, which becomes the choice.
void ChoosePhotoDefaults(PatternSettings& settings,
                         std::optional<ThreadCatalogue> fallback = std::nullopt);
// What the user is told after ChoosePhotoDefaults: what was done and how to choose otherwise.
std::string PhotoDefaultsNote(const PatternSettings& settings);

// The key of a census under the settings: its rows matched to the chosen catalogue, if any,
// with the floss model's estimate.
PatternKey KeyOf(const Census& census, const PatternSettings& settings);

}  // namespace brodix::threads
