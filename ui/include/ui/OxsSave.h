#pragma once

#include <string>

#include "threads/PatternKey.h"
#include "threads/PatternSettings.h"
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

    // Asks for a file name (as "Save PDF..." does) and writes the OXS file of the workspace's
    // last Make with its key and the settings it was built with. Gives the file written;
    // nothing before a Make or when the dialog is cancelled; failures raise.
    std::string Run(Shell& shell, QWidget* owner, const Workspace& workspace,
                    const threads::PatternKey& key, const threads::PatternSettings& settings,
                    const std::string& otherSave);

  private:
    TFileDialog m_dialog;
};

// The dialog filter of "Save OXS...": "oxs".
std::vector<FileFilter> OxsFileFilters();

}  // namespace brodix
