#include "ui/PdfSave.h"

#include <QMenu>

#include "print/PatternPdf.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"
#include "ui/Guard.h"
#include "ui/ImageMenu.h"
#include "ui/Unit1.h"

namespace brodix {

std::vector<FileFilter> PdfFileFilters() {
    return {{"pdf", "*.pdf"}};
}

PdfSave::PdfSave() : m_dialog(FileDialogKind::Save, PdfFileFilters(), "pdf") {}

void PdfSave::Run(Shell& shell, QWidget* owner, const Census* census,
                  const threads::PatternKey& key, const TImage& sheet,
                  const std::string& pictureName) {
    if (census == nullptr)
        return;
    if (!m_dialog.Execute(shell, owner))
        return;
    const print::PdfSources sources{
        *census, dynamic_cast<const TBitmap*>(sheet.Picture().Graphic()), key, pictureName};
    print::SavePatternPdf(m_dialog.FileName(), sources, print::PdfOptions{});
}

void AddSavePdfEntry(QMenu& menu, TF_main& window) {
    QAction* save = menu.addAction(QStringLiteral("Save PDF..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SavePdfClick(nullptr); });
}

}  // namespace brodix
