#pragma once

#include "engine/Census.h"
#include "print/PatternKey.h"

namespace brodix::print {

// The key of a census before any catalogue is matched: one row per palette colour, in the
// legend's order, with its symbol, colour and stitch count and no thread.
PatternKey KeyWithoutThreads(const Census& census);

}  // namespace brodix::print
