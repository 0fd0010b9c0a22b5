// The colours a chart keeps under a colour budget and a least stitch count.
#include "engine/ChooseColours.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <unordered_map>
#include <utility>

#include "IndexedGrid.h"
#include "engine/ColourDifference.h"

namespace brodix {

namespace {

// Fitted colours taken together: their stitch count and the count-weighted sum of their CIELAB
// values.
struct Group {
    double weight = 0.0;
    LabColour sum;

    LabColour Mean() const { return {sum.L / weight, sum.a / weight, sum.b / weight}; }
    void Add(const LabColour& lab, double count) {
        weight += count;
        sum.L += lab.L * count;
        sum.a += lab.a * count;
        sum.b += lab.b * count;
    }
    void Add(const Group& other) {
        weight += other.weight;
        sum.L += other.sum.L;
        sum.a += other.sum.a;
        sum.b += other.sum.b;
    }
};

// How much the stitch-weighted squared spread grows when two groups become one (Ward).
double MergeCost(const Group& first, const Group& second) {
    const LabColour m = first.Mean();
    const LabColour n = second.Mean();
    const double d =
        (m.L - n.L) * (m.L - n.L) + (m.a - n.a) * (m.a - n.a) + (m.b - n.b) * (m.b - n.b);
    return d * first.weight * second.weight / (first.weight + second.weight);
}

// Grouping costs the square of the groups it starts from; beyond this many, colours alike to
// within a cell of CIELAB start together (a photograph has thousands of colours).
constexpr std::size_t kMostStartGroups = 1024;

// The starting groups of the fitted colours and each colour's group: colours in one cell of
// CIELAB share a group, the cells growing until at most kMostStartGroups are in use. A size of
// cell is given up at the first cell too many: a photograph of a million colours meets it
// within its first few thousand.
std::vector<Group> StartGroups(const std::vector<LabColour>& labs, const std::vector<int>& counts,
                               std::vector<int>& groupOf) {
    groupOf.assign(labs.size(), 0);
    for (double side = 0.5;; side *= 1.5) {
        std::unordered_map<std::int64_t, int> cellGroup;
        std::vector<Group> groups;
        bool tooMany = false;
        for (std::size_t i = 0; i < labs.size(); ++i) {
            const auto cell = [side](double v) {
                return static_cast<std::int64_t>(std::floor((v + 200.0) / side));
            };
            const std::int64_t key =
                (cell(labs[i].L) * 4096 + cell(labs[i].a)) * 4096 + cell(labs[i].b);
            const auto [at, added] = cellGroup.try_emplace(key, static_cast<int>(groups.size()));
            tooMany = added && groups.size() == kMostStartGroups;
            if (tooMany)
                break;
            if (added)
                groups.emplace_back();
            groupOf[i] = at->second;
            groups[static_cast<std::size_t>(at->second)].Add(labs[i], counts[i]);
        }
        if (!tooMany)
            return groups;
    }
}

// Ward's agglomeration: merges the pair of groups whose merge costs least until count remain.
// Each group keeps its nearest other group; a merge can only move other groups further from
// the merged one (Ward's criterion is reducible), so only the groups whose nearest took part
// look again. Gives the surviving groups.
std::vector<Group> MergeGroups(std::vector<Group> groups, int count) {
    const std::size_t n = groups.size();
    std::vector<std::uint8_t> alive(n, 1);
    std::vector<int> nearest(n, -1);
    std::vector<double> cost(n, std::numeric_limits<double>::infinity());
    const auto look = [&](std::size_t i) {
        nearest[i] = -1;
        cost[i] = std::numeric_limits<double>::infinity();
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i || alive[j] == 0)
                continue;
            const double c = MergeCost(groups[i], groups[j]);
            if (c < cost[i]) {
                cost[i] = c;
                nearest[i] = static_cast<int>(j);
            }
        }
    };
    for (std::size_t i = 0; i < n; ++i)
        look(i);
    for (std::size_t left = n; left > static_cast<std::size_t>(std::max(count, 1)); --left) {
        std::size_t a = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (alive[i] != 0 && (alive[a] == 0 || cost[i] < cost[a]))
                a = i;
        }
        const auto b = static_cast<std::size_t>(nearest[a]);
        groups[a].Add(groups[b]);
        alive[b] = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (alive[i] != 0 &&
                (i == a || nearest[i] == static_cast<int>(a) || nearest[i] == static_cast<int>(b)))
                look(i);
        }
    }
    std::vector<Group> survivors;
    for (std::size_t i = 0; i < n; ++i) {
        if (alive[i] != 0)
            survivors.push_back(groups[i]);
    }
    return survivors;
}

// The candidate for a choice among those nearest its mean: the one with the least CIEDE2000
// summed over its members' stitches (the mean of CIELAB is not where CIEDE2000 is least, and
// the nearest thread to it need not be the best thread). free flags the candidates not taken.
int BestCandidate(const Group& joined, const std::vector<int>& members,
                  const std::vector<Group>& groups, const ColourMatcher& candidates,
                  std::vector<std::uint8_t>& free) {
    constexpr int kTried = 6;
    const LabColour mean = joined.Mean();
    std::vector<int> tried;
    for (int t = 0; t < kTried; ++t) {
        const int k = candidates.Nearest(mean, free).index;
        if (k < 0)
            break;
        tried.push_back(k);
        free[static_cast<std::size_t>(k)] = 0;
        if (members.empty())
            break;
    }
    for (int k : tried)
        free[static_cast<std::size_t>(k)] = 1;
    int best = tried.empty() ? -1 : tried.front();
    double bestCost = std::numeric_limits<double>::infinity();
    for (std::size_t t = 0; t < tried.size() && tried.size() > 1; ++t) {
        double cost = 0.0;
        for (int m : members) {
            const Group& g = groups[static_cast<std::size_t>(m)];
            cost += g.weight * DeltaE00(g.Mean(), candidates.LabAt(tried[t]));
        }
        if (cost < bestCost) {
            bestCost = cost;
            best = tried[t];
        }
    }
    return best;
}

// For each joined group, heaviest first, its best candidate that no heavier group took: two
// groups on one thread would waste a colour of the budget. members: the groups each joined
// group is made of (none: take the candidate nearest its mean). Ascending.
std::vector<TColor> ChosenCandidates(const std::vector<Group>& joined,
                                     const std::vector<std::vector<int>>& members,
                                     const std::vector<Group>& groups,
                                     const ColourMatcher& candidates,
                                     std::span<const TColor> candidateColours) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < joined.size(); ++i) {
        if (joined[i].weight > 0.0)
            order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        return joined[x].weight > joined[y].weight;
    });
    std::vector<std::uint8_t> free(static_cast<std::size_t>(candidates.Size()), 1);
    std::vector<TColor> chosen;
    const std::vector<int> none;
    for (std::size_t i : order) {
        const int k =
            BestCandidate(joined[i], members.empty() ? none : members[i], groups, candidates, free);
        if (k < 0)
            break;
        free[static_cast<std::size_t>(k)] = 0;
        chosen.push_back(ColorToRGB(candidateColours[static_cast<std::size_t>(k)]));
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

// Rounds of k-means on the groups: each group joins its nearest choice, each choice moves to
// the best candidate for what joined it. Ward's grouping is a good start that these rounds
// polish; a few suffice.
std::vector<TColor> Polished(std::vector<TColor> chosen, const std::vector<Group>& groups,
                             const ColourMatcher& candidates,
                             std::span<const TColor> candidateColours) {
    constexpr int kRounds = 8;
    for (int round = 0; round < kRounds; ++round) {
        const ColourMatcher matcher(chosen);
        std::vector<Group> joined(chosen.size());
        std::vector<std::vector<int>> members(chosen.size());
        for (std::size_t g = 0; g < groups.size(); ++g) {
            const auto k = static_cast<std::size_t>(matcher.Nearest(groups[g].Mean()).index);
            joined[k].Add(groups[g]);
            members[k].push_back(static_cast<int>(g));
        }
        std::vector<TColor> next =
            ChosenCandidates(joined, members, groups, candidates, candidateColours);
        if (next == chosen)
            break;
        chosen = std::move(next);
    }
    return chosen;
}

// The sum over the groups of their stitches times the square of the CIEDE2000 to the nearest
// choice (squared, as in Ward's criterion: a rare distinct hue lost costs more than a common
// shade a little off), as a table of every group's difference to every choice, with each
// group's nearest and second.
class Spread {
  public:
    Spread(const std::vector<Group>& groups, std::vector<LabColour> choices)
        : m_choices(std::move(choices)), m_k(m_choices.size()) {
        for (const Group& group : groups) {
            m_means.push_back(group.Mean());
            m_weights.push_back(group.weight);
        }
        m_d.resize(m_means.size() * m_k);
        for (std::size_t j = 0; j < m_k; ++j)
            Fill(j);
        Rank();
    }

    // How much the sum drops when choice j becomes lab.
    double Gain(std::size_t j, const LabColour& lab) const {
        double gain = 0.0;
        for (std::size_t g = 0; g < m_means.size(); ++g) {
            const double other = m_nearest[g] == j ? m_second[g] : m_best[g];
            const double d = DeltaE00AtLeast(m_means[g], lab, other) >= other
                                 ? other
                                 : std::min(DeltaE00(m_means[g], lab), other);
            gain += m_weights[g] * (m_best[g] * m_best[g] - d * d);
        }
        return gain;
    }

    // The choice whose replacement by lab lowers the sum most, and by how much: lab joins
    // every group nearer it than its nearest, and the groups of the choice it replaces go to
    // their second or to lab.
    std::pair<std::size_t, double> BestReplaced(const LabColour& lab) const {
        std::vector<double> gain(m_k, 0.0);
        double joined = 0.0;
        for (std::size_t g = 0; g < m_means.size(); ++g) {
            if (DeltaE00AtLeast(m_means[g], lab, m_second[g]) >= m_second[g]) {
                gain[m_nearest[g]] +=
                    m_weights[g] * (m_best[g] * m_best[g] - m_second[g] * m_second[g]);
                continue;
            }
            const double d = DeltaE00(m_means[g], lab);
            const double withBest = std::min(d, m_best[g]);
            const double withSecond = std::min(d, m_second[g]);
            joined += m_weights[g] * (m_best[g] * m_best[g] - withBest * withBest);
            gain[m_nearest[g]] += m_weights[g] * (withBest * withBest - withSecond * withSecond);
        }
        std::size_t best = 0;
        for (std::size_t j = 1; j < m_k; ++j) {
            if (gain[j] > gain[best])
                best = j;
        }
        return {best, joined + gain[best]};
    }

    // The groups, those whose stitches lose most to their nearest choice first.
    std::vector<std::size_t> WorstServed() const {
        std::vector<std::size_t> order(m_means.size());
        for (std::size_t g = 0; g < order.size(); ++g)
            order[g] = g;
        const auto loss = [this](std::size_t g) { return m_weights[g] * m_best[g] * m_best[g]; };
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t x, std::size_t y) { return loss(x) > loss(y); });
        return order;
    }

    void Replace(std::size_t j, const LabColour& lab) {
        m_choices[j] = lab;
        Fill(j);
        Rank();
    }

  private:
    void Fill(std::size_t j) {
        for (std::size_t g = 0; g < m_means.size(); ++g)
            m_d[g * m_k + j] = DeltaE00(m_means[g], m_choices[j]);
    }
    void Rank() {
        const std::size_t n = m_means.size();
        m_best.assign(n, std::numeric_limits<double>::infinity());
        m_second.assign(n, std::numeric_limits<double>::infinity());
        m_nearest.assign(n, 0);
        for (std::size_t g = 0; g < n; ++g) {
            for (std::size_t j = 0; j < m_k; ++j) {
                const double d = m_d[g * m_k + j];
                if (d < m_best[g]) {
                    m_second[g] = m_best[g];
                    m_best[g] = d;
                    m_nearest[g] = j;
                } else if (d < m_second[g]) {
                    m_second[g] = d;
                }
            }
        }
    }

    std::vector<LabColour> m_choices;
    std::size_t m_k;
    std::vector<LabColour> m_means;
    std::vector<double> m_weights;
    std::vector<double> m_d;  // group by group, choice by choice
    std::vector<double> m_best;
    std::vector<double> m_second;
    std::vector<std::size_t> m_nearest;
};

// The choices while they are swapped: their colours, their entries among the candidates, the
// candidates not taken, and the spread they give.
class Swaps {
  public:
    Swaps(const std::vector<TColor>& chosen, const std::vector<Group>& groups,
          const ColourMatcher& candidates, std::span<const TColor> candidateColours)
        : m_candidates(candidates),
          m_candidateColours(candidateColours),
          m_chosen(chosen),
          m_labs(ToLab(chosen)),
          m_free(static_cast<std::size_t>(candidates.Size()), 1),
          m_spread(groups, m_labs) {
        for (const LabColour& lab : m_labs) {
            m_at.push_back(candidates.Nearest(lab).index);
            m_free[static_cast<std::size_t>(m_at.back())] = 0;
        }
    }

    // Rounds in which, of the candidates nearest the means of the groups served worst, the one
    // that lowers the spread most in place of any choice takes that place: a move the sweeps
    // below, which look only near each choice, cannot make (a hue lost whole comes back).
    void AnywhereRounds(const std::vector<Group>& groups) {
        // Each candidate tried costs a look at every group, each round: a picture's own colours
        // as candidates would offer one per group.
        constexpr std::size_t kMostTried = 256;
        std::vector<int> pool;
        std::vector<std::uint8_t> pooled(m_free.size(), 0);
        for (std::size_t g : m_spread.WorstServed()) {
            const auto k = static_cast<std::size_t>(m_candidates.Nearest(groups[g].Mean()).index);
            if (pooled[k] == 0)
                pool.push_back(static_cast<int>(k));
            pooled[k] = 1;
            if (pool.size() == kMostTried)
                break;
        }
        // Measured on photographs, the rounds stop gaining well before one per choice.
        for (std::size_t round = 0; round < m_chosen.size(); ++round) {
            double bestGain = kLeastGain;
            int best = -1;
            std::size_t place = 0;
            for (int k : pool) {
                if (m_free[static_cast<std::size_t>(k)] == 0)
                    continue;
                const auto [j, gain] = m_spread.BestReplaced(m_candidates.LabAt(k));
                if (gain > bestGain) {
                    bestGain = gain;
                    best = k;
                    place = j;
                }
            }
            if (best < 0)
                return;
            Take(place, best);
        }
    }

    // Sweeps that try, for each choice, the candidates nearest it in its place and keep the one
    // that lowers the spread most: k-means works with means in CIELAB, the chart is seen in
    // CIEDE2000 to the nearest thread, and this minds the latter.
    void NearbySweeps() {
        constexpr int kSweeps = 2;
        // Measured on photographs: 30 rather than 6 at up to 24 colours lowers the mean ΔE00 at
        // 12 colours by 0.08, and more gains little; with more choices each has fewer threads
        // of its own around it, and a sweep costs about what 24 choices at 30 cost.
        const int kTried =
            std::clamp(720 / static_cast<int>(std::max<std::size_t>(m_chosen.size(), 1)), 6, 30);
        for (int sweep = 0; sweep < kSweeps; ++sweep) {
            bool improved = false;
            for (std::size_t j = 0; j < m_chosen.size(); ++j) {
                std::vector<int> tried;
                for (int t = 0; t < kTried; ++t) {
                    const int k = m_candidates.Nearest(m_labs[j], m_free).index;
                    if (k < 0)
                        break;
                    tried.push_back(k);
                    m_free[static_cast<std::size_t>(k)] = 0;
                }
                for (int k : tried)
                    m_free[static_cast<std::size_t>(k)] = 1;
                double bestGain = kLeastGain;
                int best = -1;
                for (int k : tried) {
                    const double gain = m_spread.Gain(j, m_candidates.LabAt(k));
                    if (gain > bestGain) {
                        bestGain = gain;
                        best = k;
                    }
                }
                if (best >= 0)
                    Take(j, best);
                improved = improved || best >= 0;
            }
            if (!improved)
                return;
        }
    }

    std::vector<TColor> Chosen() const {
        std::vector<TColor> chosen = m_chosen;
        std::sort(chosen.begin(), chosen.end());
        return chosen;
    }

  private:
    static constexpr double kLeastGain = 1e-9;

    void Take(std::size_t j, int k) {
        m_free[static_cast<std::size_t>(m_at[j])] = 1;
        m_free[static_cast<std::size_t>(k)] = 0;
        m_at[j] = k;
        m_labs[j] = m_candidates.LabAt(k);
        m_chosen[j] = ColorToRGB(m_candidateColours[static_cast<std::size_t>(k)]);
        m_spread.Replace(j, m_labs[j]);
    }

    const ColourMatcher& m_candidates;
    std::span<const TColor> m_candidateColours;
    std::vector<TColor> m_chosen;
    std::vector<LabColour> m_labs;
    std::vector<int> m_at;
    std::vector<std::uint8_t> m_free;
    Spread m_spread;
};

// The budget's colours for fitted colours with their counts.
std::vector<TColor> BudgetColours(const IndexedGrid& fitted, const std::vector<LabColour>& labs,
                                  const std::vector<int>& counts, int maxColours,
                                  std::span<const TColor> threads) {
    std::vector<int> groupOf;
    const std::vector<Group> start = StartGroups(labs, counts, groupOf);
    const std::span<const TColor> candidateColours = threads.empty() ? fitted.colours : threads;
    const ColourMatcher candidates = threads.empty() ? ColourMatcher(labs) : ColourMatcher(threads);
    std::vector<TColor> chosen =
        ChosenCandidates(MergeGroups(start, maxColours), {}, start, candidates, candidateColours);
    chosen = Polished(std::move(chosen), start, candidates, candidateColours);
    Swaps swaps(chosen, start, candidates, candidateColours);
    swaps.AnywhereRounds(start);
    swaps.NearbySweeps();
    return swaps.Chosen();
}

// The colours left when, while one has fewer than minStitches stitches with every fitted
// colour taking its nearest, the rarest goes (ties: the lower colour value) and its stitches
// take their nearest remaining colour. The last colour stays.
std::vector<TColor> WithoutRareColours(std::vector<TColor> chosen,
                                       const std::vector<LabColour>& labs,
                                       const std::vector<int>& counts, int minStitches) {
    const std::vector<LabColour> chosenLabs = ToLab(chosen);
    std::vector<std::uint8_t> alive(chosen.size(), 1);
    // The search over the colours left: gone ones are flagged out, and once they are half of
    // it, it is made again of the rest, so that thousands of colours merged down to a few are
    // not searched through for ever.
    std::vector<int> ids;  // search entry -> colour
    std::vector<int> entryOf(chosen.size(), -1);
    std::vector<std::uint8_t> searched;
    ColourMatcher matcher;
    std::size_t gone = 0;
    const auto rebuild = [&] {
        ids.clear();
        std::vector<LabColour> left;
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            if (alive[k] != 0) {
                entryOf[k] = static_cast<int>(ids.size());
                ids.push_back(static_cast<int>(k));
                left.push_back(chosenLabs[k]);
            }
        }
        matcher = ColourMatcher(std::move(left));
        searched.assign(ids.size(), 1);
        gone = 0;
    };
    rebuild();
    const auto nearest = [&](std::size_t i) {
        return static_cast<std::size_t>(
            ids[static_cast<std::size_t>(matcher.Nearest(labs[i], searched).index)]);
    };
    std::vector<std::vector<int>> members(chosen.size());
    std::vector<int> count(chosen.size(), 0);
    for (std::size_t i = 0; i < labs.size(); ++i) {
        const std::size_t k = nearest(i);
        members[k].push_back(static_cast<int>(i));
        count[k] += counts[i];
    }
    // Rarest first; among equally rare, the lower colour value (the lower index).
    std::set<std::pair<int, int>> byCount;
    for (std::size_t k = 0; k < chosen.size(); ++k)
        byCount.emplace(count[k], static_cast<int>(k));
    while (byCount.size() > 1 && byCount.begin()->first < minStitches) {
        const auto rare = static_cast<std::size_t>(byCount.begin()->second);
        byCount.erase(byCount.begin());
        alive[rare] = 0;
        searched[static_cast<std::size_t>(entryOf[rare])] = 0;
        if (2 * ++gone > ids.size())
            rebuild();
        for (int i : members[rare]) {
            const std::size_t k = nearest(static_cast<std::size_t>(i));
            byCount.erase({count[k], static_cast<int>(k)});
            count[k] += counts[static_cast<std::size_t>(i)];
            byCount.emplace(count[k], static_cast<int>(k));
            members[k].push_back(i);
        }
        members[rare].clear();
    }
    std::vector<TColor> left;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        if (alive[k] != 0)
            left.push_back(chosen[k]);
    }
    return left;
}

}  // namespace

std::vector<TColor> ChooseColours(const StitchGrid& fitted, const StitchGrid& current,
                                  int minStitches, int maxColours,
                                  std::span<const TColor> threads) {
    if (fitted.colours.empty())
        return {};
    // Without a budget or a least count, the colours stay as they are: nothing to read.
    if (maxColours <= 0 && minStitches <= 1)
        return Indexed(current).colours;
    return ChooseColours(FittedColoursOf(fitted), current, minStitches, maxColours, threads);
}

std::vector<TColor> ChooseColours(const FittedColours& fitted, const StitchGrid& current,
                                  int minStitches, int maxColours,
                                  std::span<const TColor> threads) {
    if (fitted.indexed.stitches.empty())
        return {};
    std::vector<TColor> chosen = Indexed(current).colours;
    const bool overBudget = maxColours > 0 && chosen.size() > static_cast<std::size_t>(maxColours);
    if (!overBudget && minStitches <= 1)
        return chosen;
    const IndexedGrid& indexed = fitted.indexed;
    const std::vector<LabColour>& labs = fitted.labs;
    std::vector<int> counts(indexed.colours.size(), 0);
    for (int k : indexed.stitches)
        ++counts[static_cast<std::size_t>(k)];
    if (overBudget)
        chosen = BudgetColours(indexed, labs, counts, maxColours, threads);
    if (minStitches > 1)
        chosen = WithoutRareColours(std::move(chosen), labs, counts, minStitches);
    return chosen;
}

}  // namespace brodix
