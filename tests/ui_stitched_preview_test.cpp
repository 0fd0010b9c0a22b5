// The stitched preview in the window: "As Stitched" of the zoom window's picture, "Fabric
// colour..." and "Save Preview..." of the pattern menu.
#include <QAction>
#include <QMenu>
#include <QStatusBar>

#include <algorithm>

#include "raster/DisplayPixels.h"
#include "raster/TBitmap.h"
#include "ui/ImageMenu.h"
#include "ui/ImageView.h"
#include "ui/PatternMenu.h"
#include "ui/RadioGroup.h"
#include "ui_test_support.h"

namespace brodix {
namespace {

class StitchedPreviewTest : public testing::ProgramTest {
  protected:
    // The zoom window's picture: its size, and the colour at the top middle of the stitch at
    // (x, y) when it is drawn k pixels a stitch: fabric between the legs of a cross.
    QSize PictureSize() {
        const TBitmap& bitmap = Zoom().Image2.Picture().Bitmap();
        return {bitmap.Width(), bitmap.Height()};
    }
    TColor CornerOfStitch(int x, int y, int k) {
        const TBitmap& bitmap = Zoom().Image2.Picture().Bitmap();
        return ColorOfDisplayPixel(
            DisplayRow(bitmap, y * k)[static_cast<std::size_t>(x * k + k / 2)]);
    }
    void SelectFactor(int factor) {
        Zoom().RG_x->setItemIndex(factor - 1);
        Zoom().RG_xClick(nullptr);
    }
};

TEST_F(StitchedPreviewTest, AsStitchedDrawsTheCrossesAtTheFactorAndGivesBackTheFlatPicture) {
    EXPECT_EQ(Zoom().ImageView2()->contextMenuPolicy(), Qt::CustomContextMenu);
    // White blank all round a block of red.
    Load(Picture("red.bmp", 12, 8, [](int x, int y) {
        return x >= 4 && x < 8 && y >= 2 && y < 6 ? RGB(200, 20, 40) : RGB(255, 255, 255);
    }));
    EXPECT_FALSE(Zoom().AsStitched());
    EXPECT_EQ(PictureSize(), QSize(12, 8));  // the flat picture, stretched when painted
    const TBitmap flat = Zoom().Image2.Picture().Bitmap();

    struct Step {
        int factor;
        bool crosses;  // at x1 to x3 each stitch is one colour
    };
    Zoom().SetAsStitched(true);
    for (const Step step : {Step{4, true}, Step{8, true}, Step{2, false}, Step{1, false}}) {
        SCOPED_TRACE(step.factor);
        SelectFactor(step.factor);
        const int k = step.factor;
        EXPECT_EQ(PictureSize(), QSize(12 * k, 8 * k));
        EXPECT_EQ(Zoom().Image2.Width(), 12 * k);
        const TBitmap& stitched = Zoom().Image2.Picture().Bitmap();
        // A stitched cell holds the thread's red and, with crosses, the fabric between legs.
        const auto row = DisplayRow(stitched, 3 * k + k / 2);
        const TColor centre = ColorOfDisplayPixel(row[static_cast<std::size_t>(5 * k + k / 2)]);
        EXPECT_GT(RedOf(centre), GreenOf(centre) + 40);
        if (step.crosses)
            EXPECT_GT(GreenOf(CornerOfStitch(5, 3, k)), 200);  // the white fabric shows
        else
            EXPECT_LT(GreenOf(CornerOfStitch(5, 3, k)), 200);  // the mix from afar
    }
    Zoom().SetAsStitched(false);
    EXPECT_EQ(PictureSize(), QSize(12, 8));
    const TBitmap& back = Zoom().Image2.Picture().Bitmap();
    ASSERT_EQ(back.PixelFormat(), flat.PixelFormat());
    for (int y = 0; y < 8; ++y)
        EXPECT_TRUE(
            std::equal(flat.ScanLine(y), flat.ScanLine(y) + flat.Stride(), back.ScanLine(y)));
}

TEST_F(StitchedPreviewTest, FabricColourIsRememberedAndShownByAsStitched) {
    Load(Picture("white.bmp", 6, 4, [](int, int) { return RGB(255, 255, 255); }));
    Zoom().SetAsStitched(true);
    SelectFactor(8);
    EXPECT_GT(GreenOf(CornerOfStitch(2, 2, 8)), 230);
    shell.colours = {RGB(20, 30, 120)};
    Main().Patterns().AskFabricColour();
    EXPECT_EQ(shell.settings["pattern/fabricColour"], "141E78");
    const TColor navy = CornerOfStitch(2, 2, 8);
    EXPECT_LT(GreenOf(navy), 60);
    EXPECT_GT(BlueOf(navy), 80);
    // Cancelled: nothing changes.
    Main().Patterns().AskFabricColour();
    EXPECT_EQ(Main().PatternChoices().fabricColour, RGB(20, 30, 120));
}

TEST_F(StitchedPreviewTest, SavePreviewWritesThePngWhereItsDialogSays) {
    QMenu menu;
    FillImageMenu(menu, Main());
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << action->text();
    const auto preview = texts.indexOf(QStringLiteral("Save Preview... (load a picture first)"));
    ASSERT_GE(preview, 0) << texts.join(", ").toStdString();
    EXPECT_EQ(texts[preview + 1], QStringLiteral("PDF paper"));

    Load(Picture("flower.bmp", 30, 20));
    shell.Answer(folder / "flower");
    Main().SavePreviewClick(nullptr);
    const FileDialogRequest& request = shell.requests.back();
    EXPECT_EQ(request.title, "Save Preview");
    EXPECT_EQ(request.start.fileName, folder / "flower.png");
    EXPECT_EQ(Main().NoteText(), "Written: " + folder / "flower.png");
    const auto bytes = testing::ReadFileBytes(folder / "flower.png");
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
    // 30 x 20 stitches at 10 pixels a stitch, in the header's big-endian width and height.
    EXPECT_EQ(bytes[18] * 256 + bytes[19], 300);
    EXPECT_EQ(bytes[22] * 256 + bytes[23], 200);
}

}  // namespace
}  // namespace brodix
