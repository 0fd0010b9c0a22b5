// Work split across the cores: every item once, failures carried back, and results that do not
// depend on how many threads there were.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "engine/ColourDifference.h"
#include "engine/Refine.h"
#include "engine/SplitWork.h"

namespace brodix {
namespace {

// Restores the cores when a test has set a thread count.
struct ThreadCount {
    explicit ThreadCount(int threads) { SetWorkThreads(threads); }
    ~ThreadCount() { SetWorkThreads(0); }
};

TEST(SplitWork, RunsEveryItemOnceInPartsNoShorterThanAsked) {
    struct Case {
        std::size_t count, minPart;
        int threads;
        bool split;  // expected: more than one part
    };
    for (const Case& c :
         {Case{0, 10, 4, false}, Case{19, 10, 4, false}, Case{20, 10, 4, true},
          Case{1001, 10, 3, true}, Case{100000, 10, 2, true}, Case{1000, 10, 1, false}}) {
        const ThreadCount threads(c.threads);
        std::vector<std::atomic<int>> seen(c.count);
        std::atomic<std::size_t> parts{0};
        std::atomic<std::size_t> shortest{c.count};
        SplitWork(c.count, c.minPart, [&](std::size_t begin, std::size_t end) {
            ++parts;
            for (std::size_t shorter = shortest.load(); end - begin < shorter;)
                shortest.compare_exchange_weak(shorter, end - begin);
            for (std::size_t i = begin; i < end; ++i)
                ++seen[i];
        });
        EXPECT_EQ(parts.load() > 1, c.split) << c.count;
        if (c.split) {
            EXPECT_GE(shortest.load(), c.minPart) << c.count;
        }
        for (std::size_t i = 0; i < c.count; ++i)
            ASSERT_EQ(seen[i].load(), 1) << i;
    }
}

TEST(SplitWork, AFailureStopsTheWorkAndIsRaisedWhenTheThreadsHaveEnded) {
    const ThreadCount threads(2);
    std::atomic<int> started{0};
    EXPECT_THROW(SplitWork(100000, 10,
                           [&](std::size_t begin, std::size_t) {
                               ++started;
                               if (begin > 0)
                                   throw std::runtime_error("a later part");
                           }),
                 std::runtime_error);
    // Far fewer parts than the work was cut into have started.
    EXPECT_LE(started.load(), 4);
}

// Several parts fail: the failure raised is the one a single thread meets first, the lowest
// part's, however the threads happen to run.
TEST(SplitWork, TheFailureRaisedIsTheLowestFailedPartsOnAnyNumberOfThreads) {
    const auto failure = [](int threads) {
        const ThreadCount set(threads);
        try {
            // Every seventh item from 30000 on fails, naming itself. Each part waits a little
            // first, so that the threads take parts by turns and several fail at once.
            SplitWork(100000, 10, [](std::size_t begin, std::size_t end) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                for (std::size_t i = begin; i < end; ++i) {
                    if (i >= 30000 && i % 7 == 0)
                        throw std::runtime_error(std::to_string(i));
                }
            });
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("no failure");
    };
    ASSERT_EQ(failure(1), "30002");
    for (int run = 0; run < 20; ++run)
        ASSERT_EQ(failure(4), "30002") << "run " << run;
}

// A sweep in which each cell reads cells up to 3 columns and rows away and changes its right-hand
// neighbour below it gives the grid a single thread in reading order gives; a failing cell stops
// it, and the failure comes back once every thread has ended.
TEST(SweepRows, GivesWhatOneThreadInReadingOrderGives) {
    constexpr int kWidth = 300;
    constexpr int kHeight = 40;
    const auto sweep = [](int threads, int failAt) {
        const ThreadCount set(threads);
        std::vector<unsigned> grid(kWidth * kHeight);
        for (std::size_t i = 0; i < grid.size(); ++i)
            grid[i] = static_cast<unsigned>(i * 2654435761u >> 7);
        const auto at = [](int x, int y) { return static_cast<std::size_t>(y * kWidth + x); };
        SweepRows(kWidth, kHeight, 4, [&](int x, int y) {
            if (y * kWidth + x == failAt)
                throw std::runtime_error("cell");
            unsigned sum = 0;
            for (int dy = -3; dy <= 3; ++dy) {
                for (int dx = -3; dx <= 3; ++dx) {
                    if (x + dx >= 0 && x + dx < kWidth && y + dy >= 0 && y + dy < kHeight)
                        sum = sum * 31 + grid[at(x + dx, y + dy)];
                }
            }
            grid[at(x, y)] = sum;
            if (x + 1 < kWidth && y + 1 < kHeight)
                grid[at(x + 1, y + 1)] ^= sum >> 3;
        });
        return grid;
    };
    const std::vector<unsigned> one = sweep(1, -1);
    for (int run = 0; run < 5; ++run)
        ASSERT_EQ(sweep(2, -1), one) << "run " << run;
    ASSERT_EQ(sweep(3, -1), one);
    EXPECT_THROW(sweep(2, 17 * kWidth + 5), std::runtime_error);
}

// Snapping, matching and cleaning a photograph's tens of thousands of colours give the same
// stitches on one thread and on several.
TEST(SplitWork, SnapAndMatchGiveTheSameStitchesOnOneThreadAsOnMany) {
    std::mt19937 random(7);
    StitchGrid fitted{160, 100, {}};
    for (int i = 0; i < fitted.width * fitted.height; ++i)
        fitted.colours.push_back(random() & 0xFFFFFF);
    std::vector<TColor> threads;
    for (int i = 0; i < 200; ++i)
        threads.push_back(random() & 0xFFFFFF);
    const std::vector<TColor> kept(threads.begin(), threads.begin() + 40);
    const auto refine = [&](int count) {
        const ThreadCount set(count);
        StitchGrid snapped = fitted;
        SnapToThreads(snapped, threads);
        StitchGrid matched = fitted;
        MatchToColours(matched, fitted, kept);
        StitchGrid cleaned = matched;
        CleanStrayStitches(cleaned, fitted);
        return std::make_tuple(snapped.colours, matched.colours, cleaned.colours);
    };
    const auto one = refine(1);
    EXPECT_EQ(refine(3), one);
    EXPECT_NE(std::get<2>(one), std::get<1>(one));  // the clean changed stitches
    // And each is what the nearest-colour search gives that stitch alone.
    const ColourMatcher nearestThread(threads);
    const ColourMatcher nearestKept(kept);
    for (std::size_t i = 0; i < fitted.colours.size(); i += 97) {
        const LabColour lab = ToLab(fitted.colours[i]);
        ASSERT_EQ(std::get<0>(one)[i],
                  threads[static_cast<std::size_t>(nearestThread.Nearest(lab).index)]);
        ASSERT_EQ(std::get<1>(one)[i],
                  kept[static_cast<std::size_t>(nearestKept.Nearest(lab).index)]);
    }
}

// Whatever entry the search starts from, even a far one or a twin of the answer listed later,
// the answer is the one it finds without.
TEST(ColourMatcher, AHintChangesNothingButTheTimeTaken) {
    std::mt19937 random(11);
    std::vector<TColor> list;
    for (int i = 0; i < 120; ++i)
        list.push_back(random() & 0xFFFFFF);
    // Twins: the earlier entry is the answer on a tie.
    list.insert(list.end(), list.begin(), list.begin() + 20);
    const ColourMatcher matcher(list);
    for (int q = 0; q < 300; ++q) {
        const LabColour lab = ToLab(random() & 0xFFFFFF);
        const ColourMatcher::Match alone = matcher.Nearest(lab);
        for (const int hint :
             {-1, 0, alone.index, alone.index + 120, static_cast<int>(q % 140), 999}) {
            const ColourMatcher::Match hinted = matcher.Nearest(lab, hint);
            ASSERT_EQ(hinted.index, alone.index) << q << " " << hint;
            ASSERT_EQ(hinted.deltaE, alone.deltaE);
        }
    }
}

}  // namespace
}  // namespace brodix
