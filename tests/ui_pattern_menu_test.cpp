// The context menu of the legend and the chart: thread catalogue, floss and the options that
// refine Make, driven through its entries as the user triggers them.
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QProcess>

#include <poppler-document.h>
#include <poppler-page.h>

#include "threads/PatternOptions.h"
#include "ui/ImageMenu.h"
#include "ui/PatternMenu.h"
#include "ui/PatternStore.h"
#include "ui/ScrollBox.h"
#include "ui_test_support.h"

namespace brodix {
namespace {

using testing::ProgramTest;

class PatternMenuTest : public ProgramTest {
  protected:
    // The entry reached by following texts through the menu and its submenus.
    QAction* Entry(QMenu& menu, const std::vector<QString>& path) {
        QMenu* at = &menu;
        for (std::size_t i = 0; i < path.size(); ++i) {
            QAction* found = nullptr;
            for (QAction* action : at->actions()) {
                if (action->text() == path[i])
                    found = action;
            }
            if (found == nullptr)
                return nullptr;
            if (i + 1 == path.size())
                return found;
            at = found->menu();
            if (at == nullptr)
                return nullptr;
        }
        return nullptr;
    }
    void Trigger(const std::vector<QString>& path) {
        QMenu menu;
        FillImageMenu(menu, Main());
        QAction* action = Entry(menu, path);
        ASSERT_NE(action, nullptr) << path.back().toStdString();
        ASSERT_TRUE(action->isEnabled()) << path.back().toStdString();
        action->trigger();
    }
};

TEST_F(PatternMenuTest, ThreadsGiveTheLegendRowsTheirTooltips) {
    Load(Picture("pic.bmp", 4, 3, [](int x, int) { return x < 2 ? clWhite : clBlack; }));
    PatternMenu& patterns = Main().Patterns();
    // Until a catalogue is chosen, the legend and the chart name the menu.
    EXPECT_NE(patterns.LegendTooltip(1).find("Right-click"), std::string::npos);
    EXPECT_EQ(Main().ScrollBox2->toolTip().toStdString(), patterns.ImageHint());

    QMenu menu;
    patterns.FillMenu(menu);
    for (const auto& path : std::vector<std::vector<QString>>{{"Threads", "None"},
                                                              {"Threads", "DMC"},
                                                              {"Threads", "Other file..."},
                                                              {"Fabric count", "14 count"},
                                                              {"Strands", "2"},
                                                              {"Merge rare colours", "Off"},
                                                              {"Colour budget", "Off"}}) {
        ASSERT_NE(Entry(menu, path), nullptr) << path.back().toStdString();
    }
    EXPECT_FALSE(Entry(menu, {"Snap to threads (choose Threads first)"})->isEnabled());
    EXPECT_TRUE(Entry(menu, {"Threads", "None"})->isChecked());

    Trigger({"Threads", "DMC"});
    ASSERT_TRUE(Main().PatternChoices().catalogue.has_value());
    EXPECT_EQ(patterns.LegendTooltip(1), "blank: not stitched");  // white is bare fabric
    Trigger({"Stitch white"});
    EXPECT_EQ(patterns.LegendTooltip(1), "B5200 Snow White\nΔE00 0.0\n6 stitches, 1 skein");
    EXPECT_EQ(patterns.LegendTooltip(16).rfind("310 Black\n", 0), 0u);
    EXPECT_EQ(patterns.LegendTooltip(31), "");  // below the last row
    EXPECT_TRUE(Main().ScrollBox2->toolTip().isEmpty());
    Trigger({"Strands", "6"});
    EXPECT_EQ(patterns.Key().floss.strands, 6);
    Trigger({"Threads", "None"});
    EXPECT_EQ(patterns.LegendTooltip(1), patterns.ImageHint());
    EXPECT_EQ(makes, 1);  // only the load ran Make: nothing here changes the chart
}

TEST_F(PatternMenuTest, RefiningChoicesRunMakeWhateverAutoMakeSays) {
    // 3 colours, one of them a single stitch in a corner.
    Load(Picture("pic.bmp", 6, 4, [](int x, int y) {
        if (x == 0 && y == 0)
            return RGB(250, 0, 0);
        return x < 3 ? RGB(10, 10, 10) : RGB(0, 0, 240);
    }));
    EXPECT_EQ(Main().L_ColorCount->text(), "3");
    ASSERT_FALSE(Main().CB_AUTO->isChecked());
    Trigger({"Clean stray stitches"});
    EXPECT_EQ(makes, 2);
    EXPECT_EQ(Main().L_ColorCount->text(), "2");

    Trigger({"Clean stray stitches"});
    EXPECT_EQ(Main().L_ColorCount->text(), "3");
    Trigger({"Colour budget", "At most 10 colours"});
    Trigger({"Merge rare colours", "Under 5 stitches"});
    EXPECT_EQ(Main().L_ColorCount->text(), "2");
    Trigger({"Threads", "DMC"});
    Trigger({"Snap to threads"});
    const int before = makes;
    EXPECT_FALSE(threads::MakeOptionsOf(Main().PatternChoices()).snapColours.empty());
    EXPECT_EQ(Main().Patterns().Key().rows.front().deltaE, 0.0);  // drawn in thread colours
    Trigger({"Threads", "None"});  // snapping stops with the catalogue
    EXPECT_EQ(makes, before + 1);
    EXPECT_TRUE(threads::MakeOptionsOf(Main().PatternChoices()).snapColours.empty());
}

TEST_F(PatternMenuTest, AnyColourBudgetDitherAndTheReport) {
    Load(Picture("pic.bmp", 6, 4, [](int x, int y) {
        if (x == 0 && y == 0)
            return RGB(250, 0, 0);
        return x < 3 ? RGB(10, 10, 10) : RGB(0, 0, 240);
    }));
    Main().CB_AUTO->setChecked(true);
    shell.numbers.push_back(2);
    Trigger({"Colour budget", "Other..."});
    EXPECT_EQ(Main().PatternChoices().maxColours, 2);
    EXPECT_EQ(Main().L_ColorCount->text(), "2");
    // A budget not listed shows under its own number; a cancelled dialog keeps it.
    const int before = makes;
    Trigger({"Colour budget", "At most 2 colours (other...)"});
    EXPECT_EQ(Main().PatternChoices().maxColours, 2);
    EXPECT_EQ(makes, before);

    Trigger({"Dither (for photographs)"});
    EXPECT_TRUE(threads::MakeOptionsOf(Main().PatternChoices()).dither);
    Trigger({"Report on the PDF Cover"});
    EXPECT_TRUE(Main().PatternChoices().report);
    Trigger({"Stitchability Report..."});
    ASSERT_EQ(shell.programMessages.size(), 1u);
    EXPECT_EQ(shell.programMessages[0].title, "Stitchability Report");
    EXPECT_NE(shell.programMessages[0].text.find("Stitches: 24 in 4 rows"), std::string::npos)
        << shell.programMessages[0].text;
}

// What is about the stitcher is remembered; what changes the pattern starts off at each run.
TEST_F(PatternMenuTest, StitcherChoicesAreRememberedPatternChoicesStartOffAndDmcComesFirst) {
    Trigger({"Threads", "DMC"});
    Trigger({"Snap to threads"});
    Trigger({"Strands", "3"});
    Trigger({"Stitch white"});
    Trigger({"Colour budget", "At most 20 colours"});
    Trigger({"Dither (for photographs)"});
    Trigger({"Merge rare colours", "Under 50 stitches"});
    Trigger({"Report on the PDF Cover"});
    Start();
    const threads::PatternSettings& kept = Main().PatternChoices();
    ASSERT_TRUE(kept.catalogue.has_value());
    EXPECT_EQ(kept.catalogue->title, "DMC");
    EXPECT_EQ(kept.floss.strands, 3);
    EXPECT_TRUE(kept.report);
    EXPECT_FALSE(kept.snap);
    EXPECT_FALSE(kept.stitchWhite);
    EXPECT_EQ(kept.maxColours, 0);
    EXPECT_EQ(kept.minStitches, 0);
    EXPECT_FALSE(kept.dither);
    EXPECT_EQ(Main().NoteText(), "");

    shell.settings.clear();
    Start();
    ASSERT_TRUE(Main().PatternChoices().catalogue.has_value());
    EXPECT_EQ(Main().PatternChoices().catalogue->title, "DMC");
}

// A remembered catalogue that is gone is said in the note at start, not silently dropped.
TEST_F(PatternMenuTest, AMissingRememberedCatalogueIsSaid) {
    shell.settings["pattern/threads"] = folder / "gone.xml";
    Start();
    EXPECT_FALSE(Main().PatternChoices().catalogue.has_value());
    const std::string note = Main().NoteText();
    EXPECT_EQ(note.rfind("The thread catalogue chosen last time could not be read (", 0), 0u)
        << note;
    EXPECT_NE(note.find("gone.xml"), std::string::npos) << note;
    EXPECT_NE(note.find("Choose one under Threads"), std::string::npos) << note;
}

TEST_F(PatternMenuTest, AnUnreadableCatalogueIsReportedAndTheChoiceStays) {
    const std::string bad = folder / "bad.xml";
    testing::WriteFileBytes(bad, {'<', 'x'});
    Trigger({"Threads", "DMC"});
    shell.Answer(bad);
    Trigger({"Threads", "Other file..."});
    ASSERT_EQ(shell.exceptionMessages.size(), 1u);
    EXPECT_EQ(shell.exceptionMessages[0].rfind("Thread catalogue " + bad + ", line 1: ", 0), 0u)
        << shell.exceptionMessages[0];
    ASSERT_TRUE(Main().PatternChoices().catalogue.has_value());
    EXPECT_EQ(Main().PatternChoices().catalogue->title, "DMC");
    EXPECT_EQ(shell.requests.back().filters.front().pattern, "*.xml *.gpl");
}

TEST_F(PatternMenuTest, ThePdfTakesThePaperAndChartStyleChosenBesideSavePdf) {
    Load(Picture("pic.bmp", 4, 3, [](int x, int) { return x < 2 ? clWhite : clBlack; }));
    QMenu menu;
    FillImageMenu(menu, Main());
    const QList<QAction*> entries = menu.actions();
    const auto at = [&](const QString& text) {
        return std::find_if(entries.begin(), entries.end(),
                            [&](QAction* a) { return a->text() == text; }) -
               entries.begin();
    };
    EXPECT_EQ(at("Open Any Picture..."), 0);
    EXPECT_EQ(at("PDF paper") + 1, at("PDF chart style"));
    EXPECT_EQ(at("PDF chart style") + 1, at("Save PDF..."));
    EXPECT_EQ(at("Save OXS..."), entries.size() - 1);
    EXPECT_TRUE(Entry(menu, {"PDF paper", "A4"})->isChecked());
    EXPECT_TRUE(Entry(menu, {"PDF chart style", "Black and white"})->isChecked());

    Trigger({"PDF paper", "US Letter"});
    Trigger({"PDF chart style", "Tint"});
    EXPECT_EQ(makes, 1);  // the stitches stay as they are
    shell.Answer(folder / "pic.pdf");
    Main().SavePdfClick(nullptr);
    ASSERT_TRUE(shell.exceptionMessages.empty()) << shell.exceptionMessages[0];
    const std::unique_ptr<poppler::document> pdf(
        poppler::document::load_from_file(folder / "pic.pdf"));
    ASSERT_TRUE(pdf);
    const poppler::rectf page = std::unique_ptr<poppler::page>(pdf->create_page(0))->page_rect();
    EXPECT_NEAR(page.width(), 612, 1);  // US Letter, 8.5 x 11 in
    EXPECT_NEAR(page.height(), 792, 1);

    Start();
    EXPECT_EQ(Main().PatternChoices().paper, threads::Paper::Letter);
    EXPECT_EQ(Main().PatternChoices().chartStyle, threads::ChartStyle::Tint);
}

// The choices in force that change the pattern are named on the first line of the note; Clean
// is greyed while Dither is on; "Reset Pattern Choices" puts them back and charts again.
TEST_F(PatternMenuTest, TheChoicesLineNamesWhatChangesThePatternAndResetClearsIt) {
    Load(Picture("pic.bmp", 4, 3, [](int x, int) { return x < 2 ? clWhite : clBlack; }));
    EXPECT_EQ(Main().NoteText(), "");
    Trigger({"Threads", "DMC"});
    EXPECT_EQ(Main().NoteText(), "");  // the threads alone change no stitch
    const struct {
        std::vector<QString> entry;
        std::string line;
    } steps[] = {
        {{"Snap to threads"}, "DMC \u00b7 snap"},
        {{"Colour budget", "At most 20 colours"}, "DMC \u00b7 snap \u00b7 20 colours"},
        {{"Clean stray stitches"}, "DMC \u00b7 snap \u00b7 20 colours \u00b7 clean"},
        {{"Dither (for photographs)"}, "DMC \u00b7 snap \u00b7 20 colours \u00b7 dither"},
    };
    for (const auto& step : steps) {
        Trigger(step.entry);
        EXPECT_EQ(Main().NoteText(), step.line);
        EXPECT_EQ(Main().L_note->text().toStdString(), step.line);
    }
    QMenu menu;
    FillImageMenu(menu, Main());
    QAction* clean = Entry(menu, {"Clean stray stitches (skipped after Dither)"});
    ASSERT_NE(clean, nullptr);
    EXPECT_FALSE(clean->isEnabled());
    EXPECT_TRUE(clean->isChecked());

    const int before = makes;
    Trigger({"Reset Pattern Choices"});
    EXPECT_EQ(makes, before + 1);
    EXPECT_EQ(Main().NoteText(), "");
    EXPECT_TRUE(Main().PatternChoices().catalogue.has_value());  // about the stitcher: kept
    EXPECT_FALSE(Main().PatternChoices().snap);
}

// A choice whose Make is refused goes back, so that the menu shows the chart on screen.
TEST_F(PatternMenuTest, ARefusedChoiceIsTakenBack) {
    Load(Picture("many.bmp", 30, 20, [](int x, int y) {
        return RGB(static_cast<std::uint8_t>(8 * x), static_cast<std::uint8_t>(12 * y), 77);
    }));
    ASSERT_EQ(shell.programMessages.size(), 1u);  // 600 colours: "Over 255 colors!!"
    Trigger({"Colour budget", "At most 20 colours"});
    EXPECT_EQ(Main().L_ColorCount->text(), QStringLiteral("20"));
    Trigger({"Colour budget", "Off"});
    ASSERT_EQ(shell.programMessages.size(), 2u);
    EXPECT_EQ(Main().PatternChoices().maxColours, 20);
    EXPECT_EQ(Main().NoteText(), "20 colours");
    QMenu menu;
    FillImageMenu(menu, Main());
    EXPECT_TRUE(Entry(menu, {"Colour budget", "At most 20 colours"})->isChecked());
    EXPECT_FALSE(Entry(menu, {"Colour budget", "Off"})->isChecked());
}

// brodix(1) names every entry of the menu of the legend and the chart, and of its submenus
// that are commands rather than values ("Other file...", "Other...").
TEST_F(PatternMenuTest, TheManualPageNamesEveryMenuEntry) {
    const testing::Bytes page =
        testing::ReadFileBytes(std::string(BRODIX_MAN_DIR) + "/brodix.1.in");
    std::string text(page.begin(), page.end());
    // troff's escapes read as the text they print.
    for (const auto& [escape, plain] :
         {std::pair{"\\-", "-"}, {"\\~", " "}, {"\\fR", ""}, {"\\fB", ""}, {"\\fI", ""}}) {
        for (std::size_t at = text.find(escape); at != std::string::npos; at = text.find(escape))
            text.replace(at, std::string(escape).size(), plain);
    }
    QMenu menu;
    FillImageMenu(menu, Main());
    std::vector<QString> entries;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator())
            continue;
        entries.push_back(action->text());
        if (action->menu() != nullptr) {
            for (QAction* inner : action->menu()->actions()) {
                if (inner->text().startsWith(QStringLiteral("Other")))
                    entries.push_back(inner->text());
            }
        }
    }
    EXPECT_GT(entries.size(), 15u);
    for (const QString& entry : entries) {
        // Without what a greyed entry adds: "Snap to threads (choose Threads first)".
        const std::string name = entry.section(QStringLiteral(" ("), 0, 0).toStdString();
        EXPECT_NE(text.find(name), std::string::npos) << name << " is not in brodix(1)";
    }
}

struct ChartRun {
    int status = -1;
    std::string out;
    std::string err;
};

ChartRun RunChart(const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess chart;
    chart.start(QString(BRODIX_BIN_DIR) + "/brodix-chart", list);
    if (!chart.waitForFinished(60000))
        return {};
    return {chart.exitCode(), chart.readAllStandardOutput().toStdString(),
            chart.readAllStandardError().toStdString()};
}

// The stored settings restored from one value of one option, every other option unstored.
threads::PatternSettings RestoredFrom(const threads::PatternOption& option,
                                      const std::string& text) {
    testing::ScriptedShell shell;
    shell.settings[std::string(option.settingKey)] = text;
    threads::PatternSettings restored;
    RestorePatternSettings(shell, restored);
    return restored;
}

// Every pattern option, as its row in the pattern options says: brodix-chart names it in
// --help, takes the ends of its range and refuses a value beyond either, naming it; the stored
// settings restore the ends and fall back to the default beyond them; the menu offers values
// in the range. (The check runs brodix-chart with --help last: it stops there once the option
// before is read.)
TEST_F(PatternMenuTest, EverySurfaceOffersAndBoundsEachPatternOptionAlike) {
    using threads::OptionForm;
    const std::string help = RunChart({"--help"}).out;
    ASSERT_FALSE(help.empty());
    for (const threads::PatternOption& option : threads::PatternOptions()) {
        const std::string name(option.name);
        SCOPED_TRACE(name);
        EXPECT_NE(help.find("\n  " + option.Heading()), std::string::npos);
        // A flag is given alone; a catalogue is named, and refused when not.
        std::vector<std::string> ends = {""};
        std::vector<std::string> beyond;
        if (option.form == OptionForm::Catalogue) {
            ends = {"none"};
            beyond = {""};
        } else if (option.form != OptionForm::Flag) {
            ends = {option.Text(option.low), option.Text(option.high)};
            beyond = {option.Text(option.low - 1), option.Text(option.high + 1)};
        }
        for (const std::string& value : ends) {
            const bool alone = option.form == OptionForm::Flag;
            EXPECT_EQ(RunChart(alone ? std::vector<std::string>{name, "--help"}
                                     : std::vector<std::string>{name, value, "--help"})
                          .status,
                      0)
                << value;
        }
        for (const std::string& value : beyond) {
            const ChartRun refused = RunChart({name + "=" + value, "--help"});
            EXPECT_EQ(refused.status, 64) << value;
            EXPECT_EQ(refused.err.rfind("brodix-chart: ", 0), 0u) << refused.err;
            EXPECT_NE(refused.err.find(name), std::string::npos) << refused.err;
        }
        if (option.form == OptionForm::Catalogue)
            continue;

        for (double value : option.menuValues) {
            EXPECT_GE(value, option.low);
            EXPECT_LE(value, option.high);
        }
        const auto expectRestored = [&](const std::string& text, double value) {
            threads::PatternSettings expected;
            // A choice that changes the pattern is never restored.
            option.set(expected, option.remembered ? value : option.Default());
            const threads::PatternSettings restored = RestoredFrom(option, text);
            for (const threads::PatternOption& each : threads::PatternOptions()) {
                if (each.get != nullptr) {
                    EXPECT_EQ(each.get(restored), each.get(expected)) << text << " " << each.name;
                }
            }
        };
        for (double end : {option.low, option.high})
            expectRestored(option.Text(end), end);
        for (double out : {option.low - 1, option.high + 1})
            expectRestored(option.Text(out), option.Default());
    }
}

}  // namespace
}  // namespace brodix
