#pragma once

#include <optional>
#include <span>
#include <string>

#include "engine/Census.h"
#include "engine/MakeOptions.h"
#include "threads/PatternKey.h"
#include "threads/ThreadCatalogue.h"

namespace brodix::threads {

// The paper the printed pattern is laid out on, portrait.
enum class Paper { A4, Letter };

// Black symbols on white cells (cheap to print), black symbols on a light tint of each
// stitch's colour, or each cell in its full colour with its symbol in black or white,
// whichever stands out more.
enum class ChartStyle { BlackWhite, Tint, Colour };

// What the user chooses about a pattern besides its levels: the threads it is matched to, the
// floss it is estimated for, the options that refine Make's colours and how it is printed.
// The window holds one, which its pattern menu edits; brodix-chart builds one from its
// options. Make's options, the key and the printed pattern derive from it, and nothing else
// keeps these values. Every field is one row of the pattern options (PatternOptions.h), which
// give its name, range, default, stored setting, menu values and help: a new choice is added
// here, there and to brodix-chart's manual page.
struct PatternSettings {
    // The chosen catalogue; none: the key names no threads and snap has nothing to snap to.
    std::optional<ThreadCatalogue> catalogue;
    FlossModel floss;    // fabric count and strands
    bool snap = false;   // every colour becomes its nearest thread of the catalogue
    bool clean = false;  // stray stitches take their neighbours' colour
    // Colours with fewer stitches merge into their nearest: off at 0 (and at 1, which no
    // colour has fewer than); ask MergesRareColours() rather than the number.
    int minStitches = 0;
    int maxColours = 0;   // the colours are grouped by likeness until this many remain (0: off)
    bool dither = false;  // error diffusion onto the remaining colours (for photographs)
    bool report = false;  // the stitchability report is shown, and printed on the PDF's cover
    bool stitchWhite = false;  // white is stitched, with a symbol, instead of left as fabric
    // The fabric's colour, where the stitched preview shows it (white Aida unless chosen).
    TColor fabricColour = clWhite;
    Paper paper = Paper::A4;                         // of the printed pattern
    ChartStyle chartStyle = ChartStyle::BlackWhite;  // of the printed chart's cells

    bool MergesRareColours() const { return minStitches > 1; }
    // Whether a colour budget or a least stitch count chooses the colours kept: when neither
    // does, a photograph refused for its colours takes the photo defaults.
    bool ChoosesColours() const { return maxColours > 0 || MergesRareColours(); }
};

// The catalogue brodix-chart uses unless told otherwise and a photograph is snapped to when
// none is chosen: the one of this title, when found in the data folders.
inline constexpr const char* kDefaultCatalogueTitle = "dmc";
// That catalogue, looked for in the data folders; nothing when it is not found. A damaged one
// raises as ReadCatalogue does.
std::optional<ThreadCatalogue> FindDefaultCatalogue();

// What Make takes from the settings (snap only when a catalogue is chosen).
MakeOptions MakeOptionsOf(const PatternSettings& settings);

// The photo defaults, which a photograph that would be refused for its colours takes when no
// colour budget or least stitch count chooses them (ChoosesColours; MakePattern decides):
// kPhotoColourBudget colours, cleaned, snapped when a catalogue is chosen, otherwise when
// fallback (the default catalogue, when found) is given, which becomes the choice.
void ChoosePhotoDefaults(PatternSettings& settings,
                         std::optional<ThreadCatalogue> fallback = std::nullopt);
// What the user is told after ChoosePhotoDefaults: what was done and how to choose otherwise.
std::string PhotoDefaultsNote(const PatternSettings& settings);

// The choices in force that change the pattern, in the order Make applies them, for the line
// that keeps them in sight: "DMC · snap · 30 colours · clean · dither"; empty when none is.
// Snap counts only with a catalogue, and the clean not after a dither, which skips it.
std::string PatternChoicesLine(const PatternSettings& settings);
// The key of a census under the settings: its rows matched to the chosen catalogue, if any,
// with the floss model's estimate; chosen as BuildPatternKey takes it.
PatternKey KeyOf(const Census& census, const PatternSettings& settings,
                 std::span<const std::optional<Thread>> chosen = {});

}  // namespace brodix::threads
