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

PatternFileSave MakeOxsSave() {
    return PatternFileSave(OxsFileFilters(), kOxsExtension, "Save OXS", SaveOxs);
}

void AddSaveOxsEntry(QMenu& menu, TF_main& window) {
    QAction* save = AddPatternSaveEntry(menu, window, QStringLiteral("Save OXS..."));
    QObject::connect(save, &QAction::triggered, &window,
                     [&window] { window.SaveOxsClick(nullptr); });
}

}  // namespace brodix
