#include "engine/ColourDifference.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <tuple>

#include "raster/Exceptions.h"

namespace brodix {

namespace {

// Little CMS reports its failures through a handler, not through its return values alone; the
// last text it gave is kept so that a failure says what Little CMS said.
std::mutex g_cmsErrorMutex;
std::string g_cmsError;

void KeepCmsError(cmsContext, cmsUInt32Number, const char* text) {
    const std::lock_guard<std::mutex> lock(g_cmsErrorMutex);
    g_cmsError = text != nullptr ? text : "";
}

std::string LastCmsError() {
    const std::lock_guard<std::mutex> lock(g_cmsErrorMutex);
    return g_cmsError.empty() ? std::string("no reason given") : g_cmsError;
}

// One sRGB-to-XYZ transform for the program's life. Without a cache and without optimisation
// it is exact for every input and may be used from any thread.
class SrgbToXyz {
  public:
    SrgbToXyz() {
        cmsSetLogErrorHandler(KeepCmsError);
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        cmsHPROFILE xyz = cmsCreateXYZProfile();
        m_transform =
            cmsCreateTransform(srgb, TYPE_RGB_8, xyz, TYPE_XYZ_DBL, INTENT_RELATIVE_COLORIMETRIC,
                               cmsFLAGS_NOCACHE | cmsFLAGS_NOOPTIMIZE);
        cmsCloseProfile(srgb);
        cmsCloseProfile(xyz);
        const cmsCIExyY d65{0.3127, 0.3290, 1.0};
        cmsxyY2XYZ(&m_white, &d65);
        // The adaptation is linear: Little CMS adapts the three unit vectors once, and each
        // colour takes the resulting matrix (Bradford, D50 to D65).
        const cmsCIEXYZ units[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        for (int i = 0; i < 3; ++i)
            cmsAdaptToIlluminant(&m_adapt[i], cmsD50_XYZ(), &m_white, &units[i]);
    }
    ~SrgbToXyz() {
        if (m_transform != nullptr)
            cmsDeleteTransform(m_transform);
    }
    SrgbToXyz(const SrgbToXyz&) = delete;
    SrgbToXyz& operator=(const SrgbToXyz&) = delete;

    std::vector<LabColour> Convert(std::span<const TColor> colours) const {
        std::vector<std::uint8_t> rgb(colours.size() * 3);
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const TColor c = ColorToRGB(colours[i]);
            rgb[3 * i] = RedOf(c);
            rgb[3 * i + 1] = GreenOf(c);
            rgb[3 * i + 2] = BlueOf(c);
        }
        std::vector<cmsCIEXYZ> xyz(colours.size());
        if (m_transform == nullptr) {
            throw Exception("Little CMS cannot make the sRGB to CIELAB transform: " +
                            LastCmsError());
        }
        cmsDoTransform(m_transform, rgb.data(), xyz.data(),
                       static_cast<cmsUInt32Number>(colours.size()));
        std::vector<LabColour> labs(colours.size());
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const cmsCIEXYZ& v = xyz[i];
            const cmsCIEXYZ adapted{m_adapt[0].X * v.X + m_adapt[1].X * v.Y + m_adapt[2].X * v.Z,
                                    m_adapt[0].Y * v.X + m_adapt[1].Y * v.Y + m_adapt[2].Y * v.Z,
                                    m_adapt[0].Z * v.X + m_adapt[1].Z * v.Y + m_adapt[2].Z * v.Z};
            cmsCIELab lab;
            cmsXYZ2Lab(&m_white, &lab, &adapted);
            labs[i] = {lab.L, lab.a, lab.b};
        }
        return labs;
    }

  private:
    cmsHTRANSFORM m_transform = nullptr;
    cmsCIEXYZ m_white{};
    cmsCIEXYZ m_adapt[3]{};  // the adapted unit vectors: the columns of the matrix
};

const SrgbToXyz& Converter() {
    static const SrgbToXyz converter;
    return converter;
}

// A lower bound of the CIEDE2000 difference, from the parts of the formula that need no angle:
// lightness exactly, chroma exactly, and hue and the blue rotation term at their least for the
// pair's mean chroma (the hue weight T lies in [0.362, 1.573] for every hue; the rotation
// term's sine is at most sin 60 degrees). It only lets the search skip colours that cannot be
// nearer than one already found; every difference that is kept comes from Little CMS.
constexpr double kPow25To7 = 6103515625.0;
constexpr double kMinHueWeight = 0.36;
constexpr double kMaxHueWeight = 1.58;
constexpr double kSin60 = 0.8660254037844387;

double Pow7(double c) {
    const double c2 = c * c;
    return c2 * c2 * c2 * c;
}

double LightnessWeight(double meanL) {
    const double d = (meanL - 50.0) * (meanL - 50.0);
    return 1.0 + 0.015 * d / std::sqrt(20.0 + d);
}

// The lightness part of the bound, squared: (dL / SL)^2. Often it alone rules a colour out, at
// a fraction of the cost of the chroma and hue parts.
double LightnessPart(const LabColour& p, const LabColour& q) {
    const double dL = p.L - q.L;
    const double sl = LightnessWeight(0.5 * (p.L + q.L));
    return dL * dL / (sl * sl);
}

// The whole bound, given the lightness part LightnessPart(p, q) worked out already.
double LowerBound(const LabColour& p, double pChroma, const LabColour& q, double qChroma,
                  double lightness) {
    const double meanC = 0.5 * (pChroma + qChroma);
    const double c7 = Pow7(meanC);
    const double g = 0.5 * (1.0 - std::sqrt(c7 / (c7 + kPow25To7)));
    const double pa = (1.0 + g) * p.a;
    const double qa = (1.0 + g) * q.a;
    const double pc = std::sqrt(pa * pa + p.b * p.b);
    const double qc = std::sqrt(qa * qa + q.b * q.b);
    const double dC = pc - qc;
    const double da = pa - qa;
    const double db = p.b - q.b;
    const double dH = std::sqrt(std::max(0.0, da * da + db * db - dC * dC));
    const double meanCp = 0.5 * (pc + qc);
    const double sc = 1.0 + 0.045 * meanCp;
    const double cp7 = Pow7(meanCp);
    const double rotation = kSin60 * 2.0 * std::sqrt(cp7 / (cp7 + kPow25To7));
    const double x = std::fabs(dC) / sc;
    // The chroma-hue part x^2 + y^2 - rotation * x * y at its least over the hue weight's range.
    const double y = std::clamp(0.5 * rotation * x, dH / (1.0 + 0.015 * meanCp * kMaxHueWeight),
                                dH / (1.0 + 0.015 * meanCp * kMinHueWeight));
    const double chromaHue = std::max(0.0, x * x + y * y - rotation * x * y);
    return std::sqrt(lightness + chromaHue);
}

double Chroma(const LabColour& lab) {
    return std::hypot(lab.a, lab.b);
}

// The weight G that CIEDE2000 gives the a axis, 1 + G times, for a pair of mean chroma c: 0.5
// for grey, falling as the chroma grows.
double AxisWeight(double c) {
    const double c7 = Pow7(c);
    return 0.5 * (1.0 - std::sqrt(c7 / (c7 + kPow25To7)));
}

// A lower bound of the CIEDE2000 difference between p and every colour of the box from low to
// high whose chroma lies from leastChroma to mostChroma. Lightness: the least difference to the
// box over the largest lightness weight that a mean lightness within reach gives. Chroma and
// hue together: with C' and H' the chroma and hue differences and S_C, S_H their weights,
// (dC'/S_C)^2 + (dH'/S_H)^2 is at least (dC'^2 + dH'^2) / S_C^2 (S_H never exceeds S_C), and
// dC'^2 + dH'^2 is the squared distance of the pair in the plane of a' = (1 + G) a and b, at
// least (1 + least G)^2 da^2 + db^2; the rotation term R_T x y takes away at most |R_T| / 2 of
// x^2 + y^2, |R_T| being at most sin 60 degrees times R_C at the largest mean C'. Each weight
// is taken at its worst over the chroma the box allows. Once the lightness part alone reaches
// enough, it is given without the rest.
double BoxBound(const LabColour& p, double pChroma, const LabColour& low, const LabColour& high,
                double leastChroma, double mostChroma, double enough) {
    const auto outside = [](double v, double from, double to) {
        return std::max({0.0, from - v, v - to});
    };
    const double dL = outside(p.L, low.L, high.L);
    const double sl =
        std::max(LightnessWeight(0.5 * (p.L + low.L)), LightnessWeight(0.5 * (p.L + high.L)));
    if (dL / sl >= enough)
        return dL / sl;
    const double da = outside(p.a, low.a, high.a);
    const double db = outside(p.b, low.b, high.b);
    const double mostG = AxisWeight(0.5 * (pChroma + leastChroma));
    const double leastG = AxisWeight(0.5 * (pChroma + mostChroma));
    const double mostMeanCp = (1.0 + mostG) * 0.5 * (pChroma + mostChroma);
    const double sc = 1.0 + 0.045 * mostMeanCp;
    const double cp7 = Pow7(mostMeanCp);
    const double rotation = kSin60 * 2.0 * std::sqrt(cp7 / (cp7 + kPow25To7));
    const double plane = (1.0 + leastG) * (1.0 + leastG) * da * da + db * db;
    return std::sqrt(dL * dL / (sl * sl) + (1.0 - 0.5 * rotation) * plane / (sc * sc));
}

}  // namespace

std::vector<LabColour> ToLab(std::span<const TColor> colours) {
    return Converter().Convert(colours);
}

LabColour ToLab(TColor colour) {
    return Converter().Convert(std::span<const TColor>(&colour, 1)).front();
}

double DeltaE00(const LabColour& first, const LabColour& second) {
    const cmsCIELab a{first.L, first.a, first.b};
    const cmsCIELab b{second.L, second.a, second.b};
    return cmsCIE2000DeltaE(&a, &b, 1.0, 1.0, 1.0);
}

double DeltaE00AtLeast(const LabColour& first, const LabColour& second, double enough) {
    const double lightness = LightnessPart(first, second);
    if (std::sqrt(lightness) >= enough)
        return std::sqrt(lightness);
    return LowerBound(first, Chroma(first), second, Chroma(second), lightness);
}

double ChromaOf(const LabColour& lab) {
    return Chroma(lab);
}

double DeltaE00AtLeast(const LabColour& first, double firstChroma, const LabColour& second,
                       double secondChroma, double enough) {
    const double lightness = LightnessPart(first, second);
    if (std::sqrt(lightness) >= enough)
        return std::sqrt(lightness);
    return LowerBound(first, firstChroma, second, secondChroma, lightness);
}

ColourMatcher::ColourMatcher(std::span<const TColor> colours) : ColourMatcher(ToLab(colours)) {}

ColourMatcher::ColourMatcher(std::vector<LabColour> labs) {
    m_points.reserve(labs.size());
    for (const LabColour& lab : labs)
        m_points.push_back({lab, Chroma(lab)});
    std::vector<int> order(m_points.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    const auto key = [&](int i) {
        const LabColour& lab = m_points[static_cast<std::size_t>(i)].lab;
        return std::tuple(lab.L, lab.a, lab.b, i);
    };
    std::sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
    // A catalogue may list one colour many times: only the first of equal entries is searched,
    // the others follow it in a chain for when it is left out.
    m_nextSame.assign(m_points.size(), -1);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const int i = order[k];
        const LabColour& lab = m_points[static_cast<std::size_t>(i)].lab;
        if (k > 0) {
            const int previous = order[k - 1];
            const LabColour& last = m_points[static_cast<std::size_t>(previous)].lab;
            if (last.L == lab.L && last.a == lab.a && last.b == lab.b) {
                m_nextSame[static_cast<std::size_t>(previous)] = i;
                continue;
            }
        }
        m_tree.push_back(i);
    }
    // Up to a few hundred entries, a scan in order of lightness with the lower bound is quicker
    // than the boxes (a catalogue of 450 threads: by a tenth), beyond it far slower.
    constexpr std::size_t kMostScanned = 512;
    if (m_tree.size() <= kMostScanned) {
        for (int i : m_tree)
            m_lightness.push_back(m_points[static_cast<std::size_t>(i)].lab.L);
    } else {
        Build(0, static_cast<int>(m_tree.size()));
    }
}

namespace {

// A box holds at most this many entries before it is split: measuring one costs about what
// the bound of a box costs.
constexpr int kEntriesPerLeaf = 8;

double Axis(const LabColour& lab, int axis) {
    return axis == 0 ? lab.L : axis == 1 ? lab.a : lab.b;
}

}  // namespace

// The box of m_tree[first, first + count), split at the middle entry of its widest side until
// a box holds few entries. Gives the box's place in m_nodes.
int ColourMatcher::Build(int first, int count) {
    const auto at = static_cast<int>(m_nodes.size());
    Node node;
    node.first = first;
    node.count = count;
    const auto begin = m_tree.begin() + first;
    const auto end = begin + count;
    node.low = node.high = m_points[static_cast<std::size_t>(*begin)].lab;
    node.leastChroma = node.mostChroma = m_points[static_cast<std::size_t>(*begin)].chroma;
    for (auto it = begin; it != end; ++it) {
        const Point& p = m_points[static_cast<std::size_t>(*it)];
        node.low = {std::min(node.low.L, p.lab.L), std::min(node.low.a, p.lab.a),
                    std::min(node.low.b, p.lab.b)};
        node.high = {std::max(node.high.L, p.lab.L), std::max(node.high.a, p.lab.a),
                     std::max(node.high.b, p.lab.b)};
        node.leastChroma = std::min(node.leastChroma, p.chroma);
        node.mostChroma = std::max(node.mostChroma, p.chroma);
    }
    m_nodes.push_back(node);
    if (count <= kEntriesPerLeaf)
        return at;
    int axis = 0;
    for (int k = 1; k < 3; ++k) {
        if (Axis(node.high, k) - Axis(node.low, k) > Axis(node.high, axis) - Axis(node.low, axis))
            axis = k;
    }
    const int half = count / 2;
    std::nth_element(begin, begin + half, end, [&](int a, int b) {
        const double va = Axis(m_points[static_cast<std::size_t>(a)].lab, axis);
        const double vb = Axis(m_points[static_cast<std::size_t>(b)].lab, axis);
        return va < vb || (va == vb && a < b);
    });
    Build(first, half);
    const int second = Build(first + half, count - half);
    m_nodes[static_cast<std::size_t>(at)].second = second;
    return at;
}

ColourMatcher::Match ColourMatcher::Nearest(const LabColour& lab,
                                            std::span<const std::uint8_t> alive) const {
    return NearestFrom(lab, alive, Match{});
}

ColourMatcher::Match ColourMatcher::Nearest(const LabColour& lab, int hint) const {
    if (hint < 0 || hint >= Size())
        return Nearest(lab);
    return NearestFrom(lab, {}, {hint, DeltaE00(lab, LabAt(hint))});
}

namespace {

// Ties go to the earlier entry, so an entry or a box whose bound equals the best is still
// tried; the small margin keeps rounding in the bounds from skipping it.
constexpr double kMargin = 1.0 - 1e-9;

}  // namespace

// The entry (or, when it is left out, the next of its colour that is not) measured by Little
// CMS unless the lower bound rules it out, and kept when nearer than best or as near and earlier.
void ColourMatcher::TryEntry(const LabColour& lab, double chroma,
                             std::span<const std::uint8_t> alive, int entry, Match& best) const {
    int i = entry;
    while (i >= 0 && !alive.empty() && alive[static_cast<std::size_t>(i)] == 0)
        i = m_nextSame[static_cast<std::size_t>(i)];
    if (i < 0)
        return;
    const Point& p = m_points[static_cast<std::size_t>(i)];
    if (best.index >= 0) {
        const double lightness = LightnessPart(lab, p.lab);
        if (std::sqrt(lightness) * kMargin > best.deltaE ||
            LowerBound(lab, chroma, p.lab, p.chroma, lightness) * kMargin > best.deltaE)
            return;
    }
    const double d = DeltaE00(lab, p.lab);
    if (best.index < 0 || d < best.deltaE || (d == best.deltaE && i < best.index))
        best = {i, d};
}

// The boxes are searched nearest first by their lower bound, and a box whose bound puts all of
// it beyond the best so far is passed over whole. A start that is an entry already measured
// only narrows the search: every entry that could be nearer, or as near and earlier, is still
// tried.
ColourMatcher::Match ColourMatcher::NearestFrom(const LabColour& lab,
                                                std::span<const std::uint8_t> alive,
                                                Match start) const {
    Match best = start;
    const double chroma = Chroma(lab);
    if (m_nodes.empty())
        return ScanByLightness(lab, chroma, alive, best);
    const auto bound = [&](int node) {
        const Node& n = m_nodes[static_cast<std::size_t>(node)];
        return BoxBound(
            lab, chroma, n.low, n.high, n.leastChroma, n.mostChroma,
            best.index >= 0 ? best.deltaE / kMargin : std::numeric_limits<double>::infinity());
    };
    // The boxes still to search with their bounds: at most one more than the tree is deep, and
    // halving 2^31 entries down to boxes of a few takes fewer than 32 levels.
    std::array<std::pair<double, int>, 64> pending;
    std::size_t count = 0;
    pending[count++] = {0.0, 0};
    while (count > 0) {
        const auto [least, node] = pending[--count];
        if (best.index >= 0 && least * kMargin > best.deltaE)
            continue;
        const Node& n = m_nodes[static_cast<std::size_t>(node)];
        if (n.second < 0) {
            for (int k = n.first; k < n.first + n.count; ++k)
                TryEntry(lab, chroma, alive, m_tree[static_cast<std::size_t>(k)], best);
            continue;
        }
        const int firstChild = node + 1;
        const double firstBound = bound(firstChild);
        const double secondBound = bound(n.second);
        // The nearer box is searched first: it is pushed last.
        if (firstBound <= secondBound) {
            pending[count++] = {secondBound, n.second};
            pending[count++] = {firstBound, firstChild};
        } else {
            pending[count++] = {firstBound, firstChild};
            pending[count++] = {secondBound, n.second};
        }
    }
    return best;
}

// The entries are tried outwards from the query's lightness, nearest lightness first, and the
// scan ends where the lightness alone puts every further entry beyond the best so far.
ColourMatcher::Match ColourMatcher::ScanByLightness(const LabColour& lab, double chroma,
                                                    std::span<const std::uint8_t> alive,
                                                    Match best) const {
    // The lightness weight is largest at a mean lightness of 0 or 100: 1 + 0.015 * 2500 /
    // sqrt(2520).
    constexpr double kMaxLightnessWeight = 1.7471;
    const std::ptrdiff_t n = std::ssize(m_lightness);
    std::ptrdiff_t hi =
        std::lower_bound(m_lightness.begin(), m_lightness.end(), lab.L) - m_lightness.begin();
    std::ptrdiff_t lo = hi - 1;
    constexpr double kNone = std::numeric_limits<double>::infinity();
    while (lo >= 0 || hi < n) {
        const double below = lo >= 0 ? lab.L - m_lightness[static_cast<std::size_t>(lo)] : kNone;
        const double above = hi < n ? m_lightness[static_cast<std::size_t>(hi)] - lab.L : kNone;
        const bool up = above <= below;
        if (best.index >= 0 && (up ? above : below) * kMargin > best.deltaE * kMaxLightnessWeight)
            break;
        TryEntry(lab, chroma, alive, m_tree[static_cast<std::size_t>(up ? hi++ : lo--)], best);
    }
    return best;
}

}  // namespace brodix
