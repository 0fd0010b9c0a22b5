// The context menu of the legend and the chart: thread catalogue, floss and the options that
// refine Make, driven through its entries as the user triggers them.
#include <QCheckBox>
#include <QLabel>
#include <QMenu>

#include "ui/PatternMenu.h"
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
    EXPECT_EQ(patterns.LegendTooltip(1), "");  // no catalogue, no tooltip

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
    EXPECT_FALSE(Entry(menu, {"Snap to threads"})->isEnabled());  // no catalogue yet
    EXPECT_TRUE(Entry(menu, {"Threads", "None"})->isChecked());

    Trigger({"Threads", "DMC"});
    ASSERT_TRUE(Main().PatternChoices().catalogue.has_value());
    EXPECT_EQ(patterns.LegendTooltip(1), "B5200 Snow White\nΔE00 0.0\n6 stitches, 1 skein");
    EXPECT_EQ(patterns.LegendTooltip(16).rfind("310 Black\n", 0), 0u);
    EXPECT_EQ(patterns.LegendTooltip(31), "");  // below the last row
    Trigger({"Strands", "6"});
    EXPECT_EQ(patterns.Key().floss.strands, 6);
    Trigger({"Threads", "None"});
    EXPECT_EQ(patterns.LegendTooltip(1), "");
    EXPECT_EQ(makes, 1);  // only the load ran Make: nothing here changes the chart
}

TEST_F(PatternMenuTest, OptionsRerunMakeWhenAutoMakeIsTicked) {
    // 3 colours, one of them a single stitch in a corner.
    Load(Picture("pic.bmp", 6, 4, [](int x, int y) {
        if (x == 0 && y == 0)
            return RGB(250, 0, 0);
        return x < 3 ? RGB(10, 10, 10) : RGB(0, 0, 240);
    }));
    EXPECT_EQ(Main().L_ColorCount->text(), "3");
    Trigger({"Clean stray stitches"});
    EXPECT_EQ(makes, 1);  // AutoMake off: the next Make sees it
    Main().CB_AUTO->setChecked(true);
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
