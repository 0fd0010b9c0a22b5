#include "ui/FileDialog.h"

#include <utility>

#include "raster/FileName.h"

namespace brodix {

TFileDialog::TFileDialog(FileDialogKind kind, std::vector<FileFilter> filters,
                         std::string defaultExt, std::string title)
    : m_kind(kind),
      m_filters(std::move(filters)),
      m_defaultExt(std::move(defaultExt)),
      m_title(std::move(title)) {}

bool TFileDialog::ExecuteForPicture(Shell& shell, QWidget* owner, const std::string& pictureName,
                                    const std::string& otherSave) {
    const std::string& last = !m_choice.fileName.empty() ? m_choice.fileName
                              : !otherSave.empty()       ? otherSave
                                                         : pictureName;
    std::string stem = NamePart(pictureName);
    stem.resize(stem.size() - ExtensionPart(stem).size());
    m_choice.fileName = FolderPart(last) + (stem.empty() ? "" : stem + "." + m_defaultExt);
    return Execute(shell, owner);
}

bool TFileDialog::Execute(Shell& shell, QWidget* owner) {
    FileDialogRequest request{m_kind, m_filters, m_choice, m_title};
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
    // Cameras write .JPG: the patterns list both letter cases, the entry shows the kinds once.
    return {{"Pictures (*.png *.jpg *.jpeg *.gif *.bmp *.oxs)",
             "*.png *.jpg *.jpeg *.gif *.bmp *.oxs *.PNG *.JPG *.JPEG *.GIF *.BMP *.OXS"},
            {"ALL", "*"}};
}

}  // namespace brodix
