#pragma once

#include <string>

#include "threads/PatternKey.h"

namespace brodix::threads {

// The floss estimate, in one place. A full cross stitch takes, of each strand it is stitched
// with, its two diagonals on the front and two sides at the back: (2 + 2 sqrt 2) times the
// side of a stitch (one inch divided by the fabric count), plus an allowance for starting and
// ending tails and for travelling between stitches. Floss is sold as six strands together, in
// skeins of 8 m; the metres given are of floss as sold.
inline constexpr double kCrossSides = 4.82842712474619;  // 2 + 2 sqrt 2
inline constexpr double kAllowance = 0.25;               // tails and travel, on top
inline constexpr double kSkeinMetres = 8.0;
inline constexpr int kSkeinStrands = 6;

// Metres of floss (as sold) for this many full crosses.
double FlossMetres(int stitches, const FlossModel& model);
// Skeins for this many metres, rounded up; 0 for none.
int Skeins(double metres);
// What the estimate assumes, in one line for the key: fabric count, strands, the length per
// stitch, the allowance and the skein.
std::string FlossModelText(const FlossModel& model);
// The finished size of a chart of width x height stitches on fabric of this count, in cm and
// inches ("Finished size on 14-count fabric: 21.8 x 14.5 cm (8.6 x 5.7 in)"); empty for a
// count that is not positive.
std::string FinishedSizeText(int width, int height, double fabricCount);
// The fabric to cut for such a chart, with about 5 cm (2 in) to spare each side for framing
// ("Fabric to cut, with 5 cm (2 in) to spare each side: 31.9 x 24.7 cm (12.6 x 9.7 in)"); empty
// for a count that is not positive.
std::string FabricToCutText(int width, int height, double fabricCount);

}  // namespace brodix::threads
