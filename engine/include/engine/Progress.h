#pragma once

#include <functional>
#include <string_view>

namespace brodix {

// Long work tells how far it has come: the stage it is in, in a few words ("writing the PDF",
// "refining: cleaning stray stitches"), and how much of the work the stage belongs to is done,
// 0 to 100 (the pages of the PDF; the refining's steps as a whole). Empty: nobody listens. Work
// that may run for seconds (a pattern of a million stitches) reports; the window's Make does not.
using ProgressReport = std::function<void(std::string_view stage, int percent)>;

}  // namespace brodix
