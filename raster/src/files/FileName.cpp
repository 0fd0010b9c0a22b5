#include "raster/FileName.h"

#include <filesystem>

namespace brodix {

std::string FolderPart(const std::string& fileName) {
    return std::filesystem::path(fileName).remove_filename().string();
}

std::string NamePart(const std::string& fileName) {
    return std::filesystem::path(fileName).filename().string();
}

std::string ExtensionPart(const std::string& fileName) {
    // std::filesystem gives ".hidden" no extension; the saves have always cut it as one.
    const std::string name = NamePart(fileName);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool HasExtension(const std::string& fileName) {
    return !ExtensionPart(fileName).empty();
}

std::string ExtractExtension(const std::string& fileName) {
    const std::string extension = ExtensionPart(fileName);
    return extension.empty() ? extension : extension.substr(1);
}

std::string WithDefaultExtension(const std::string& fileName, const std::string& defaultExt) {
    if (defaultExt.empty() || HasExtension(fileName))
        return fileName;
    return fileName + "." + defaultExt;
}

bool NamesAFile(const std::string& fileName) {
    const std::string name = NamePart(fileName);
    return !name.empty() && name != "." && name != "..";
}

FileNameParts SplitFileName(const std::string& fileName) {
    FileNameParts parts;
    parts.dir = FolderPart(fileName);
    parts.ext = ExtensionPart(fileName);
    const std::string name = NamePart(fileName);
    parts.base = name.substr(0, name.size() - parts.ext.size());
    return parts;
}

}  // namespace brodix
