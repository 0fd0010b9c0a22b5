#pragma once

#include <string>

#include "ui/FileDialog.h"

class QWidget;

namespace brodix {

class Pattern;
class Shell;

// "Save OXS...": the pattern of the last Make for other cross-stitch programs, written where its
// own save dialog says.
class OxsSave {
  public:
    OxsSave();

    // Asks for a file name (as "Save PDF..." does) and writes the OXS file of pattern. Gives
    // the file written; nothing without a pattern or when the dialog is cancelled; failures
    // raise.
    std::string Run(Shell& shell, QWidget* owner, const Pattern* pattern,
                    const std::string& otherSave);

  private:
    TFileDialog m_dialog;
};

// The dialog filter of "Save OXS...": "oxs".
std::vector<FileFilter> OxsFileFilters();

}  // namespace brodix
