#pragma once

#include <optional>

#include "engine/Captions.h"
#include "engine/Census.h"
#include "engine/MakeOptions.h"
#include "engine/ReduceColor.h"
#include "raster/TImage.h"

namespace brodix {

// The zoom window's part of Make: its image and its two size captions.
struct ZoomTarget {
    TImage& image;
    Caption& width;
    Caption& height;
    int factor = 4;  // the selected item of its factor choice, plus one
};

// Everything Make reads and writes, as the main window holds it.
struct MakeTargets {
    TImage& source;       // the picture as loaded (Image1); only read
    TImage& preview;      // Image2: rewritten with the reduced colours
    TImage& legend;       // Img_color
    TImage& chart;        // Img_CS
    TImage& symbols;      // Img_mark: the symbol sheet
    TImage& blank;        // IMG_BLK: the blank cell
    Caption& colorCount;  // L_ColorCount
    Caption& width;       // L_x
    Caption& height;      // L_y
    Caption& status;      // the status bar
    MessageSink& messages;
    ZoomTarget zoom;
};

enum class MakeResult { NoPicture, Refused, Done };

// Make: the census of the source picture with the level choices, then the legend, the labels,
// the preview, the chart, the grid lines and the zoom update. A refusal (too large, too many
// colours) is shown through targets.messages and changes nothing drawn before. Framework
// errors (a source that is not a bitmap) propagate as exceptions. options refine the reduced
// colours before they are counted (off by default); census, when given, receives the census
// the chart was drawn from when Make is done, and is left alone otherwise.
MakeResult Make(MakeTargets& targets, const LevelChoices& levels, const MakeOptions& options = {},
                Census* census = nullptr);

// Make's drawing from a census already taken (of at most kMaxStitchesPerSide a side): the
// legend, the labels, the preview, the chart, the grid lines and the zoom update, then the
// status text cleared. targets.source and targets.messages are not used.
void DrawMade(MakeTargets& targets, const Census& census);
// The same drawing after stitches (indexes into census.stitches) changed their colour and
// the counts of rows changed, no row added or taken away: only their cells of the chart,
// their pixels of the preview and those rows' counts of the legend, the zoom window following.
void DrawStitchesMade(MakeTargets& targets, const Census& census,
                      std::span<const std::uint32_t> stitches, std::span<const int> rows);

}  // namespace brodix
