// "Save PDF..." of the legend's and the chart's menu, through the scripted shell.
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

#include <poppler-document.h>
#include <poppler-page.h>

#include <memory>

#include "ui/ImageMenu.h"
#include "ui/ImageView.h"
#include "ui/PdfSave.h"
#include "ui_test_support.h"

namespace brodix {
namespace {

using testing::ReadFileBytes;

class PdfSaveTest : public testing::ProgramTest {};

TEST_F(PdfSaveTest, LegendAndChartOfferSavePdfInTheirMenu) {
    for (TImage* image : {&Main().Img_color, &Main().Img_CS})
        EXPECT_EQ(Main().ViewOf(*image)->contextMenuPolicy(), Qt::CustomContextMenu);
    QMenu menu;
    FillImageMenu(menu, Main());
    const auto actions = menu.actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_EQ(actions[actions.size() - 2]->text(), QStringLiteral("Save PDF..."));
    EXPECT_EQ(actions.back()->text(), QStringLiteral("Save OXS..."));
}

TEST_F(PdfSaveTest, TheMenuKeyOnAnyControlOpensTheMenu) {
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            shown = menu->actions().back()->text();
            menu->close();
        }
    });
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(2, 2),
                          Main().BTN_MAKE->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(Main().BTN_MAKE, &key);
    QApplication::processEvents();  // the check runs now even when no menu opened
    EXPECT_EQ(shown, QStringLiteral("Save OXS..."));
}

TEST_F(PdfSaveTest, WritesThePdfUnderTheChosenNameWithItsDefaultExtension) {
    Main().SavePdfClick(nullptr);  // before any Make: no dialog, nothing written
    EXPECT_TRUE(shell.requests.empty());

    Load(Picture("flower.bmp", 120, 80));
    shell.Answer(folder / "flower");
    Main().SavePdfClick(nullptr);
    ASSERT_EQ(shell.requests.size(), 2u);
    const FileDialogRequest& request = shell.requests.back();
    EXPECT_EQ(request.kind, FileDialogKind::Save);
    ASSERT_EQ(request.filters.size(), 1u);
    EXPECT_EQ(request.filters[0].name, "pdf");
    const auto bytes = ReadFileBytes(folder / "flower.pdf");
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "%PDF-");
    EXPECT_TRUE(shell.exceptionMessages.empty());

    shell.Cancel();
    Main().SavePdfClick(nullptr);
    EXPECT_EQ(folder.Files(), (std::vector<std::string>{"flower.bmp", "flower.pdf"}));
}

TEST_F(PdfSaveTest, AFileThatCannotBeWrittenIsReportedAndTheOldOneStays) {
    Load(Picture("flower.bmp", 20, 10));
    testing::WriteFileBytes(folder / "file", {1});
    shell.Answer(folder / "file/rose.pdf");
    Main().SavePdfClick(nullptr);
    ASSERT_EQ(shell.exceptionMessages.size(), 1u);
    EXPECT_EQ(shell.exceptionMessages[0],
              "ファイル " + folder / "file/rose.pdf" + " を作成できません.");
    EXPECT_EQ(ReadFileBytes(folder / "file"), testing::Bytes{1});
}

// The words on a PDF's cover, as poppler reads them.
std::string CoverText(const std::string& path) {
    const std::unique_ptr<poppler::document> pdf(poppler::document::load_from_file(path));
    if (!pdf || pdf->pages() == 0)
        return {};
    const poppler::byte_array text =
        std::unique_ptr<poppler::page>(pdf->create_page(0))->text().to_utf8();
    return {text.begin(), text.end()};
}

TEST_F(PdfSaveTest, TheCoverNamesThePictureOfTheLastMakeHoweverItCame) {
    Load(Picture("first.bmp", 20, 10));
    const std::string second = Picture("holiday.bmp", 30, 12);
    QMenu menu;
    FillImageMenu(menu, Main());
    for (QAction* action : menu.actions()) {
        if (action->text() == QStringLiteral("Open Any Picture...")) {
            shell.Answer(second);
            action->trigger();
        }
    }
    ASSERT_EQ(makes, 2);
    shell.Answer(folder / "pattern.pdf");
    Main().SavePdfClick(nullptr);
    ASSERT_TRUE(shell.exceptionMessages.empty()) << shell.exceptionMessages[0];
    const std::string cover = CoverText(folder / "pattern.pdf");
    EXPECT_NE(cover.find("holiday.bmp"), std::string::npos) << cover;
    EXPECT_EQ(cover.find("first.bmp"), std::string::npos);
}

}  // namespace
}  // namespace brodix
