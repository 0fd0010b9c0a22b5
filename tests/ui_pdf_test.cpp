// "Save PDF..." of the legend's and the chart's menu, through the scripted shell.
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include <poppler-document.h>
#include <poppler-page.h>

#include <filesystem>
#include <memory>

#include "ui/ImageMenu.h"
#include "ui/ImageView.h"
#include "ui/PdfSave.h"
#include "ui_test_support.h"

namespace brodix {
namespace {

using testing::ReadFileBytes;

class PdfSaveTest : public testing::ProgramTest {};

TEST_F(PdfSaveTest, LegendAndChartOfferSavePdfInTheirMenuGreyedUntilAChart) {
    for (TImage* image : {&Main().Img_color, &Main().Img_CS})
        EXPECT_EQ(Main().ViewOf(*image)->contextMenuPolicy(), Qt::CustomContextMenu);
    for (const bool loaded : {false, true}) {
        if (loaded)
            Load(Picture("flower.bmp", 12, 8));
        QMenu menu;
        FillImageMenu(menu, Main());
        const auto actions = menu.actions();
        ASSERT_GE(actions.size(), 2);
        const QString why = loaded ? QString() : QStringLiteral(" (load a picture first)");
        const QAction* pdf = actions[actions.size() - 2];
        const QAction* oxs = actions.back();
        EXPECT_EQ(pdf->text(), QStringLiteral("Save PDF...") + why);
        EXPECT_EQ(oxs->text(), QStringLiteral("Save OXS...") + why);
        EXPECT_EQ(pdf->isEnabled(), loaded);
        EXPECT_EQ(oxs->isEnabled(), loaded);
        // The pattern's choices may be set before any picture; a greyed entry says why.
        for (const QAction* entry : actions) {
            EXPECT_TRUE(entry->isEnabled() || entry->text().endsWith(" first)"))
                << entry->text().toStdString();
        }
    }
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
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Save OXS..."))) << shown.toStdString();
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
    EXPECT_EQ(request.title, "Save PDF");
    EXPECT_EQ(request.start.fileName, folder / "flower.pdf");  // the picture's name and folder
    EXPECT_TRUE(Main().StsBar->currentMessage().isEmpty());
    EXPECT_EQ(Main().NoteText(), "Written: " + folder / "flower.pdf");
    ASSERT_EQ(request.filters.size(), 1u);
    EXPECT_EQ(request.filters[0].name, "pdf");
    const auto bytes = ReadFileBytes(folder / "flower.pdf");
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "%PDF-");
    EXPECT_TRUE(shell.exceptionMessages.empty());
    // The next dialog opens in the folder of the last save.
    std::filesystem::create_directory(folder / "sub");
    shell.Answer(folder / "sub/other.pdf");
    Main().SavePdfClick(nullptr);
    shell.Cancel();
    Main().SavePdfClick(nullptr);
    EXPECT_EQ(shell.requests.back().start.fileName, folder / "sub/flower.pdf");

    EXPECT_EQ(folder.Files(), (std::vector<std::string>{"flower.bmp", "flower.pdf", "sub"}));
}

TEST_F(PdfSaveTest, AFileThatCannotBeWrittenIsReportedAndTheOldOneStays) {
    Load(Picture("flower.bmp", 20, 10));
    testing::WriteFileBytes(folder / "file", {1});
    shell.Answer(folder / "file/rose.pdf");
    Main().SavePdfClick(nullptr);
    ASSERT_EQ(shell.exceptionMessages.size(), 1u);
    EXPECT_EQ(shell.exceptionMessages[0],
              "cannot write " + folder / "file/rose.pdf" + ": Not a directory.");
    EXPECT_EQ(ReadFileBytes(folder / "file"), testing::Bytes{1});

    // A write that fails part way: why, in the system's words.
    shell.Answer(folder / "rose.pdf");
    {
        const testing::FileSizeLimit full(1024);
        Main().SavePdfClick(nullptr);
    }
    ASSERT_EQ(shell.exceptionMessages.size(), 2u);
    EXPECT_EQ(shell.exceptionMessages[1],
              "cannot write " + folder / "rose.pdf" + ": File too large.");
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
