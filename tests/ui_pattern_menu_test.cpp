// The context menu of the legend and the chart: thread catalogue, floss and the options that
// refine Make, driven through its entries as the user triggers them.
#include <QCheckBox>
#include <QLabel>
#include <QMenu>

#include "ui/PatternMenu.h"
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
        Main().Patterns().FillMenu(menu);
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

TEST_F(PatternMenuTest, ChoicesAreRememberedAndTheFirstStartChoosesDmc) {
    Trigger({"Threads", "DMC"});
    Trigger({"Snap to threads"});
    Trigger({"Strands", "3"});
    Trigger({"Stitch white"});
    Trigger({"Colour budget", "At most 20 colours"});
    Trigger({"Dither (for photographs)"});
    Trigger({"Report on the PDF Cover"});
    Start();
    const threads::PatternSettings& kept = Main().PatternChoices();
    ASSERT_TRUE(kept.catalogue.has_value());
    EXPECT_EQ(kept.catalogue->title, "DMC");
    EXPECT_TRUE(kept.snap);
    EXPECT_EQ(kept.floss.strands, 3);
    EXPECT_TRUE(kept.stitchWhite);
    EXPECT_EQ(kept.maxColours, 20);
    EXPECT_FALSE(kept.clean);
    EXPECT_TRUE(kept.dither);
    EXPECT_TRUE(kept.report);

    shell.settings.clear();
    Start();
    ASSERT_TRUE(Main().PatternChoices().catalogue.has_value());
    EXPECT_EQ(Main().PatternChoices().catalogue->title, "DMC");
    EXPECT_FALSE(Main().PatternChoices().snap);
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

}  // namespace
}  // namespace brodix
