#include "threads/Floss.h"

#include <cmath>
#include <cstdio>

#include "threads/KeyBuilder.h"

namespace brodix::threads {

double FlossMetres(int stitches, const FlossModel& model) {
    if (stitches <= 0 || model.fabricCount <= 0.0 || model.strands <= 0)
        return 0.0;
    const double stitchSide = 0.0254 / model.fabricCount;
    const double strandPerStitch = kCrossSides * stitchSide * (1.0 + kAllowance);
    return stitches * strandPerStitch * model.strands / kSkeinStrands;
}

int Skeins(double metres) {
    if (metres <= 0.0)
        return 0;
    // A need of exactly n skeins, give or take rounding in the sum, is n skeins.
    return static_cast<int>(std::ceil(metres / kSkeinMetres - 1e-9));
}

std::string FlossModelText(const FlossModel& model) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Floss for full cross stitches on %g-count fabric with %d strand%s: "
                  "%.2f stitch widths of each strand per stitch plus %d%% for tails and "
                  "travel; skeins of %g m of %d strands",
                  model.fabricCount, model.strands, model.strands == 1 ? "" : "s", kCrossSides,
                  static_cast<int>(kAllowance * 100 + 0.5), kSkeinMetres, kSkeinStrands);
    return text;
}

namespace {

std::string SizeText(double wideInches, double highInches) {
    constexpr double kCmPerInch = 2.54;
    return Fixed(wideInches * kCmPerInch, 1) + " x " + Fixed(highInches * kCmPerInch, 1) + " cm (" +
           Fixed(wideInches, 1) + " x " + Fixed(highInches, 1) + " in)";
}

}  // namespace

std::string FinishedSizeText(int width, int height, double fabricCount) {
    if (!(fabricCount > 0))
        return "";
    const bool whole = fabricCount == static_cast<int>(fabricCount);
    return "Finished size on " + Fixed(fabricCount, whole ? 0 : 1) +
           "-count fabric: " + SizeText(width / fabricCount, height / fabricCount);
}

std::string FabricToCutText(int width, int height, double fabricCount) {
    if (!(fabricCount > 0))
        return "";
    constexpr double kMarginsInches = 2 * 2.0;  // both sides
    return "Fabric to cut, with 5 cm (2 in) to spare each side: " +
           SizeText(width / fabricCount + kMarginsInches, height / fabricCount + kMarginsInches);
}

}  // namespace brodix::threads
