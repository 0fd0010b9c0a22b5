#include "engine/Refine.h"

#include <algorithm>
#include <array>
#include <set>
#include <unordered_map>
#include <utility>

#include "engine/ColourDifference.h"
#include "raster/TCanvas.h"
#include "raster/TImage.h"

namespace brodix {

namespace {

// The distinct colours of a grid, ascending, and each stitch's index among them.
struct IndexedGrid {
    std::vector<TColor> colours;
    std::vector<int> stitches;
};

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

// The colour most of a stitch's neighbours have when none has its own, else its own.
int CleanedIndex(const IndexedGrid& grid, int width, int height, int x, int y,
                 const std::vector<LabColour>& labs) {
    const int own = grid.stitches[static_cast<std::size_t>(y) * width + x];
    std::array<int, 8> seen{};
    std::array<int, 8> count{};
    int kinds = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= width || ny >= height)
                continue;
            const int k = grid.stitches[static_cast<std::size_t>(ny) * width + nx];
            if (k == own)
                return own;
            int slot = 0;
            while (slot < kinds && seen[slot] != k)
                ++slot;
            if (slot == kinds)
                seen[kinds++] = k;
            ++count[slot];
        }
    }
    int best = -1;
    double bestDelta = 0.0;
    for (int slot = 0; slot < kinds; ++slot) {
        if (best >= 0 && count[slot] < count[best])
            continue;
        const int k = seen[slot];
        const double delta = DeltaE00(labs[own], labs[k]);
        // Indexes ascend with colour value, so the lower index is the lower colour.
        const bool better = best < 0 || count[slot] > count[best] || delta < bestDelta ||
                            (delta == bestDelta && k < seen[best]);
        if (better) {
            best = slot;
            bestDelta = delta;
        }
    }
    return best < 0 ? own : seen[best];
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

void CleanStrayStitches(StitchGrid& grid) {
    if (grid.colours.empty())
        return;
    const IndexedGrid indexed = Indexed(grid);
    const std::vector<LabColour> labs = ToLab(indexed.colours);
    std::vector<TColor> cleaned(grid.colours.size());
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * grid.width + x;
            cleaned[at] = indexed.colours[static_cast<std::size_t>(
                CleanedIndex(indexed, grid.width, grid.height, x, y, labs))];
        }
    }
    grid.colours = std::move(cleaned);
}

namespace {

// The nearest-colour search over the colours not yet merged away. Merged colours are left out
// by a flag; once they make up half the search, it is rebuilt from the rest, so that a picture
// of 40,000 colours merged down to a few never searches through the dead.
class RemainingColours {
  public:
    explicit RemainingColours(std::vector<LabColour> labs) : m_labs(std::move(labs)) {
        m_ids.resize(m_labs.size());
        for (std::size_t i = 0; i < m_ids.size(); ++i)
            m_ids[i] = static_cast<int>(i);
        Rebuild();
    }

    void Remove(int id) {
        const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id);
        m_alive[static_cast<std::size_t>(at - m_ids.begin())] = 0;
        if (2 * ++m_dead > m_ids.size())
            Rebuild();
    }

    // Ids ascend with colour value and the search prefers the earlier entry: equally near
    // colours resolve to the lower colour value.
    int NearestTo(int id) const {
        const auto match = m_matcher.Nearest(m_labs[static_cast<std::size_t>(id)], m_alive);
        return m_ids[static_cast<std::size_t>(match.index)];
    }

  private:
    void Rebuild() {
        std::vector<int> ids;
        std::vector<LabColour> labs;
        for (std::size_t i = 0; i < m_ids.size(); ++i) {
            if (m_alive.empty() || m_alive[i] != 0) {
                ids.push_back(m_ids[i]);
                labs.push_back(m_labs[static_cast<std::size_t>(m_ids[i])]);
            }
        }
        m_ids = std::move(ids);
        m_matcher = ColourMatcher(std::move(labs));
        m_alive.assign(m_ids.size(), 1);
        m_dead = 0;
    }

    std::vector<LabColour> m_labs;  // of every colour, by id
    std::vector<int> m_ids;         // the colours in the search, ascending
    std::vector<std::uint8_t> m_alive;
    std::size_t m_dead = 0;
    ColourMatcher m_matcher;
};

}  // namespace

void MergeRareColours(StitchGrid& grid, int minStitches, int maxColours) {
    if (grid.colours.empty())
        return;
    const IndexedGrid indexed = Indexed(grid);
    const std::size_t n = indexed.colours.size();
    std::vector<int> count(n, 0);
    for (int k : indexed.stitches)
        ++count[static_cast<std::size_t>(k)];
    RemainingColours remaining(ToLab(indexed.colours));
    std::vector<int> into(n);
    for (std::size_t i = 0; i < n; ++i)
        into[i] = static_cast<int>(i);
    // Rarest first; among equally rare, the lower colour value (the lower index).
    std::set<std::pair<int, int>> byCount;
    for (std::size_t i = 0; i < n; ++i)
        byCount.emplace(count[i], static_cast<int>(i));
    const auto mustMerge = [&] {
        if (byCount.size() <= 1)
            return false;
        return byCount.begin()->first < minStitches ||
               (maxColours > 0 && byCount.size() > static_cast<std::size_t>(maxColours));
    };
    while (mustMerge()) {
        const auto [rareCount, rare] = *byCount.begin();
        byCount.erase(byCount.begin());
        remaining.Remove(rare);
        const int target = remaining.NearestTo(rare);
        byCount.erase({count[static_cast<std::size_t>(target)], target});
        count[static_cast<std::size_t>(target)] += rareCount;
        byCount.emplace(count[static_cast<std::size_t>(target)], target);
        into[static_cast<std::size_t>(rare)] = target;
    }
    // A colour merged into one that merged later follows it to where it ended.
    std::vector<TColor> finalColour(n);
    for (std::size_t i = 0; i < n; ++i) {
        int k = static_cast<int>(i);
        while (into[static_cast<std::size_t>(k)] != k)
            k = into[static_cast<std::size_t>(k)];
        finalColour[i] = indexed.colours[static_cast<std::size_t>(k)];
    }
    WriteBack(grid, indexed, finalColour);
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
    grid.colours.reserve(static_cast<std::size_t>(grid.width) * grid.height);
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            const TColor color = canvas.Pixel(x, y);
            grid.colours.push_back(reduces ? ReduceColor(color, levels) : color);
        }
    }
    SnapToThreads(grid, options.snapColours);
    if (options.clean)
        CleanStrayStitches(grid);
    if (options.minStitches > 1 || options.maxColours > 0)
        MergeRareColours(grid, options.minStitches, options.maxColours);
    return CountStitches(grid.width, grid.height, grid.colours);
}

}  // namespace brodix
