#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ColourDifference.h"
#include "raster/Exceptions.h"
#include "threads/PatternKey.h"

namespace brodix::threads {

// A thread catalogue that cannot be read or chosen. The message names the file and, where
// there is one, the line.
class ECatalogueError : public Exception {
  public:
    explicit ECatalogueError(const std::string& message) : Exception(message) {}
};

// A maker's range of threads, in the catalogue's own order.
struct ThreadCatalogue {
    std::string title;  // "DMC"; a file without a title takes its name without extension
    std::string path;
    std::vector<Thread> threads;
    // The threads' colours in CIELAB, converted once when the catalogue is read.
    std::shared_ptr<const ColourMatcher> matcher;

    std::vector<TColor> Colours() const;
    // Thread k of the list, as the matcher numbers its entries.
    const Thread& ThreadAt(int k) const { return threads[static_cast<std::size_t>(k)]; }
};

// A thread of a catalogue with its CIEDE2000 from a colour.
struct ThreadDistance {
    Thread thread;
    double deltaE = 0.0;
};
// Every thread of catalogue, nearest to colour first (ties in the catalogue's order).
std::vector<ThreadDistance> ThreadsNearestFirst(const ThreadCatalogue& catalogue, TColor colour);

// Reads a catalogue in the XML of the kxstitch schemes (<flossScheme><title/><floss><name/>
// <description/><color><red/><green/><blue/></color></floss>...) or, for a name ending in
// ".gpl", a GIMP palette ("R G B name" lines; the thread number is the name's first word).
// A malformed file, an entry without a number, a channel outside 0-255 or a catalogue without
// threads raise ECatalogueError naming the file and the line.
ThreadCatalogue ReadCatalogue(const std::string& path);
// The same for a catalogue's text as read from path (path names it in messages and picks the
// kind by its ending).
ThreadCatalogue ParseCatalogue(const std::string& path, const std::string& text);

// A catalogue found in the data folders: its title and file.
struct CatalogueFile {
    std::string title;
    std::string path;
};

// The folders searched for catalogues, in order: in $XDG_DATA_HOME (default ~/.local/share),
// then in each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share), first kxstitch/schemes,
// then brodix/threads.
std::vector<std::string> CatalogueFolders();

// Every catalogue (.xml, .gpl) in folders, each folder's files by name; a title found again
// later is left out, so earlier folders win. The title is read from the head of the file where
// it plainly stands there, so that listing stays cheap: such a file is listed even if the rest
// of it is damaged, which reading it then reports. Files whose title cannot be read are left out.
std::vector<CatalogueFile> FindCatalogues(const std::vector<std::string>& folders);

// The first catalogue that reads whose title matches title case-insensitively; none when no
// title matches. Only the files of the title are read whole.
std::optional<ThreadCatalogue> FindCatalogueByTitle(const std::string& title,
                                                    const std::vector<std::string>& folders);

// The catalogue a user named: a path (containing '/' or ending in .xml or .gpl), or a title
// matched case-insensitively among those found. A title not found raises ECatalogueError
// listing the titles that were found.
ThreadCatalogue ChooseCatalogue(const std::string& titleOrPath,
                                const std::vector<std::string>& folders);

}  // namespace brodix::threads
