#pragma once

#include <string>

namespace brodix {

// File names as this system spells them: UTF-8, folders separated by '/' alone. Backslash and
// colon are ordinary characters in a name, and UTF-8's multi-byte characters never contain the
// bytes of '.' or '/', so every function here may search byte by byte. The loader, the saves,
// the dialogs and brodix-chart all cut names here, so that they agree on every name.

// The folder of a name with its final '/' kept, empty for a name without one:
// "/d/rose.bmp" gives "/d/", "/rose" gives "/", "rose" gives "".
std::string FolderPart(const std::string& fileName);

// What follows the last '/': "/d/rose.bmp" gives "rose.bmp"; empty when the name ends in '/'.
std::string NamePart(const std::string& fileName);

// The extension with its dot: the name part from its last dot on, empty when the name part
// has no dot (a dot in a folder name is no extension). Unlike std::filesystem, a name part
// whose only dot leads (".hidden") is all extension, and "." and ".." have the extension ".":
// the saved files of ".hidden" are "_CS.hidden", ..., and the dialogs add no extension to it.
std::string ExtensionPart(const std::string& fileName);

// True when the name part has a dot, however placed.
bool HasExtension(const std::string& fileName);

// The extension as the picture registry looks it up: ExtensionPart without its dot, in its own
// letter case ("a.b\c" has the extension "b\c").
std::string ExtractExtension(const std::string& fileName);

// The name a save dialog hands over for a typed name: "." + defaultExt appended when the name
// has no extension and defaultExt is not empty; otherwise the name as it stands.
std::string WithDefaultExtension(const std::string& fileName, const std::string& defaultExt);

// True when the name part names a file: neither empty (a name ending in '/') nor "." or "..".
bool NamesAFile(const std::string& fileName);

// A chosen name cut as the saved files' names need it: dir keeps its final '/', ext keeps its
// dot; dir + base + ext is the name again.
struct FileNameParts {
    std::string dir;
    std::string base;
    std::string ext;

    std::string Stem() const { return dir + base; }
};

FileNameParts SplitFileName(const std::string& fileName);

}  // namespace brodix
