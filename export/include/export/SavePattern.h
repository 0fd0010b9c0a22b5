#pragma once

#include <string>
#include <vector>

#include "engine/Captions.h"
#include "raster/TImage.h"

namespace brodix {

// What Save reads (what the last Make left on screen) and its scratch image.
struct SaveSources {
    TImage& source;   // Image1: Save does nothing when it holds no picture
    TImage& chart;    // Img_CS
    TImage& legend;   // Img_color
    TImage& preview;  // Image2
    Caption& width;       // L_x
    Caption& height;      // L_y
    Caption& colorCount;  // L_ColorCount
    TImage& scratch;      // IMG_save
};

// Writes stem_CS, the pages, stem_color and stem_CSC, each with the extension of fileName, in
// that order. Returns the names written. Framework errors (an unreadable caption, a file that
// cannot be created) propagate; the files written before stay.
std::vector<std::string> SavePattern(const std::string& fileName, SaveSources& sources);

}  // namespace brodix
