// brodix-chart's command line read in-process: what each option sets, every refusal with the
// reason it gives, the names it writes under, the usage line and --help.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "batch/CommandLine.h"
#include "batch/OptionTable.h"
#include "raster/Color.h"

namespace brodix {
namespace {

using Arguments = std::vector<std::string>;

// The reason the command line is refused with, or "" when it is taken.
std::string RefusalOf(const Arguments& arguments) {
    try {
        ParseCommandLine(arguments);
    } catch (const UsageError& error) {
        return error.what();
    }
    return "";
}

// Each refusal is held to its own reason, so that no other check answers for it.
TEST(BatchOptions, EveryWrongCommandLineIsRefusedWithItsReason) {
    struct Case {
        Arguments arguments;
        std::string reason;  // a part of UsageError::what()
    };
    const Case cases[] = {
        // What is given where.
        {{}, "PICTURE and NAME are both needed"},
        {{"pic.bmp"}, "PICTURE and NAME are both needed"},
        {{"--snap", "pic.bmp"}, "PICTURE and NAME are both needed"},
        {{"--paper", "a4", "pic.bmp"}, "PICTURE and NAME are both needed"},
        {{"--pdf", "x.pdf"}, "PICTURE is needed"},
        {{"pic.bmp", "a", "b"}, "unexpected argument 'b'"},
        {{"--bogus", "pic.bmp", "a"}, "unknown option '--bogus'"},
        {{"--snap=yes", "pic.bmp", "a"}, "unknown option '--snap'"},
        {{"--help=me"}, "unknown option '--help'"},
        {{"pic.bmp", "a", "--blue"}, "--blue needs a value"},
        // Each option once.
        {{"--red", "4", "--red=6", "pic.bmp", "a"}, "--red is given twice"},
        {{"--null", "-z", "pic.bmp", "a"}, "--null (-z) is given twice"},
        {{"--snap", "--snap", "pic.bmp", "a"}, "--snap is given twice"},
        {{"--pdf", "a.pdf", "--pdf", "b.pdf", "pic.bmp"}, "--pdf is given twice"},
        // Names of files, not of folders.
        {{"pic.bmp", "out/"}, "NAME 'out/' names a folder, not a file"},
        {{"pic.bmp", ""}, "NAME '' names a folder, not a file"},
        {{"--pdf", "out/", "pic.bmp"}, "--pdf 'out/' names a folder, not a file"},
        {{"--oxs", "out/", "part.xml"}, "--oxs 'out/' names a folder, not a file"},
        // Values out of their range or of no kind the option knows.
        {{"--red", "5", "pic.bmp", "a"}, "unknown level '5' for --red"},
        {{"--key=", "pic.bmp"}, "unknown key format ''"},
        {{"--key=xml", "pic.bmp"}, "unknown key format 'xml'"},
        {{"--paper", "a3", "--pdf", "x.pdf", "pic.bmp"}, "unknown paper 'a3'"},
        {{"--chart-style", "pastel", "--pdf", "x.pdf", "pic.bmp"}, "unknown style 'pastel'"},
        {{"--strands", "7", "pic.bmp", "a"}, "--strands needs a whole number from 1 to 6"},
        {{"--strands", "+2", "pic.bmp", "a"}, "--strands needs a whole number"},
        {{"--max-colours", "256", "pic.bmp", "a"},
         "--max-colours needs a whole number from 0 to 255"},
        {{"--min-stitches", "-2", "pic.bmp", "a"}, "--min-stitches needs a whole number"},
        {{"--fabric", "0", "pic.bmp", "a"}, "--fabric needs stitches per inch"},
        {{"--fabric", "14x", "pic.bmp", "a"}, "not '14x'"},
        {{"--fabric", "0x10", "pic.bmp", "a"}, "not '0x10'"},
        {{"--fabric", "1e1", "pic.bmp", "a"}, "not '1e1'"},
        {{"--fabric", " 14", "pic.bmp", "a"}, "not ' 14'"},
        {{"--fabric", "14.", "pic.bmp", "a"}, "not '14.'"},
        {{"--fit", "0", "note.png", "rose"}, "--fit '0' is no size"},
        {{"--fit", "3x", "note.png", "rose"}, "--fit '3x' is no size"},
        {{"--fit=x4", "note.png", "rose"}, "--fit 'x4' is no size"},
        {{"--fit", "1001", "--pdf", "p.pdf", "wide.png"}, "each 1 to 1000"},
        {{"--fit", "201x10", "wide.png", "out"}, "leave out NAME to write the pattern"},
        {{"--background", "12345", "note.png", "rose"}, "--background '12345' is no colour"},
        {{"--background", "GG0000", "note.png", "rose"}, "--background 'GG0000' is no colour"},
        {{"--fabric-colour", "FFF", "--preview", "p.png", "pic.bmp"},
         "--fabric-colour 'FFF' is no colour (use RRGGBB)"},
        {{"--preview-size", "1", "--preview", "p.png", "pic.bmp"},
         "--preview-size needs a whole number from 2 to 32, not '1'"},
        {{"--preview-size", "33", "--preview", "p.png", "pic.bmp"}, "not '33'"},
        {{"--preview-size", "+8", "--preview", "p.png", "pic.bmp"}, "not '+8'"},
        {{"--preview", "out/", "pic.bmp"}, "--preview 'out/' names a folder, not a file"},
        {{"--preview", "", "pic.bmp"}, "--preview needs a file name"},
    };
    for (const Case& c : cases) {
        EXPECT_NE(RefusalOf(c.arguments).find(c.reason), std::string::npos)
            << ::testing::PrintToString(c.arguments) << " gave '" << RefusalOf(c.arguments) << "'";
    }
    // An option given twice is named with its alias, whichever way it was typed.
    EXPECT_EQ(RefusalOf({"-z", "--red", "4", "--null", "pic.bmp", "a"}),
              "--null (-z) is given twice; give each option once");
}

TEST(BatchOptions, EachOptionSetsWhatItAsks) {
    struct Case {
        Arguments arguments;
        std::function<bool(const BatchOptions&)> holds;
        const char* what;
    };
    const Case cases[] = {
        {{"--red", "4", "pic.bmp", "rose"},
         [](const BatchOptions& o) {
             return o.levels.red == 1 && o.levels.green == 0 && o.levels.blue == 0 &&
                    o.picture == "pic.bmp" && o.name == "rose";
         },
         "one level, the others exact"},
        {{"--red=Org", "--green=4", "--blue", "6", "pic.bmp", "rose"},
         [](const BatchOptions& o) {
             return o.levels.red == 0 && o.levels.green == 1 && o.levels.blue == 2;
         },
         "levels with '=' or after a blank, in any letter case"},
        {{"--green", "16", "--blue", "18", "pic.bmp", "rose"},
         [](const BatchOptions& o) { return o.levels.green == 3 && o.levels.blue == 4; },
         "the two finest levels"},
        {{"--fit", "120x80", "--background", "00FF00", "photo.png", "rose"},
         [](const BatchOptions& o) {
             return o.photo.fit == StitchSize{120, 80} && o.photo.background == RGB(0, 255, 0);
         },
         "fit and background"},
        {{"--fit=50", "photo.png", "rose"},
         [](const BatchOptions& o) {
             return o.photo.fit == StitchSize{50, 50};
         },
         "one side fits a square"},
        {{"--fit", "1000X7", "--oxs", "p.oxs", "photo.png"},
         [](const BatchOptions& o) {
             return o.photo.fit == StitchSize{1000, 7} && o.name.empty();
         },
         "the pattern alone up to its own limit, X in capitals"},
        {{"--fabric", "14.5", "--strands", "3", "--max-colours", "255", "--min-stitches", "4",
          "pic.bmp", "a"},
         [](const BatchOptions& o) {
             return o.pattern.floss.fabricCount == 14.5 && o.pattern.floss.strands == 3 &&
                    o.pattern.maxColours == 255 && o.pattern.minStitches == 4;
         },
         "the floss and the colour budget"},
        {{"--key", "pic.bmp"},
         [](const BatchOptions& o) { return o.key == KeyFormat::Table && o.name.empty(); },
         "the key alone, as a table"},
        {{"--key=csv", "pic.bmp"},
         [](const BatchOptions& o) { return o.key == KeyFormat::Csv; },
         "the key as CSV"},
        {{"--paper", "Letter", "--chart-style=tint", "--pdf=b.pdf", "pic.bmp", "b"},
         [](const BatchOptions& o) {
             return o.pdf == "b.pdf" && o.pattern.paper == threads::Paper::Letter &&
                    o.pattern.chartStyle == threads::ChartStyle::Tint;
         },
         "the PDF's paper and style"},
        {{"--preview", "p.png", "--preview-size=32", "--fabric-colour", "#f0e6d2", "pic.bmp"},
         [](const BatchOptions& o) {
             return o.preview == "p.png" && o.previewSize == 32 && o.name.empty() &&
                    o.pattern.fabricColour == RGB(0xF0, 0xE6, 0xD2);
         },
         "the stitched preview alone, its size and fabric"},
        {{"--preview", "p.png", "pic.bmp"},
         [](const BatchOptions& o) {
             return o.previewSize == 10 && o.pattern.fabricColour == RGB(255, 255, 255);
         },
         "the preview's defaults: 10 pixels a stitch on white"},
        {{"-z", "pic.bmp", "a"},
         [](const BatchOptions& o) { return o.nullEnds; },
         "the alias of --null"},
        {{"--", "-x.bmp", "-y"},
         [](const BatchOptions& o) { return o.picture == "-x.bmp" && o.name == "-y"; },
         "names after -- that start with '-'"},
        {{"pic.bmp", "a", "--version"},
         [](const BatchOptions& o) { return o.version; },
         "--version beside a picture and a name"},
        {{"--help", "--bogus"},
         [](const BatchOptions& o) { return o.help; },
         "--help before anything else is read"},
    };
    for (const Case& c : cases) {
        BatchOptions options;
        ASSERT_NO_THROW(options = ParseCommandLine(c.arguments)) << c.what;
        EXPECT_TRUE(c.holds(options)) << c.what;
    }
}

// The levels as typed on the command line, against the window's items.
TEST(BatchOptions, LevelsAreTheWindowsItemsInAnyCase) {
    const std::pair<const char*, int> cases[] = {{"org", 0}, {"ORG", 0}, {"4", 1},   {"6", 2},
                                                 {"16", 3},  {"18", 4},  {" 4", -1}, {"5", -1},
                                                 {"", -1},   {"04", -1}};
    for (const auto& [level, index] : cases)
        EXPECT_EQ(LevelIndex(level), index) << "'" << level << "'";
}

// As the window's save dialog hands them over: full, with ".bmp" added only when there is no
// extension.
TEST(BatchOptions, NamesAreCompletedAsTheSaveDialogDoes) {
    const std::string folder = std::filesystem::current_path().string();
    const std::pair<const char*, std::string> cases[] = {
        {"rose", folder + "/rose.bmp"},
        {"rose.jpg", folder + "/rose.jpg"},
        {"out/rose", folder + "/out/rose.bmp"},
        {"/tmp/rose", "/tmp/rose.bmp"},
    };
    for (const auto& [typed, full] : cases)
        EXPECT_EQ(SaveDialogName(typed), full) << typed;
    EXPECT_EQ(FullPath("a/b.pdf"), folder + "/a/b.pdf");
}

TEST(BatchOptions, UsageAndHelpNameEveryForm) {
    const std::string usage = UsageText();
    EXPECT_NE(usage.find("usage: brodix-chart"), std::string::npos) << usage;
    EXPECT_NE(usage.find("--pdf FILE"), std::string::npos) << usage;
    const std::string help = HelpText();
    for (const char* topic :
         {"--red LEVEL", "--symbols SHEET", "--version", "--null", "_CS11", "Exit status", "64",
          "--pdf FILE", "--paper a4|letter", "--chart-style bw|tint"}) {
        EXPECT_NE(help.find(topic), std::string::npos) << topic;
    }
}

}  // namespace
}  // namespace brodix
