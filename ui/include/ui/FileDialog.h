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
    // title: the dialog's title bar; empty: the system's own ("Open", "Save As").
    TFileDialog(FileDialogKind kind, std::vector<FileFilter> filters, std::string defaultExt,
                std::string title = {});

    // Runs the dialog through the shell. True with FileName() set when the user confirmed; a
    // cancelled dialog changes nothing.
    bool Execute(Shell& shell, QWidget* owner);

    // Runs a save dialog of a file made from a picture ("Save PDF", "Save OXS"), offering the
    // picture's name with this dialog's extension, in the folder of this dialog's last save,
    // else of otherSave (another dialog's last file), else of the picture.
    bool ExecuteForPicture(Shell& shell, QWidget* owner, const std::string& pictureName,
                           const std::string& otherSave);

    const std::string& FileName() const { return m_choice.fileName; }
    int FilterIndex() const { return m_choice.filterIndex; }

  private:
    FileDialogKind m_kind;
    std::vector<FileFilter> m_filters;
    std::string m_defaultExt;
    std::string m_title;
    FileChoice m_choice;
};

// The filter both of the main window's dialogs use: "bmp" and "ALL".
std::vector<FileFilter> PictureFileFilters();

// The filter of "Open Any Picture...": "Pictures" (PNG, JPEG, GIF, BMP, OXS) and "ALL".
std::vector<FileFilter> AnyPictureFileFilters();

}  // namespace brodix
