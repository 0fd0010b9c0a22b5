#pragma once

#include <string>

#include "ui/FileDialog.h"

class QAction;
class QMenu;
class QString;
class QWidget;

namespace brodix {

class Pattern;
class Shell;
class TBitmap;
class TF_main;

// "Save PDF...": the printed pattern of the last Make, written where its own save dialog says.
class PdfSave {
  public:
    PdfSave();

    // Asks for a file name (the picture's, in the folder of the last PDF saved, else of
    // otherSave, else of the picture) and writes the PDF of pattern, its symbols traced from
    // symbolSheet, on the paper and in the chart style of its settings. Gives the file
    // written; nothing without a pattern or when the dialog is cancelled; failures raise.
    std::string Run(Shell& shell, QWidget* owner, const Pattern* pattern,
                    const TBitmap* symbolSheet, const std::string& otherSave);

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
