#include "ui/FileDialog.h"

#include <utility>

#include "raster/FileName.h"

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
    return {
        {"pictures", "*.png *.jpg *.jpeg *.gif *.bmp *.oxs *.PNG *.JPG *.JPEG *.GIF *.BMP *.OXS"},
        {"ALL", "*"}};
}

}  // namespace brodix
