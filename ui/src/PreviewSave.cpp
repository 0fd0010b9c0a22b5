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

PatternFileSave MakePreviewSave() {
    return PatternFileSave(PreviewFileFilters(), "png", "Save Preview",
                           [](const std::string& fileName, const Pattern& pattern) {
                               print::SavePreviewPng(
                                   fileName, pattern,
                                   print::PreviewStitchPixels(pattern.Width(), pattern.Height(),
                                                              print::kDefaultPreviewStitchPixels));
                           });
}

void AddSavePreviewEntry(QMenu& menu, TF_main& window) {
    QAction* save = AddPatternSaveEntry(menu, window, QStringLiteral("Save Preview..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SavePreviewClick(nullptr); });
}

}  // namespace brodix
