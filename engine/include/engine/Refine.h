#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "engine/Census.h"
#include "engine/MakeOptions.h"
#include "engine/Progress.h"
#include "raster/Color.h"

namespace brodix {

class TImage;

// The stitches of a picture before they are counted: row by row, top row first.
struct StitchGrid {
    int width = 0;
    int height = 0;
    std::vector<TColor> colours;
};

// Every colour becomes the nearest of threads by CIEDE2000 (ties: the earlier thread).
void SnapToThreads(StitchGrid& grid, std::span<const TColor> threads);

// Every stitch takes the colour of colours nearest its fitted colour by CIEDE2000 (ties: the
// earlier colour).
void MatchToColours(StitchGrid& grid, const StitchGrid& fitted, std::span<const TColor> colours);

// Every stitch takes one of colours by error diffusion in linear light: serpentine
// Floyd-Steinberg, each stitch taking the colour nearest by CIEDE2000 to its fitted colour plus
// nine tenths of the error its neighbours passed on (held in range), so that areas keep
// nearly their mean colour and a colour no mixture reaches does not streak them.
void DitherToColours(StitchGrid& grid, const StitchGrid& fitted, std::span<const TColor> colours);

// The colours a dithered chart keeps. The threads nearest the picture's colours often all lie
// on one side of them, and no mixture of those reaches them; so the picture is first dithered
// onto every thread, and the colours are chosen by ChooseColours (engine/ChooseColours.h) from
// those stitches (the threads that mixing uses), so that they surround the picture's colours.
// Without threads, as ChooseColours(fitted, fitted, ...).
std::vector<TColor> ChooseDitherColours(const StitchGrid& fitted, int minStitches, int maxColours,
                                        std::span<const TColor> threads);

// What a colour change beside a stitch weighs against its likeness in the clean, in ΔE00.
// Measured on photographs: at this weight the likeness stays as it was and the colour changes
// along the rows drop by an eighth; more costs likeness.
inline constexpr double kNeighbourWeight = 0.3;
// A stray stitch that every change would cost more than this (ΔE00) to make good may stay, up to
// one per kStitchesPerKeptStray stitches: a catchlight in an eye or a glint on metal is a
// detail, not noise.
inline constexpr double kKeptStrayCost = 10.0;
inline constexpr std::size_t kStitchesPerKeptStray = 1000;

// First one pass in which every stitch, in reading order, takes among its own colour and its
// neighbours' the one with the least CIEDE2000 to its fitted colour plus kNeighbourWeight for
// each neighbour of another colour. Then one pass in reading order over the stray stitches
// (none of their neighbours, up to 8, none beyond the picture's edge, shares their colour):
// each is made good by the change that costs least, either taking one of its neighbours'
// colours or a neighbour taking its colour, where no stitch is left stray by it; a change costs
// the likeness it loses (CIEDE2000 to the fitted colour) and kNeighbourWeight for each colour
// change it adds along the row. A stray stitch that every change would cost more than
// kKeptStrayCost may stay, the costliest first, up to one per kStitchesPerKeptStray stitches of
// the grid. fitted: the colours as read (same size).
void CleanStrayStitches(StitchGrid& grid, const StitchGrid& fitted);
inline void CleanStrayStitches(StitchGrid& grid) {
    const StitchGrid fitted = grid;
    CleanStrayStitches(grid, fitted);
}

// The fitted colours of source's picture: every pixel read through its canvas, reduced when
// levels reduce any channel, as TakeCensus reads them (and raising as it does for a picture
// that is not a bitmap). No size check: the caller bounds the picture.
StitchGrid ReadStitches(TImage& source, const LevelChoices& levels);

// The census of fitted colours (at least one) refined by options as TakeRefinedCensus refines
// them and counted with the limit of kMaxColors colours; no size check, no image drawn. This is the
// pattern's core, shared by the window's Make and by the pattern outputs of any size. progress
// hears each stage as it starts.
CensusResult RefinedCensusOf(StitchGrid fitted, const MakeOptions& options,
                             const ProgressReport& progress = {});

// TakeCensus with the options applied between the reduction and the count: the size check,
// every pixel read and reduced (the fitted colours), then snap, the choice of colours with
// every stitch matched (or dithered) onto them, and the clean, as chosen, then the count (with
// its limit of kMaxColors colours). Without options, or for an empty picture, it is TakeCensus.
CensusResult TakeRefinedCensus(TImage& source, const LevelChoices& levels,
                               const MakeOptions& options);

}  // namespace brodix
