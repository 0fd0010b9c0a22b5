#pragma once

#include <string>

#include "threads/PatternSettings.h"

namespace brodix {

class Shell;

// The pattern menu's choices about the stitcher, kept between runs through the shell's
// settings, each under the key of its pattern option (threads/PatternOptions.h); the choices
// that change the pattern are not kept and start at their defaults. At the first start
// (nothing stored) the DMC catalogue is chosen when it is found; a stored catalogue that can no
// longer be read, or a value out of its option's range, leaves that choice at its default.
// Gives what the user is told of it: why the stored catalogue was not read, else nothing.
std::string RestorePatternSettings(Shell& shell, threads::PatternSettings& settings);
void StorePatternSettings(Shell& shell, const threads::PatternSettings& settings);

}  // namespace brodix
