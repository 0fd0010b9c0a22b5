// The zoom window: the hand-over from Make, the factor choice, the scroll box and the
// enlarged painting.
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>

#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "ui/ImageView.h"
#include "ui/RadioGroup.h"
#include "ui/ScrollBox.h"
#include "ui_test_support.h"

namespace brodix {
namespace {

using testing::ProgramTest;

class ZoomWindowTest : public ProgramTest {};

TEST_F(ZoomWindowTest, StartsHiddenAtFourTimesWithEmptyLabels) {
    EXPECT_FALSE(Zoom().isVisible());
    EXPECT_EQ(Zoom().windowTitle(), "Zoom");
    EXPECT_EQ(Zoom().size(), QSize(792, 566));
    EXPECT_EQ(Zoom().RG_x->itemIndex(), 3);
    EXPECT_EQ(Zoom().RG_x->items().size(), 8);
    EXPECT_TRUE(Zoom().L_x->text().isEmpty());
    EXPECT_TRUE(Zoom().L_y->text().isEmpty());
    EXPECT_FALSE(Zoom().Image2.Picture().HasGraphic());
    EXPECT_TRUE(Zoom().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Zoom().windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(Zoom().windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(ZoomWindowTest, ShowingItAgainFollowsTheMonitorOfTheActiveWindow) {
    // The program's tests run on two monitors side by side (ui_test_support.h).
    const auto screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    const QRect right = screens[1]->geometry();
    Load(Picture("rose.bmp", 120, 80));
    const auto shownAt = [this] {
        Main().BitBtn1->click();
        return Zoom().frameGeometry().topLeft();
    };
    const QSize outer = Zoom().frameGeometry().size();

    Zoom().move(450, 300);
    EXPECT_EQ(shownAt(), QPoint(450, 300)) << "same monitor: shown where it was";
    Zoom().BitBtn1->click();
    Main().move(right.topLeft() + QPoint(20, 20));
    // On the right monitor, pulled back so that its right and bottom edges stay on it.
    EXPECT_EQ(shownAt(),
              QPoint(right.right() + 1 - outer.width(), right.bottom() + 1 - outer.height()));
    // Already visible: only brought to the front.
    Main().move(40, 40);
    EXPECT_EQ(shownAt(),
              QPoint(right.right() + 1 - outer.width(), right.bottom() + 1 - outer.height()));
}

TEST_F(ZoomWindowTest, FactorsResizeTheImageFromTheLabels) {
    Load(Picture("a.bmp", 120, 80));
    EXPECT_EQ(Zoom().L_x->text(), "120");
    EXPECT_EQ(Zoom().L_y->text(), "80");
    EXPECT_TRUE(Zoom().Image2.Stretch());
    Main().BitBtn1->click();
    ASSERT_TRUE(Zoom().isVisible());
    struct Case {
        int index;
        QSize size;
        bool bars;
    };
    const Case cases[] = {{3, {480, 320}, false},
                          {0, {120, 80}, false},
                          {7, {960, 640}, true},
                          {3, {480, 320}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        Zoom().RG_x->setItemIndex(c.index);
        EXPECT_EQ(QSize(Zoom().Image2.Width(), Zoom().Image2.Height()), c.size);
        EXPECT_EQ(Zoom().ImageView2()->size(), c.size);
        // The scroll extent is the image's far edge. Qt shows and hides the bars once the
        // events queued by the new range are processed.
        QApplication::processEvents();
        EXPECT_EQ(Zoom().ScrollBox1->widget()->size(), c.size + QSize(5, 5));
        EXPECT_EQ(Zoom().ScrollBox1->horizontalScrollBar()->isVisible(), c.bars);
        EXPECT_EQ(Zoom().ScrollBox1->verticalScrollBar()->isVisible(), c.bars);
        EXPECT_EQ(Zoom().ScrollBox1->verticalScrollBar()->singleStep(), 8);
    }
    EXPECT_TRUE(shell.exceptionMessages.empty());
}

TEST_F(ZoomWindowTest, EveryStitchIsASolidBlockOfItsColour) {
    Load(Picture("a.bmp", 120, 80));
    const TBitmap& preview = Main().Image2.Picture().Bitmap();
    for (const int factor : {1, 3, 8}) {
        SCOPED_TRACE(factor);
        Zoom().RG_x->setItemIndex(factor - 1);
        const QImage shown = Zoom().ImageView2()->grab().toImage();
        ASSERT_EQ(shown.size(), QSize(120 * factor, 80 * factor));
        for (const QPoint stitch : {QPoint(0, 0), QPoint(9, 9), QPoint(10, 10), QPoint(119, 79)}) {
            const TColor c = preview.GetPixel(stitch.x(), stitch.y());
            for (const QPoint corner : {QPoint(0, 0), QPoint(factor - 1, factor - 1)}) {
                const QPoint at = stitch * factor + corner;
                EXPECT_EQ(shown.pixel(at) & 0xFFFFFF,
                          qRgb(RedOf(c), GreenOf(c), BlueOf(c)) & 0xFFFFFF)
                    << at.x() << "," << at.y();
            }
        }
    }
}

TEST_F(ZoomWindowTest, AutoMakeUpdatesTheOpenWindowAtTheCurrentFactor) {
    Load(Picture("a.bmp", 120, 80));
    Main().BitBtn1->click();
    Zoom().RG_x->setItemIndex(1);
    Main().CB_AUTO->setChecked(true);
    Load(Picture("small.bmp", 30, 20));
    EXPECT_EQ(Zoom().L_x->text(), "30");
    EXPECT_EQ(QSize(Zoom().Image2.Width(), Zoom().Image2.Height()), QSize(60, 40));
    Main().RG_ColorG->setItemIndex(2);
    EXPECT_EQ(Zoom().Image2.Picture().Bitmap().GetPixel(0, 0),
              Main().Image2.Picture().Bitmap().GetPixel(0, 0));
}

TEST_F(ZoomWindowTest, OkHidesAndZoomShowsTheSameState) {
    Load(Picture("a.bmp", 120, 80));
    Main().BitBtn1->click();
    Zoom().RG_x->setItemIndex(5);
    Zoom().BitBtn1->click();
    EXPECT_FALSE(Zoom().isVisible());
    Main().BitBtn1->click();
    EXPECT_TRUE(Zoom().isVisible());
    EXPECT_EQ(Zoom().RG_x->itemIndex(), 5);
    EXPECT_EQ(Zoom().Image2.Width(), 720);
}

TEST_F(ZoomWindowTest, AFactorChangeBeforeAnyMakeGivesTheConversionMessage) {
    Load(Picture("wide.bmp", 300, 100));  // refused: the labels stay empty
    Main().BitBtn1->click();
    EXPECT_TRUE(Zoom().isVisible());
    const QSize before(Zoom().Image2.Width(), Zoom().Image2.Height());
    Zoom().RG_x->setItemIndex(6);
    ASSERT_EQ(shell.exceptionMessages.size(), 1u);
    EXPECT_EQ(shell.exceptionMessages[0], FormatMessage(msg::kInvalidInteger, "") + ".");
    EXPECT_EQ(QSize(Zoom().Image2.Width(), Zoom().Image2.Height()), before);
    EXPECT_EQ(Zoom().RG_x->itemIndex(), 6);  // used by the next zoom update
    Load(Picture("a.bmp", 10, 10));
    EXPECT_EQ(Zoom().Image2.Width(), 70);
}

}  // namespace
}  // namespace brodix
