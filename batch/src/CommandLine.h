#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/ReduceColor.h"

namespace brodix {

// What brodix-chart was asked to do.
struct BatchOptions {
    bool help = false;
    LevelChoices levels;
    std::string symbolSheet;  // empty: the sheet beside the program
    std::string picture;
    std::string name;  // as typed; SaveDialogName() completes it
};

// A command line that cannot be run: the reason, shown above the usage text.
class UsageError : public std::runtime_error {
  public:
    explicit UsageError(const std::string& reason) : std::runtime_error(reason) {}
};

// Reads the arguments after the program name. Raises UsageError for an unknown option, a
// missing or unknown level, a missing or surplus argument, or a NAME that names no file.
BatchOptions ParseCommandLine(const std::vector<std::string>& arguments);

// The level choice index of a level as typed ("org", "4", "6", "16", "18"), or -1.
int LevelIndex(const std::string& level);

// The full name the window's dialogs hand over for a typed name: a relative one is taken from
// the current folder, so that messages name files as the window's would.
std::string FullPath(const std::string& typed);

// The full name the save dialog would hand over for a typed name: FullPath() with the saves'
// default extension ".bmp" added when the name has no extension.
std::string SaveDialogName(const std::string& typed);

std::string UsageText();
std::string HelpText();

}  // namespace brodix
