// The one road from a picture to its pattern, and the pattern's own operations.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "engine/Refine.h"
#include "engine_support.h"
#include "pattern/MakePattern.h"
#include "pattern/Pattern.h"
#include "raster/TImage.h"

namespace brodix {
namespace {

// A picture of 20 x 20 stitches in 400 colours, all different: refused unless reduced.
TColor ManyColours(int x, int y) {
    return RGB(x * 12, y * 12, (x * 7 + y * 3) % 256);
}

// Four flat colours and white, a quarter of the picture each (white the smallest).
TColor FlatColours(int x, int y) {
    if (x < 2 && y < 2)
        return clWhite;
    return x < 10 ? (y < 10 ? RGB(200, 0, 0) : RGB(0, 0, 200)) : RGB(0, 150, 0);
}

PatternRequest Request(bool photo, int maxColours = 0, int minStitches = 0) {
    PatternRequest request;
    request.photo = photo;
    request.settings.maxColours = maxColours;
    request.settings.minStitches = minStitches;
    // No catalogue is looked for: the test does not depend on the machine's data folders.
    request.defaultCatalogue = false;
    request.pictureName = "/pictures/many.png";
    return request;
}

// A photograph refused for its colours takes the photo defaults, unless the user chose the
// colours; any other picture is refused as Make refuses it.
TEST(MakePattern, APhotographRefusedForItsColoursTakesThePhotoDefaults) {
    struct Case {
        bool photo;
        int maxColours, minStitches;
        bool made;
    };
    const Case cases[] = {
        {true, 0, 0, true},   {true, 0, 1, true},  // a least stitch count of 1 merges nothing: off
        {false, 0, 0, false}, {true, 300, 0, false}, {true, 40, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.photo) + " " + std::to_string(c.maxColours) + " " +
                     std::to_string(c.minStitches));
        TImage picture;
        testing::GivePicture(picture, 20, 20, ManyColours);
        const PatternResult result =
            MakePattern(picture, Request(c.photo, c.maxColours, c.minStitches));
        ASSERT_EQ(std::holds_alternative<MadePattern>(result), c.made);
        if (!c.made) {
            const PatternRefusal& refusal = std::get<PatternRefusal>(result);
            EXPECT_EQ(refusal.reason, PatternRefusal::Reason::TooManyColours);
            EXPECT_EQ(refusal.title, "BITMAP Color error");
            continue;
        }
        const MadePattern& made = std::get<MadePattern>(result);
        const bool defaults = c.maxColours == 0;
        EXPECT_EQ(made.photoDefaultsNote.empty(), !defaults);
        const threads::PatternSettings& settings = made.pattern.Settings();
        EXPECT_EQ(settings.maxColours, defaults ? kPhotoColourBudget : c.maxColours);
        EXPECT_EQ(settings.clean, defaults);
        EXPECT_EQ(settings.minStitches, c.minStitches);
        EXPECT_LE(made.pattern.Stitches().palette.size(),
                  static_cast<std::size_t>(settings.maxColours));
        EXPECT_EQ(made.pattern.PictureName(), "/pictures/many.png");
    }
}

// The road counts exactly what Make counts, with and without refining options.
TEST(MakePattern, CountsAsMakeCounts) {
    struct Case {
        LevelChoices levels;
        int maxColours;
        bool clean;
    };
    const Case cases[] = {{{}, 0, false}, {{1, 1, 1}, 0, false}, {{}, 12, true}, {{}, 0, true}};
    for (const Case& c : cases) {
        TImage picture;
        testing::GivePicture(picture, 20, 20, ManyColours);
        PatternRequest request = Request(false, c.maxColours);
        request.levels = c.levels;
        request.settings.clean = c.clean;
        const CensusResult expected =
            TakeRefinedCensus(picture, c.levels, threads::MakeOptionsOf(request.settings));
        const PatternResult result = MakePattern(picture, request);
        ASSERT_EQ(std::holds_alternative<Census>(expected),
                  std::holds_alternative<MadePattern>(result));
        if (const auto* census = std::get_if<Census>(&expected)) {
            const Census& made = std::get<MadePattern>(result).pattern.Stitches();
            EXPECT_EQ(made.palette, census->palette);
            EXPECT_EQ(made.stitches, census->stitches);
        }
    }
}

// The window's chart refuses a picture wider than its limit with Make's message; a pattern
// written without the chart takes it up to its own limit.
TEST(MakePattern, RefusesAPictureTooLargeForItsLimit) {
    struct Case {
        int width, limit;
        std::optional<PatternRefusal::Reason> refused;
    };
    const Case cases[] = {
        {kMaxStitchesPerSide, kMaxStitchesPerSide, std::nullopt},
        {kMaxStitchesPerSide + 1, kMaxStitchesPerSide, PatternRefusal::Reason::TooLarge},
        {kMaxStitchesPerSide + 1, kMaxPatternStitchesPerSide, std::nullopt},
        {kMaxPatternStitchesPerSide + 1, kMaxPatternStitchesPerSide,
         PatternRefusal::Reason::TooLargeForPattern},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        TImage picture;
        testing::GivePicture(picture, c.width, 1, [](int x, int) { return RGB(x % 2, 0, 0); });
        PatternRequest request = Request(false);
        request.maxStitchesPerSide = c.limit;
        const PatternResult result = MakePattern(picture, request);
        if (!c.refused) {
            ASSERT_TRUE(std::holds_alternative<MadePattern>(result));
            EXPECT_EQ(std::get<MadePattern>(result).pattern.Width(), c.width);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<PatternRefusal>(result));
        const PatternRefusal& refusal = std::get<PatternRefusal>(result);
        EXPECT_EQ(refusal.reason, *c.refused);
        EXPECT_EQ(refusal.width, c.width);
        EXPECT_EQ(refusal.title.empty(), refusal.reason != PatternRefusal::Reason::TooLarge);
    }
}

Pattern FlatPattern(const threads::PatternSettings& settings) {
    TImage picture;
    testing::GivePicture(picture, 20, 20, FlatColours);
    PatternRequest request = Request(false);
    request.settings = settings;
    return std::get<MadePattern>(MakePattern(picture, request)).pattern;
}

// Each colour draws the sheet's cell of its palette index; where it is printed, the most
// stitched colour takes the lightest symbol and white, left as fabric, none. Stitching white
// gives it a symbol and a key row of its own, and changes no stitch.
TEST(Pattern, KeepsEachColoursSymbolsAndFollowsTheChoicesThatChangeNoStitch) {
    Pattern pattern = FlatPattern({});
    const Census stitches = pattern.Stitches();
    ASSERT_EQ(pattern.Colours().size(), 4u);
    ASSERT_EQ(pattern.Colour(0).colour, clWhite);
    EXPECT_TRUE(pattern.Colour(0).blank);
    EXPECT_EQ(pattern.Colour(0).printedSymbol, kNoSymbol);
    EXPECT_TRUE(pattern.Key().Row(0).blank);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(pattern.Colour(k).sheetSymbol, k);
    // Green covers half the picture: the light mark, symbol 0; red and blue share the rest.
    int green = 0;
    while (pattern.Colour(green).colour != RGB(0, 150, 0))
        ++green;
    EXPECT_EQ(pattern.Colour(green).printedSymbol, 0);

    threads::PatternSettings settings = pattern.Settings();
    settings.stitchWhite = true;
    settings.floss.strands = 3;
    settings.maxColours = 2;  // refining: kept as the pattern was made
    pattern.ChangeChoices(settings);
    EXPECT_FALSE(pattern.Colour(0).blank);
    EXPECT_NE(pattern.Colour(0).printedSymbol, kNoSymbol);
    EXPECT_FALSE(pattern.Key().Row(0).blank);
    EXPECT_EQ(pattern.Key().Row(0).stitches, 4);
    EXPECT_EQ(pattern.Key().floss.strands, 3);
    EXPECT_EQ(pattern.Settings().maxColours, 0);
    EXPECT_EQ(pattern.Stitches().stitches, stitches.stitches);
    // Every colour still has a symbol of its own.
    std::vector<int> printed;
    for (const PatternColour& colour : pattern.Colours())
        printed.push_back(colour.printedSymbol);
    std::sort(printed.begin(), printed.end());
    EXPECT_EQ(std::adjacent_find(printed.begin(), printed.end()), printed.end());
}

}  // namespace
}  // namespace brodix
