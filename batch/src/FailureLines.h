#pragma once

#include <exception>
#include <string>

namespace brodix {

// The plain-English line brodix-chart prints after a fixed message of the framework or of
// Make, which keeps its exact text: what failed, the system's reason and, for a refusal, what
// to do. Each is empty when the failure speaks plain English already.

// Loading the picture (or the symbol sheet, when sheet is true) failed with error.
std::string LoadFailureLine(const std::string& picture, const std::exception& error,
                            bool sheet = false);
// Make failed with error (not a refusal).
std::string MakeFailureLine(const std::string& picture, const std::exception& error);
// Make refused a picture of width x height pixels: too large, or too many colours.
std::string RefusalLine(const std::string& picture, int width, int height);
// Save under name failed with error.
std::string SaveFailureLine(const std::string& name, const std::exception& error);

}  // namespace brodix
