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

PdfSave::PdfSave() : m_dialog(FileDialogKind::Save, PdfFileFilters(), "pdf") {}

void PdfSave::Run(Shell& shell, QWidget* owner, const Workspace& workspace,
                  const threads::PatternKey& key) {
    if (!workspace.LastCensus())
        return;
    if (!m_dialog.Execute(shell, owner))
        return;
    const std::string fileName = m_dialog.FileName();
    try {
        print::SavePatternPdf(fileName, print::PdfSourcesOf(workspace, key), print::PdfOptions{});
    } catch (const Exception& failure) {
        if (failure.SystemError() == 0)
            throw;
        // The fixed message stays as it is; the line under it says why the write failed.
        throw EWriteError(
            ExceptionBoxText(failure.Message()) + "\n" + WriteFailureReason(fileName, failure),
            failure.Reason(), failure.SystemError());
    }
}

void AddSavePdfEntry(QMenu& menu, TF_main& window) {
    QAction* save = menu.addAction(QStringLiteral("Save PDF..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SavePdfClick(nullptr); });
}

}  // namespace brodix
