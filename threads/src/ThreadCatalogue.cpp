#include "threads/ThreadCatalogue.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "raster/Utf8.h"

namespace brodix::threads {

namespace {

// The largest catalogue file read: the biggest known ranges take some 60 KB.
constexpr std::uintmax_t kMaxCatalogueBytes = 4 * 1024 * 1024;

std::string Trimmed(const std::string& text) {
    const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), space);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), space).base();
    return first < last ? std::string(first, last) : std::string();
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && AsciiLowered(text.substr(text.size() - end.size())) == end;
}

[[noreturn]] void Fail(const std::string& path, int line, const std::string& what) {
    std::string message = "Thread catalogue " + path;
    if (line > 0)
        message += ", line " + std::to_string(line);
    throw ECatalogueError(message + ": " + what);
}

std::string ReadWhole(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        Fail(path, 0, "cannot be read (" + error.message() + ")");
    if (size > kMaxCatalogueBytes)
        Fail(path, 0, "is too large to be a catalogue");
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        Fail(path, 0, "cannot be read");
    return text;
}

int LineAt(const std::string& text, std::ptrdiff_t offset) {
    offset = std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(text.size()));
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

// A channel as written: a whole number 0-255, blanks around it allowed.
unsigned Channel(const std::string& written, const std::string& path, int line,
                 const std::string& name) {
    const std::string text = Trimmed(written);
    if (text.empty())
        Fail(path, line, "thread " + name + " has no value for a colour channel");
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value < 0 || value > 255) {
        Fail(path, line, "thread " + name + " has a colour channel '" + text + "' outside 0-255");
    }
    return static_cast<unsigned>(value);
}

std::string Stem(const std::string& path) {
    return std::filesystem::path(path).stem().string();
}

ThreadCatalogue ReadXml(const std::string& path, const std::string& text) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
    if (!parsed)
        Fail(path, LineAt(text, parsed.offset),
             std::string("malformed XML: ") + parsed.description());
    const pugi::xml_node scheme = document.child("flossScheme");
    if (!scheme)
        Fail(path, 0, "is no thread catalogue (no <flossScheme>)");
    ThreadCatalogue catalogue;
    catalogue.path = path;
    catalogue.title = Trimmed(scheme.child_value("title"));
    if (catalogue.title.empty())
        catalogue.title = Stem(path);
    // Lines counted on from one thread to the next: the threads come in the file's order.
    int line = 1;
    std::ptrdiff_t counted = 0;
    for (const pugi::xml_node floss : scheme.children("floss")) {
        const std::ptrdiff_t offset =
            std::clamp<std::ptrdiff_t>(floss.offset_debug(), counted, std::ssize(text));
        line += static_cast<int>(std::count(text.begin() + counted, text.begin() + offset, '\n'));
        counted = offset;
        Thread thread;
        thread.number = Trimmed(floss.child_value("name"));
        if (thread.number.empty())
            Fail(path, line, "a thread has no number");
        thread.name = Trimmed(floss.child_value("description"));
        const pugi::xml_node color = floss.child("color");
        thread.color = RGB(Channel(color.child_value("red"), path, line, thread.number),
                           Channel(color.child_value("green"), path, line, thread.number),
                           Channel(color.child_value("blue"), path, line, thread.number));
        catalogue.threads.push_back(std::move(thread));
    }
    return catalogue;
}

// A GIMP palette: "GIMP Palette", then "Name: ...", "Columns: ...", '#' comments and
// "R G B name" lines.
ThreadCatalogue ReadGpl(const std::string& path, const std::string& text) {
    ThreadCatalogue catalogue;
    catalogue.path = path;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string trimmed = Trimmed(line);
        if (number == 1) {
            if (trimmed != "GIMP Palette")
                Fail(path, 1, "is no GIMP palette (its first line is not \"GIMP Palette\")");
            continue;
        }
        if (trimmed.empty() || trimmed[0] == '#' || trimmed.rfind("Columns:", 0) == 0)
            continue;
        if (trimmed.rfind("Name:", 0) == 0) {
            catalogue.title = Trimmed(trimmed.substr(5));
            continue;
        }
        std::istringstream fields(trimmed);
        std::string red;
        std::string green;
        std::string blue;
        fields >> red >> green >> blue;
        Thread thread;
        fields >> thread.number;
        std::getline(fields, thread.name);
        thread.name = Trimmed(thread.name);
        if (thread.number.empty())
            Fail(path, number, "a thread has no number");
        thread.color = RGB(Channel(red, path, number, thread.number),
                           Channel(green, path, number, thread.number),
                           Channel(blue, path, number, thread.number));
        catalogue.threads.push_back(std::move(thread));
    }
    if (catalogue.title.empty())
        catalogue.title = Stem(path);
    return catalogue;
}

// Checked before parsing: a NUL byte would cut names short in one place and not in another.
void RequireText(const std::string& path, const std::string& text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos)
        Fail(path, LineAt(text, static_cast<std::ptrdiff_t>(nul)),
             "holds a NUL byte, which no catalogue text may hold");
}

// Two threads of one number would make the key's numbers ambiguous to a stitcher buying them.
void RequireDistinctNumbers(const ThreadCatalogue& catalogue) {
    std::set<std::string> numbers;
    for (const Thread& thread : catalogue.threads) {
        if (!numbers.insert(thread.number).second)
            Fail(catalogue.path, 0, "thread number " + thread.number + " appears more than once");
    }
}

// The catalogue read and checked, without the colour search that only the chosen one needs.
ThreadCatalogue ParseWithoutMatcher(const std::string& path, const std::string& text) {
    RequireText(path, text);
    ThreadCatalogue catalogue = EndsWith(path, ".gpl") ? ReadGpl(path, text) : ReadXml(path, text);
    if (catalogue.threads.empty())
        Fail(path, 0, "holds no threads");
    RequireDistinctNumbers(catalogue);
    return catalogue;
}

bool IsCatalogueFile(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    return EndsWith(name, ".xml") || EndsWith(name, ".gpl");
}

// The catalogue files of the folders, in order: each folder's files by name.
std::vector<std::string> CatalogueFilesIn(const std::vector<std::string>& folders) {
    std::vector<std::string> found;
    for (const std::string& folder : folders) {
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (IsCatalogueFile(it->path()) && it->is_regular_file(error))
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const std::filesystem::path& file : files)
            found.push_back(file.string());
    }
    return found;
}

// The title as the head of the file gives it, where it plainly does: a palette's "Name:" line
// before its first colour, the plain text of an XML <title> before the first thread. Reading
// only the head keeps listing the catalogues cheap however large they are.
std::optional<std::string> TitleInHead(const std::string& path) {
    std::string head(64 * 1024, '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    if (EndsWith(path, ".gpl")) {
        std::istringstream lines(head);
        std::string line;
        if (!std::getline(lines, line) || Trimmed(line) != "GIMP Palette")
            return std::nullopt;
        while (std::getline(lines, line)) {
            const std::string trimmed = Trimmed(line);
            if (trimmed.rfind("Name:", 0) == 0)
                return Trimmed(trimmed.substr(5));
            if (!trimmed.empty() && trimmed[0] != '#' && trimmed.rfind("Columns:", 0) != 0)
                return std::nullopt;
        }
        return std::nullopt;
    }
    const std::size_t open = head.find("<title>");
    const std::size_t close = head.find("</title>", open);
    if (open == std::string::npos || close == std::string::npos || head.find("<floss>") < open)
        return std::nullopt;
    const std::string title = Trimmed(head.substr(open + 7, close - open - 7));
    if (title.empty() || title.find_first_of("&<") != std::string::npos)
        return std::nullopt;
    return title;
}

// The title of a catalogue file: from its head, else from reading it whole; none when it cannot
// be read.
std::optional<std::string> TitleOf(const std::string& path) {
    std::error_code error;
    if (std::filesystem::file_size(path, error) > kMaxCatalogueBytes || error)
        return std::nullopt;
    if (std::optional<std::string> title = TitleInHead(path))
        return title;
    try {
        return ParseWithoutMatcher(path, ReadWhole(path)).title;
    } catch (const ECatalogueError&) {
        return std::nullopt;
    }
}

}  // namespace

std::vector<TColor> ThreadCatalogue::Colours() const {
    std::vector<TColor> colours;
    colours.reserve(threads.size());
    for (const Thread& thread : threads)
        colours.push_back(thread.color);
    return colours;
}

ThreadCatalogue ReadCatalogue(const std::string& path) {
    return ParseCatalogue(path, ReadWhole(path));
}

ThreadCatalogue ParseCatalogue(const std::string& path, const std::string& text) {
    ThreadCatalogue catalogue = ParseWithoutMatcher(path, text);
    catalogue.matcher = std::make_shared<const ColourMatcher>(catalogue.Colours());
    return catalogue;
}

std::vector<std::string> CatalogueFolders() {
    const auto environment = [](const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr ? std::string() : std::string(value);
    };
    std::vector<std::string> bases;
    // Relative entries are ignored, as the XDG rules say: they would make a catalogue in
    // whatever folder the program runs in shadow the installed ones.
    const auto absolute = [](const std::string& path) { return !path.empty() && path[0] == '/'; };
    std::string home = environment("XDG_DATA_HOME");
    if (!absolute(home))
        home.clear();
    if (home.empty() && !environment("HOME").empty())
        home = environment("HOME") + "/.local/share";
    if (!home.empty())
        bases.push_back(home);
    std::string dirs = environment("XDG_DATA_DIRS");
    if (dirs.empty())
        dirs = "/usr/local/share:/usr/share";
    std::istringstream parts(dirs);
    for (std::string part; std::getline(parts, part, ':');) {
        if (absolute(part))
            bases.push_back(part);
    }
    std::vector<std::string> folders;
    for (const std::string& base : bases) {
        folders.push_back(base + "/kxstitch/schemes");
        folders.push_back(base + "/brodix/threads");
    }
    return folders;
}

std::vector<CatalogueFile> FindCatalogues(const std::vector<std::string>& folders) {
    std::vector<CatalogueFile> found;
    std::set<std::string> titles;
    for (const std::string& file : CatalogueFilesIn(folders)) {
        if (const std::optional<std::string> title = TitleOf(file)) {
            if (titles.insert(AsciiLowered(*title)).second)
                found.push_back({*title, file});
        }
    }
    return found;
}

std::optional<ThreadCatalogue> FindCatalogueByTitle(const std::string& title,
                                                    const std::vector<std::string>& folders) {
    for (const std::string& file : CatalogueFilesIn(folders)) {
        const std::optional<std::string> found = TitleOf(file);
        if (!found || AsciiLowered(*found) != AsciiLowered(title))
            continue;
        try {
            return ReadCatalogue(file);
        } catch (const ECatalogueError&) {
            // A broken file of the title does not hide a later one that reads.
        }
    }
    return std::nullopt;
}

ThreadCatalogue ChooseCatalogue(const std::string& titleOrPath,
                                const std::vector<std::string>& folders) {
    if (titleOrPath.find('/') != std::string::npos || EndsWith(titleOrPath, ".xml") ||
        EndsWith(titleOrPath, ".gpl")) {
        return ReadCatalogue(titleOrPath);
    }
    if (std::optional<ThreadCatalogue> catalogue = FindCatalogueByTitle(titleOrPath, folders))
        return std::move(*catalogue);
    const std::vector<CatalogueFile> found = FindCatalogues(folders);
    std::string list;
    for (const CatalogueFile& file : found)
        list += (list.empty() ? "" : ", ") + file.title;
    throw ECatalogueError("No thread catalogue '" + titleOrPath +
                          "'; found: " + (list.empty() ? "none" : list));
}

std::vector<ThreadDistance> ThreadsNearestFirst(const ThreadCatalogue& catalogue, TColor colour) {
    const LabColour lab = ToLab(colour);
    const std::vector<LabColour> labs = ToLab(catalogue.Colours());
    std::vector<ThreadDistance> threads;
    for (std::size_t k = 0; k < catalogue.threads.size(); ++k)
        threads.push_back({catalogue.threads[k], DeltaE00(lab, labs[k])});
    std::stable_sort(
        threads.begin(), threads.end(),
        [](const ThreadDistance& a, const ThreadDistance& b) { return a.deltaE < b.deltaE; });
    return threads;
}

}  // namespace brodix::threads
