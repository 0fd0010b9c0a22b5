#pragma once

#include <string>
#include <vector>

#include "ui/FileDialog.h"

class QMenu;
class QWidget;

namespace brodix {

class Pattern;
class Shell;
class TF_main;

// "Save Preview...": the pattern of the last Make as it will look stitched, a PNG picture
// written where its own save dialog says.
class PreviewSave {
  public:
    PreviewSave();

    // Asks for a file name (as "Save PDF..." does) and writes the stitched preview of pattern at
    // the default pixels a stitch. Gives the file written; nothing without a pattern or when the
    // dialog is cancelled; failures raise.
    std::string Run(Shell& shell, QWidget* owner, const Pattern* pattern,
                    const std::string& otherSave);

  private:
    TFileDialog m_dialog;
};

// The dialog filter of "Save Preview...": "png".
std::vector<FileFilter> PreviewFileFilters();

// "Save Preview..." of the legend's and the chart's menu.
void AddSavePreviewEntry(QMenu& menu, TF_main& window);

}  // namespace brodix
