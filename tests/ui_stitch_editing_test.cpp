// Changes by hand in the window: a legend row chosen, stitches painted on the chart and undone,
// a thread changed, the pattern saved as OXS and read back; Make asking before changes are lost.
#include <QCheckBox>
#include <QMenu>
#include <QTest>

#include "engine/ChartGeometry.h"
#include "engine/SymbolSheet.h"
#include "pattern/OxsReader.h"
#include "raster/TBitmap.h"
#include "raster/Utf8.h"
#include "ui/ImageMenu.h"
#include "ui/ImageView.h"
#include "ui/PatternMenu.h"
#include "ui/RadioGroup.h"
#include "ui/StitchEditing.h"
#include "ui_test_support.h"

namespace brodix {
namespace {

constexpr TColor kRed = RGB(200, 30, 30);
constexpr TColor kBlue = RGB(30, 60, 200);

class StitchEditingTest : public testing::ProgramTest {
  protected:
    // Loads 6 x 4 stitches, black on the left, red on the right, blue in the bottom row, with a
    // catalogue of four threads chosen.
    void LoadPattern() {
        const std::string catalogue = folder / "dmc.gpl";
        const std::string text =
            "GIMP Palette\nName: DMC\n0 0 0 310 Black\n"
            "200 30 30 321 Red\n30 60 200 797 Royal Blue\n"
            "20 140 40 699 Green\n";
        testing::WriteFileBytes(catalogue, testing::Bytes(text.begin(), text.end()));
        Main().Patterns().ChooseCatalogue(catalogue);
        Load(Picture("pic.bmp", 6, 4, [](int x, int y) {
            return y == 3 ? kBlue : x < 3 ? clBlack : kRed;
        }));
        ASSERT_NE(Main().CurrentPattern(), nullptr);
    }
    int RowOf(TColor colour) {
        const auto colours = Main().CurrentPattern()->Colours();
        for (std::size_t k = 0; k < colours.size(); ++k) {
            if (colours[k].colour == colour)
                return static_cast<int>(k);
        }
        return -1;
    }
    // Triggers the entry of that text in the menu opened on legend row row.
    void Trigger(int row, const QString& text) {
        QMenu menu;
        FillImageMenu(menu, Main(), row);
        for (QAction* action : menu.actions()) {
            if (action->text() == text) {
                ASSERT_TRUE(action->isEnabled()) << text.toStdString();
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << text.toStdString() << " is not in the menu";
    }
    void ClickStitch(int x, int y) {
        QTest::mouseClick(Main().ViewOf(Main().Img_CS), Qt::LeftButton, {},
                          QPoint(x * kCellPitch + 6, y * kCellPitch + 6));
    }
};

TEST_F(StitchEditingTest, PaintUndoChangeAThreadAndSaveOxs) {
    LoadPattern();
    ImageView* legend = Main().ViewOf(Main().Img_color);
    const int blue = RowOf(kBlue);
    QTest::mouseClick(legend, Qt::LeftButton, {}, QPoint(8, blue * kLegendRowHeight + 8));
    EXPECT_EQ(Main().Edits().CurrentColour(), blue);
    EXPECT_FALSE(legend->Mark().isEmpty());
    EXPECT_NE(Main().NoteText().find("Colour: Symbol " + Utf8Of(SymbolCharacter(blue)) + " (" +
                                     std::to_string(blue + 1) + "), 797"),
              std::string::npos)
        << Main().NoteText();

    Trigger(-1, "Edit Stitches");
    ASSERT_TRUE(Main().Edits().Editing());
    for (int x = 0; x < 3; ++x)
        ClickStitch(x, 0);
    EXPECT_EQ(Main().CurrentPattern()->Stitches().PaletteAt(blue).count, 9);
    Trigger(-1, "Undo Paint 1 Stitch");
    EXPECT_EQ(Main().CurrentPattern()->Stitches().PaletteAt(blue).count, 8);

    const int red = RowOf(kRed);
    shell.threadAnswers.push_back({"699", "Green", RGB(20, 140, 40)});
    Trigger(red, "Change Thread...");
    ASSERT_EQ(shell.threadRequests.size(), 1u);
    EXPECT_EQ(shell.threadRequests[0].threads[0].thread.number, "321");  // nearest first
    EXPECT_EQ(Main().CurrentPattern()->Key().Row(red).thread.number, "699");

    const std::string oxs = folder / "edited.oxs";
    shell.Answer(oxs);
    Main().SaveOxsClick(nullptr);
    const OxsPicture read = ReadOxsFile(oxs);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const TColor expected = y == 3 || (y == 0 && x < 2) ? kBlue : x < 3 ? clBlack : kRed;
            EXPECT_EQ(read.picture->GetPixel(x, y), expected) << x << ", " << y;
        }
    }
    const testing::Bytes bytes = testing::ReadFileBytes(oxs);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("number=\"DMC 699\" name=\"Green\""), std::string::npos);
    EXPECT_EQ(text.find("321"), std::string::npos);
    EXPECT_TRUE(shell.questions.empty());

    // Saved as OXS, nothing is asked; changed since, Load Picture asks and No keeps it all.
    ClickStitch(5, 0);
    shell.yesNo.push_back(false);
    Main().BitBtn2->click();
    ASSERT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(Main().CurrentPattern()->Stitches().PaletteAt(blue).count, 9);
    Trigger(-1, "Undo Paint 1 Stitch");
    const int makes = this->makes;
    Load(Picture("other.bmp", 3, 3, [](int, int) { return kBlue; }));
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(this->makes, makes + 1);
    EXPECT_EQ(Main().CurrentPattern()->Colours().size(), 1u);
}

TEST_F(StitchEditingTest, MakeAsksBeforeChangesByHandAreLost) {
    LoadPattern();
    Main().Edits().ChooseColour(RowOf(kBlue));
    Main().Edits().SetEditing(true);
    ClickStitch(0, 0);
    ClickStitch(1, 0);
    const int before = makes;
    shell.yesNo.push_back(false);
    Main().BTN_MAKE->click();
    ASSERT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(shell.questions[0],
              "Make again from the picture? 2 changes made by hand will be lost.");
    EXPECT_EQ(makes, before);
    EXPECT_EQ(Main().CurrentPattern()->Stitches().PaletteAt(RowOf(kBlue)).count, 8);
    // Kept by hand, the choice that asked goes back: AutoMake unticked, the level as it was.
    shell.yesNo.push_back(false);
    Main().CB_AUTO->click();
    EXPECT_FALSE(Main().CB_AUTO->isChecked());
    {
        const QSignalBlocker quiet(Main().CB_AUTO);  // ticked without a Make of its own
        Main().CB_AUTO->setChecked(true);
    }
    shell.yesNo.push_back(false);
    Main().RG_ColorG->setItemIndex(2);
    EXPECT_EQ(Main().RG_ColorG->itemIndex(), 0);
    EXPECT_EQ(shell.questions.size(), 3u);
    EXPECT_EQ(makes, before);
    Main().CB_AUTO->setChecked(false);
    Main().BTN_MAKE->click();  // Yes
    EXPECT_EQ(makes, before + 1);
    EXPECT_EQ(Main().CurrentPattern()->Stitches().PaletteAt(RowOf(kBlue)).count, 6);
}

}  // namespace
}  // namespace brodix
