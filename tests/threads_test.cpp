// Thread catalogues, matching palette colours to threads, the floss estimate and the key.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "engine/SymbolSheet.h"
#include "engine_support.h"
#include "test_files.h"
#include "threads/Floss.h"
#include "threads/KeyBuilder.h"
#include "threads/PatternSettings.h"
#include "threads/ThreadCatalogue.h"

namespace brodix::threads {
namespace {

using brodix::testing::TempDir;

const std::string kSchemes = "/usr/share/kxstitch/schemes/";

void WriteText(const std::string& path, const std::string& text) {
    brodix::testing::WriteFileBytes(path, {text.begin(), text.end()});
}

TEST(ThreadCatalogue, ReadsTheInstalledCatalogues) {
    struct Case {
        const char* file;
        const char* title;
        std::size_t threads;
    };
    const Case cases[] = {
        {"dmc.xml", "DMC", 454}, {"anchor.xml", "Anchor", 445}, {"madeira.xml", "Madeira", 369}};
    for (const Case& c : cases) {
        const ThreadCatalogue catalogue = ReadCatalogue(kSchemes + c.file);
        EXPECT_EQ(catalogue.title, c.title);
        EXPECT_EQ(catalogue.threads.size(), c.threads);
        EXPECT_EQ(catalogue.matcher->Size(), static_cast<int>(c.threads));
    }
    const ThreadCatalogue dmc = ReadCatalogue(kSchemes + "dmc.xml");
    struct Known {
        TColor colour;
        const char* number;
    };
    for (const Known& k : {Known{clBlack, "310"}, Known{clWhite, "B5200"}}) {
        const ColourMatcher::Match match = dmc.matcher->Nearest(k.colour);
        EXPECT_EQ(dmc.ThreadAt(match.index).number, k.number);
        EXPECT_EQ(match.deltaE, 0.0);
    }
}

TEST(ThreadCatalogue, MalformedFilesNameTheFileAndLine) {
    struct Case {
        const char* name;
        const char* text;
        const char* message;  // after "Thread catalogue <path>"
    };
    const Case cases[] = {
        {"cut.xml", "<flossScheme>\n<title>T</title>\n<floss><name>1</name>\n",
         ", line 3: malformed XML"},
        {"nonumber.xml",
         "<flossScheme>\n<title>T</title>\n<floss><name> </name><color><red>1</red><green>2"
         "</green><blue>3</blue></color></floss>\n</flossScheme>",
         ", line 3: a thread has no number"},
        {"channel.xml",
         "<flossScheme>\n<title>T</title>\n\n<floss><name>7</name><color><red>256</red><green>2"
         "</green><blue>3</blue></color></floss>\n</flossScheme>",
         ", line 4: thread 7 has a colour channel '256' outside 0-255"},
        {"negative.xml",
         "<flossScheme>\n<floss><name>7</name><color><red>1</red><green>-1</green><blue>3"
         "</blue></color></floss>\n</flossScheme>",
         ", line 2: thread 7 has a colour channel '-1' outside 0-255"},
        {"nocolour.xml", "<flossScheme><floss><name>8</name></floss></flossScheme>",
         ", line 1: thread 8 has no value for a colour channel"},
        {"empty.xml", "<flossScheme><title>T</title></flossScheme>", ": holds no threads"},
        {"other.xml", "<palette/>", ": is no thread catalogue (no <flossScheme>)"},
        {"bad.gpl", "JASC-PAL\n", ", line 1: is no GIMP palette"},
        {"channel.gpl", "GIMP Palette\nName: X\n#\n0 300 0 12 Green\n",
         ", line 4: thread 12 has a colour channel '300' outside 0-255"},
        {"noname.gpl", "GIMP Palette\n1 2 3\n", ", line 2: a thread has no number"},
        {"empty.gpl", "GIMP Palette\nName: X\n", ": holds no threads"},
        {"twice.gpl", "GIMP Palette\n1 2 3 5 Red\n4 5 6 5 Blue\n",
         ": thread number 5 appears more than once"},
    };
    TempDir folder;
    for (const Case& c : cases) {
        const std::string path = folder / c.name;
        WriteText(path, c.text);
        try {
            ReadCatalogue(path);
            ADD_FAILURE() << c.name << " was read";
        } catch (const ECatalogueError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("Thread catalogue " + path + c.message, 0),
                      0u)
                << error.what();
        }
    }
    EXPECT_THROW(ReadCatalogue(folder / "missing.xml"), ECatalogueError);
    // A NUL byte is the catalogue's fault, told with its line, not a failed write later on.
    const std::string nul = folder / "nul.gpl";
    WriteText(nul, std::string("GIMP Palette\n1 2 3 5 Re\0d\n", 24));
    try {
        ReadCatalogue(nul);
        ADD_FAILURE() << "read";
    } catch (const ECatalogueError& error) {
        EXPECT_EQ(std::string(error.what()), "Thread catalogue " + nul +
                                                 ", line 2: holds a NUL byte, which no catalogue "
                                                 "text may hold");
    }
}

TEST(ThreadCatalogue, FindsCataloguesInTheDataFoldersAndChoosesByTitleOrPath) {
    TempDir home;
    std::filesystem::create_directories(home / "brodix/threads");
    WriteText(home / "brodix/threads/mine.gpl",
              "GIMP Palette\nName: Mine\nColumns: 4\n# comment\n 10  20  30 A1 Deep blue\n"
              "250 250 250 A2\n");
    // A second catalogue titled DMC in an earlier folder wins over the installed one.
    WriteText(home / "brodix/threads/dmc.gpl", "GIMP Palette\nName: dmc\n0 0 0 310 Black\n");
    WriteText(home / "brodix/threads/broken.xml", "<flossScheme>");
    // Listing reads only the head: a file whose head names it is listed, but choosing its title
    // reads the first of that title that reads whole.
    std::filesystem::create_directories(home / "kxstitch/schemes");
    WriteText(home / "kxstitch/schemes/mine.gpl", "GIMP Palette\nName: Mine\n1 2 3\n");
    const std::vector<std::string> folders = {home / "kxstitch/schemes", home / "brodix/threads",
                                              "/usr/share/kxstitch/schemes"};
    std::vector<std::string> titles;
    for (const CatalogueFile& file : FindCatalogues(folders))
        titles.push_back(file.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Mine", "dmc", "Anchor", "Madeira"}));

    const ThreadCatalogue mine = ChooseCatalogue("MINE", folders);
    ASSERT_EQ(mine.threads.size(), 2u);
    EXPECT_EQ(mine.threads[0].number, "A1");
    EXPECT_EQ(mine.threads[0].name, "Deep blue");
    EXPECT_EQ(mine.threads[0].color, RGB(10, 20, 30));
    EXPECT_EQ(ChooseCatalogue(kSchemes + "anchor.xml", folders).threads.size(), 445u);
    try {
        ChooseCatalogue("Sullivans", folders);
        ADD_FAILURE();
    } catch (const ECatalogueError& error) {
        EXPECT_STREQ(error.what(),
                     "No thread catalogue 'Sullivans'; found: Mine, dmc, Anchor, "
                     "Madeira");
    }

    setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
    // Relative entries are ignored: a folder named "here" would be wherever the program runs.
    setenv("XDG_DATA_DIRS", "/a:here:/b/", 1);
    EXPECT_EQ(CatalogueFolders(),
              (std::vector<std::string>{home / "kxstitch/schemes", home / "brodix/threads",
                                        "/a/kxstitch/schemes", "/a/brodix/threads",
                                        "/b//kxstitch/schemes", "/b//brodix/threads"}));
    setenv("XDG_DATA_HOME", "here", 1);
    EXPECT_EQ(CatalogueFolders().front(),
              std::string(std::getenv("HOME")) + "/.local/share/kxstitch/schemes");
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_DATA_DIRS");
}

TEST(Floss, EstimatesMetresAndRoundsSkeinsUp) {
    const FlossModel standard;  // 14 count, 2 strands
    // 4.828 x 25.4 mm / 14 x 1.25 x 2 / 6 = 3.650 mm of floss a stitch.
    EXPECT_NEAR(FlossMetres(1000, standard), 3.650, 0.001);
    EXPECT_NEAR(FlossMetres(1000, {18.0, 3}), 3.650 * 14 / 18 * 1.5, 0.001);
    EXPECT_EQ(FlossMetres(0, standard), 0.0);
    EXPECT_EQ(Skeins(0.0), 0);
    EXPECT_EQ(Skeins(0.01), 1);
    EXPECT_EQ(Skeins(8.0), 1);
    EXPECT_EQ(Skeins(8.001), 2);
    EXPECT_NE(FlossModelText(standard).find("14-count fabric with 2 strands"), std::string::npos);
}

TEST(Floss, FinishedSizeAndFabricToCutInCentimetresAndInches) {
    // 120 x 80 stitches on 14 count: 8.571 x 5.714 in, 21.77 x 14.51 cm; 2 in more each side
    // to cut: 12.571 x 9.714 in, 31.93 x 24.67 cm. On 14.5 count: 8.276 x 5.517 in.
    EXPECT_EQ(FinishedSizeText(120, 80, 14),
              "Finished size on 14-count fabric: 21.8 x 14.5 cm (8.6 x 5.7 in)");
    EXPECT_EQ(FabricToCutText(120, 80, 14),
              "Fabric to cut, with 5 cm (2 in) to spare each side: 31.9 x 24.7 cm (12.6 x 9.7 in)");
    EXPECT_EQ(FinishedSizeText(120, 80, 14.5),
              "Finished size on 14.5-count fabric: 21.0 x 14.0 cm (8.3 x 5.5 in)");
    EXPECT_EQ(FabricToCutText(120, 80, 0), "");
}

TEST(PatternKey, MatchesEachColourAndNamesRowsSharingAThread) {
    Census census;
    census.width = 4;
    census.height = 1;
    // Two near-blacks match DMC 310 both; the white, stitched, matches B5200.
    census.palette = {{clWhite, 1}, {RGB(3, 2, 2), 2}, {clBlack, 1}};
    const ThreadCatalogue dmc = ReadCatalogue(kSchemes + "dmc.xml");
    const PatternKey key = BuildPatternKey(census, &dmc, FlossModel{}, true);
    EXPECT_EQ(key.catalogueTitle, "DMC");
    ASSERT_EQ(key.rows.size(), 3u);
    EXPECT_EQ(key.rows[0].thread.number, "B5200");
    EXPECT_EQ(key.rows[1].thread.number, "310");
    EXPECT_GT(key.rows[1].deltaE, 0.0);
    EXPECT_EQ(key.rows[2].thread.number, "310");
    EXPECT_EQ(SameThreadNote(key.rows[1]), "= symbol 3");
    EXPECT_EQ(SameThreadNote(key.rows[2]), "= symbol 2");
    EXPECT_EQ(SameThreadNote(key.rows[0]), "");
    ASSERT_EQ(key.threads.size(), 2u);
    EXPECT_EQ(key.threads[1].symbols, (std::vector<int>{1, 2}));
    EXPECT_EQ(key.threads[1].stitches, 3);
    EXPECT_EQ(RowTooltip(key.rows[2]), "310 Black\nΔE00 0.0\n1 stitch, 1 skein\n= symbol 2");

    const std::string csv = KeyCsv(key);
    EXPECT_NE(csv.find("\n3,#000000,310,Black,0.00,1,0.00,1,2\n"), std::string::npos) << csv;
    const std::string table = KeyTable(key);
    EXPECT_NE(table.find("Total: 4 stitches, 0.01 m, 2 skeins of 2 threads\n" +
                         std::string(kTotalsNote) + "\n"),
              std::string::npos)
        << table;
    // Each row's number with its symbol's character, as text shows the symbol.
    EXPECT_NE(table.find("\n     3 " + SymbolText(2) + "  #000000  310"), std::string::npos)
        << table;

    const PatternKey bare = BuildPatternKey(census, nullptr, FlossModel{}, true);
    EXPECT_TRUE(bare.catalogueTitle.empty());
    EXPECT_FALSE(bare.rows[1].hasThread);
    EXPECT_TRUE(bare.threads.empty());
    EXPECT_NE(KeyCsv(bare).find("\n1,#FFFFFF,,,,1,0.00,1,\n"), std::string::npos) << KeyCsv(bare);
    EXPECT_EQ(bare.totals.skeins, 3);  // one per colour without threads
}

TEST(PatternSettings, SnapNeedsACatalogueAndTheKeyFollowsTheFloss) {
    Census census;
    census.palette = {{clWhite, 300}, {RGB(3, 2, 2), 300}, {clBlack, 300}};
    PatternSettings settings;
    settings.snap = true;
    settings.clean = true;
    settings.minStitches = 4;
    settings.maxColours = 9;
    settings.floss = {18.0, 3};
    const MakeOptions bare = MakeOptionsOf(settings);
    EXPECT_TRUE(bare.snapColours.empty());
    EXPECT_TRUE(bare.clean);
    EXPECT_EQ(bare.minStitches, 4);
    EXPECT_EQ(bare.maxColours, 9);
    EXPECT_FALSE(KeyOf(census, settings).rows[0].hasThread);

    settings.catalogue = ReadCatalogue(kSchemes + "dmc.xml");
    EXPECT_EQ(MakeOptionsOf(settings).snapColours.size(), 454u);
    const PatternKey key = KeyOf(census, settings);
    EXPECT_EQ(key.catalogueTitle, "DMC");
    EXPECT_EQ(key.floss.strands, 3);
    // 600 stitches of 310 on 18-count with 3 strands: 600 x 4.83 x 2.54 / 18 cm x 3 / 6 x 1.25
    // = 2.55 m, one skein. White is bare fabric: no thread, no floss, no stitches.
    ASSERT_EQ(key.threads.size(), 1u);
    EXPECT_NEAR(key.threads[0].metres, 2.55, 0.01);
    EXPECT_EQ(key.totals.skeins, 1);
    EXPECT_EQ(key.totals.stitches, 600);
    EXPECT_TRUE(key.rows[0].blank);
    EXPECT_FALSE(key.rows[0].hasThread);
    EXPECT_EQ(RowTooltip(key.rows[0]), "blank: not stitched");
    EXPECT_NE(KeyCsv(key).find("\n1,#FFFFFF,,blank: not stitched,,0,0.00,0,\n"), std::string::npos)
        << KeyCsv(key);

    // Stitched, white has its thread (B5200) and one more skein.
    settings.stitchWhite = true;
    const PatternKey stitched = KeyOf(census, settings);
    EXPECT_FALSE(stitched.rows[0].blank);
    EXPECT_EQ(stitched.rows[0].thread.number, "B5200");
    EXPECT_EQ(stitched.totals.skeins, 2);
    EXPECT_EQ(stitched.totals.stitches, 900);
}

// A least stitch count of 1 merges nothing: off for Make and for the photo defaults alike, so
// a photograph of more colours than a chart takes gets them instead of being refused.
TEST(PatternSettings, OffMeansTheSameToMakeAndToThePhotoDefaults) {
    struct Case {
        int minStitches;
        int maxColours;
        bool chooses;
    };
    for (const Case& c :
         {Case{0, 0, false}, Case{1, 0, false}, Case{2, 0, true}, Case{1, 1, true}}) {
        PatternSettings settings;
        settings.minStitches = c.minStitches;
        settings.maxColours = c.maxColours;
        SCOPED_TRACE(c.minStitches);
        EXPECT_EQ(settings.ChoosesColours(), c.chooses);
        EXPECT_EQ(MakeOptionsOf(settings).Any(), c.chooses);
    }
}

// A tiny amount of floss is never shown as none.
TEST(PatternKey, MetresTextNeverRoundsFlossAwayToNothing) {
    const struct {
        double metres;
        int decimals;
        const char* text;
    } cases[] = {{0.0, 1, "0.0"},
                 {0.049, 1, "< 0.1"},
                 {0.06, 1, "0.1"},
                 {0.004, 2, "< 0.01"},
                 {3.456, 2, "3.46"}};
    for (const auto& c : cases)
        EXPECT_EQ(MetresText(c.metres, c.decimals), c.text) << c.metres;
}

// The table's columns line up by the characters shown: a name with U+2011 (three bytes) is
// padded as one character.
TEST(PatternKey, TableAlignsNamesByCharactersNotBytes) {
    Census census;
    census.palette = {{RGB(10, 20, 30), 5}, {RGB(40, 50, 60), 7}};
    PatternKey key = BuildPatternKey(census, nullptr, FlossModel{});
    for (KeyRow& row : key.rows)
        row.hasThread = true;
    key.rows[0].thread = {"947", "Orange\u2011Red Bright", 0};
    key.rows[1].thread = {"946", "Orange-Red Bright", 0};
    const std::string table = KeyTable(key);
    const auto column = [&table](const std::string& stitches) {
        const std::size_t at = table.find(stitches);
        const std::size_t line = table.rfind('\n', at) + 1;
        std::size_t shown = 0;
        for (std::size_t i = line; i < at; ++i)
            shown += (static_cast<unsigned char>(table[i]) & 0xC0) != 0x80;
        return shown;
    };
    EXPECT_EQ(column("       5  "), column("       7  ")) << table;
}

TEST(PatternKey, CatalogueTextReachesNeitherASpreadsheetNorATerminalAsCode) {
    const ThreadCatalogue catalogue =
        ParseCatalogue("evil.gpl",
                       "GIMP Palette\nName: E\x1b[2J\n0 0 0 =1+1 @SUM(A1) x\x1b]0;t\x07\xc2\x9b\n"
                       "255 255 255 -2 +cmd|' /C calc'!A0\n");
    Census census;
    census.width = 2;
    census.height = 1;
    census.palette = {{clWhite, 1}, {clBlack, 1}};
    // White stitched, so that its row shows the catalogue's text too.
    const PatternKey key = BuildPatternKey(census, &catalogue, FlossModel{}, true);
    const std::string csv = KeyCsv(key);
    EXPECT_NE(csv.find(",\"'-2\",\"'+cmd|' /C calc'!A0\","), std::string::npos) << csv;
    EXPECT_NE(csv.find(",\"'=1+1\",\"'@SUM(A1) x?]0;t??\","), std::string::npos) << csv;
    const std::string table = KeyTable(key);
    EXPECT_NE(table.find("Threads: E?[2J\n"), std::string::npos) << table;
    EXPECT_NE(table.find("@SUM(A1) x?]0;t??"), std::string::npos) << table;
    for (const std::string& text : {csv, table})
        EXPECT_EQ(std::count_if(text.begin(), text.end(),
                                [](unsigned char c) { return c < 0x20 && c != '\n'; }),
                  0);
}

}  // namespace
}  // namespace brodix::threads
