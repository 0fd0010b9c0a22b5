// "Open Any Picture..." in the context menu of the legend and the chart.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "photo_files.h"
#include "ui/ImageMenu.h"
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
    EXPECT_EQ(filters[0].name, "pictures");
    EXPECT_EQ(filters[1].name, "ALL");
    EXPECT_EQ(shell.exceptionMessages, std::vector<std::string>{});
    EXPECT_EQ(makes, 1);
    for (TImage* image : {&Main().Image1, &Main().Image2}) {
        EXPECT_EQ(image->Picture().Width(), 200);
        EXPECT_EQ(image->Picture().Height(), 150);
    }
    EXPECT_EQ(Main().L_ColorCount->text(), QStringLiteral("2"));

    // A file that is no picture is reported; both images and the chart stay as they were.
    const std::string note = folder / "note.png";
    testing::WriteFileBytes(note, {'h', 'i'});
    Open(note);
    EXPECT_EQ(shell.requests[1].start.fileName, photo);
    EXPECT_EQ(shell.exceptionMessages,
              std::vector<std::string>{note + " is not a PNG, JPEG, GIF or BMP picture."});
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
    EXPECT_TRUE(Main().StsBar->currentMessage().contains(QStringLiteral("30 that best represent")))
        << Main().StsBar->currentMessage().toStdString();
}

}  // namespace
}  // namespace brodix
