#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <string>

namespace brodix {

// The largest settings file read: the program's own holds a dozen short lines.
inline constexpr long long kMaxSettingsFileBytes = 64 * 1024;

// The window's settings file (`~/.config/brodix/brodix.conf`, or under `$XDG_CONFIG_HOME`),
// read once when the program starts and written whole, replacing the old one, whenever a
// setting changes. Lines of the form "[group]" and "key=value"; a value in double quotes may
// hold backslash escapes, as the files of earlier versions were written.
//
// Only a regular file of at most kMaxSettingsFileBytes is read, and it is looked at before it
// is opened and opened without waiting, so that a FIFO or a device never holds up the start.
// A file that is not read is not written either: the settings then last for the session, and
// one line on the error stream says so.
class SettingsFile {
  public:
    // No file: nothing stored, nothing written.
    SettingsFile() = default;
    // Reads path; what is wrong with it is written to warnings once, as one line.
    SettingsFile(std::string path, std::ostream& warnings);

    // The value stored under key ("pattern/strands"), when there is one.
    std::optional<std::string> Value(const std::string& key) const;
    // Stores value under key and, when it changed, writes the file, unless it was not read; a
    // failed write is said once on the warnings stream.
    void SetValue(const std::string& key, const std::string& value);
    // Whether the file was read (or did not exist) and is written back.
    bool Writable() const { return m_writable; }

    // The settings in text, as they are written, and read back from it.
    static std::string Text(const std::map<std::string, std::string>& values);
    static std::map<std::string, std::string> Parse(const std::string& text);

  private:
    std::string m_path;
    std::ostream* m_warnings = nullptr;
    bool m_writable = false;
    bool m_writeFailed = false;
    std::map<std::string, std::string> m_values;
};

// Where the window keeps its settings: brodix/brodix.conf under $XDG_CONFIG_HOME, else under
// ~/.config.
std::string SettingsFilePath();

}  // namespace brodix
