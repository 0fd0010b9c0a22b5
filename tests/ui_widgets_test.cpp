// The window-independent pieces of the desktop program: radio group layout and events, the
// dialogs' default extension and placement, message box line breaks, the failure guard.
#include <QKeyEvent>
#include <QSignalSpy>
#include <memory>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "fake_graphic.h"
#include "raster/Exceptions.h"
#include "raster/TGraphic.h"
#include "raster/TImage.h"
#include "ui/FileDialog.h"
#include "ui/Guard.h"
#include "ui/ImageView.h"
#include "ui/RadioGroup.h"
#include "ui/Shell.h"
#include "ui/WindowPlacement.h"
#include "ui_test_support.h"

namespace brodix {
namespace {

class WidgetsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::EnsureApplication(); }
};

TEST_F(WidgetsTest, RadioItemsLieInOneColumnAsTheFontGives) {
    RadioGroup group;
    QFont font = group.font();
    font.setPixelSize(12);
    group.setFont(font);
    group.setItems({"Org", " 4", " 6", "16", "18"});
    group.resize(57, 89);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(group.ItemRect(i), QRect(8, 14 + 14 * i, 47, 14)) << i;
    group.setItems({"x1", "x2", "x3", "x4", "x5", "x6", "x7", "x8"});
    group.resize(49, 153);
    // (153 - 12 - 5) / 8 = 17 with nothing left over.
    EXPECT_EQ(group.ItemRect(0), QRect(8, 13, 39, 17));
    EXPECT_EQ(group.ItemRect(7), QRect(8, 13 + 7 * 17, 39, 17));
    EXPECT_EQ(group.ItemRect(8), QRect());
}

TEST_F(WidgetsTest, RadioGroupFiresOnlyWhenTheSelectionMoves) {
    RadioGroup group;
    group.setItems({"a", "b", "c"});
    group.setItemIndex(0);
    QSignalSpy clicks(&group, &RadioGroup::clicked);
    struct Step {
        int key;
        int index;
    };
    const Step steps[] = {{Qt::Key_Right, 1}, {Qt::Key_Down, 2}, {Qt::Key_Down, 0},
                          {Qt::Key_Left, 2},  {Qt::Key_Up, 1},   {Qt::Key_Up, 0}};
    for (const Step& s : steps) {
        QKeyEvent key(QEvent::KeyPress, s.key, Qt::NoModifier);
        QApplication::sendEvent(&group, &key);
        EXPECT_EQ(group.itemIndex(), s.index);
    }
    EXPECT_EQ(clicks.count(), 6);
    group.setItemIndex(0);  // already selected
    group.setItemIndex(9);  // no such item
    EXPECT_EQ(clicks.count(), 6);
    EXPECT_EQ(group.itemIndex(), 0);
}

TEST_F(WidgetsTest, TheSaveDialogAddsBmpOnlyToANameWithoutExtension) {
    struct Case {
        const char* typed;
        const char* handed;
    };
    const Case cases[] = {
        {"/home/u/rose", "/home/u/rose.bmp"},
        {"/home/u/rose.jpg", "/home/u/rose.jpg"},
        {"/home/u/rose.bmp", "/home/u/rose.bmp"},
        {"/home/u.v/rose", "/home/u.v/rose.bmp"},  // a dot in a folder is no extension
        {"rose", "rose.bmp"},
    };
    for (const Case& c : cases) {
        testing::ScriptedShell shell;
        TFileDialog save(FileDialogKind::Save, PictureFileFilters(), "bmp");
        shell.Answer(c.typed);
        ASSERT_TRUE(save.Execute(shell, nullptr));
        EXPECT_EQ(save.FileName(), c.handed);
        TFileDialog open(FileDialogKind::Open, PictureFileFilters(), "");
        shell.Answer(c.typed);
        ASSERT_TRUE(open.Execute(shell, nullptr));
        EXPECT_EQ(open.FileName(), c.typed);
    }
}

TEST_F(WidgetsTest, DialogsSitCentredAThirdOfTheFreeHeightDown) {
    EXPECT_EQ(DialogPlacement(QRect(0, 0, 1280, 1024), 600, 400), QRect(340, 208, 600, 400));
    EXPECT_EQ(DialogPlacement(QRect(1280, 0, 1920, 1080), 620, 480),
              QRect(1280 + 650, 200, 620, 480));
}

TEST_F(WidgetsTest, AWindowMovedToAnotherMonitorKeepsItsOffsetInsideIt) {
    const QRect left(0, 0, 1280, 1024);
    const QRect right(1280, 0, 1024, 768);
    const QRect westOfPrimary(-1920, 100, 1920, 1080);
    struct Case {
        QRect frame, from, to;
        QPoint placed;
    };
    const Case cases[] = {
        {QRect(100, 50, 794, 590), left, right, QPoint(1380, 50)},
        {QRect(1300, 20, 400, 300), right, left, QPoint(20, 20)},
        // Pulled back so that the right and bottom edges stay on the smaller monitor.
        {QRect(450, 300, 794, 590), left, right, QPoint(2304 - 794, 768 - 590)},
        // Larger than the monitor: its top-left corner stays on it.
        {QRect(10, 10, 1100, 900), left, right, QPoint(1280, 0)},
        {QRect(1500, 700, 500, 400), right, westOfPrimary, QPoint(-1920 + 220, 100 + 1080 - 400)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceOnMonitor(c.frame, c.from, c.to), c.placed) << c.frame.x();
}

TEST_F(WidgetsTest, CarriageReturnsBreakLinesInMessageBoxes) {
    const std::pair<std::string, std::string> cases[] = {
        {"This bitmap is \rOver 255 colors!!", "This bitmap is \nOver 255 colors!!"},
        {"a\r\nb", "a\nb"},
        {"a\nb\r", "a\nb\n"},
        {"plain", "plain"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(LineBreaksForDisplay(text), shown);
}

TEST_F(WidgetsTest, GuardShowsEveryKindOfFailureOnceWithItsDot) {
    testing::ScriptedShell shell;
    Guard(shell, nullptr, [] { throw EConvertError(FormatMessage(msg::kInvalidInteger, "")); });
    Guard(shell, nullptr, [] { throw std::runtime_error("disk full"); });
    Guard(shell, nullptr, [] { throw EReadError(msg::kReadError); });
    Guard(shell, nullptr, [] {});
    Guard(shell, nullptr, [] { throw 42; });  // no text of its own: never an empty box
    const std::vector<std::string> expected = {"'' は整数ではありません.", "disk full.",
                                               std::string(msg::kReadError) + ".",
                                               std::string(kUnknownFailure) + "."};
    EXPECT_EQ(shell.exceptionMessages, expected);
}

// A picture that loads but is too large to draw at its size (a huge JPEG, a metafile with a
// tiny unit) is reported through the failure handler: nothing may leave a paint event.
TEST_F(WidgetsTest, APictureTooLargeToDrawIsReportedNotThrownFromThePaint) {
    TImage image(50, 50);
    testing::FakeGraphic huge("THuge", 100000, 100000);
    image.Picture().SetGraphic(&huge);
    std::vector<std::string> reported;
    ImageView::SetDrawFailureHandler([&](const std::string& text) { reported.push_back(text); });
    {
        ImageView view;
        view.SetImage(&image);
        view.resize(50, 50);
        (void)view.grab();
        (void)view.grab();  // asked once, not again on every paint
        view.SetImage(nullptr);
    }
    ImageView::SetDrawFailureHandler(nullptr);
    EXPECT_EQ(reported, std::vector<std::string>{msg::kOutOfResources});
}

}  // namespace
}  // namespace brodix
