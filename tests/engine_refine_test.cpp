// Colour difference, nearest-colour search and the three options that refine the reduced
// colours before Make counts them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "engine/ChooseColours.h"
#include "engine/ColourDifference.h"
#include "engine/LinearLight.h"
#include "engine/Refine.h"
#include "engine/SplitWork.h"
#include "engine/Stitchability.h"
#include "engine/SymbolSheet.h"
#include "engine_support.h"
#include "raster/Geometry.h"
#include "raster/TBitmap.h"

namespace brodix {
namespace {

using testing::GivePicture;

TEST(ColourDifference, ConvertsSrgbToLabRelativeToD65) {
    struct Case {
        TColor colour;
        LabColour lab;
    };
    const Case cases[] = {
        {clWhite, {100.0, 0.0, 0.0}},
        {clBlack, {0.0, 0.0, 0.0}},
        {RGB(255, 0, 0), {53.24, 80.09, 67.20}},
        {RGB(0, 0, 255), {32.30, 79.19, -107.86}},
    };
    for (const Case& c : cases) {
        const LabColour lab = ToLab(c.colour);
        EXPECT_NEAR(lab.L, c.lab.L, 0.02) << std::hex << c.colour;
        EXPECT_NEAR(lab.a, c.lab.a, 0.02) << std::hex << c.colour;
        EXPECT_NEAR(lab.b, c.lab.b, 0.02) << std::hex << c.colour;
    }
    // A published pair of the CIEDE2000 test data (Sharma, Wu and Dalal): 2.0425.
    EXPECT_NEAR(DeltaE00({50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}), 2.0425, 1e-4);
}

// The search skips colours by a lower bound; it must find what trying every colour finds.
// The colour budget skips by the same bound, which must never exceed the difference.
TEST(ColourMatcher, FindsWhatTryingEveryColourFinds) {
    std::mt19937 random(7);
    std::vector<TColor> set(400);
    for (TColor& c : set)
        c = random() & 0xFFFFFF;
    set.push_back(set[17]);  // an equal colour later in the list never wins
    const ColourMatcher matcher(set);
    const std::vector<LabColour> setLabs = ToLab(set);
    for (int i = 0; i < 300; ++i) {
        // Mostly near one of the set, as picture colours near threads are.
        const TColor base = set[random() % set.size()];
        const TColor query = i % 3 == 0 ? (random() & 0xFFFFFF) : (base ^ (random() & 0x070707));
        const LabColour lab = ToLab(query);
        int bestIndex = 0;
        double best = DeltaE00(lab, setLabs[0]);
        for (std::size_t k = 1; k < set.size(); ++k) {
            const double d = DeltaE00(lab, setLabs[k]);
            EXPECT_LE(DeltaE00AtLeast(lab, setLabs[k]), d + 1e-9) << std::hex << query;
            if (d < best) {
                best = d;
                bestIndex = static_cast<int>(k);
            }
        }
        const ColourMatcher::Match match = matcher.Nearest(lab);
        EXPECT_EQ(match.index, bestIndex) << std::hex << query;
        EXPECT_EQ(match.deltaE, best);
    }
    EXPECT_EQ(matcher.Nearest(set[17]).index, 17);
    EXPECT_EQ(ColourMatcher().Nearest(clBlack).index, -1);
}

// Thousands of entries, as a large catalogue or a photograph's own colours offer: the search
// passes over boxes of them whole, and with entries left out (alive flags), from a start, or
// with greys and vivid blues, where the bound is loosest, it still finds what trying every entry
// finds.
TEST(ColourMatcher, PassesOverNoNearerEntryOfALargeList) {
    std::mt19937 random(29);
    std::vector<TColor> list(6000);
    for (TColor& c : list)
        c = random() & 0xFFFFFF;
    for (int i = 0; i < 600; ++i) {
        const int grey = static_cast<int>(random() % 256);
        list.push_back(RGB(grey, grey, grey + static_cast<int>(random() % 2)));
        list.push_back(RGB(static_cast<int>(random() % 40), static_cast<int>(random() % 40),
                           200 + static_cast<int>(random() % 56)));
    }
    list.push_back(list[123]);  // a twin listed later
    std::vector<std::uint8_t> alive(list.size(), 1);
    for (std::size_t k = 0; k < list.size(); k += 3)
        alive[k] = 0;
    const ColourMatcher matcher(list);
    const std::vector<LabColour> labs = ToLab(list);
    for (int q = 0; q < 120; ++q) {
        const TColor query =
            q % 2 == 0 ? (random() & 0xFFFFFF) : (list[random() % list.size()] ^ 0x010301);
        const LabColour lab = ToLab(query);
        for (const bool leftOut : {false, true}) {
            int bestIndex = -1;
            double best = 0.0;
            for (std::size_t k = 0; k < list.size(); ++k) {
                const double d = DeltaE00(lab, labs[k]);
                if ((!leftOut || alive[k] != 0) && (bestIndex < 0 || d < best)) {
                    best = d;
                    bestIndex = static_cast<int>(k);
                }
            }
            const ColourMatcher::Match match =
                leftOut ? matcher.Nearest(lab, alive) : matcher.Nearest(lab);
            ASSERT_EQ(match.index, bestIndex) << std::hex << query << " " << leftOut;
            ASSERT_EQ(match.deltaE, best);
        }
        // Started from any entry, it finds the same.
        const int hint = static_cast<int>((q * 7919) % static_cast<int>(list.size()));
        ASSERT_EQ(matcher.Nearest(lab, hint).index, matcher.Nearest(lab).index) << hint;
    }
}

StitchGrid Grid(int width, int height, std::vector<TColor> colours) {
    return {width, height, std::move(colours)};
}

constexpr TColor R = RGB(200, 0, 0);
constexpr TColor G = RGB(0, 160, 0);
constexpr TColor B = RGB(0, 0, 200);
constexpr TColor P = RGB(230, 20, 20);  // near R

TEST(CleanStrayStitches, OnlyStitchesNoNeighbourSharesChange) {
    struct Case {
        const char* what;
        StitchGrid in;
        std::vector<TColor> out;
    };
    const Case cases[] = {
        // B sees 6 G and 2 R, and red is nearer blue than green is.
        {"a stray stitch takes the neighbour colour nearest its own",
         Grid(3, 3, {G, G, G, G, B, G, R, R, G}),
         {G, G, G, G, R, G, R, R, G}},
        {"a 2-stitch line stays",
         Grid(4, 3, {G, G, G, G, G, B, B, G, G, G, G, G}),
         {G, G, G, G, G, B, B, G, G, G, G, G}},
        {"a corner stitch looks at its 3 neighbours only",
         Grid(3, 2, {B, G, R, G, G, R}),
         {G, G, R, G, G, R}},
        // The centre P takes R, nearest P, and the left G, stray, takes B, the neighbours'
        // colour nearest it; the corner R, stray as read, then shares the centre's R and stays.
        {"one pass in reading order, each fix seen by the stitches after it",
         Grid(3, 3, {R, R, G, G, P, G, R, B, B}),
         {R, R, G, B, R, G, R, B, B}},
        {"a picture of one stitch keeps it", Grid(1, 1, {B}), {B}},
    };
    for (const Case& c : cases) {
        StitchGrid grid = c.in;
        CleanStrayStitches(grid);
        EXPECT_EQ(grid.colours, c.out) << c.what;
    }
}

// A stray stitch whose fitted colour is its own, beside a stitch whose fitted colour M lies
// nearly as near the stray's colour as its own: that neighbour joining the stray costs less
// likeness than the stray taking any neighbour's colour, unless another stitch needs the
// neighbour to share its colour.
TEST(CleanStrayStitches, ANeighbourJoinsAStrayWhenThatCostsLessLikeness) {
    constexpr TColor M = RGB(110, 0, 150);  // between R and B, nearer B
    constexpr TColor Y = RGB(120, 110, 0);  // between R and G
    struct Case {
        const char* what;
        StitchGrid grid;
        StitchGrid fitted;
        std::vector<TColor> out;
    };
    const Case cases[] = {
        {"the neighbour fitted near the stray's colour joins it",
         Grid(5, 3, {G, G, G, G, G, G, R, B, G, G, G, G, G, G, G}),
         Grid(5, 3, {G, G, G, G, G, G, R, M, G, G, G, G, G, G, G}),
         {G, G, G, G, G, G, R, R, G, G, G, G, G, G, G}},
        {"a neighbour that another stitch needs stays; the stray takes a colour",
         Grid(5, 3, {G, G, G, G, G, G, R, B, B, G, G, G, G, G, G}),
         Grid(5, 3, {G, G, G, G, G, G, R, M, B, G, G, G, G, G, G}),
         {G, G, G, G, G, G, B, B, B, G, G, G, G, G, G}},
        // Above and beside the stray, two stitches fitted alike: the one beside it adds no
        // colour change along a row.
        {"of neighbours alike, the one in the stray's row joins it",
         Grid(5, 3, {G, G, G, G, G, G, G, R, G, G, G, G, G, G, G}),
         Grid(5, 3, {G, G, Y, G, G, G, G, R, Y, G, G, G, G, G, G}),
         {G, G, G, G, G, G, G, R, R, G, G, G, G, G, G}},
    };
    for (const Case& c : cases) {
        StitchGrid grid = c.grid;
        CleanStrayStitches(grid, c.fitted);
        EXPECT_EQ(grid.colours, c.out) << c.what;
    }
}

// Red stitches alone on green cost far more than kKeptStrayCost to make good, however it is
// done: a chart keeps one such detail per kStitchesPerKeptStray stitches, the costliest, and
// makes good the rest.
TEST(CleanStrayStitches, KeepsACostlyStrayStitchPerThousand) {
    static_assert(kStitchesPerKeptStray == 1000,
                  "the grids below hold 1000, 999 and 2000 stitches");
    const struct {
        int width;
        int height;
        int reds;
    } cases[] = {{40, 25, 1}, {37, 27, 0}, {50, 40, 2}};
    for (const auto& c : cases) {
        StitchGrid grid =
            Grid(c.width, c.height, std::vector<TColor>(GridCells(c.width, c.height), G));
        for (int i = 0; i < 3; ++i)
            grid.colours[GridIndex(5 + 10 * i, 2 + 10 * i, c.width)] = R;
        CleanStrayStitches(grid);
        EXPECT_EQ(std::count(grid.colours.begin(), grid.colours.end(), R), c.reds)
            << c.width << " x " << c.height;
    }
}

std::map<TColor, int> Counts(const StitchGrid& grid) {
    std::map<TColor, int> counts;
    for (TColor c : grid.colours)
        ++counts[c];
    return counts;
}

StitchGrid Chosen(const StitchGrid& fitted, int minStitches, int maxColours,
                  std::span<const TColor> threads = {}) {
    StitchGrid grid = fitted;
    SnapToThreads(grid, threads);
    const std::vector<TColor> colours =
        ChooseColours(fitted, grid, minStitches, maxColours, threads);
    MatchToColours(grid, fitted, colours);
    return grid;
}

TEST(ChooseColours, KeepsTheColoursThatRepresentThePicture) {
    // 1 stitch of P (near R), 2 of B, 3 of R, 10 of G.
    const StitchGrid start = Grid(16, 1, {P, B, B, R, R, R, G, G, G, G, G, G, G, G, G, G});
    struct Case {
        int minStitches;
        int maxColours;
        std::map<TColor, int> counts;
    };
    const Case cases[] = {
        {2, 0, {{R, 4}, {B, 2}, {G, 10}}},  // P alone is under 2; it goes to R, not to B or G
        {3, 0, {{R, 6}, {G, 10}}},          // then B (2 < 3) goes to its nearest of R and G
        {0, 3, {{R, 4}, {B, 2}, {G, 10}}},  // P and R are the most alike
        {0, 1, {{G, 16}}},
        {100, 0, {{G, 16}}},  // the last colour stays, whatever its count
        {0, 0, {{P, 1}, {R, 3}, {B, 2}, {G, 10}}},
    };
    for (const Case& c : cases) {
        const auto counts = Counts(Chosen(start, c.minStitches, c.maxColours));
        EXPECT_EQ(counts, c.counts) << c.minStitches << " " << c.maxColours;
    }
}

// A photo's distinct hue is rare, and its common colours come in near shades: the budget must
// spend itself on the hue, not on a second shade of the common colour.
TEST(ChooseColours, ARareDistinctHueOutlivesACommonNearShade) {
    const TColor grey = RGB(120, 120, 120);
    const TColor greyShade = RGB(128, 128, 128);
    std::vector<TColor> colours(400, grey);
    std::fill(colours.begin(), colours.begin() + 150, greyShade);
    std::fill(colours.end() - 8, colours.end(), R);
    const std::vector<TColor> threads = {grey, greyShade, R, RGB(190, 10, 10), clWhite};
    const auto counts = Counts(Chosen(Grid(20, 20, colours), 0, 2, threads));
    EXPECT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts.count(R) ? counts.at(R) : 0, 8);
}

// Grouping in CIELAB keeps a saturated blue (a tenth of the stitches) apart from a dark and a
// light grey, which it merges; in CIEDE2000, as the eye sees them, the greys differ more, and
// 2 colours should be the greys, the blue going to the dark one. Every thread near the blue is
// another blue, so only a swap from anywhere can reach a grey.
TEST(ChooseColours, WeighsColoursAsTheEyeDoesNotAsTheGroupingDoes) {
    const TColor dark = RGB(60, 60, 60);
    const TColor light = RGB(190, 190, 190);
    const TColor blue = RGB(0, 0, 255);
    std::vector<TColor> colours(400, dark);
    std::fill(colours.begin() + 200, colours.end(), light);
    std::fill(colours.end() - 40, colours.end(), blue);
    std::vector<TColor> threads;
    for (unsigned v = 0; v < 256; v += 4)
        threads.push_back(RGB(v, v, v));
    for (unsigned g = 0; g < 120; g += 3)
        threads.push_back(RGB(g / 2, g, 255 - g / 3));
    const auto counts = Counts(Chosen(Grid(20, 20, colours), 0, 2, threads));
    EXPECT_EQ(counts, (std::map<TColor, int>{{RGB(64, 64, 64), 240}, {RGB(192, 192, 192), 160}}));
}

TEST(SnapToThreads, GivesEachColourItsNearestThread) {
    StitchGrid grid = Grid(3, 1, {RGB(250, 250, 250), RGB(5, 5, 5), RGB(120, 0, 0)});
    const TColor threads[] = {clBlack, RGB(128, 0, 0), clWhite};
    SnapToThreads(grid, threads);
    EXPECT_EQ(grid.colours, (std::vector<TColor>{clWhite, clBlack, RGB(128, 0, 0)}));
}

// A gradient of 400 colours: refused as it is, charted once snapped to 64 greys.
TEST(TakeRefinedCensus, SnappingBringsAPictureUnderTheColourLimit) {
    TImage image;
    GivePicture(image, 200, 2, [](int x, int y) { return RGB(x, y * 100 + x / 2, 255 - x); });
    EXPECT_TRUE(std::holds_alternative<CensusRefusal>(TakeRefinedCensus(image, {}, {})));
    MakeOptions options;
    for (unsigned v = 0; v < 256; v += 4)
        options.snapColours.push_back(RGB(v, v, v));
    const CensusResult result = TakeRefinedCensus(image, {}, options);
    ASSERT_TRUE(std::holds_alternative<Census>(result));
    const Census& census = std::get<Census>(result);
    int total = 0;
    for (const PaletteEntry& entry : census.palette) {
        EXPECT_EQ(RedOf(entry.color), GreenOf(entry.color));
        total += entry.count;
    }
    EXPECT_EQ(total, 400);
    // Options that change nothing give the census of the picture as read.
    TImage small;
    GivePicture(small, 5, 4, [](int x, int y) { return x < 3 ? clWhite : RGB(0, 0, y); });
    MakeOptions noEffect;
    noEffect.maxColours = 255;
    const CensusResult plain = TakeCensus(small, {});
    const CensusResult refined = TakeRefinedCensus(small, {}, noEffect);
    EXPECT_EQ(std::get<Census>(plain).palette, std::get<Census>(refined).palette);
    EXPECT_EQ(std::get<Census>(plain).stitches, std::get<Census>(refined).stitches);
}

std::map<TColor, int> CensusCounts(const CensusResult& result) {
    std::map<TColor, int> counts;
    for (const PaletteEntry& entry : std::get<Census>(result).palette)
        counts[entry.color] = entry.count;
    return counts;
}

// The clean reads the colours the chart ends with: two near reds side by side are each stray
// as read, but one red once merged, and stay; a lone red stitch goes.
TEST(TakeRefinedCensus, CleansStrayStitchesAfterTheMerge) {
    TImage image;
    GivePicture(image, 8, 6, [](int x, int y) {
        if (x == 2 && y == 2)
            return R;
        if (x == 3 && y == 2)
            return P;
        if (x == 6 && y == 4)
            return P;
        return x < 5 ? G : B;
    });
    MakeOptions options;
    options.maxColours = 3;
    options.clean = true;
    const auto counts = CensusCounts(TakeRefinedCensus(image, {}, options));
    EXPECT_EQ(counts.size(), 3u);
    const int reds = (counts.count(R) ? counts.at(R) : 0) + (counts.count(P) ? counts.at(P) : 0);
    EXPECT_EQ(reds, 2);
}

// The refining reads the fitted colours once for all its stages, and the clean takes the
// match's differences: the chart is the one the stages give each on its own, on any number
// of threads.
TEST(RefinedCensusOf, GivesWhatItsStagesGiveOneByOne) {
    std::mt19937 random(29);
    const auto colour = [&] {
        return RGB(static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                   static_cast<std::uint8_t>(random()));
    };
    std::vector<TColor> threads(40);
    std::generate(threads.begin(), threads.end(), colour);
    // Noise over a few shades, so that the clean has strays to make good.
    StitchGrid fitted{70, 40, std::vector<TColor>(70 * 40)};
    for (TColor& c : fitted.colours)
        c = random() % 3 == 0 ? colour() : threads[random() % 6];
    struct Case {
        bool snap;
        int maxColours;
        int minStitches;
        bool clean;
    };
    const Case cases[] = {{true, 0, 0, true},
                          {true, 12, 0, true},
                          {false, 12, 0, true},
                          {false, 0, 40, true},
                          {true, 8, 30, false}};
    for (const Case& c : cases) {
        MakeOptions options;
        if (c.snap)
            options.snapColours = threads;
        options.maxColours = c.maxColours;
        options.minStitches = c.minStitches;
        options.clean = c.clean;
        StitchGrid grid = fitted;
        if (c.snap)
            SnapToThreads(grid, threads);
        if (c.maxColours > 0 || c.minStitches > 1) {
            const std::vector<TColor> chosen =
                ChooseColours(fitted, grid, c.minStitches, c.maxColours, options.snapColours);
            MatchToColours(grid, fitted, chosen);
        }
        if (c.clean)
            CleanStrayStitches(grid, fitted);
        for (const int workThreads : {1, 2, 3}) {
            SetWorkThreads(workThreads);
            const CensusResult refined = RefinedCensusOf(fitted, options);
            SetWorkThreads(0);
            ASSERT_TRUE(std::holds_alternative<Census>(refined));
            const Census& census = std::get<Census>(refined);
            std::vector<TColor> colours;
            for (int y = 0; y < fitted.height; ++y) {
                for (int x = 0; x < fitted.width; ++x)
                    colours.push_back(census.ColorAt(x, y));
            }
            EXPECT_EQ(colours, grid.colours)
                << "snap " << c.snap << ", max " << c.maxColours << ", min " << c.minStitches
                << ", threads " << workThreads;
        }
    }
}

// A smooth ramp dithered onto 3 greys: only those greys, mixed so that the ramp's lightness
// survives across it.
TEST(TakeRefinedCensus, DithersOntoTheChosenColoursOnly) {
    TImage image;
    GivePicture(image, 40, 6, [](int x, int) { return RGB(40 + 4 * x, 40 + 4 * x, 40 + 4 * x); });
    const std::vector<TColor> greys = {RGB(40, 40, 40), RGB(118, 118, 118), RGB(196, 196, 196)};
    MakeOptions options;
    options.snapColours = greys;
    options.dither = true;
    const auto counts = CensusCounts(TakeRefinedCensus(image, {}, options));
    EXPECT_EQ(counts.size(), 3u);
    for (const auto& [colour, count] : counts)
        EXPECT_NE(std::find(greys.begin(), greys.end(), colour), greys.end()) << std::hex << colour;
    // Matching alone would give the middle grey 9 of every 20 columns; mixing spreads it out.
    const Census census = std::get<Census>(TakeRefinedCensus(image, {}, options));
    int kinds = 0;
    for (int x = 10; x < 30; x += 4) {
        std::map<TColor, int> column;
        for (int y = 0; y < 6; ++y)
            ++column[census.ColorAt(x, y)];
        kinds += static_cast<int>(column.size());
    }
    EXPECT_GT(kinds, 5);
    // The clean would undo the scattered stitches: asked for beside the dither, it is not run.
    options.clean = true;
    EXPECT_EQ(std::get<Census>(TakeRefinedCensus(image, {}, options)).stitches, census.stitches);
}

// Near-greys 124 to 133 all lie nearest thread 110 and far below 255: the colours kept for a dither
// must take one lighter than the picture too (white), or no mixture keeps its lightness.
TEST(TakeRefinedCensus, DitherKeepsColoursThatSurroundThePicture) {
    TImage image;
    GivePicture(image, 40, 20, [](int x, int) { return RGB(124 + 3 * (x / 10), 124, 124); });
    MakeOptions options;
    options.snapColours = {RGB(0, 0, 0), RGB(60, 60, 60), RGB(110, 110, 110), RGB(255, 255, 255)};
    options.maxColours = 2;
    options.dither = true;
    const Census census = std::get<Census>(TakeRefinedCensus(image, {}, options));
    double picture = 0.0;
    double chart = 0.0;
    for (int y = 0; y < census.height; ++y) {
        for (int x = 0; x < census.width; ++x) {
            picture += LinearOf(static_cast<std::uint8_t>(124 + 3 * (x / 10)));
            chart += LinearOf(RedOf(census.ColorAt(x, y)));
        }
    }
    // Snapped, the chart would keep 0.72 of the picture's light; a little is lost at the edges.
    EXPECT_GT(chart / picture, 0.85);
    EXPECT_GT(CensusCounts(census).count(clWhite), 0u);
}

TEST(AssessStitchability, CountsWhatMakesAChartHardToStitch) {
    // W is blank fabric; A and its near twin N (under 3 apart) and B are threads.
    const TColor W = clWhite;
    const TColor A = RGB(200, 60, 60);
    const TColor N = RGB(203, 61, 60);
    Census census{5, 3, {{W, 0}, {N, 0}, {A, 0}, {B, 0}}, {}, {}};
    // Row by row:  W W A A N      isolated: the lone N and the lone B (never the lone W)
    //              A A A W W      changes:  2 + 1 + 4 = 7
    //              W A W B W
    census.stitches = {0, 0, 2, 2, 1, 2, 2, 2, 0, 0, 0, 2, 0, 3, 0};
    std::vector<std::pair<int, int>> asked;
    const StitchabilityReport report = AssessStitchability(census, [&](int first, int second) {
        asked.emplace_back(first, second);
        return first == 1 && second == 3;
    });
    EXPECT_EQ(report.stitches, 15);
    EXPECT_EQ(report.isolatedStitches, 2);
    EXPECT_EQ(report.colourChanges, 7);
    EXPECT_DOUBLE_EQ(report.ChangesPerRow(), 7.0 / 3.0);
    ASSERT_EQ(report.closeColours.size(), 1u);
    EXPECT_EQ(report.closeColours[0].first, 1);
    EXPECT_EQ(report.closeColours[0].second, 2);
    EXPECT_EQ(report.alikeSymbols, (std::vector<SymbolPair>{{1, 3}}));
    // White has no symbol to confuse.
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}, {2, 3}}));
}

TEST(SymbolsAlikeOnSheet, TellsShapesApartButNotANearTwin) {
    TBitmap sheet;
    sheet.SetWidth(kSymbolSheetWidth);
    sheet.SetHeight(kSymbolSheetHeight);
    const auto ink = [&](int symbol, int left, int top, int width, int height) {
        const TRect cell = SymbolCellRect(symbol);
        for (int y = top; y < top + height; ++y) {
            for (int x = left; x < left + width; ++x)
                sheet.SetPixel(cell.Left + x, cell.Top + y, clBlack);
        }
    };
    ink(1, 3, 3, 7, 7);  // a block
    ink(2, 3, 3, 7, 6);  // the block a row shorter
    ink(3, 2, 6, 9, 1);  // a bar
    const SymbolsAlike alike = SymbolsAlikeOnSheet(sheet);
    EXPECT_TRUE(alike(1, 2));
    EXPECT_FALSE(alike(1, 3));
    EXPECT_FALSE(alike(2, 3));
    EXPECT_FALSE(alike(1, kSymbolCount));
}

}  // namespace
}  // namespace brodix
