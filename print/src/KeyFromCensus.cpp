#include "print/KeyFromCensus.h"

namespace brodix::print {

PatternKey KeyWithoutThreads(const Census& census) {
    PatternKey key;
    key.rows.reserve(census.palette.size());
    for (std::size_t i = 0; i < census.palette.size(); ++i) {
        KeyRow row;
        row.symbol = static_cast<int>(i);
        row.color = census.palette[i].color;
        row.stitches = census.palette[i].count;
        key.rows.push_back(row);
    }
    return key;
}

}  // namespace brodix::print
