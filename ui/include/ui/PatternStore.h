#pragma once

#include "threads/PatternSettings.h"

namespace brodix {

class Shell;

// The pattern menu's choices, kept between runs through the shell's settings, each under the
// key of its pattern option (threads/PatternOptions.h). At the first start (nothing stored)
// the DMC catalogue is chosen when it is found; a stored catalogue that can no longer be read,
// or a value out of its option's range, leaves that choice at its default.
void RestorePatternSettings(Shell& shell, threads::PatternSettings& settings);
void StorePatternSettings(Shell& shell, const threads::PatternSettings& settings);

}  // namespace brodix
