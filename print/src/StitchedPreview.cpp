#include "print/StitchedPreview.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "PdfCanvas.h"
#include "engine/LinearLight.h"
#include "pattern/Pattern.h"
#include "raster/TBitmap.h"

namespace brodix::print {

namespace {

using detail::kMmPerInch;

// The width one strand of floss lies across on the fabric, and a hole of Aida across, in mm.
constexpr double kStrandMm = 0.3;
constexpr double kHoleMm = 0.34;
// A cell's light is worked out from this many samples a pixel side.
constexpr int kSamples = 4;
// Where crosses cannot be drawn, a cell's colour from afar is worked out at this size.
constexpr int kFarCellPixels = 16;

constexpr double kPi = std::numbers::pi;

double Fraction(double v) {
    return v - std::floor(v);
}

double SmoothStep(double edge0, double edge1, double v) {
    const double t = std::clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// The light the strands of a leg give back at across (-1 to 1 over the leg's width) and along
// (0 to 1 from hole to hole): each strand a round thread with a narrow sheen along its crest,
// the strands twisted about each other, the leg darker at its edges and where it dives into a
// hole.
double StrandShade(double across, double along, int strands) {
    const double crest = std::sin(kPi * Fraction((across + 1) / 2 * strands + 1.6 * along));
    double shade = 0.62 + 0.5 * crest + 0.25 * std::pow(crest, 12);
    shade *= 1.0 - 0.2 * std::pow(std::abs(across), 6);
    shade *= 0.7 + 0.3 * SmoothStep(0.0, 0.16, std::min(along, 1 - along));
    return shade;
}

// The light the fabric gives back at (u, v) of a cell: its block of woven threads, a little
// darker towards the gaps between blocks, and the holes at the cell's corners.
double FabricShade(double u, double v, double holeRadius) {
    const double du = std::min(u, 1 - u);
    const double dv = std::min(v, 1 - v);
    const double corner = std::hypot(du, dv);
    const double hole = 1.0 - SmoothStep(holeRadius * 0.7, holeRadius * 1.3, corner);
    const double block = 0.93 + 0.07 * SmoothStep(0.0, 0.12, std::min(du, dv));
    const double weave = 0.985 + 0.015 * std::cos(2 * kPi * 4 * u) * std::cos(2 * kPi * 4 * v);
    return block * weave * (1 - hole) + 0.35 * hole;
}

// How the light of a cell of n x n pixels comes from the thread and from the fabric: each
// pixel's colour in linear light is thread * the stitch's colour + fabric * the fabric's.
struct CellLight {
    std::vector<float> thread;
    std::vector<float> fabric;
    double coverage = 0;  // the share of the cell under thread
};

CellLight CrossLight(int n, double fabricCount, int strands) {
    const double cellMm = kMmPerInch / fabricCount;
    const double halfWidth = std::min(0.5, strands * kStrandMm / 2 / cellMm);
    const double holeRadius = kHoleMm / 2 / cellMm;
    // A leg narrows where it goes into a hole.
    const auto widthAt = [halfWidth](double along) {
        return halfWidth * (0.6 + 0.4 * SmoothStep(0.0, 0.2, std::min(along, 1 - along)));
    };
    const std::size_t pixels = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    CellLight light{std::vector<float>(pixels), std::vector<float>(pixels), 0};
    double covered = 0;
    double threadLight = 0;
    const double sample = 1.0 / (n * kSamples);
    for (int py = 0; py < n; ++py) {
        for (int px = 0; px < n; ++px) {
            double thread = 0;
            double fabric = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double u = ((px * kSamples + sx) + 0.5) * sample;
                    const double v = ((py * kSamples + sy) + 0.5) * sample;
                    // The upper leg runs from the top left to the bottom right, the lower one
                    // from the bottom left to the top right.
                    const double upperAcross = (u - v) / std::numbers::sqrt2;
                    const double upperAlong = (u + v) / 2;
                    const double lowerAcross = (u + v - 1) / std::numbers::sqrt2;
                    const double lowerAlong = (u - v + 1) / 2;
                    const double upperWidth = widthAt(upperAlong);
                    const double lowerWidth = widthAt(lowerAlong);
                    if (std::abs(upperAcross) < upperWidth) {
                        thread += StrandShade(upperAcross / upperWidth, upperAlong, strands);
                        covered += 1;
                    } else if (std::abs(lowerAcross) < lowerWidth) {
                        // Under the upper leg, and in its shadow beside it.
                        const double shadow =
                            std::abs(upperAcross) < upperWidth + 0.05 ? 0.78 : 0.9;
                        thread +=
                            shadow * StrandShade(lowerAcross / lowerWidth, lowerAlong, strands);
                        covered += 1;
                    } else {
                        fabric += FabricShade(u, v, holeRadius);
                    }
                }
            }
            const std::size_t at = GridIndex(px, py, n);
            light.thread[at] = static_cast<float>(thread / (kSamples * kSamples));
            light.fabric[at] = static_cast<float>(fabric / (kSamples * kSamples));
            threadLight += light.thread[at];
        }
    }
    light.coverage = covered / (static_cast<double>(pixels) * kSamples * kSamples);
    // The shading moves light along the strands and keeps its sum: from afar the thread shows
    // its own colour.
    const double keep =
        threadLight > 0 ? light.coverage * static_cast<double>(pixels) / threadLight : 0.0;
    for (float& value : light.thread)
        value = static_cast<float>(value * keep);
    return light;
}

// Each pixel the cell's light from afar: where a cross cannot be drawn.
CellLight FarLight(int n, double fabricCount, int strands) {
    const CellLight detailed = CrossLight(kFarCellPixels, fabricCount, strands);
    const auto mean = [](const std::vector<float>& values) {
        double sum = 0;
        for (float value : values)
            sum += value;
        return static_cast<float>(sum / static_cast<double>(values.size()));
    };
    const std::size_t pixels = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    return {std::vector<float>(pixels, mean(detailed.thread)),
            std::vector<float>(pixels, mean(detailed.fabric)), detailed.coverage};
}

// Linear light to an sRGB byte by table: a cell of every colour costs no power function.
constexpr int kLinearSteps = 1 << 14;

std::uint8_t SrgbByte(double linear) {
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> bytes(kLinearSteps + 1);
        for (int i = 0; i <= kLinearSteps; ++i)
            bytes[static_cast<std::size_t>(i)] = SrgbOf(static_cast<double>(i) / kLinearSteps);
        return bytes;
    }();
    const double step = std::clamp(linear, 0.0, 1.0) * kLinearSteps;
    return table[static_cast<std::size_t>(std::lround(step))];
}

struct Linear {
    double red, green, blue;
};

Linear LinearColour(TColor colour) {
    const TColor rgb = ColorToRGB(colour);
    return {LinearOf(RedOf(rgb)), LinearOf(GreenOf(rgb)), LinearOf(BlueOf(rgb))};
}

void DrawCell(const CellLight& light, TColor stitch, TColor fabricColour, DisplayPixel* cell) {
    const Linear thread = LinearColour(stitch);
    const Linear fabric = LinearColour(fabricColour);
    for (std::size_t i = 0; i < light.thread.size(); ++i) {
        const double t = light.thread[i];
        const double f = light.fabric[i];
        cell[i] = DisplayPixelOf(RGB(SrgbByte(t * thread.red + f * fabric.red),
                                     SrgbByte(t * thread.green + f * fabric.green),
                                     SrgbByte(t * thread.blue + f * fabric.blue)));
    }
}

}  // namespace

int PreviewStitchPixels(int width, int height, int asked) {
    int pixels = std::clamp(asked, kLeastPreviewStitchPixels, kMostPreviewStitchPixels);
    const int side = std::max(width, height);
    if (side > 0 && side * pixels > kMaxPreviewSidePixels)
        pixels = std::max(kLeastPreviewStitchPixels, kMaxPreviewSidePixels / side);
    return pixels;
}

StitchedPreview::StitchedPreview(const Pattern& pattern, int stitchPixels)
    : m_pattern(pattern), m_pixels(std::clamp(stitchPixels, 1, kMostPreviewStitchPixels)) {
    const threads::PatternSettings& settings = pattern.Settings();
    const auto lightOf = [this, &settings](int strands) {
        return m_pixels < kLeastCrossPixels
                   ? FarLight(m_pixels, settings.floss.fabricCount, strands)
                   : CrossLight(m_pixels, settings.floss.fabricCount, strands);
    };
    const CellLight stitched = lightOf(settings.floss.strands);
    // No strands: the fabric's weave and holes alone.
    const CellLight bare = lightOf(0);
    m_coverage = stitched.coverage;
    const std::size_t cellPixels = stitched.thread.size();
    const std::span<const PatternColour> colours = pattern.Colours();
    m_cells.resize(colours.size() * cellPixels);
    const TColor fabric = settings.fabricColour;
    for (std::size_t k = 0; k < colours.size(); ++k) {
        DrawCell(colours[k].blank ? bare : stitched, colours[k].colour, fabric,
                 m_cells.data() + k * cellPixels);
    }
}

int StitchedPreview::Width() const {
    return m_pattern.Width() * m_pixels;
}

int StitchedPreview::Height() const {
    return m_pattern.Height() * m_pixels;
}

void StitchedPreview::Row(int y, std::span<DisplayPixel> row) const {
    const Census& census = m_pattern.Stitches();
    const int cellY = y / m_pixels;
    const std::size_t cellRow = static_cast<std::size_t>(y % m_pixels);
    const std::size_t n = static_cast<std::size_t>(m_pixels);
    DisplayPixel* out = row.data();
    for (int x = 0; x < census.width; ++x, out += n) {
        const std::size_t k = static_cast<std::size_t>(census.IndexAt(x, cellY));
        std::memcpy(out, m_cells.data() + (k * n + cellRow) * n, n * sizeof(DisplayPixel));
    }
    // Backstitch lines, once a pattern holds them, are drawn over the crosses here: each row
    // takes the parts of the lines that cross it.
}

TBitmap StitchedPreview::Bitmap() const {
    TBitmap bitmap;
    bitmap.SetSizeForOverwrite(Width(), Height());
    for (int y = 0; y < Height(); ++y)
        Row(y, MutableDisplayRow(bitmap, y));
    return bitmap;
}

}  // namespace brodix::print
