#pragma once

#include <string>

#include "threads/PatternKey.h"
#include "threads/PatternSettings.h"
#include "ui/FileDialog.h"

class QAction;
class QMenu;
class QString;
class QWidget;

namespace brodix {

class Shell;
class TF_main;
class Workspace;

// "Save PDF...": the printed pattern of the last Make, written where its own save dialog says.
class PdfSave {
  public:
    PdfSave();

    // Asks for a file name (the picture's, in the folder of the last PDF saved, else of
    // otherSave, else of the picture) and writes the PDF of the workspace's last Make with its
    // key, on the paper and in the chart style of settings and, when their report is asked
    // for, the stitchability report on its cover. Gives the file written; nothing before a
    // Make or when the dialog is cancelled; failures raise.
    std::string Run(Shell& shell, QWidget* owner, const Workspace& workspace,
                    const threads::PatternKey& key, const std::string& otherSave,
                    const threads::PatternSettings& settings);

  private:
    TFileDialog m_dialog;
};

// An entry of the menu that saves or tells of the pattern ("Save PDF...", "Save OXS...",
// "Stitchability Report..."): until a Make has made a chart, greyed with its reason after the
// text ("Save PDF... (load a picture first)").
QAction* AddPatternSaveEntry(QMenu& menu, const TF_main& window, const QString& text);

// The dialog filter of "Save PDF...": "pdf".
std::vector<FileFilter> PdfFileFilters();

}  // namespace brodix
