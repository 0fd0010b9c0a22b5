#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/Captions.h"
#include "engine/Workspace.h"
#include "raster/FileName.h"
#include "raster/TImage.h"

namespace brodix {

// The saved files hold BMP data; the save dialog gives a name without extension this one.
inline constexpr const char* kSaveDefaultExtension = "bmp";

// The saved legend's rows, at most this many to a column.
inline constexpr int kLegendRowsPerColumn = 50;

// What Save reads (what the last Make left on screen) and its scratch image. Save reads the
// window's images and captions, not the pattern document: its files are the chart, legend and
// picture exactly as the window shows them (a picture that is no bitmap included), and the
// chart's size is read back from the captions.
struct SaveSources {
    TImage& source;       // Image1: Save does nothing when it holds no picture
    TImage& chart;        // Img_CS
    TImage& legend;       // Img_color
    TImage& preview;      // Image2
    Caption& width;       // L_x
    Caption& height;      // L_y
    Caption& colorCount;  // L_ColorCount
    TImage& scratch;      // IMG_save
};

// Writes stem_CS, the pages, stem_color and stem_CSC, each with the extension of fileName, in
// that order. Returns the names written. Framework errors (an unreadable caption, a file that
// cannot be created) propagate; the files written before stay.
std::vector<std::string> SavePattern(const std::string& fileName, SaveSources& sources);

// The names SavePattern writes, in its order, for a chart of width x height stitches.
std::vector<std::string> SavedFileNames(const std::string& fileName, int width, int height);

// The same, telling onWritten each name as soon as its file is complete, so that a caller can
// report the files that stay when a later one fails.
std::vector<std::string> SavePattern(const std::string& fileName, SaveSources& sources,
                                     const std::function<void(const std::string&)>& onWritten);

// Save of a workspace: what the last Make left in its images and in captions.
SaveSources SourcesOf(Workspace& workspace, const WorkspaceCaptions& captions);
std::vector<std::string> SavePattern(
    const std::string& fileName, Workspace& workspace, const WorkspaceCaptions& captions,
    const std::function<void(const std::string&)>& onWritten = nullptr);

// The whole-number factor of the enlarged picture for a picture of width x height stitches,
// or 0 when it has none (an empty picture).
int EnlargedScale(int width, int height);

}  // namespace brodix
