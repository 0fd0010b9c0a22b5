#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/FileDialog.h"

class QWidget;

namespace brodix {

class Pattern;
class Shell;

// A file of the pattern of the last Make ("Save OXS...", "Save Preview..."), written where its
// own save dialog says, which starts from the picture's name as "Save PDF..." does.
class PatternFileSave {
  public:
    using Writer = std::function<void(const std::string& fileName, const Pattern& pattern)>;

    PatternFileSave(std::vector<FileFilter> filters, const std::string& extension,
                    const std::string& title, Writer write);

    // Asks for a file name and writes the pattern there. Gives the file written; nothing without
    // a pattern or when the dialog is cancelled; failures raise.
    std::string Run(Shell& shell, QWidget* owner, const Pattern* pattern,
                    const std::string& otherSave);

  private:
    TFileDialog m_dialog;
    Writer m_write;
};

}  // namespace brodix
