#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/Census.h"
#include "engine/Progress.h"
#include "engine/ReduceColor.h"
#include "pattern/Pattern.h"
#include "photo/Photo.h"
#include "threads/PatternSettings.h"

namespace brodix {

class TImage;
class Workspace;

// Why a picture gives no pattern.
struct PatternRefusal {
    enum class Reason {
        TooLarge,            // larger than the window's chart: Make's fixed message
        TooManyColours,      // more than kMaxColors after the levels and refining: Make's message
        TooLargeForPattern,  // larger than a pattern written without the chart: no fixed message
    };
    Reason reason = Reason::TooLarge;
    // The program's message box text and title, as Make shows them; empty for
    // TooLargeForPattern, which only the plain-English line of the caller tells.
    std::string text;
    std::string title;
    int width = 0;  // the picture's size
    int height = 0;
};

// What a pattern is made from besides its picture.
struct PatternRequest {
    LevelChoices levels;
    threads::PatternSettings settings;
    std::string pictureName;
    // The title the pattern keeps (Workspace::PictureTitle); empty: from the picture's name.
    std::string title;
    // The most stitches a side: the window's chart (kMaxStitchesPerSide), whose refusal is
    // Make's, or a pattern written without the chart's images (kMaxPatternStitchesPerSide).
    int maxStitchesPerSide = kMaxStitchesPerSide;
    // A photograph: refused for its colours with neither a colour budget nor a merge of rare
    // colours chosen, it is made with the photo defaults instead (ChoosePhotoDefaults).
    bool photo = false;
    // When the photo defaults apply and no catalogue is chosen, the default catalogue is looked
    // for and, when found, snapped to and chosen.
    bool defaultCatalogue = true;
    // An OXS chart's own threads and symbols, which its pattern keeps (Pattern::KeepOwnThreads).
    std::vector<OwnThread> ownThreads;
    // Hears each stage of a long refining.
    ProgressReport progress;
};

// A pattern made, and the note that tells the user the photo defaults were taken (empty when
// they were not): the pattern's settings then hold them.
struct MadePattern {
    Pattern pattern;
    std::string photoDefaultsNote;
};

using PatternResult = std::variant<MadePattern, PatternRefusal>;

// The one road from a picture to its pattern, for the window and brodix-chart alike: the size
// refusal, then picture's pixels read and reduced by the levels, refined by the settings and
// counted; a photograph refused for its colours takes the photo defaults and is refined once
// more, from the colours already read. The key follows the settings. Framework errors (a
// picture that is not a bitmap) propagate as exceptions.
PatternResult MakePattern(TImage& picture, const PatternRequest& request);

// How a file becomes a picture: the loader of the picture files (by extension, as Load Picture
// reads them), the reader of photographs of any size (PNG, JPEG, GIF, BMP; fitted when asked),
// or the reader of OXS charts (one pixel per full stitch).
enum class PictureReader { Loader, Photo, Oxs };

// A file to read a picture from: its name and, for a file that can be read only once (a pipe,
// standard input), its bytes, read once when it is opened; its kind is then told, and it is
// read, from those.
struct PictureSource {
    std::string fileName;
    std::optional<std::vector<std::uint8_t>> bytes;
};

// The source of a file name: a file read only once is read into memory up to the limit of the
// kind its start tells (an OXS chart's, a picture's), and no further when it tells no kind
// that is read.
PictureSource SourceOf(const std::string& fileName);

// The reader of a file given on the command line (fitted: also "Open Any Picture..."): an OXS
// chart told by its contents; a file named .oxs that holds no picture (so that a damaged chart
// is reported with its reason). Otherwise, any picture when fitted or read from memory, and a
// file named .png, .jpg, .jpeg, .gif or .oxs that holds a picture, as a photograph; everything
// else by the loader, by its extension.
PictureReader ReaderFor(const PictureSource& source, bool fitted);

// A photograph kept at its own size that would be refused, told from its header before
// anything is decoded: nothing for any other reader or a size that passes.
std::optional<PatternRefusal> RefusalByHeader(const PictureSource& source, PictureReader reader,
                                              const PhotoOptions& options, int maxStitchesPerSide);

// What was read: whether it is a photograph (whose colours may take the photo defaults) and,
// for an OXS chart, what its picture could not show (empty when nothing).
struct OpenedPicture {
    bool photo = false;
    std::string leftOutNote;
    // For an OXS chart at its own size, its palette's threads and symbols; empty otherwise.
    std::vector<OwnThread> ownThreads;
};

// Reads source with reader into workspace's picture and preview, replacing them only once it
// is read whole. A chart read through the photo reader (fitted) is read as a chart first, so
// that what it leaves out is told.
OpenedPicture OpenPicture(Workspace& workspace, const PictureSource& source, PictureReader reader,
                          const PhotoOptions& options);

}  // namespace brodix
