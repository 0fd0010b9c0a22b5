// The pattern written in the exchange format of cross-stitch programs (OXS), and read back.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/SymbolSheet.h"
#include "engine/Workspace.h"
#include "engine_support.h"
#include "pattern/MakePattern.h"
#include "pattern/OxsReader.h"
#include "pattern/OxsWriter.h"
#include "pattern/Pattern.h"
#include "pattern/PatternEdits.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "test_files.h"
#include "threads/PatternSettings.h"
#include "threads/ThreadCatalogue.h"

namespace brodix {
namespace {

// Four threads, one with a name that XML must escape.
const char* const kCatalogue =
    "GIMP Palette\nName: DMC\n"
    "0 0 0 310 Black\n255 255 255 B5200 Snow White\n"
    "200 30 30 321 Red <&\"> Bright\n30 60 200 797 Royal Blue\n";

// 7 x 5 stitches of the catalogue's colours, white among them, in no regular order.
Census SmallCensus() {
    const TColor colours[] = {clBlack, clWhite, RGB(200, 30, 30), RGB(30, 60, 200)};
    std::vector<TColor> stitches;
    for (int i = 0; i < 7 * 5; ++i)
        stitches.push_back(colours[(i * 7 + i / 3) % 4]);
    return std::get<Census>(CountStitches(7, 5, stitches));
}

std::vector<TColor> PixelsOf(const TBitmap& picture) {
    std::vector<TColor> pixels;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x)
            pixels.push_back(picture.GetPixel(x, y));
    }
    return pixels;
}

std::span<const std::uint8_t> BytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(OxsWrite, ReadBackGivesTheSameChartAndTheKeysThreads) {
    const threads::ThreadCatalogue catalogue = threads::ParseCatalogue("dmc.gpl", kCatalogue);
    const Census census = SmallCensus();
    ASSERT_EQ(census.palette.size(), 4u);
    ASSERT_EQ(census.palette[0].color, clWhite);
    for (const bool threads : {true, false}) {
        for (const bool stitchWhite : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << "threads " << threads << ", white " << stitchWhite);
            threads::PatternSettings settings;
            if (threads)
                settings.catalogue = catalogue;
            settings.floss = {14.5, 3};
            settings.stitchWhite = stitchWhite;
            const Pattern pattern(census, settings, "/pictures/rose garden.bmp");
            const threads::PatternKey& key = pattern.Key();
            const std::string oxs = MakeOxs(pattern);

            const OxsPicture read = ReadOxs(BytesOf(oxs), "rose.oxs");
            EXPECT_EQ(read.message, "");
            const std::vector<TColor> pixels = PixelsOf(*read.picture);
            const Census again = std::get<Census>(CountStitches(7, 5, pixels));
            EXPECT_EQ(again.palette, census.palette);
            EXPECT_EQ(again.stitches, census.stitches);

            pugi::xml_document document;
            ASSERT_TRUE(document.load_string(oxs.c_str()));
            const pugi::xml_node chart = document.child("chart");
            const pugi::xml_node properties = chart.child("properties");
            EXPECT_STREQ(properties.attribute("oxsversion").value(), "1.0");
            EXPECT_STREQ(properties.attribute("software").value(), "Brodix");
            EXPECT_STREQ(properties.attribute("chartwidth").value(), "7");
            EXPECT_STREQ(properties.attribute("chartheight").value(), "5");
            EXPECT_STREQ(properties.attribute("charttitle").value(), "rose garden");
            EXPECT_STREQ(properties.attribute("stitchesperinch").value(), "14.5");
            const int first = stitchWhite ? 0 : 1;  // white is palette entry 0
            EXPECT_EQ(properties.attribute("palettecount").as_int(), 4 - first);

            std::vector<pugi::xml_node> items;
            for (const pugi::xml_node item : chart.child("palette").children("palette_item"))
                items.push_back(item);
            ASSERT_EQ(items.size(), 5u - first);
            EXPECT_STREQ(items[0].attribute("index").value(), "0");
            EXPECT_STREQ(items[0].attribute("color").value(), "FFFFFF");
            for (int k = first; k < 4; ++k) {
                const pugi::xml_node item = items[static_cast<std::size_t>(k - first + 1)];
                const threads::KeyRow& row = key.Row(k);
                EXPECT_EQ(item.attribute("index").as_int(), k - first + 1);
                EXPECT_EQ(item.attribute("number").value(),
                          threads ? "DMC " + row.thread.number : "#" + HexRgb(row.color));
                EXPECT_EQ(item.attribute("name").value(), threads ? row.thread.name : "");
                EXPECT_EQ(item.attribute("color").value(), HexRgb(census.palette[k].color));
                // By use: as many symbols go first as stitched colours have more stitches, or
                // as many and come first.
                int rank = 0;
                for (int other = first; other < 4; ++other) {
                    const int a = census.PaletteAt(other).count;
                    const int b = census.PaletteAt(k).count;
                    rank += a > b || (a == b && other < k);
                }
                EXPECT_EQ(item.attribute("symbol").as_uint(), SymbolCharacter(rank));
                EXPECT_STREQ(item.attribute("strands").value(), "3");
            }
            const auto stitches = chart.child("fullstitches").children("stitch");
            EXPECT_EQ(std::distance(stitches.begin(), stitches.end()),
                      7 * 5 - (stitchWhite ? 0 : census.palette[0].count));
            EXPECT_TRUE(chart.child("partstitches") && chart.child("backstitches"));
        }
    }
}

// Each palette item's attributes, in the file's order.
std::vector<std::vector<std::string>> PaletteOf(const std::string& oxs) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(oxs.c_str()));
    std::vector<std::vector<std::string>> items;
    for (const pugi::xml_node item :
         document.child("chart").child("palette").children("palette_item")) {
        items.emplace_back();
        for (const pugi::xml_attribute attribute : item.attributes())
            items.back().push_back(std::string(attribute.name()) + "=" + attribute.value());
    }
    return items;
}

// A chart opened at its own size as brodix-chart opens it, made, painted at (0, 0) with the
// colour of (1, 0) when paint, and written again.
std::string OpenedAndSaved(const std::string& oxs, const threads::PatternSettings& settings,
                           bool paint) {
    Workspace workspace;
    const PictureSource source{"rose.oxs", std::vector<std::uint8_t>(oxs.begin(), oxs.end())};
    const OpenedPicture opened = OpenPicture(workspace, source, PictureReader::Oxs, {});
    PatternRequest request;
    request.settings = settings;
    request.pictureName = "rose.oxs";
    request.title = workspace.PictureTitle();
    request.ownThreads = opened.ownThreads;
    PatternEditor editor(std::get<MadePattern>(MakePattern(workspace.picture, request)).pattern);
    if (paint) {
        const Census& census = editor.Document().Stitches();
        const TPoint at{0, 0};
        EXPECT_EQ(editor.Paint(std::span(&at, 1), census.stitches[1]), 1);
    }
    return MakeOxs(editor.Document());
}

TEST(OxsWrite, AChartsOwnThreadsAndSymbolsAreKeptThroughOpenAndSave) {
    threads::PatternSettings dmc;
    dmc.catalogue = threads::ParseCatalogue("dmc.gpl", kCatalogue);
    const std::string black = R"(number="DMC 310" name="Black")";
    const std::string anchor = R"(number="Anchor 403" name="Noir")";
    // The symbols of the second and third threads (as written), each for the other.
    const std::vector<std::pair<std::string, std::string>> swapped = {
        {"second", "@"}, {"third", "second"}, {"@", "third"}};
    struct Case {
        const char* what;
        bool catalogue;
        std::vector<std::pair<std::string, std::string>> replaced;
    };
    for (Case c : std::vector<Case>{
             {"the key's threads and symbols by use", true, {}},
             {"a thread of the catalogue that is not the nearest",
              true,
              {{black, R"(number="DMC 797" name="Royal Blue")"}}},
             {"a thread of another catalogue", true, {{black, anchor}}},
             {"symbols not by use", true, swapped},
             {"both", true, {{black, anchor}, swapped[0], swapped[1], swapped[2]}},
             {"threads of no catalogue chosen",
              false,
              {{R"(number="#000000" name="")", R"(number="310" name="Black")"},
               {R"(number="#C81E1E" name="")", anchor}}},
         }) {
        SCOPED_TRACE(c.what);
        const threads::PatternSettings settings = c.catalogue ? dmc : threads::PatternSettings{};
        std::string file = MakeOxs(Pattern(SmallCensus(), settings, "rose garden.bmp"));
        const std::vector<std::vector<std::string>> palette = PaletteOf(file);
        ASSERT_EQ(palette.size(), 4u);  // the cloth and three threads, white left as fabric
        ASSERT_EQ(palette[2][4].substr(0, 7), "symbol=");
        const auto symbol = [&](const std::string& which) {
            if (which != "second" && which != "third")
                return which;
            return R"(symbol=")" + palette[which == "second" ? 2 : 3][4].substr(7) + '"';
        };
        for (const auto& [from, to] : c.replaced) {
            const std::size_t at = file.find(symbol(from));
            ASSERT_NE(at, std::string::npos) << from;
            file.replace(at, symbol(from).size(), symbol(to));
        }
        EXPECT_EQ(OpenedAndSaved(file, settings, false), file);
        const std::string painted = OpenedAndSaved(file, settings, true);
        EXPECT_NE(painted, file);
        EXPECT_EQ(PaletteOf(painted), PaletteOf(file));
    }
}

// Every pixel of an image's picture, row by row.
std::vector<TColor> PixelsOf(TImage& image) {
    std::vector<TColor> pixels;
    for (int y = 0; y < image.Picture().Height(); ++y) {
        for (int x = 0; x < image.Picture().Width(); ++x)
            pixels.push_back(image.Canvas().Pixel(x, y));
    }
    return pixels;
}

// Make on a picture, as Load Picture and Make do in the window.
struct MadeChart {
    Workspace workspace;
    HeadlessControls controls;
    testing::RecordedMessages messages;
    Census census;

    explicit MadeChart(std::unique_ptr<TBitmap> picture) {
        workspace.LoadSymbolSheet(testing::BinFile(kSymbolSheetFileName));
        workspace.ReadBlankCell();
        workspace.TakePicture(std::move(picture), "chart.oxs");
        workspace.Make({}, controls.Captions(), messages, controls.Zoom(), {}, &census);
    }
};

TEST(OxsWrite, ChartingTheFileAgainGivesTheSameChartAndLegend) {
    TImage source;
    testing::GivePicture(source, 37, 23, [](int x, int y) {
        const int k = (x / 3 + y / 2 * 5) % 23;
        return k == 0 ? clWhite : RGB(k * 11, 255 - k * 7, (k * 53) % 256);
    });
    MadeChart first(std::make_unique<TBitmap>(source.Picture().Bitmap()));
    const Census& census = first.census;
    ASSERT_EQ(census.palette.size(), 23u);
    OxsPicture read = ReadOxs(BytesOf(MakeOxs(Pattern(census, {}, "quilt.bmp"))), "quilt.oxs");
    MadeChart again(std::move(read.picture));
    EXPECT_EQ(again.census.palette, census.palette);
    EXPECT_EQ(again.census.stitches, census.stitches);
    EXPECT_EQ(PixelsOf(again.workspace.chart), PixelsOf(first.workspace.chart));
    EXPECT_EQ(PixelsOf(again.workspace.legend), PixelsOf(first.workspace.legend));
    EXPECT_EQ(again.controls.colorCount.Text(), first.controls.colorCount.Text());
}

TEST(OxsWrite, SavesWholeOrNotAtAll) {
    const Pattern pattern(SmallCensus(), {}, "rose.bmp");
    testing::TempDir folder;
    SaveOxs(folder / "rose.oxs", pattern);
    const std::string expected = MakeOxs(pattern);
    EXPECT_EQ(testing::ReadFileBytes(folder / "rose.oxs"),
              testing::Bytes(expected.begin(), expected.end()));
    EXPECT_THROW(SaveOxs(folder / "missing/rose.oxs", pattern), EFCreateError);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"rose.oxs"});
}

}  // namespace
}  // namespace brodix
