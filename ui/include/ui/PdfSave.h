#pragma once

#include <string>

#include "engine/Census.h"
#include "ui/FileDialog.h"

class QMenu;
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

// The context menu of the legend and the chart (right mouse button, or the menu key anywhere
// in the window): its actions, built in one place so that more can join them.
void FillPatternMenu(QMenu& menu, TF_main& window);
// Gives the legend's and the chart's views that menu.
void AttachPatternMenu(TF_main& window);

}  // namespace brodix
