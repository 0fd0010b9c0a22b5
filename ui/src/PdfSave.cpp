#include "ui/PdfSave.h"

#include <QMenu>

#include "engine/Messages.h"
#include "engine/Workspace.h"
#include "print/PatternPdf.h"
#include "raster/Exceptions.h"
#include "ui/Guard.h"
#include "ui/ImageMenu.h"
#include "ui/Unit1.h"

namespace brodix {

std::vector<FileFilter> PdfFileFilters() {
    return {{"pdf", "*.pdf"}};
}

PdfSave::PdfSave() : m_dialog(FileDialogKind::Save, PdfFileFilters(), "pdf", "Save PDF") {}

std::string PdfSave::Run(Shell& shell, QWidget* owner, const Pattern* pattern,
                         const TBitmap* symbolSheet, const std::string& otherSave) {
    if (pattern == nullptr)
        return {};
    if (!m_dialog.ExecuteForPicture(shell, owner, pattern->PictureName(), otherSave))
        return {};
    print::SavePatternPdf(m_dialog.FileName(), {*pattern, symbolSheet},
                          print::PdfOptionsOf(pattern->Settings()));
    return m_dialog.FileName();
}

QAction* AddPatternSaveEntry(QMenu& menu, const TF_main& window, const QString& text) {
    // Greyed, the entry says why; the pattern's choices stay enabled to be set in advance.
    if (window.CurrentPattern() != nullptr)
        return menu.addAction(text);
    const QString why = window.Image1.Picture().HasGraphic()
                            ? QStringLiteral("make a chart first")
                            : QStringLiteral("load a picture first");
    QAction* save = menu.addAction(QStringLiteral("%1 (%2)").arg(text, why));
    save->setEnabled(false);
    return save;
}

void AddSavePdfEntry(QMenu& menu, TF_main& window) {
    QAction* save = AddPatternSaveEntry(menu, window, QStringLiteral("Save PDF..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SavePdfClick(nullptr); });
}

}  // namespace brodix
