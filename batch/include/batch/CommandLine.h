#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/ReduceColor.h"
#include "photo/Photo.h"
#include "print/StitchedPreview.h"
#include "threads/PatternSettings.h"

namespace brodix {

// How --key prints the key on standard output.
enum class KeyFormat { None, Table, Csv };

// What brodix-chart was asked to do.
struct BatchOptions {
    bool help = false;
    bool version = false;
    bool nullEnds = false;  // -z: the list of files ends each name with a NUL byte
    LevelChoices levels;
    std::string threads;  // a catalogue's title or path; empty: dmc when found; "none": none
    // Floss, snap, clean, merge, budget, paper and chart style; the catalogue is looked up
    // from threads when run.
    threads::PatternSettings pattern;
    KeyFormat key = KeyFormat::None;
    std::string symbolSheet;  // empty: the sheet beside the program
    std::string picture;
    // --fit and --background: how a PNG, JPEG or GIF picture (with --fit, any picture) is read.
    PhotoOptions photo;
    std::string name;  // as typed; SaveDialogName() completes it; empty: no BMP files
    // The printed pattern: written when pdf is not empty.
    std::string pdf;
    // The pattern for other cross-stitch programs: written when oxs is not empty.
    std::string oxs;
    // The pattern as it will look stitched, a PNG picture: written when preview is not empty, at
    // previewSize pixels a stitch (made smaller for a large pattern: PreviewStitchPixels).
    std::string preview;
    int previewSize = print::kDefaultPreviewStitchPixels;
};

// A command line that cannot be run: the reason, shown above a line that points to --help.
class UsageError : public std::runtime_error {
  public:
    explicit UsageError(const std::string& reason) : std::runtime_error(reason) {}
};

// Reads the arguments after the program name. Raises UsageError for an unknown option, a
// missing or unknown level, a number out of its range, a missing or surplus argument, or a NAME
// that names no file. NAME may be left out when --pdf, --oxs or --preview names the file to write
// or --key asks for the key alone.
BatchOptions ParseCommandLine(const std::vector<std::string>& arguments);

// The level choice index of a level as typed ("org", "4", "6", "16", "18"), or -1.
int LevelIndex(const std::string& level);

// The full name the window's dialogs hand over for a typed name: a relative one is taken from
// the current folder, so that messages name files as the window's would.
std::string FullPath(const std::string& typed);

// The full name the save dialog would hand over for a typed name: FullPath() with the saves'
// default extension ".bmp" added when the name has no extension.
std::string SaveDialogName(const std::string& typed);

// "WxH" or "N" (N x N), each side 1 to kMaxPatternStitchesPerSide; raises UsageError otherwise
// (ParseCommandLine bounds it by kMaxStitchesPerSide when NAME is given).
StitchSize ParseFit(const std::string& value);
// "RRGGBB" in hexadecimal, with or without a leading '#'; raises UsageError otherwise.
TColor ParseBackground(const std::string& value);

}  // namespace brodix
