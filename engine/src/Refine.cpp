#include "engine/Refine.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <utility>

#include "IndexedGrid.h"
#include "engine/ChooseColours.h"
#include "engine/ColourDifference.h"
#include "engine/LinearLight.h"
#include "engine/SplitWork.h"
#include "raster/DisplayPixels.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TImage.h"

namespace brodix {

IndexedGrid Indexed(const StitchGrid& grid) {
    // Each stitch's colour with its place, sorted by colour in two passes of a radix sort: the
    // distinct colours then come out ascending and each stitch's index with them in one walk.
    // A photograph of a million stitches has hundreds of thousands of colours, which a hash
    // table of them would chase through memory. A place fits in 32 bits: a picture's store is
    // at most kMaxPixelStoreBytes, far fewer pixels than that.
    const std::size_t n = grid.colours.size();
    std::vector<std::uint64_t> keyed(n);
    for (std::size_t i = 0; i < n; ++i)
        keyed[i] = std::uint64_t{grid.colours[i]} << 32 | i;
    std::vector<std::uint64_t> spare(n);
    for (const int shift : {32, 48}) {
        constexpr std::size_t kBuckets = std::size_t{1} << 16;
        std::vector<std::size_t> start(kBuckets + 1, 0);
        for (const std::uint64_t key : keyed)
            ++start[((key >> shift) & 0xFFFF) + 1];
        for (std::size_t b = 0; b < kBuckets; ++b)
            start[b + 1] += start[b];
        for (const std::uint64_t key : keyed)
            spare[start[(key >> shift) & 0xFFFF]++] = key;
        keyed.swap(spare);
    }
    IndexedGrid indexed;
    indexed.stitches.resize(n);
    for (const std::uint64_t key : keyed) {
        const auto colour = static_cast<TColor>(key >> 32);
        if (indexed.colours.empty() || indexed.colours.back() != colour)
            indexed.colours.push_back(colour);
        indexed.stitches[key & 0xFFFFFFFF] = static_cast<int>(indexed.colours.size() - 1);
    }
    return indexed;
}

FittedColours FittedColoursOf(const StitchGrid& fitted) {
    FittedColours colours{Indexed(fitted), {}};
    const std::vector<TColor>& distinct = colours.indexed.colours;
    colours.labs.resize(distinct.size());
    // Each colour is converted on its own, so the parts are split between the cores.
    constexpr std::size_t kColoursPerThread = 4096;
    SplitWork(distinct.size(), kColoursPerThread, [&](std::size_t begin, std::size_t end) {
        const std::vector<LabColour> labs = ToLab(std::span(distinct).subspan(begin, end - begin));
        std::copy(labs.begin(), labs.end(),
                  colours.labs.begin() + static_cast<std::ptrdiff_t>(begin));
    });
    return colours;
}

namespace {

// A colour in linear light, for adding light as the eye does.
struct Linear {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;

    Linear Plus(const Linear& other, double weight) const {
        return {r + other.r * weight, g + other.g * weight, b + other.b * weight};
    }
};

Linear LinearOf(TColor c) {
    return {brodix::LinearOf(RedOf(c)), brodix::LinearOf(GreenOf(c)), brodix::LinearOf(BlueOf(c))};
}

// A colour of the clean with its chroma, worked out once for the bounds asked of it.
struct ChromaLab {
    LabColour lab;
    double chroma = 0.0;
};

std::vector<ChromaLab> WithChroma(const std::vector<LabColour>& labs) {
    std::vector<ChromaLab> with;
    with.reserve(labs.size());
    for (const LabColour& lab : labs)
        with.push_back({lab, ChromaOf(lab)});
    return with;
}

// A lower bound of DeltaE00(p, q) (engine/ColourDifference.h, given enough) made a hair smaller,
// so that rounding never lifts it over the difference: a score worked out from it as from the
// difference is then never the larger, and a score of the bound that does not come under the
// best so far rules the colour out exactly as measuring it would.
double SafeLowerBound(const ChromaLab& p, const ChromaLab& q, double enough) {
    constexpr double kMargin = 1.0 - 1e-9;
    return DeltaE00AtLeast(p.lab, p.chroma, q.lab, q.chroma, enough) * kMargin;
}

// A stitch's colour (an index into the clean's colours) with its CIEDE2000 to the stitch's
// fitted colour.
struct Measured {
    int colour = -1;
    double difference = 0.0;
};

// The colour, of a stitch's own and its neighbours', with the least CIEDE2000 to its fitted
// colour plus kNeighbourWeight for each neighbour of another colour: where the fitted colour
// lies between two chosen ones, as in the soft shading of a photograph, the neighbours tip the
// balance and the stitch joins them instead of standing alone. A neighbour's colour whose lower
// bound already scores no better than the best is not measured, nor its own colour when its
// difference is given (ownDifference, else null).
Measured SmoothedIndex(const std::vector<int>& stitches, int width, int height, int x, int y,
                       const ChromaLab& fitted, const std::vector<ChromaLab>& labs,
                       const double* ownDifference) {
    std::array<int, 9> around{};
    int count = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if ((dx != 0 || dy != 0) && nx >= 0 && ny >= 0 && nx < width && ny < height)
                around[static_cast<std::size_t>(count++)] = stitches[GridIndex(nx, ny, width)];
        }
    }
    const int own = stitches[GridIndex(x, y, width)];
    Measured best{own, 0.0};
    double bestScore = std::numeric_limits<double>::infinity();
    for (int c = -1; c < count; ++c) {
        const int k = c < 0 ? own : around[static_cast<std::size_t>(c)];
        if (c >= 0 &&
            (k == own || std::find(around.begin(), around.begin() + c, k) != around.begin() + c))
            continue;
        const auto others = count - std::count(around.begin(), around.begin() + count, k);
        const double penalty = kNeighbourWeight * static_cast<double>(others);
        if (c < 0 && ownDifference != nullptr) {
            best = {own, *ownDifference};
            bestScore = *ownDifference + penalty;
            continue;
        }
        const ChromaLab& lab = labs[static_cast<std::size_t>(k)];
        if (SafeLowerBound(fitted, lab, bestScore - penalty) + penalty >= bestScore)
            continue;
        const double difference = DeltaE00(fitted.lab, lab.lab);
        const double score = difference + penalty;
        if (score < bestScore) {
            bestScore = score;
            best = {k, difference};
        }
    }
    return best;
}

// The first pass of the clean over the stitches (colours into labs), each in reading order
// taking SmoothedIndex of the stitches as the stitches before it left them. A stitch's answer
// depends on its neighbours alone, and few change: every answer is first worked out on the
// cores from the stitches as they were, and only where a neighbour before it changed is it
// worked out again, rows side by side. A stitch keeps its colour until its turn, so the
// difference of its fitted colour to the colour it has (matched, an entry per fitted colour,
// or empty) holds for both. The stitches' new colours, each with its difference.
std::vector<Measured> Smoothed(std::vector<int>& stitches, int width, int height,
                               const IndexedGrid& fitted, const std::vector<ChromaLab>& fittedLabs,
                               const std::vector<ChromaLab>& labs,
                               std::span<const double> matched) {
    const std::vector<int> before = stitches;
    const auto smoothed = [&](const std::vector<int>& grid, int x, int y) {
        const auto colour = static_cast<std::size_t>(fitted.stitches[GridIndex(x, y, width)]);
        return SmoothedIndex(grid, width, height, x, y, fittedLabs[colour], labs,
                             matched.empty() ? nullptr : &matched[colour]);
    };
    std::vector<Measured> measured(stitches.size());
    // Below this many rows a thread costs more than it saves.
    constexpr std::size_t kRowsPerThread = 16;
    SplitWork(static_cast<std::size_t>(height), kRowsPerThread,
              [&](std::size_t begin, std::size_t end) {
                  for (auto y = static_cast<int>(begin); y < static_cast<int>(end); ++y) {
                      for (int x = 0; x < width; ++x)
                          measured[GridIndex(x, y, width)] = smoothed(before, x, y);
                  }
              });
    const auto changed = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width)
            return false;
        const std::size_t at = GridIndex(x, y, width);
        return stitches[at] != before[at];
    };
    // A stitch reads its neighbours, 1 column away at most, and changes itself alone: rows can
    // run side by side 2 columns apart.
    constexpr int kReach = 2;
    SweepRows(width, height, kReach, [&](int x, int y) {
        const std::size_t at = GridIndex(x, y, width);
        if (changed(x - 1, y - 1) || changed(x, y - 1) || changed(x + 1, y - 1) ||
            changed(x - 1, y))
            measured[at] = smoothed(stitches, x, y);
        stitches[at] = measured[at].colour;
    });
    return measured;
}

// The stitches of a grid as the clean sees them: each one's colour (an index into labs, which
// the clean changes) and its fitted colour, and the difference of the two as last measured.
class StrayStitches {
  public:
    // A change of one stitch's colour and what it costs: the likeness lost (CIEDE2000 to the
    // fitted colour) and kNeighbourWeight for each colour change it adds along the row.
    struct Change {
        std::size_t at = 0;
        int colour = 0;
        double cost = 0.0;
    };

    StrayStitches(int width, int height, std::vector<int>& stitches,
                  const std::vector<ChromaLab>& labs, const IndexedGrid& fitted,
                  const std::vector<ChromaLab>& fittedLabs, std::vector<Measured> known)
        : m_width(width),
          m_height(height),
          m_stitches(stitches),
          m_labs(labs),
          m_fitted(fitted),
          m_fittedLabs(fittedLabs),
          m_known(std::move(known)) {}

    bool IsStray(int x, int y) const { return !SharedBesides(x, y, At(x, y), -1, -1); }

    // The least costly change that leaves (x, y) stray no more and no other stitch stray: it
    // takes one of its neighbours' colours, or a neighbour takes its colour when none of that
    // neighbour's own neighbours needs it to share theirs. Ties: its own change first, then
    // the neighbours in reading order.
    Change CheapestFix(int x, int y) const {
        const int own = At(x, y);
        Change best{GridIndex(x, y, m_width), own, std::numeric_limits<double>::infinity()};
        // A colour taken once costs the same again, which is no less.
        std::array<int, 8> taken{};
        std::size_t takenCount = 0;
        ForNeighbours(x, y, [&](int nx, int ny) {
            const int theirs = At(nx, ny);
            if (std::find(taken.begin(), taken.begin() + takenCount, theirs) ==
                taken.begin() + takenCount) {
                taken[takenCount++] = theirs;
                const double take = Cost(x, y, theirs, best.cost);
                if (take < best.cost)
                    best = {GridIndex(x, y, m_width), theirs, take};
            }
            const double give = Cost(nx, ny, own, best.cost);
            if (give < best.cost && Free(nx, ny))
                best = {GridIndex(nx, ny, m_width), own, give};
        });
        return best;
    }

    void Apply(const Change& change) { m_stitches[change.at] = change.colour; }

  private:
    int At(int x, int y) const { return m_stitches[GridIndex(x, y, m_width)]; }

    // What (x, y) taking colour costs; a cost that cannot come under bar may be given as
    // infinity instead, found so by the lower bound without measuring the difference.
    double Cost(int x, int y, int colour, double bar) const {
        const std::size_t at = GridIndex(x, y, m_width);
        const ChromaLab& wanted = Wanted(at);
        int changes = 0;
        for (int nx : {x - 1, x + 1}) {
            if (nx >= 0 && nx < m_width)
                changes += (At(nx, y) != colour ? 1 : 0) - (At(nx, y) != m_stitches[at] ? 1 : 0);
        }
        const double current = CurrentDifference(at);
        const double penalty = kNeighbourWeight * changes;
        const ChromaLab& lab = m_labs[static_cast<std::size_t>(colour)];
        if (SafeLowerBound(wanted, lab, bar + current - penalty) - current + penalty >= bar)
            return std::numeric_limits<double>::infinity();
        return DeltaE00(wanted.lab, lab.lab) - current + penalty;
    }

    const ChromaLab& Wanted(std::size_t at) const {
        return m_fittedLabs[static_cast<std::size_t>(m_fitted.stitches[at])];
    }

    // The difference of a stitch's colour to its fitted colour, measured once per colour it
    // takes: every change tried at it or beside it asks for it.
    double CurrentDifference(std::size_t at) const {
        Measured& known = m_known[at];
        if (known.colour != m_stitches[at])
            known = {
                m_stitches[at],
                DeltaE00(Wanted(at).lab, m_labs[static_cast<std::size_t>(m_stitches[at])].lab)};
        return known.difference;
    }

    template <typename Visit>
    void ForNeighbours(int x, int y, Visit visit) const {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx;
                const int ny = y + dy;
                if ((dx != 0 || dy != 0) && nx >= 0 && ny >= 0 && nx < m_width && ny < m_height)
                    visit(nx, ny);
            }
        }
    }

    // Whether a neighbour of (x, y) other than (ox, oy) has colour k.
    bool SharedBesides(int x, int y, int k, int ox, int oy) const {
        bool shared = false;
        ForNeighbours(x, y, [&](int nx, int ny) {
            shared = shared || ((nx != ox || ny != oy) && At(nx, ny) == k);
        });
        return shared;
    }

    // Whether (x, y) may change colour without leaving a neighbour of its colour stray.
    bool Free(int x, int y) const {
        const int own = At(x, y);
        bool free = true;
        ForNeighbours(x, y, [&](int nx, int ny) {
            free = free && (At(nx, ny) != own || SharedBesides(nx, ny, own, x, y));
        });
        return free;
    }

    int m_width;
    int m_height;
    std::vector<int>& m_stitches;
    const std::vector<ChromaLab>& m_labs;
    const IndexedGrid& m_fitted;
    const std::vector<ChromaLab>& m_fittedLabs;
    mutable std::vector<Measured> m_known;
};

// Every stray stitch made good by its cheapest fix, in reading order, except that up to one in
// kStitchesPerKeptStray stitches stays stray where every fix would cost more than
// kKeptStrayCost. No fix leaves another stitch stray, so one pass leaves none but those kept.
void FixStrayStitches(StrayStitches& strays, int width, int height) {
    // A stitch's fix reads stitches up to 3 columns away (a neighbour's neighbours' neighbours)
    // and changes one at most 1 away: rows can run side by side 4 columns apart.
    constexpr int kReach = 4;
    std::vector<std::vector<std::pair<double, std::pair<int, int>>>> costlyInRow(
        static_cast<std::size_t>(height));
    SweepRows(width, height, kReach, [&](int x, int y) {
        if (!strays.IsStray(x, y))
            return;
        const StrayStitches::Change fix = strays.CheapestFix(x, y);
        if (fix.cost > kKeptStrayCost)
            costlyInRow[static_cast<std::size_t>(y)].push_back({fix.cost, {x, y}});
        else
            strays.Apply(fix);
    });
    std::vector<std::pair<double, std::pair<int, int>>> costly;
    for (const auto& row : costlyInRow)
        costly.insert(costly.end(), row.begin(), row.end());
    // The costliest are kept; the stable order keeps equal costs in reading order.
    std::stable_sort(costly.begin(), costly.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::size_t kept = 0;
    const std::size_t allowed = GridCells(width, height) / kStitchesPerKeptStray;
    for (const auto& [cost, where] : costly) {
        if (!strays.IsStray(where.first, where.second))
            continue;
        if (kept < allowed)
            ++kept;
        else
            strays.Apply(strays.CheapestFix(where.first, where.second));
    }
}

// Each distinct fitted colour's nearest of matcher's list, as a colour of that list. Colours are
// matched each on its own, so a photograph's hundreds of thousands are split between the cores.
// With differences, each one's CIEDE2000 to its nearest goes there too.
std::vector<TColor> NearestOfEach(const FittedColours& fitted, const ColourMatcher& matcher,
                                  std::span<const TColor> list,
                                  std::vector<double>* differences = nullptr) {
    // Below this many colours a thread costs more than it saves.
    constexpr std::size_t kColoursPerThread = 4096;
    const std::vector<LabColour>& labs = fitted.labs;
    std::vector<TColor> nearest(labs.size());
    if (differences != nullptr)
        differences->assign(labs.size(), 0.0);
    SplitWork(labs.size(), kColoursPerThread, [&](std::size_t begin, std::size_t end) {
        // Colours in ascending order lie mostly next to their like, and so do their answers.
        int k = -1;
        for (std::size_t i = begin; i < end; ++i) {
            const ColourMatcher::Match match = matcher.Nearest(labs[i], k);
            k = match.index;
            if (differences != nullptr)
                (*differences)[i] = match.deltaE;
            nearest[i] = ColorToRGB(list[static_cast<std::size_t>(k)]);
        }
    });
    return nearest;
}

void WriteBack(StitchGrid& grid, const IndexedGrid& indexed, const std::vector<TColor>& colourOf) {
    for (std::size_t i = 0; i < grid.colours.size(); ++i)
        grid.colours[i] = colourOf[static_cast<std::size_t>(indexed.stitches[i])];
}

}  // namespace

void SnapToThreads(StitchGrid& grid, std::span<const TColor> threads) {
    if (threads.empty() || grid.colours.empty())
        return;
    SnapToThreads(grid, FittedColoursOf(grid), threads);
}

void SnapToThreads(StitchGrid& grid, const FittedColours& fitted, std::span<const TColor> threads) {
    if (threads.empty() || fitted.indexed.stitches.empty())
        return;
    const ColourMatcher matcher(threads);
    grid.colours.resize(fitted.indexed.stitches.size());
    WriteBack(grid, fitted.indexed, NearestOfEach(fitted, matcher, threads));
}

void MatchToColours(StitchGrid& grid, const StitchGrid& fitted, std::span<const TColor> colours) {
    if (colours.empty() || fitted.colours.empty())
        return;
    MatchToColours(grid, FittedColoursOf(fitted), colours);
}

std::vector<double> MatchToColours(StitchGrid& grid, const FittedColours& fitted,
                                   std::span<const TColor> colours) {
    if (colours.empty() || fitted.indexed.stitches.empty())
        return {};
    const ColourMatcher matcher(colours);
    grid.colours.resize(fitted.indexed.stitches.size());
    std::vector<double> differences;
    WriteBack(grid, fitted.indexed, NearestOfEach(fitted, matcher, colours, &differences));
    return differences;
}

void DitherToColours(StitchGrid& grid, const StitchGrid& fitted, std::span<const TColor> colours) {
    if (colours.empty() || fitted.colours.empty())
        return;
    // Passed on whole, the error of a colour that no mixture reaches (a hue more vivid than any
    // thread) piles up without end and streaks the stitches after it; kept at nine tenths a
    // stitch, it stays within ten times one stitch's error, which still lets colours far apart
    // mix. Measured on photographs, 0.9 blurs nearer the photo than 0.95 or 1.
    constexpr double kErrorKept = 0.9;
    const ColourMatcher matcher(colours);
    std::vector<Linear> linearColours;
    for (TColor c : colours)
        linearColours.push_back(LinearOf(ColorToRGB(c)));
    const int width = fitted.width;
    // The error passed on to this row and the next, one spare entry either side.
    std::vector<Linear> here(static_cast<std::size_t>(width) + 2);
    std::vector<Linear> below(here.size());
    grid.colours.resize(fitted.colours.size());
    // Wishes are 8-bit colours and repeat, and a search costs: a table remembers the answers
    // last found (the slot's colour and its nearest entry). A wish the table does not hold is
    // searched from the answer of the last search made (the last wish it did not hold, often
    // near this one), not from the stitch before's answer, which the table may have given; the
    // start changes only the time taken, never the answer.
    constexpr std::size_t kRemembered = std::size_t{1} << 16;
    constexpr TColor kNoColour = 0xFFFFFFFF;  // no RGB() value: the slot is empty
    std::vector<TColor> askedFor(kRemembered, kNoColour);
    std::vector<int> answers(kRemembered, -1);
    int previous = -1;
    for (int y = 0; y < fitted.height; ++y) {
        const bool forward = y % 2 == 0;
        const int step = forward ? 1 : -1;
        for (int i = 0; i < width; ++i) {
            const int x = forward ? i : width - 1 - i;
            const std::size_t at = GridIndex(x, y, width);
            const Linear wanted =
                LinearOf(fitted.colours[at]).Plus(here[static_cast<std::size_t>(x + 1)], 1.0);
            // Error beyond what a colour can show would only smear on: the wish is held in
            // range, and the stitch takes the colour nearest it to the eye.
            const TColor shown = RGB(SrgbOf(wanted.r), SrgbOf(wanted.g), SrgbOf(wanted.b));
            const std::size_t slot = (shown * 2654435761u >> 8) % kRemembered;
            if (askedFor[slot] != shown) {
                askedFor[slot] = shown;
                answers[slot] = previous = matcher.Nearest(ToLab(shown), previous).index;
            }
            const auto k = static_cast<std::size_t>(answers[slot]);
            grid.colours[at] = ColorToRGB(colours[k]);
            const Linear& got = linearColours[k];
            const Linear error{kErrorKept * (std::clamp(wanted.r, 0.0, 1.0) - got.r),
                               kErrorKept * (std::clamp(wanted.g, 0.0, 1.0) - got.g),
                               kErrorKept * (std::clamp(wanted.b, 0.0, 1.0) - got.b)};
            here[static_cast<std::size_t>(x + 1 + step)] =
                here[static_cast<std::size_t>(x + 1 + step)].Plus(error, 7.0 / 16.0);
            below[static_cast<std::size_t>(x + 1 - step)] =
                below[static_cast<std::size_t>(x + 1 - step)].Plus(error, 3.0 / 16.0);
            below[static_cast<std::size_t>(x + 1)] =
                below[static_cast<std::size_t>(x + 1)].Plus(error, 5.0 / 16.0);
            below[static_cast<std::size_t>(x + 1 + step)] =
                below[static_cast<std::size_t>(x + 1 + step)].Plus(error, 1.0 / 16.0);
        }
        std::swap(here, below);
        std::fill(below.begin(), below.end(), Linear{});
    }
}

std::vector<TColor> ChooseDitherColours(const StitchGrid& fitted, int minStitches, int maxColours,
                                        std::span<const TColor> threads) {
    if (threads.empty())
        return ChooseColours(fitted, fitted, minStitches, maxColours, threads);
    StitchGrid mixed = fitted;
    DitherToColours(mixed, fitted, threads);
    return ChooseColours(mixed, mixed, minStitches, maxColours, threads);
}

void CleanStrayStitches(StitchGrid& grid, const StitchGrid& fitted) {
    if (grid.colours.empty())
        return;
    CleanStrayStitches(grid, FittedColoursOf(fitted));
}

void CleanStrayStitches(StitchGrid& grid, const FittedColours& fitted,
                        std::span<const double> matched) {
    if (grid.colours.empty())
        return;
    IndexedGrid indexed = Indexed(grid);
    const std::vector<ChromaLab> labs = WithChroma(ToLab(indexed.colours));
    const IndexedGrid& fittedIndexed = fitted.indexed;
    const std::vector<ChromaLab> fittedLabs = WithChroma(fitted.labs);
    std::vector<Measured> measured = Smoothed(indexed.stitches, grid.width, grid.height,
                                              fittedIndexed, fittedLabs, labs, matched);
    StrayStitches strays(grid.width, grid.height, indexed.stitches, labs, fittedIndexed, fittedLabs,
                         std::move(measured));
    FixStrayStitches(strays, grid.width, grid.height);
    WriteBack(grid, indexed, indexed.colours);
}

StitchGrid ReadStitches(TImage& source, const LevelChoices& levels) {
    StitchGrid grid{source.Picture().Width(), source.Picture().Height(), {}};
    if (grid.width <= 0 || grid.height <= 0)
        return grid;
    TCanvas& canvas = source.Canvas();
    const TBitmap& bitmap = canvas.Bitmap();
    const bool reduces = levels.Reduces();
    const auto reduce = [&](TColor color) { return reduces ? ReduceColor(color, levels) : color; };
    grid.colours.resize(GridIndex(0, grid.height, grid.width));
    // A display-format picture is read a row at a time, any other through its pixels: the same
    // colours, a million pixels read without a call each.
    const bool display = bitmap.PixelFormat() == TPixelFormat::Display && bitmap.Bits() != nullptr;
    for (int y = 0; y < grid.height; ++y) {
        TColor* row = &grid.colours[GridIndex(0, y, grid.width)];
        if (display) {
            const std::span<const DisplayPixel> pixels = DisplayRow(bitmap, y);
            for (int x = 0; x < grid.width; ++x)
                row[x] = reduce(ColorOfDisplayPixel(pixels[static_cast<std::size_t>(x)]));
        } else {
            for (int x = 0; x < grid.width; ++x)
                row[x] = reduce(canvas.Pixel(x, y));
        }
    }
    return grid;
}

CensusResult RefinedCensusOf(StitchGrid fitted, const MakeOptions& options,
                             const ProgressReport& progress) {
    const bool chooses = options.minStitches > 1 || options.maxColours > 0 || options.dither;
    const bool cleans = options.clean && !options.dither;
    // Each stage tells how much of the refining is done as it starts, by the stages before it.
    const int stages =
        1 + (options.snapColours.empty() ? 0 : 1) + (chooses ? 2 : 0) + (cleans ? 1 : 0);
    int done = 0;
    const auto report = [&](std::string_view stage) {
        if (progress)
            progress(stage, 100 * done / stages);
        ++done;
    };
    StitchGrid grid = fitted;
    // Dithering reads the fitted colours stitch by stitch; every other stage reads them once.
    const bool indexes = !options.snapColours.empty() || (chooses && !options.dither) || cleans;
    const FittedColours colours = indexes ? FittedColoursOf(fitted) : FittedColours{};
    if (!options.snapColours.empty()) {
        report("refining: snapping to threads");
        SnapToThreads(grid, colours, options.snapColours);
    }
    // Each fitted colour's difference to the colour it was matched to, which the clean reads.
    std::vector<double> matched;
    if (chooses) {
        report("refining: choosing colours");
        const std::vector<TColor> chosen =
            options.dither ? ChooseDitherColours(fitted, options.minStitches, options.maxColours,
                                                 options.snapColours)
                           : ChooseColours(colours, grid, options.minStitches, options.maxColours,
                                           options.snapColours);
        report(options.dither ? "refining: dithering" : "refining: matching stitches");
        if (options.dither)
            DitherToColours(grid, fitted, chosen);
        else
            matched = MatchToColours(grid, colours, chosen);
    }
    if (cleans) {
        report("refining: cleaning stray stitches");
        CleanStrayStitches(grid, colours, matched);
    }
    report("refining: counting stitches");
    return CountStitches(grid.width, grid.height, grid.colours);
}

CensusResult TakeRefinedCensus(TImage& source, const LevelChoices& levels,
                               const MakeOptions& options) {
    const int width = source.Picture().Width();
    const int height = source.Picture().Height();
    if (!options.Any() || width <= 0 || height <= 0)
        return TakeCensus(source, levels);
    if (std::optional<CensusRefusal> refusal = SizeCheck(width, height))
        return *refusal;
    return RefinedCensusOf(ReadStitches(source, levels), options);
}

}  // namespace brodix
