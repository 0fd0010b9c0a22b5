#include "ui/PdfSave.h"

#include <QMenu>

#include "engine/Workspace.h"
#include "print/PatternPdf.h"
#include "ui/Guard.h"
#include "ui/ImageMenu.h"
#include "ui/Unit1.h"

namespace brodix {

std::vector<FileFilter> PdfFileFilters() {
    return {{"pdf", "*.pdf"}};
}

PdfSave::PdfSave() : m_dialog(FileDialogKind::Save, PdfFileFilters(), "pdf") {}

void PdfSave::Run(Shell& shell, QWidget* owner, const Workspace& workspace,
                  const threads::PatternKey& key) {
    if (!workspace.LastCensus())
        return;
    if (!m_dialog.Execute(shell, owner))
        return;
    print::SavePatternPdf(m_dialog.FileName(), print::PdfSourcesOf(workspace, key),
                          print::PdfOptions{});
}

void AddSavePdfEntry(QMenu& menu, TF_main& window) {
    QAction* save = menu.addAction(QStringLiteral("Save PDF..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SavePdfClick(nullptr); });
}

}  // namespace brodix
