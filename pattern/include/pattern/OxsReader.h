#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "photo/Photo.h"
#include "raster/Color.h"

namespace brodix {

class TBitmap;

// An OXS file larger than this is refused before it is read: it is held whole while its
// elements are read one by one, never as a tree. 64 MB holds well over a million stitches.
inline constexpr std::uint64_t kMaxOxsFileBytes = std::uint64_t{64} << 20;

// What a chart held that its picture does not show, by kind. Part stitches, backstitches,
// knots, beads and other ornaments cannot be shown by one pixel per stitch; the rest are
// faults of the file.
struct OxsLeftOut {
    int partStitches = 0;
    int backstitches = 0;
    int knots = 0;
    int beads = 0;
    int otherObjects = 0;   // quarter stitches, long stitches and other ornaments
    int outsideChart = 0;   // full stitches beyond the chart's width and height
    int unknownColour = 0;  // full stitches whose palette index no palette item has
    int secondStitch = 0;   // full stitches in a cell that an earlier one took
    int unreadable = 0;     // full stitches without whole-number coordinates or palette index
    friend bool operator==(const OxsLeftOut&, const OxsLeftOut&) = default;
};

// A thread of a chart's palette as the file gives it: its number (brand and number, "DMC 310"),
// name, colour and symbol (a code point; 0 when the file gives none or no whole number).
struct OxsThread {
    std::int64_t index = 0;
    std::string number;
    std::string name;
    TColor colour = 0;
    char32_t symbol = 0;
    friend bool operator==(const OxsThread&, const OxsThread&) = default;
};

// A chart read as a picture: one pixel per stitch, 24 bits, stored bottom up as a BMP file of it
// would be read, in the colours of its palette; the cloth and empty cells white. message names
// the file and says, in English, what was left out and why; it is empty when the picture shows
// everything. A chart to be fitted into a number of stitches is fitted from this picture
// (FitBitmap in photo/Photo.h), as a photograph would be.
struct OxsPicture {
    std::unique_ptr<TBitmap> picture;
    OxsLeftOut leftOut;
    std::string message;
    // The chart's title as the file gives it (charttitle); empty when it gives none.
    std::string title;
    // The threads of its palette but the cloth (index 0), in the file's order, the first item
    // of each index; number and name valid UTF-8.
    std::vector<OxsThread> threads;
};

// How much of a file tells whether it holds an OXS chart.
inline constexpr std::size_t kOxsSniffBytes = 4096;

// Whether bytes begin an OXS chart: XML whose first element (within the first kOxsSniffBytes)
// is <chart>.
bool IsOxsData(std::span<const std::uint8_t> bytes);

// Reads an OXS chart. The chart's size must fit within maxPixels and, beyond a million cells,
// within sixteen cells per byte of the file, so that a small file cannot claim a vast chart. A
// file that is no well-formed XML or has no <chart> raises EInvalidGraphic, one too large
// EOutOfResources, each with a message that names the file (name) and the reason.
OxsPicture ReadOxs(std::span<const std::uint8_t> bytes, const std::string& name,
                   std::uint64_t maxPixels = kMaxDecodedPixels);
// The same for a file, whose name the messages carry; a file that cannot be opened raises
// EFOpenError, one over kMaxOxsFileBytes is refused before it is read whole.
OxsPicture ReadOxsFile(const std::string& fileName, std::uint64_t maxPixels = kMaxDecodedPixels);

}  // namespace brodix
