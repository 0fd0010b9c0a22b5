#pragma once

#include "batch/CommandLine.h"

namespace brodix {

// Exit statuses of brodix-chart.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;  // Make refused the picture: too large, too many colours
inline constexpr int kExitFailed = 2;   // any other failure
inline constexpr int kExitUsage = 64;   // the command line itself is wrong

// Loads the picture, runs Make with the levels and saves under the name, as the window does.
// Prints each file written on standard output; failures go to standard error.
int RunBatch(const BatchOptions& options);

}  // namespace brodix
