#include "ui/PatternFileSave.h"

#include <utility>

#include "pattern/Pattern.h"

namespace brodix {

PatternFileSave::PatternFileSave(std::vector<FileFilter> filters, const std::string& extension,
                                 const std::string& title, Writer write)
    : m_dialog(FileDialogKind::Save, std::move(filters), extension, title),
      m_write(std::move(write)) {}

std::string PatternFileSave::Run(Shell& shell, QWidget* owner, const Pattern* pattern,
                                 const std::string& otherSave) {
    if (pattern == nullptr)
        return {};
    if (!m_dialog.ExecuteForPicture(shell, owner, pattern->PictureName(), otherSave))
        return {};
    m_write(m_dialog.FileName(), *pattern);
    return m_dialog.FileName();
}

}  // namespace brodix
