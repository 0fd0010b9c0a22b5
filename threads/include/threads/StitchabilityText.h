#pragma once

#include <string>
#include <vector>

#include "engine/Stitchability.h"
#include "engine/Workspace.h"

namespace brodix::threads {

// The stitchability report in plain English, one line a figure, symbols numbered as the key
// numbers them: what --report prints and the PDF's cover shows.
std::vector<std::string> StitchabilityLines(const StitchabilityReport& report);
// The lines of the report of workspace's last Make, symbols compared on its sheet (when it has
// one). The workspace must hold a census.
std::vector<std::string> StitchabilityLinesOf(const Workspace& workspace);

}  // namespace brodix::threads
