#pragma once

#include <string>

#include "engine/Census.h"
#include "threads/PatternKey.h"
#include "ui/FileDialog.h"

class QWidget;

namespace brodix {

class Shell;
class TF_main;
class TImage;

// "Save PDF...": the printed pattern of the last Make, written where its own save dialog says.
class PdfSave {
  public:
    PdfSave();

    // Asks for a file name and writes the PDF of the last Make (its census and key), drawn
    // with the symbols of sheet. Does nothing before a Make (census null) or when the dialog
    // is cancelled; failures raise.
    void Run(Shell& shell, QWidget* owner, const Census* census, const threads::PatternKey& key,
             const TImage& sheet, const std::string& pictureName);

  private:
    TFileDialog m_dialog;
};

// The dialog filter of "Save PDF...": "pdf".
std::vector<FileFilter> PdfFileFilters();

}  // namespace brodix
