#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "raster/Color.h"

namespace brodix {

// A colour in CIELAB relative to the D65 white of sRGB: L 0 (black) to 100 (white).
struct LabColour {
    double L = 0.0;
    double a = 0.0;
    double b = 0.0;
};

// The CIELAB value of sRGB colour values (0x00BBGGRR; a system colour is resolved first).
// Little CMS converts sRGB to XYZ; its profile connection space is D50 (every Lab profile it
// makes is D50-referenced, whatever white point is asked for), so the XYZ is adapted back to
// the D65 white of sRGB by Bradford before Lab is taken relative to that white. Pure red is
// then (53.24, 80.09, 67.20), as the usual sRGB tables give it.
std::vector<LabColour> ToLab(std::span<const TColor> colours);
LabColour ToLab(TColor colour);

// The CIEDE2000 difference (kL = kC = kH = 1), computed by Little CMS.
double DeltaE00(const LabColour& first, const LabColour& second);
// A lower bound of it, several times cheaper: for ruling out colours that cannot be nearer than
// one at hand before asking for the difference. A caller that only asks whether the bound
// reaches some value gives it as enough: once the lightness alone reaches it, the rest of the
// bound is not worked out (the smaller bound is returned, which still reaches it).
double DeltaE00AtLeast(const LabColour& first, const LabColour& second,
                       double enough = std::numeric_limits<double>::infinity());
// The chroma of a colour, the length of (a, b); and the bound for colours whose chroma is worked
// out already, for callers that ask it of the same colours many times.
double ChromaOf(const LabColour& lab);
double DeltaE00AtLeast(const LabColour& first, double firstChroma, const LabColour& second,
                       double secondChroma, double enough);

// The nearest of a fixed list of colours by CIEDE2000, each converted to Lab once. Ties go to
// the earlier entry of the list.
class ColourMatcher {
  public:
    struct Match {
        int index = -1;  // -1: nothing to match against
        double deltaE = 0.0;
    };

    ColourMatcher() = default;
    explicit ColourMatcher(std::span<const TColor> colours);
    explicit ColourMatcher(std::vector<LabColour> labs);

    int Size() const { return static_cast<int>(m_points.size()); }
    const LabColour& LabAt(int index) const {
        return m_points[static_cast<std::size_t>(index)].lab;
    }

    Match Nearest(TColor colour) const { return Nearest(ToLab(colour)); }
    // alive, when given, holds one flag per entry; entries whose flag is 0 are left out.
    Match Nearest(const LabColour& lab, std::span<const std::uint8_t> alive = {}) const;
    // The same answer, found sooner when hint is the answer for a colour close to lab (the
    // colour before it in a sorted list): measured first, it bounds the search from the start.
    Match Nearest(const LabColour& lab, int hint) const;

  private:
    Match NearestFrom(const LabColour& lab, std::span<const std::uint8_t> alive, Match start) const;

    struct Point {
        LabColour lab;
        double chroma = 0.0;
    };
    // A box of CIELAB holding some of the distinct entries (m_tree[first, first + count)), with
    // the least and most chroma among them; an inner box is split into the two that follow
    // it in m_nodes: the first at once, the second at second.
    struct Node {
        LabColour low;
        LabColour high;
        double leastChroma = 0.0;
        double mostChroma = 0.0;
        int first = 0;
        int count = 0;
        int second = -1;  // -1: a leaf, whose entries are searched one by one
    };
    int Build(int first, int count);
    void TryEntry(const LabColour& lab, double chroma, std::span<const std::uint8_t> alive,
                  int entry, Match& best) const;

    Match ScanByLightness(const LabColour& lab, double chroma, std::span<const std::uint8_t> alive,
                          Match best) const;

    std::vector<Point> m_points;
    // The distinct entries (the first of equal ones): box by box, or for a short list, which is
    // scanned outwards from the lightness asked for instead, in ascending lightness with that
    // lightness in m_lightness.
    std::vector<int> m_tree;
    std::vector<double> m_lightness;
    std::vector<Node> m_nodes;    // the boxes, the whole first; none for a short list
    std::vector<int> m_nextSame;  // per entry, the next entry of the same colour (-1: none)
};

}  // namespace brodix
