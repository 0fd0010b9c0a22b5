#pragma once

#include <string>

#include "threads/PatternKey.h"
#include "ui/FileDialog.h"

class QWidget;

namespace brodix {

class Shell;
class TF_main;
class Workspace;

// "Save PDF...": the printed pattern of the last Make, written where its own save dialog says.
class PdfSave {
  public:
    PdfSave();

    // Asks for a file name and writes the PDF of the workspace's last Make with its key. Does
    // nothing before a Make or when the dialog is cancelled; failures raise.
    void Run(Shell& shell, QWidget* owner, const Workspace& workspace,
             const threads::PatternKey& key);

  private:
    TFileDialog m_dialog;
};

// The dialog filter of "Save PDF...": "pdf".
std::vector<FileFilter> PdfFileFilters();

}  // namespace brodix
