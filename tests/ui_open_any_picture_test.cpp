// "Open Any Picture..." in the context menu of the legend and the chart.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "engine/Census.h"
#include "photo_files.h"
#include "ui/ImageMenu.h"
#include "ui/PatternMenu.h"
#include "ui/RadioGroup.h"
#include "ui_test_support.h"

namespace brodix {
namespace {

class OpenAnyPictureTest : public testing::ProgramTest {
  protected:
    void Open(const std::string& path) {
        QMenu menu;
        FillImageMenu(menu, Main());
        const auto actions = menu.actions();
        const auto found = std::find_if(actions.begin(), actions.end(), [](QAction* action) {
            return action->text() == QStringLiteral("Open Any Picture...");
        });
        ASSERT_NE(found, actions.end());
        shell.Answer(path);
        (*found)->trigger();
    }
};

TEST_F(OpenAnyPictureTest, APhotoIsFittedIntoBothImagesAndMakeRunsOnce) {
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            rows.insert(rows.end(), {static_cast<std::uint8_t>(x < 200 ? 250 : 10), 40, 90});
    const std::string photo = folder / "photo.png";
    testing::WriteFileBytes(photo, testing::MakePng(400, 300, PNG_COLOR_TYPE_RGB, 8, rows));

    Open(photo);
    ASSERT_EQ(shell.requests.size(), 1u);
    const auto& filters = shell.requests[0].filters;
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].name, "Pictures (*.png *.jpg *.jpeg *.gif *.bmp *.oxs)");
    EXPECT_EQ(filters[1].name, "ALL");
    EXPECT_EQ(shell.exceptionMessages, std::vector<std::string>{});
    EXPECT_EQ(makes, 1);
    for (TImage* image : {&Main().Image1, &Main().Image2}) {
        EXPECT_EQ(image->Picture().Width(), 200);
        EXPECT_EQ(image->Picture().Height(), 150);
    }
    EXPECT_EQ(Main().L_ColorCount->text(), QStringLiteral("2"));
    // The dialog showed the picture's own size, read from its header.
    ASSERT_EQ(shell.sizeRequests.size(), 1u);
    EXPECT_EQ(shell.sizeRequests[0].pictureSize, (StitchSize{400, 300}));

    // A file that is no picture is reported; both images and the chart stay as they were.
    const std::string note = folder / "note.png";
    testing::WriteFileBytes(note, {'h', 'i'});
    Open(note);
    EXPECT_EQ(shell.requests[1].start.fileName, photo);
    ASSERT_EQ(shell.sizeRequests.size(), 2u);
    EXPECT_FALSE(shell.sizeRequests[1].pictureSize);
    EXPECT_EQ(shell.exceptionMessages,
              std::vector<std::string>{
                  note + " is neither a PNG, JPEG, GIF or BMP picture nor an OXS chart."});
    EXPECT_EQ(makes, 1);
    EXPECT_EQ(Main().Image1.Picture().Width(), 200);
    EXPECT_EQ(Main().Image2.Picture().Height(), 150);
}

// A photograph of more colours than a chart holds takes the photo defaults, which the pattern
// menu then shows, and the status bar says so.
TEST_F(OpenAnyPictureTest, ARefusedPhotoTakesThePhotoDefaultsInThePatternMenu) {
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 90; ++x)
            rows.insert(rows.end(),
                        {static_cast<std::uint8_t>(2 * x), static_cast<std::uint8_t>(3 * y),
                         static_cast<std::uint8_t>(200 - x - y)});
    const std::string photo = folder / "shades.png";
    testing::WriteFileBytes(photo, testing::MakePng(90, 60, PNG_COLOR_TYPE_RGB, 8, rows));

    Open(photo);
    EXPECT_EQ(shell.exceptionMessages, std::vector<std::string>{});
    EXPECT_EQ(makes, 1);
    const threads::PatternSettings& settings = Main().PatternChoices();
    EXPECT_EQ(settings.maxColours, 30);
    EXPECT_TRUE(settings.clean);
    EXPECT_EQ(settings.snap, settings.catalogue.has_value());
    EXPECT_LE(Main().L_ColorCount->text().toInt(), 30);
    EXPECT_GT(Main().L_ColorCount->text().toInt(), 0);
    EXPECT_TRUE(Main().StsBar->currentMessage().isEmpty());
    EXPECT_NE(Main().NoteText().find("30 that best represent"), std::string::npos)
        << Main().NoteText();
}

// Save OXS... writes the chart of the last Make; opened again, it gives the same chart.
TEST_F(OpenAnyPictureTest, AChartSavedAsOxsOpensAsTheSameChart) {
    Main().SaveOxsClick(nullptr);  // before any Make: no dialog, nothing written
    EXPECT_TRUE(shell.requests.empty());
    Load(Picture("flower.bmp", 30, 20));
    const Census before = Main().CurrentPattern()->Stitches();
    shell.Answer(folder / "flower");
    Main().SaveOxsClick(nullptr);
    ASSERT_EQ(shell.requests.size(), 2u);
    ASSERT_EQ(shell.requests[1].filters.size(), 1u);
    EXPECT_EQ(shell.requests[1].filters[0].pattern, "*.oxs");

    Load(Picture("other.bmp", 5, 5));
    Open(folder / "flower.oxs");
    EXPECT_EQ(shell.exceptionMessages, std::vector<std::string>{});
    EXPECT_EQ(makes, 3);
    const Census& after = Main().CurrentPattern()->Stitches();
    EXPECT_EQ(after.width, 30);
    EXPECT_EQ(after.stitches, before.stitches);
    ASSERT_EQ(after.palette.size(), before.palette.size());
    for (std::size_t i = 0; i < after.palette.size(); ++i)
        EXPECT_EQ(after.palette[i].color, before.palette[i].color) << i;
    EXPECT_TRUE(Main().StsBar->currentMessage().isEmpty());
    EXPECT_EQ(Main().NoteText(), "");
}

// An OXS chart is never fitted, even far under the stitch size, and what it cannot show is told
// in the status text after Make.
TEST_F(OpenAnyPictureTest, AnOxsChartKeepsItsOwnSizeAndTellsWhatWasLeftOut) {
    const std::string chart = R"(<?xml version="1.0"?>
<chart><properties chartwidth="3" chartheight="2"/>
<palette><palette_item index="0" color="FFFFFF"/><palette_item index="1" color="102030"/></palette>
<fullstitches><stitch x="2" y="1" palindex="1"/></fullstitches>
<backstitches><backstitch x1="0" y1="0" x2="1" y2="1" palindex="1"/></backstitches></chart>)";
    const std::string path = folder / "tiny.oxs";
    testing::WriteFileBytes(path, testing::Bytes(chart.begin(), chart.end()));
    Open(path);
    EXPECT_NE(shell.requests[0].filters[0].pattern.find("*.oxs"), std::string::npos);
    EXPECT_EQ(shell.exceptionMessages, std::vector<std::string>{});
    EXPECT_EQ(makes, 1);
    EXPECT_EQ(Main().Image1.Picture().Width(), 3);
    EXPECT_EQ(Main().Image1.Picture().Bitmap().GetPixel(2, 1), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(Main().NoteText(),
              path + ": only full stitches can be charted; left out 1 backstitch.");
}

// A photograph of more than 255 colours, width x height, each pixel its own shade.
std::string ShadesPng(const std::string& path, int width, int height) {
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows.insert(rows.end(),
                        {static_cast<std::uint8_t>(2 * x), static_cast<std::uint8_t>(3 * y),
                         static_cast<std::uint8_t>(200 - x - y)});
    testing::WriteFileBytes(path, testing::MakePng(width, height, PNG_COLOR_TYPE_RGB, 8, rows));
    return path;
}

// The note, not the narrow status bar, tells what was done, in full: the whole text wraps in
// the column under the status bar, and is its tooltip when longer than the area; another
// picture loaded clears it.
TEST_F(OpenAnyPictureTest, OurMessagesGoWholeIntoTheNoteUnderTheStatusBar) {
    Open(ShadesPng(folder / "shades.png", 90, 60));
    const QLabel& note = *Main().L_note;
    EXPECT_TRUE(Main().StsBar->currentMessage().isEmpty());
    EXPECT_EQ(note.geometry(), QRect(8, 440, 201, 128));
    EXPECT_TRUE(note.wordWrap());
    const std::string text = note.text().toStdString();
    EXPECT_NE(text.find("The picture has more than 255 colours"), std::string::npos) << text;
    EXPECT_NE(text.find("Colour budget charts it otherwise."), std::string::npos) << text;
    EXPECT_EQ(text, Main().NoteText());

    const std::string longName = folder / (std::string(300, 'n') + ".pdf");
    Main().ShowWritten(longName);
    EXPECT_EQ(note.toolTip().toStdString(), Main().NoteText());
    EXPECT_NE(Main().NoteText().find("Written: " + longName), std::string::npos);
    Main().ShowWritten(folder / "a.pdf");
    EXPECT_TRUE(note.toolTip().isEmpty());  // it fits

    Load(Picture("flat.bmp", 10, 10));
    EXPECT_EQ(Main().NoteText().find("Written"), std::string::npos) << Main().NoteText();
}

// The stitch-size dialog shows the levels in force; for a photograph they are set to Org
// unless kept, without a Make of their own, and a photo opened so is charted with the photo
// defaults again by Make when no colour budget is chosen.
TEST_F(OpenAnyPictureTest, APhotoGetsOrgLevelsAndThePhotoDefaultsAgainOnMake) {
    Main().CB_AUTO->setChecked(true);
    for (RadioGroup* group : {Main().RG_ColorR, Main().RG_ColorG, Main().RG_ColorB})
        group->setItemIndex(1);
    makes = 0;
    const std::string photo = ShadesPng(folder / "shades.png", 90, 60);
    Open(photo);
    ASSERT_EQ(shell.sizeRequests.size(), 1u);
    EXPECT_EQ(shell.sizeRequests[0].levels, "4 / 4 / 4");
    EXPECT_FALSE(shell.sizeRequests[0].keepLevels);
    EXPECT_EQ(makes, 1);
    for (RadioGroup* group : {Main().RG_ColorR, Main().RG_ColorG, Main().RG_ColorB})
        EXPECT_EQ(group->itemIndex(), 0);
    EXPECT_GT(Main().L_ColorCount->text().toInt(), 15);  // not the 4-level greys

    Main().Patterns().ResetChoices();
    EXPECT_EQ(shell.programMessages.size(), 0u);
    EXPECT_EQ(Main().PatternChoices().maxColours, 30);
    EXPECT_LE(Main().L_ColorCount->text().toInt(), 30);

    // A BMP keeps the levels by default.
    Load(Picture("flat.bmp", 10, 10));
    Open(folder / "flat.bmp");
    ASSERT_EQ(shell.sizeRequests.size(), 2u);
    EXPECT_TRUE(shell.sizeRequests[1].keepLevels);
}

}  // namespace
}  // namespace brodix
