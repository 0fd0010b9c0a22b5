#pragma once

#include <exception>
#include <string>

namespace brodix {

// The plain-English line brodix-chart prints after a fixed message of the framework or of
// Make, which keeps its exact text: what failed, the system's reason and, for a refusal, what
// to do. Each is empty when the failure speaks plain English already.

// The failure's own text as brodix-chart prints it: a fixed message of the framework exactly as
// the window's box shows it, and one of ours ("No thread catalogue 'x'...") after
// "brodix-chart: ", as every line of ours.
std::string FailureText(const std::exception& error);

// Loading the picture (or the symbol sheet, when sheet is true) failed with error.
std::string LoadFailureLine(const std::string& picture, const std::exception& error,
                            bool sheet = false);
// Make failed with error (not a refusal).
std::string MakeFailureLine(const std::string& picture, const std::exception& error);
// Make refused a picture of width x height pixels: too large (and how to chart it, or to write
// the pattern alone at a larger size), or too many colours.
std::string RefusalLine(const std::string& picture, int width, int height);
// The pattern of picture has more than 255 colours: which options keep fewer.
std::string ColourRefusalLine(const std::string& picture);
// A picture of width x height pixels is too large even for the pattern alone.
std::string PatternSizeRefusalLine(const std::string& picture, int width, int height);
// The largest pattern written alone, "1000 x 1000 stitches".
std::string PatternLimitText();
// Save under name failed with error.
std::string SaveFailureLine(const std::string& name, const std::exception& error);

}  // namespace brodix
