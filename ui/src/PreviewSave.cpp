#include "ui/PreviewSave.h"

#include <QMenu>

#include "pattern/Pattern.h"
#include "print/StitchedPreview.h"
#include "ui/PdfSave.h"
#include "ui/Unit1.h"

namespace brodix {

std::vector<FileFilter> PreviewFileFilters() {
    return {{"png", "*.png"}};
}

PreviewSave::PreviewSave()
    : m_dialog(FileDialogKind::Save, PreviewFileFilters(), "png", "Save Preview") {}

std::string PreviewSave::Run(Shell& shell, QWidget* owner, const Pattern* pattern,
                             const std::string& otherSave) {
    if (pattern == nullptr)
        return {};
    if (!m_dialog.ExecuteForPicture(shell, owner, pattern->PictureName(), otherSave))
        return {};
    print::SavePreviewPng(m_dialog.FileName(), *pattern,
                          print::PreviewStitchPixels(pattern->Width(), pattern->Height(),
                                                     print::kDefaultPreviewStitchPixels));
    return m_dialog.FileName();
}

void AddSavePreviewEntry(QMenu& menu, TF_main& window) {
    QAction* save = AddPatternSaveEntry(menu, window, QStringLiteral("Save Preview..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SavePreviewClick(nullptr); });
}

}  // namespace brodix
