#pragma once

#include "threads/PatternKey.h"
#include "ui/FileDialog.h"

class QWidget;

namespace brodix {

class Shell;
class Workspace;

// "Save OXS...": the pattern of the last Make for other cross-stitch programs, written where its
// own save dialog says.
class OxsSave {
  public:
    OxsSave();

    // Asks for a file name and writes the OXS file of the workspace's last Make with its key.
    // Does nothing before a Make or when the dialog is cancelled; failures raise.
    void Run(Shell& shell, QWidget* owner, const Workspace& workspace,
             const threads::PatternKey& key);

  private:
    TFileDialog m_dialog;
};

// The dialog filter of "Save OXS...": "oxs".
std::vector<FileFilter> OxsFileFilters();

}  // namespace brodix
