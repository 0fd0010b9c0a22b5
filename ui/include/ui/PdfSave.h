#pragma once

#include <string>

#include "engine/Census.h"
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

    // Where Make leaves its census; Make changes it only when it is done.
    Census& LastCensus() { return m_census; }
    // Asks for a file name and writes the PDF of the last Make, drawn with the symbols of
    // sheet. Does nothing before a Make or when the dialog is cancelled; failures raise.
    void Run(Shell& shell, QWidget* owner, const TImage& sheet, const std::string& pictureName);

  private:
    TFileDialog m_dialog;
    Census m_census;  // empty palette: no Make yet
};

// The dialog filter of "Save PDF...": "pdf".
std::vector<FileFilter> PdfFileFilters();

}  // namespace brodix
