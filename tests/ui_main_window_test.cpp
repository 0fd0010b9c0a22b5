// The main window driven through the shell seam: loading, Make, the level choices, AutoMake,
// the dialogs' memory, the failure boxes and Save.
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QStatusBar>
#include <filesystem>

#include "engine/Messages.h"
#include "engine/ReduceColor.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "ui/ImageView.h"
#include "ui/RadioGroup.h"
#include "ui_test_support.h"

namespace brodix {
namespace {

using testing::ProgramTest;

std::string Caption(const QLabel* label) {
    return label->text().toStdString();
}

class MainWindowTest : public ProgramTest {};

TEST_F(MainWindowTest, StartsEmptyWithOrgLevelsAndAutoMakeOff) {
    EXPECT_FALSE(Main().Image1.Picture().HasGraphic());
    EXPECT_FALSE(Main().Image2.Picture().HasGraphic());
    for (const QLabel* label : {Main().L_ColorCount, Main().L_x, Main().L_y})
        EXPECT_EQ(Caption(label), "");
    EXPECT_EQ(Main().Levels().red + Main().Levels().green + Main().Levels().blue, 0);
    EXPECT_FALSE(Main().CB_AUTO->isChecked());
    EXPECT_TRUE(Main().StsBar->currentMessage().isEmpty());
    EXPECT_FALSE(Zoom().isVisible());
    EXPECT_EQ(Main().windowTitle(), "Ruvovuro");
    EXPECT_EQ(Main().size(), QSize(792, 576));
    // Our own icons, the zoom window's different from the main window's.
    const QImage mainIcon = Main().windowIcon().pixmap(32, 32).toImage();
    const QImage zoomIcon = Zoom().windowIcon().pixmap(32, 32).toImage();
    ASSERT_EQ(mainIcon.size(), QSize(32, 32));
    ASSERT_EQ(zoomIcon.size(), QSize(32, 32));
    EXPECT_NE(mainIcon, zoomIcon);
}

// The design's items are the level choices the engine and brodix-chart number.
TEST_F(MainWindowTest, LevelItemsReadAsTheEngineNamesThem) {
    QStringList expected;
    for (const char* item : kLevelItems)
        expected << QString::fromUtf8(item);
    for (const RadioGroup* group : {Main().RG_ColorR, Main().RG_ColorG, Main().RG_ColorB})
        EXPECT_EQ(group->items(), expected);
}

TEST_F(MainWindowTest, ShownWithTheFocusOnMakeAndTabGoesThroughTheControlsInOrder) {
    program->ShowMainWindow();
    QApplication::processEvents();
    ASSERT_EQ(Main().focusWidget(), Main().BTN_MAKE);
    const QWidget* expected[] = {Main().BitBtn2, Main().RG_ColorR, Main().BTN_SAVE,
                                 Main().BitBtn1, Main().RG_ColorG, Main().RG_ColorB,
                                 Main().CB_AUTO, Main().BTN_MAKE};
    for (const QWidget* next : expected) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(Main().focusWidget(), &tab);
        EXPECT_EQ(Main().focusWidget(), next) << next->objectName().toStdString();
    }
    EXPECT_EQ(makes, 0);
}

TEST_F(MainWindowTest, EnterClicksTheFocusedButtonAsTheSpaceBarDoes) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(Main().BTN_MAKE, &press);
    }
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(Main().BTN_MAKE, &repeat);
    EXPECT_EQ(makes, 2);
}

TEST_F(MainWindowTest, WithoutAPictureMakeSaveAndZoomDoNothing) {
    Main().BTN_MAKE->click();
    Main().BTN_SAVE->click();
    Main().BitBtn1->click();
    Main().CB_AUTO->setChecked(true);  // ticking runs Make, which has nothing to do
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_TRUE(shell.programMessages.empty());
    EXPECT_TRUE(shell.exceptionMessages.empty());
    EXPECT_EQ(Caption(Main().L_x), "");
    EXPECT_FALSE(Main().Img_CS.Picture().HasGraphic());
    EXPECT_FALSE(Zoom().isVisible());
}

TEST_F(MainWindowTest, LoadingRunsMakeOnceWhateverAutoMake) {
    for (const bool autoMake : {false, true}) {
        SCOPED_TRACE(autoMake);
        Start();
        Main().CB_AUTO->setChecked(autoMake);
        makes = 0;
        Load(Picture("a.bmp", 120, 80));
        EXPECT_EQ(makes, 1);
        EXPECT_EQ(Caption(Main().L_x), "120");
        EXPECT_EQ(Caption(Main().L_y), "80");
        EXPECT_EQ(Caption(Main().L_ColorCount), "96");
        EXPECT_EQ(Main().Img_CS.Width(), 12 * 120 + 1);
        EXPECT_EQ(Main().Img_CS.Height(), 12 * 80 + 1);
        EXPECT_EQ(Main().Img_color.Height(), 15 * 96 + 1);
        EXPECT_TRUE(Main().StsBar->currentMessage().isEmpty());
        EXPECT_TRUE(shell.exceptionMessages.empty());
    }
}

// Selects item of group as the user does, by a click or by an arrow key.
enum class Gesture { ClickItem, KeyDown, KeyUp };

void Select(RadioGroup& group, Gesture gesture, int item) {
    switch (gesture) {
        case Gesture::ClickItem: {
            const QPoint at = group.ItemRect(item).center();
            QMouseEvent press(QEvent::MouseButtonPress, at, group.mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, at, group.mapToGlobal(at),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&group, &press);
            QApplication::sendEvent(&group, &release);
            break;
        }
        case Gesture::KeyDown:
        case Gesture::KeyUp: {
            QKeyEvent key(QEvent::KeyPress, gesture == Gesture::KeyDown ? Qt::Key_Down : Qt::Key_Up,
                          Qt::NoModifier);
            QApplication::sendEvent(&group, &key);
            break;
        }
    }
}

TEST_F(MainWindowTest, LevelChangesAndAutoMakeRunMakeOnlyWhenTheyShould) {
    struct Case {
        const char* what;
        bool autoMake;
        Gesture gesture;
        int item;  // for clicks
        int expectedIndex;
        int expectedMakes;
    };
    const Case cases[] = {
        {"click another item, AutoMake on", true, Gesture::ClickItem, 2, 2, 1},
        {"click another item, AutoMake off", false, Gesture::ClickItem, 2, 2, 0},
        {"click the selected item", true, Gesture::ClickItem, 0, 0, 0},
        {"down arrow to the next item", true, Gesture::KeyDown, 0, 1, 1},
        {"up arrow wraps to the last item", true, Gesture::KeyUp, 0, 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Start();
        Load(Picture("a.bmp", 120, 80));
        Main().CB_AUTO->setChecked(c.autoMake);
        for (RadioGroup* group : {Main().RG_ColorR, Main().RG_ColorG, Main().RG_ColorB}) {
            makes = 0;
            Select(*group, c.gesture, c.item);
            EXPECT_EQ(group->itemIndex(), c.expectedIndex);
            EXPECT_EQ(makes, c.expectedMakes);
        }
    }
}

TEST_F(MainWindowTest, TickingAutoMakeRunsMakeOnceAndUntickingNone) {
    Load(Picture("a.bmp", 120, 80));
    makes = 0;
    Main().CB_AUTO->click();
    EXPECT_EQ(makes, 1);
    Main().CB_AUTO->click();
    EXPECT_EQ(makes, 1);
}

TEST_F(MainWindowTest, MakeAfterALevelChangeReducesWithTheNewChoice) {
    Load(Picture("a.bmp", 120, 80));
    Main().RG_ColorR->setItemIndex(1);
    Main().RG_ColorG->setItemIndex(1);
    Main().RG_ColorB->setItemIndex(1);
    EXPECT_EQ(Caption(Main().L_ColorCount), "96");  // AutoMake is off: nothing ran yet
    Main().BTN_MAKE->click();
    const int reduced = std::stoi(Caption(Main().L_ColorCount));
    EXPECT_LT(reduced, 96);
    EXPECT_GT(reduced, 0);
}

TEST_F(MainWindowTest, ARefusedPictureKeepsThePreviousResultsAndTheZoomWindows) {
    Load(Picture("good.bmp", 120, 80));
    const int chartWidth = Main().Img_CS.Width();
    const TColor chartPixel = Main().Img_CS.Picture().Bitmap().GetPixel(30, 30);
    makes = 0;
    Load(Picture("wide.bmp", 300, 100));
    EXPECT_EQ(makes, 1);
    ASSERT_EQ(shell.programMessages.size(), 1u);
    EXPECT_EQ(shell.programMessages[0].text, "This bitmap is 300x100\rOver 200x200 !!");
    EXPECT_EQ(shell.programMessages[0].title, "BITMAP size error");
    // The new picture is loaded and previewed; everything Make drew stays.
    EXPECT_EQ(Main().Image1.Picture().Width(), 300);
    EXPECT_EQ(Main().Image2.Picture().Width(), 300);
    EXPECT_EQ(Caption(Main().L_x), "120");
    EXPECT_EQ(Caption(Main().L_y), "80");
    EXPECT_EQ(Main().Img_CS.Width(), chartWidth);
    EXPECT_EQ(Main().Img_CS.Picture().Bitmap().GetPixel(30, 30), chartPixel);
    EXPECT_EQ(Zoom().L_x->text(), "120");
    EXPECT_EQ(Zoom().Image2.Width(), 480);
    EXPECT_EQ(Zoom().Image2.Picture().Width(), 120);
    EXPECT_TRUE(Main().StsBar->currentMessage().isEmpty());
    // A picture is loaded, so "Zoom" opens the window.
    Main().BitBtn1->click();
    EXPECT_TRUE(Zoom().isVisible());
}

TEST_F(MainWindowTest, AJpegPictureIsShownButMakeFailsWithTheCanvasMessage) {
    const std::string jpeg = folder / "photo.jpg";
    QImage photo(64, 48, QImage::Format_RGB32);
    photo.fill(QColor(200, 120, 40));
    ASSERT_TRUE(photo.save(QString::fromStdString(jpeg), "JPEG"));
    Load(jpeg, 1);
    EXPECT_EQ(makes, 1);
    EXPECT_STREQ(Main().Image1.Picture().Graphic()->ClassName(),
                 Main().Image2.Picture().Graphic()->ClassName());
    ASSERT_EQ(shell.exceptionMessages.size(), 1u);
    EXPECT_EQ(shell.exceptionMessages[0], std::string(msg::kNoCanvasBitmap) + ".");
    EXPECT_EQ(Caption(Main().L_x), "");
    // The preview draws the photo through the graphic's own drawing.
    const QImage* shown = Main().ViewOf(Main().Image2)->PictureImage();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->size(), QSize(64, 48));
    const QColor centre = shown->pixelColor(32, 24);
    EXPECT_NEAR(centre.red(), 200, 12);
    EXPECT_NEAR(centre.green(), 120, 12);
    EXPECT_NEAR(centre.blue(), 40, 12);
    EXPECT_EQ(shell.exceptionMessages.size(), 1u);
}

TEST_F(MainWindowTest, AnUnknownExtensionKeepsThePictureAndDoesNotRunMake) {
    const std::string first = Picture("a.bmp", 120, 80);
    Load(first);
    const std::string odd = folder / "notes.xyz";
    testing::WriteFileBytes(odd, {'h', 'i'});
    makes = 0;
    Load(odd, 1);
    EXPECT_EQ(makes, 0);
    ASSERT_EQ(shell.exceptionMessages.size(), 1u);
    EXPECT_EQ(shell.exceptionMessages[0], FormatMessage(msg::kUnknownExtension, "xyz") + ".");
    EXPECT_EQ(Main().Image1.Picture().Width(), 120);
    EXPECT_EQ(Main().Image2.Picture().Width(), 120);
}

TEST_F(MainWindowTest, AMissingFileIsReportedWithItsName) {
    const std::string missing = folder / "gone.bmp";
    Load(missing);
    ASSERT_EQ(shell.exceptionMessages.size(), 1u);
    EXPECT_EQ(shell.exceptionMessages[0], FormatMessage(msg::kFOpenError, missing) + ".");
    EXPECT_EQ(makes, 0);
    EXPECT_FALSE(Main().Image1.Picture().HasGraphic());
}

TEST_F(MainWindowTest, TheOpenDialogRemembersTheConfirmedNameAndFilterNotACancel) {
    const std::string first = Picture("a.bmp", 20, 10);
    Load(first, 1);
    shell.Cancel();
    Main().BitBtn2->click();
    shell.Cancel();
    Main().BitBtn2->click();
    ASSERT_EQ(shell.requests.size(), 3u);
    EXPECT_EQ(shell.requests[0].start.fileName, "");
    EXPECT_EQ(shell.requests[0].start.filterIndex, 0);
    ASSERT_EQ(shell.requests[0].filters.size(), 2u);
    EXPECT_EQ(shell.requests[0].filters[0].name, "bmp");
    EXPECT_EQ(shell.requests[0].filters[1].name, "ALL");
    for (int i : {1, 2}) {
        EXPECT_EQ(shell.requests[i].kind, FileDialogKind::Open);
        EXPECT_EQ(shell.requests[i].start.fileName, first);
        EXPECT_EQ(shell.requests[i].start.filterIndex, 1);
    }
    EXPECT_EQ(makes, 1);  // the cancels ran nothing
    EXPECT_EQ(Main().Image1.Picture().Width(), 20);
}

TEST_F(MainWindowTest, StartingWithoutTheSymbolSheetReportsItAndStillOpens) {
    shell.programFileName = folder / "no-such-dir/brodix";
    program.reset();
    program = std::make_unique<Program>(shell);
    ASSERT_EQ(shell.exceptionMessages.size(), 1u);
    EXPECT_EQ(shell.exceptionMessages[0],
              FormatMessage(msg::kFOpenError, folder / "no-such-dir/Brodix.bmp") + ".");
    EXPECT_FALSE(Main().Img_mark.Picture().HasGraphic());
    // The blank cell comes from the window's own design, sheet or not.
    EXPECT_EQ(Main().IMG_BLK.Width(), 13);
    EXPECT_EQ(Main().IMG_BLK.Picture().Width(), 13);
}

// Runs brodix-chart on picture with the given level names, saving under stem.
int RunBatch(const std::string& picture, const std::vector<std::string>& levels,
             const std::string& stem) {
    QStringList arguments;
    const char* options[] = {"--red", "--green", "--blue"};
    for (int i = 0; i < 3; ++i)
        arguments << options[i] << QString::fromStdString(levels[i]);
    arguments << QString::fromStdString(picture) << QString::fromStdString(stem);
    QProcess batch;
    batch.start(QString(BRODIX_BIN_DIR) + "/brodix-chart", arguments);
    if (!batch.waitForFinished(60000))
        return -1;
    return batch.exitCode();
}

TEST_F(MainWindowTest, SaveWritesWhatTheBatchCommandWritesByteForByte) {
    const std::string batch = std::string(BRODIX_BIN_DIR) + "/brodix-chart";
    // The tests depend on the command, so it is built beside them; a missing one is a fault.
    ASSERT_TRUE(std::filesystem::exists(batch)) << batch;
    // 120 x 80 needs pages across (more than 50 stitches).
    const std::string picture = Picture("rose.bmp", 120, 80);
    Load(picture);
    Main().RG_ColorR->setItemIndex(1);
    Main().RG_ColorB->setItemIndex(3);
    Main().BTN_MAKE->click();
    std::filesystem::create_directory(folder / "window");
    std::filesystem::create_directory(folder / "batch");
    shell.Answer(folder / "window/rose");  // typed without extension
    Main().BTN_SAVE->click();
    ASSERT_TRUE(shell.exceptionMessages.empty()) << shell.exceptionMessages[0];
    ASSERT_EQ(RunBatch(picture, {"4", "org", "16"}, folder / "batch/rose"), 0);

    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "window"))
        written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    const std::vector<std::string> expected = {"rose_CS.bmp",   "rose_CS11.bmp", "rose_CS12.bmp",
                                               "rose_CS21.bmp", "rose_CS22.bmp", "rose_CS31.bmp",
                                               "rose_CS32.bmp", "rose_CSC.bmp",  "rose_color.bmp"};
    EXPECT_EQ(written, expected);
    for (const std::string& name : written) {
        SCOPED_TRACE(name);
        EXPECT_EQ(testing::ReadFileBytes(folder / ("window/" + name)),
                  testing::ReadFileBytes(folder / ("batch/" + name)));
    }
}

TEST_F(MainWindowTest, SaveWithAnExtensionKeepsItAndCancelWritesNothing) {
    Load(Picture("a.bmp", 12, 8));
    shell.Cancel();
    Main().BTN_SAVE->click();
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"a.bmp"});
    shell.Answer(folder / "out.jpg", 1);
    Main().BTN_SAVE->click();
    ASSERT_TRUE(shell.exceptionMessages.empty()) << shell.exceptionMessages[0];
    EXPECT_TRUE(std::filesystem::exists(folder / "out_CS.jpg"));
    EXPECT_TRUE(std::filesystem::exists(folder / "out_color.jpg"));
    EXPECT_TRUE(std::filesystem::exists(folder / "out_CSC.jpg"));
    ASSERT_EQ(shell.requests.back().kind, FileDialogKind::Save);
    EXPECT_EQ(shell.requests.back().start.fileName, "");  // the cancel remembered nothing
}

TEST_F(MainWindowTest, ImageViewsShowThePicturesPixels) {
    Load(Picture("a.bmp", 120, 80));
    for (TImage* image : {&Main().Image2, &Main().Img_CS, &Main().Img_color, &Main().IMG_BLK}) {
        ImageView* view = Main().ViewOf(*image);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->size(), QSize(image->Width(), image->Height()));
        const QImage* shown = view->PictureImage();
        ASSERT_NE(shown, nullptr);
        const TBitmap& bitmap = image->Picture().Bitmap();
        ASSERT_EQ(shown->size(), QSize(bitmap.Width(), bitmap.Height()));
        for (const QPoint p : {QPoint(0, 0), QPoint(bitmap.Width() - 1, bitmap.Height() - 1),
                               QPoint(bitmap.Width() / 2, bitmap.Height() / 3)}) {
            const TColor c = bitmap.GetPixel(p.x(), p.y());
            EXPECT_EQ(shown->pixel(p) & 0xFFFFFF, qRgb(RedOf(c), GreenOf(c), BlueOf(c)) & 0xFFFFFF)
                << p.x() << "," << p.y();
        }
    }
}

// The program's own command line: its help and version, an unknown option refused with its
// reason as brodix-chart refuses one, Qt's options still taken, and a plain line without a
// display instead of Qt's abort.
TEST(ProgramCommandLineTest, AnswersRefusesAndSaysWhatItNeeds) {
    const struct {
        QStringList arguments;
        bool display;
        int status;
        std::string out;  // found at the start of standard output
        std::string err;  // a line of standard error starts with it (Qt may warn before)
    } cases[] = {
        {{"--help"}, false, 0, "usage: brodix [--help | --version] [Qt options]\n", ""},
        {{"--version"}, false, 0, "brodix ", ""},
        {{"--bogus"}, true, 64, "", "brodix: unknown option '--bogus'\n"},
        {{"-platform", "offscreen", "--bogus"}, true, 64, "", "brodix: unknown option '--bogus'"},
        {{"rose.bmp"}, true, 64, "", "brodix: unexpected argument 'rose.bmp'"},
        {{}, false, 1, "", "brodix: needs a graphical display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (c.display)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.start(QString(BRODIX_BIN_DIR) + "/brodix", c.arguments);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitCode(), c.status);
        EXPECT_EQ(program.readAllStandardOutput().toStdString().rfind(c.out, 0), 0u);
        const std::string err = program.readAllStandardError().toStdString();
        EXPECT_TRUE(c.err.empty()
                        ? err.empty()
                        : err.rfind(c.err, 0) == 0 || err.find("\n" + c.err) != std::string::npos)
            << err;
    }
}

}  // namespace
}  // namespace brodix
