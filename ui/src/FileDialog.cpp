#include "ui/FileDialog.h"

#include <algorithm>
#include <utility>

namespace brodix {

TFileDialog::TFileDialog(FileDialogKind kind, std::vector<FileFilter> filters,
                         std::string defaultExt)
    : m_kind(kind), m_filters(std::move(filters)), m_defaultExt(std::move(defaultExt)) {}

bool TFileDialog::Execute(Shell& shell, QWidget* owner) {
    FileDialogRequest request{m_kind, m_filters, m_choice};
    auto answer = shell.RunFileDialog(request, owner);
    if (!answer || answer->fileName.empty())
        return false;
    answer->fileName = WithDefaultExtension(answer->fileName, m_defaultExt);
    // A shell that reports no usable entry leaves the remembered one in place.
    if (answer->filterIndex < 0 || answer->filterIndex >= static_cast<int>(m_filters.size()))
        answer->filterIndex = m_choice.filterIndex;
    m_choice = *answer;
    return true;
}

std::vector<FileFilter> PictureFileFilters() {
    // "ALL" lists every file: on this system a name need not contain a dot.
    return {{"bmp", "*.bmp"}, {"ALL", "*"}};
}

std::vector<FileFilter> AnyPictureFileFilters() {
    // Cameras write .JPG: the patterns list both letter cases.
    return {{"pictures", "*.png *.jpg *.jpeg *.gif *.bmp *.PNG *.JPG *.JPEG *.GIF *.BMP"},
            {"ALL", "*"}};
}

std::string WithDefaultExtension(const std::string& name, const std::string& defaultExt) {
    if (defaultExt.empty())
        return name;
    const auto slash = name.find_last_of('/');
    const std::string_view file =
        std::string_view(name).substr(slash == std::string::npos ? 0 : slash + 1);
    if (file.find('.') != std::string_view::npos)
        return name;
    return name + "." + defaultExt;
}

}  // namespace brodix
