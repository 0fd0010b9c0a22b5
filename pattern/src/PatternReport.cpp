#include "pattern/PatternReport.h"

#include "threads/StitchabilityText.h"

namespace brodix {

std::vector<std::string> StitchabilityLinesOf(const Pattern& pattern, const TBitmap* sheet) {
    return threads::StitchabilityLinesOf(pattern.Stitches(), sheet);
}

}  // namespace brodix
