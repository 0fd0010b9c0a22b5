#include "ui/OxsSave.h"

#include <QMenu>

#include "engine/Workspace.h"
#include "export/OxsPattern.h"
#include "ui/ImageMenu.h"
#include "ui/Unit1.h"

namespace brodix {

std::vector<FileFilter> OxsFileFilters() {
    return {{kOxsExtension, std::string("*.") + kOxsExtension}};
}

OxsSave::OxsSave() : m_dialog(FileDialogKind::Save, OxsFileFilters(), kOxsExtension) {}

void OxsSave::Run(Shell& shell, QWidget* owner, const Workspace& workspace,
                  const threads::PatternKey& key) {
    if (!workspace.LastCensus())
        return;
    if (!m_dialog.Execute(shell, owner))
        return;
    SaveOxs(m_dialog.FileName(), OxsSourcesOf(workspace, key));
}

void AddSaveOxsEntry(QMenu& menu, TF_main& window) {
    QAction* save = menu.addAction(QStringLiteral("Save OXS..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SaveOxsClick(nullptr); });
}

}  // namespace brodix
