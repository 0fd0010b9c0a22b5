#include "ui/OxsSave.h"

#include <QMenu>

#include "engine/Workspace.h"
#include "pattern/OxsWriter.h"
#include "ui/ImageMenu.h"
#include "ui/PdfSave.h"
#include "ui/Unit1.h"

namespace brodix {

std::vector<FileFilter> OxsFileFilters() {
    return {{kOxsExtension, std::string("*.") + kOxsExtension}};
}

OxsSave::OxsSave() : m_dialog(FileDialogKind::Save, OxsFileFilters(), kOxsExtension, "Save OXS") {}

std::string OxsSave::Run(Shell& shell, QWidget* owner, const Pattern* pattern,
                         const std::string& otherSave) {
    if (pattern == nullptr)
        return {};
    if (!m_dialog.ExecuteForPicture(shell, owner, pattern->PictureName(), otherSave))
        return {};
    SaveOxs(m_dialog.FileName(), *pattern);
    return m_dialog.FileName();
}

void AddSaveOxsEntry(QMenu& menu, TF_main& window) {
    QAction* save = AddPatternSaveEntry(menu, window, QStringLiteral("Save OXS..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SaveOxsClick(nullptr); });
}

}  // namespace brodix
