#include "ui/SettingsFile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "raster/FileFailure.h"
#include "raster/Utf8.h"

namespace brodix {

namespace {

constexpr const char* kNotKept =
    "; choices made in this session are not kept. Remove or replace it to keep them.";

// What a file that is no regular file is, for the line that says why it was ignored.
const char* KindOf(mode_t mode) {
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

// Why the file at path is not read; empty when it is (or does not exist, which is the first
// start). contents holds it when read.
std::string ReadSmallRegularFile(const std::string& path, std::string& contents) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return errno == ENOENT ? std::string() : std::strerror(errno);
    const auto tooLarge = [](const struct stat& s) { return s.st_size > kMaxSettingsFileBytes; };
    const std::string limit = "it is larger than " + std::to_string(kMaxSettingsFileBytes / 1024) +
                              " KB, which no settings file of the program is";
    if (!S_ISREG(status.st_mode))
        return std::string("it is ") + KindOf(status.st_mode);
    if (tooLarge(status))
        return limit;
    // Without waiting: the file may have been swapped for a FIFO since it was looked at.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::strerror(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &status) != 0)
        return std::strerror(errno);
    if (!S_ISREG(status.st_mode))
        return std::string("it is ") + KindOf(status.st_mode);
    if (tooLarge(status))
        return limit;
    contents.resize(static_cast<std::size_t>(kMaxSettingsFileBytes) + 1);
    std::size_t filled = 0;
    while (filled < contents.size()) {
        const ssize_t got = ::read(fd, contents.data() + filled, contents.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::strerror(errno);
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled > static_cast<std::size_t>(kMaxSettingsFileBytes))
        return limit;
    contents.resize(filled);
    return {};
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A value as written: in double quotes or not, with backslash escapes.
std::string Unescaped(const std::string& written) {
    std::string value;
    bool quoted = false;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const char c = written[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (c != '\\' || i + 1 == written.size()) {
            value += c;
            continue;
        }
        const char escaped = written[++i];
        switch (escaped) {
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            case 'x': {
                std::size_t digits = 0;
                while (digits < 4 && i + 1 + digits < written.size() &&
                       std::isxdigit(static_cast<unsigned char>(written[i + 1 + digits])))
                    ++digits;
                const auto code = static_cast<char32_t>(
                    std::strtoul(written.substr(i + 1, digits).c_str(), nullptr, 16));
                value += Utf8Of(code);
                i += digits;
                break;
            }
            default:
                value += escaped;
                break;
        }
    }
    return value;
}

bool NeedsQuotes(const std::string& value) {
    if (!value.empty() && (value.front() == ' ' || value.back() == ' '))
        return true;
    for (const char c : value) {
        if (std::strchr("\"\\;,=#", c) != nullptr || static_cast<unsigned char>(c) < 0x20)
            return true;
    }
    return false;
}

std::string Escaped(const std::string& value) {
    if (!NeedsQuotes(value))
        return value;
    std::string written = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\') {
            written.append(1, '\\').append(1, c);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char kHex[] = "0123456789abcdef";
            written.append("\\x00").append(1, kHex[(c >> 4) & 0xf]).append(1, kHex[c & 0xf]);
        } else {
            written += c;
        }
    }
    return written + "\"";
}

}  // namespace

SettingsFile::SettingsFile(std::string path, std::ostream& warnings)
    : m_path(std::move(path)), m_warnings(&warnings) {
    std::string contents;
    const std::string reason = ReadSmallRegularFile(m_path, contents);
    if (!reason.empty()) {
        warnings << "brodix: settings file " << m_path << " ignored: " << reason << kNotKept
                 << '\n';
        return;
    }
    m_writable = true;
    m_values = Parse(contents);
}

std::optional<std::string> SettingsFile::Value(const std::string& key) const {
    const auto found = m_values.find(key);
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

void SettingsFile::SetValue(const std::string& key, const std::string& value) {
    // The store sets every choice after one changes: only a changed value is written.
    const auto found = m_values.find(key);
    if (found != m_values.end() && found->second == value)
        return;
    m_values[key] = value;
    if (!m_writable || m_writeFailed)
        return;
    try {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ignored);
        WriteDocumentFile(m_path, Text(m_values));
    } catch (const std::exception& failure) {
        m_writeFailed = true;
        if (m_warnings)
            *m_warnings << "brodix: settings not kept: " << failure.what()
                        << "; choices made in this session last until it ends.\n";
    }
}

std::string SettingsFile::Text(const std::map<std::string, std::string>& values) {
    // Keys without a group first, under [General], then each group's keys together.
    std::map<std::string, std::string> groups;
    for (const auto& [key, value] : values) {
        const std::size_t slash = key.find('/');
        const std::string group = slash == std::string::npos ? "General" : key.substr(0, slash);
        const std::string name = slash == std::string::npos ? key : key.substr(slash + 1);
        groups[group] += name + "=" + Escaped(value) + "\n";
    }
    std::string text;
    for (const auto& [group, lines] : groups)
        text += (text.empty() ? "[" : "\n[") + group + "]\n" + lines;
    return text;
}

std::map<std::string, std::string> SettingsFile::Parse(const std::string& text) {
    std::map<std::string, std::string> values;
    std::string group;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            group = Trimmed(line.substr(1, line.size() - 2));
            if (group == "General")
                group.clear();
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = Trimmed(line.substr(0, equals));
        if (name.empty())
            continue;
        values[group.empty() ? name : group + "/" + name] =
            ValidUtf8(Unescaped(Trimmed(line.substr(equals + 1))));
    }
    return values;
}

std::string SettingsFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::string folder;
    if (config != nullptr && config[0] == '/')
        folder = config;
    else
        folder = std::string(home != nullptr ? home : "") + "/.config";
    return folder + "/brodix/brodix.conf";
}

}  // namespace brodix
