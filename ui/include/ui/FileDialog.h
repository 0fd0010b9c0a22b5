#pragma once

#include <string>
#include <vector>

#include "ui/Shell.h"

class QWidget;

namespace brodix {

// A file dialog component as a window holds it (OpenDialog1, SaveDialog1): its filter list,
// default extension and what the user last confirmed, which the next run starts from.
class TFileDialog {
  public:
    TFileDialog(FileDialogKind kind, std::vector<FileFilter> filters, std::string defaultExt);

    // Runs the dialog through the shell. True with FileName() set when the user confirmed; a
    // cancelled dialog changes nothing.
    bool Execute(Shell& shell, QWidget* owner);

    const std::string& FileName() const { return m_choice.fileName; }
    int FilterIndex() const { return m_choice.filterIndex; }

  private:
    FileDialogKind m_kind;
    std::vector<FileFilter> m_filters;
    std::string m_defaultExt;
    FileChoice m_choice;
};

// The filter both of the main window's dialogs use: "bmp" and "ALL".
std::vector<FileFilter> PictureFileFilters();

// The filter of "Open Any Picture...": "pictures" (PNG, JPEG, GIF, BMP, OXS) and "ALL".
std::vector<FileFilter> AnyPictureFileFilters();

}  // namespace brodix
