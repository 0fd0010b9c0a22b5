#pragma once

#include <vector>

#include "ui/PatternFileSave.h"

namespace brodix {

// "Save OXS...": the pattern of the last Make for other cross-stitch programs.
PatternFileSave MakeOxsSave();

// The dialog filter of "Save OXS...": "oxs".
std::vector<FileFilter> OxsFileFilters();

}  // namespace brodix
