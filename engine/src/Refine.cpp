#include "engine/Refine.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>
#include <utility>

#include "IndexedGrid.h"
#include "engine/ColourDifference.h"
#include "engine/LinearLight.h"
#include "raster/TCanvas.h"
#include "raster/TImage.h"

namespace brodix {

IndexedGrid Indexed(const StitchGrid& grid) {
    // Distinct colours by hashing in the order met (neighbouring stitches mostly share their
    // colour, so most stitches cost one comparison), then renumbered in ascending colour order:
    // sorting only the distinct colours, not every stitch.
    std::unordered_map<TColor, int> indexOf;
    indexOf.reserve(1024);
    std::vector<TColor> met;
    IndexedGrid indexed;
    indexed.stitches.reserve(grid.colours.size());
    TColor last = 0;
    int lastIndex = -1;
    for (TColor c : grid.colours) {
        if (lastIndex < 0 || c != last) {
            const auto [at, added] = indexOf.try_emplace(c, static_cast<int>(met.size()));
            if (added)
                met.push_back(c);
            last = c;
            lastIndex = at->second;
        }
        indexed.stitches.push_back(lastIndex);
    }
    std::vector<int> order(met.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return met[static_cast<std::size_t>(a)] < met[static_cast<std::size_t>(b)];
    });
    std::vector<int> rank(met.size());
    indexed.colours.reserve(met.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        rank[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
        indexed.colours.push_back(met[static_cast<std::size_t>(order[i])]);
    }
    for (int& k : indexed.stitches)
        k = rank[static_cast<std::size_t>(k)];
    return indexed;
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

// What a colour change beside a stitch weighs against its likeness in the clean, in ΔE00.
// Measured on photographs: at this weight the likeness stays as it was and the colour changes
// along the rows drop by an eighth; more costs likeness.
constexpr double kNeighbourWeight = 0.3;

// The colour, of a stitch's own and its neighbours', with the least CIEDE2000 to its fitted
// colour plus kNeighbourWeight for each neighbour of another colour: where the fitted colour
// lies between two chosen ones, as in the soft shading of a photograph, the neighbours tip the
// balance and the stitch joins them instead of standing alone.
int SmoothedIndex(const std::vector<int>& stitches, int width, int height, int x, int y,
                  const LabColour& fitted, const std::vector<LabColour>& labs) {
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
    int best = own;
    double bestScore = std::numeric_limits<double>::infinity();
    for (int c = -1; c < count; ++c) {
        const int k = c < 0 ? own : around[static_cast<std::size_t>(c)];
        if (c >= 0 &&
            (k == own || std::find(around.begin(), around.begin() + c, k) != around.begin() + c))
            continue;
        const auto others = count - std::count(around.begin(), around.begin() + count, k);
        const double score = DeltaE00(fitted, labs[static_cast<std::size_t>(k)]) +
                             kNeighbourWeight * static_cast<double>(others);
        if (score < bestScore) {
            bestScore = score;
            best = k;
        }
    }
    return best;
}

// The stitches of a grid as the clean sees them: each one's colour (an index into labs, which
// the clean changes) and its fitted colour.
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
                  const std::vector<LabColour>& labs, const IndexedGrid& fitted,
                  const std::vector<LabColour>& fittedLabs)
        : m_width(width),
          m_height(height),
          m_stitches(stitches),
          m_labs(labs),
          m_fitted(fitted),
          m_fittedLabs(fittedLabs) {}

    bool IsStray(int x, int y) const { return !SharedBesides(x, y, At(x, y), -1, -1); }

    // The least costly change that leaves (x, y) stray no more and no other stitch stray: it
    // takes one of its neighbours' colours, or a neighbour takes its colour when none of that
    // neighbour's own neighbours needs it to share theirs. Ties: its own change first, then
    // the neighbours in reading order.
    Change CheapestFix(int x, int y) const {
        const int own = At(x, y);
        Change best{GridIndex(x, y, m_width), own, std::numeric_limits<double>::infinity()};
        ForNeighbours(x, y, [&](int nx, int ny) {
            const int theirs = At(nx, ny);
            const double take = Cost(x, y, theirs);
            if (take < best.cost)
                best = {GridIndex(x, y, m_width), theirs, take};
            const double give = Cost(nx, ny, own);
            if (give < best.cost && Free(nx, ny))
                best = {GridIndex(nx, ny, m_width), own, give};
        });
        return best;
    }

    void Apply(const Change& change) { m_stitches[change.at] = change.colour; }

  private:
    int At(int x, int y) const { return m_stitches[GridIndex(x, y, m_width)]; }

    double Cost(int x, int y, int colour) const {
        const std::size_t at = GridIndex(x, y, m_width);
        const LabColour& wanted = m_fittedLabs[static_cast<std::size_t>(m_fitted.stitches[at])];
        int changes = 0;
        for (int nx : {x - 1, x + 1}) {
            if (nx >= 0 && nx < m_width)
                changes += (At(nx, y) != colour ? 1 : 0) - (At(nx, y) != m_stitches[at] ? 1 : 0);
        }
        return DeltaE00(wanted, m_labs[static_cast<std::size_t>(colour)]) -
               DeltaE00(wanted, m_labs[static_cast<std::size_t>(m_stitches[at])]) +
               kNeighbourWeight * changes;
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
    const std::vector<LabColour>& m_labs;
    const IndexedGrid& m_fitted;
    const std::vector<LabColour>& m_fittedLabs;
};

// Every stray stitch made good by its cheapest fix, in reading order, except that up to one in
// a thousand stitches stays stray where every fix would cost more than kKeptCost: a catchlight
// in an eye or a glint on metal is a detail, not noise. No fix leaves another stitch stray, so
// one pass leaves none but those kept.
void FixStrayStitches(StrayStitches& strays, int width, int height) {
    constexpr double kKeptCost = 10.0;
    std::vector<std::pair<double, std::pair<int, int>>> costly;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!strays.IsStray(x, y))
                continue;
            const StrayStitches::Change fix = strays.CheapestFix(x, y);
            if (fix.cost > kKeptCost)
                costly.push_back({fix.cost, {x, y}});
            else
                strays.Apply(fix);
        }
    }
    // The costliest are kept; the stable order keeps equal costs in reading order.
    std::stable_sort(costly.begin(), costly.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::size_t kept = 0;
    const std::size_t allowed = GridIndex(0, height, width) / 1000;
    for (const auto& [cost, where] : costly) {
        if (!strays.IsStray(where.first, where.second))
            continue;
        if (kept < allowed)
            ++kept;
        else
            strays.Apply(strays.CheapestFix(where.first, where.second));
    }
}

void WriteBack(StitchGrid& grid, const IndexedGrid& indexed, const std::vector<TColor>& colourOf) {
    for (std::size_t i = 0; i < grid.colours.size(); ++i)
        grid.colours[i] = colourOf[static_cast<std::size_t>(indexed.stitches[i])];
}

}  // namespace

void SnapToThreads(StitchGrid& grid, std::span<const TColor> threads) {
    if (threads.empty() || grid.colours.empty())
        return;
    const ColourMatcher matcher(threads);
    const IndexedGrid indexed = Indexed(grid);
    const std::vector<LabColour> labs = ToLab(indexed.colours);
    std::vector<TColor> snapped(indexed.colours.size());
    for (std::size_t i = 0; i < labs.size(); ++i)
        snapped[i] = ColorToRGB(threads[static_cast<std::size_t>(matcher.Nearest(labs[i]).index)]);
    WriteBack(grid, indexed, snapped);
}

void MatchToColours(StitchGrid& grid, const StitchGrid& fitted, std::span<const TColor> colours) {
    if (colours.empty() || fitted.colours.empty())
        return;
    const ColourMatcher matcher(colours);
    const IndexedGrid indexed = Indexed(fitted);
    const std::vector<LabColour> labs = ToLab(indexed.colours);
    std::vector<TColor> matched(indexed.colours.size());
    for (std::size_t i = 0; i < labs.size(); ++i)
        matched[i] = ColorToRGB(colours[static_cast<std::size_t>(matcher.Nearest(labs[i]).index)]);
    grid.colours.resize(fitted.colours.size());
    WriteBack(grid, indexed, matched);
}

void DitherToColours(StitchGrid& grid, const StitchGrid& fitted, std::span<const TColor> colours) {
    if (colours.empty() || fitted.colours.empty())
        return;
    const ColourMatcher matcher(colours);
    std::vector<Linear> linearColours;
    for (TColor c : colours)
        linearColours.push_back(LinearOf(ColorToRGB(c)));
    const int width = fitted.width;
    // The error passed on to this row and the next, one spare entry either side.
    std::vector<Linear> here(static_cast<std::size_t>(width) + 2);
    std::vector<Linear> below(here.size());
    grid.colours.resize(fitted.colours.size());
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
            const int k = matcher.Nearest(shown).index;
            grid.colours[at] = ColorToRGB(colours[static_cast<std::size_t>(k)]);
            const Linear& got = linearColours[static_cast<std::size_t>(k)];
            const Linear error{std::clamp(wanted.r, 0.0, 1.0) - got.r,
                               std::clamp(wanted.g, 0.0, 1.0) - got.g,
                               std::clamp(wanted.b, 0.0, 1.0) - got.b};
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

void CleanStrayStitches(StitchGrid& grid, const StitchGrid& fitted) {
    if (grid.colours.empty())
        return;
    IndexedGrid indexed = Indexed(grid);
    const std::vector<LabColour> labs = ToLab(indexed.colours);
    const IndexedGrid fittedIndexed = Indexed(fitted);
    const std::vector<LabColour> fittedLabs = ToLab(fittedIndexed.colours);
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            const std::size_t at = GridIndex(x, y, grid.width);
            indexed.stitches[at] = SmoothedIndex(
                indexed.stitches, grid.width, grid.height, x, y,
                fittedLabs[static_cast<std::size_t>(fittedIndexed.stitches[at])], labs);
        }
    }
    StrayStitches strays(grid.width, grid.height, indexed.stitches, labs, fittedIndexed,
                         fittedLabs);
    FixStrayStitches(strays, grid.width, grid.height);
    WriteBack(grid, indexed, indexed.colours);
}

CensusResult TakeRefinedCensus(TImage& source, const LevelChoices& levels,
                               const MakeOptions& options) {
    StitchGrid grid{source.Picture().Width(), source.Picture().Height(), {}};
    if (!options.Any() || grid.width <= 0 || grid.height <= 0)
        return TakeCensus(source, levels);
    if (std::optional<CensusRefusal> refusal = SizeCheck(grid.width, grid.height))
        return *refusal;
    TCanvas& canvas = source.Canvas();
    const bool reduces = levels.Reduces();
    grid.colours.reserve(GridIndex(0, grid.height, grid.width));
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            const TColor color = canvas.Pixel(x, y);
            grid.colours.push_back(reduces ? ReduceColor(color, levels) : color);
        }
    }
    const StitchGrid fitted = grid;
    SnapToThreads(grid, options.snapColours);
    if (options.minStitches > 1 || options.maxColours > 0 || options.dither) {
        const std::vector<TColor> colours = ChooseColours(fitted, grid, options.minStitches,
                                                          options.maxColours, options.snapColours);
        if (options.dither)
            DitherToColours(grid, fitted, colours);
        else
            MatchToColours(grid, fitted, colours);
    }
    if (options.clean && !options.dither)
        CleanStrayStitches(grid, fitted);
    return CountStitches(grid.width, grid.height, grid.colours);
}

bool RefusedForColours(TImage& source, const LevelChoices& levels, const MakeOptions& options) {
    const int width = source.Picture().Width();
    const int height = source.Picture().Height();
    if (width <= 0 || height <= 0 || SizeCheck(width, height))
        return false;
    return std::holds_alternative<CensusRefusal>(TakeRefinedCensus(source, levels, options));
}

}  // namespace brodix
