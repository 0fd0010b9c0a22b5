#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "raster/Color.h"

namespace brodix {

class TBitmap;

// A size in stitches: one stitch is one pixel of the bitmap handed to Make.
struct StitchSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const StitchSize&, const StitchSize&) = default;
};

// The most pixels a picture may have when decoded: a 50-megapixel photo. A file that claims
// more is refused before anything of that size is allocated.
inline constexpr std::uint64_t kMaxDecodedPixels = 50'000'000;

struct PhotoOptions {
    // The box the picture is fitted into, aspect kept (smaller pictures are enlarged to it);
    // none: the picture keeps its own size. The caller bounds it by the largest chart.
    std::optional<StitchSize> fit;
    // Where the picture is transparent the fabric shows: white unless asked otherwise.
    TColor background = 0xFFFFFF;
    // The decode cap; lower only in tests and fuzzing.
    std::uint64_t maxPixels = kMaxDecodedPixels;
};

// The largest file that may hold a picture of at most kMaxDecodedPixels in any kind; a larger
// one is refused before it is read into memory.
inline constexpr std::uint64_t kMaxPhotoFileBytes = kMaxDecodedPixels * 4 + 4096;

// Whether bytes (the first 8 of a file suffice) begin a PNG, JPEG or GIF picture.
bool IsPhotoData(std::span<const std::uint8_t> bytes);
// Whether they begin a picture ReadPhoto reads: one of those, or a BMP.
bool IsPictureData(std::span<const std::uint8_t> bytes);

// Whether a file begins with a PNG, JPEG or GIF picture; false for one that cannot be opened.
bool IsPhotoFile(const std::string& fileName);

// The largest size of the aspect of width x height that fits inside box, at least 1 x 1.
StitchSize FittedSize(int width, int height, StitchSize box);

// Reads a PNG, JPEG, GIF (its first frame) or BMP picture, the kind told by the bytes
// themselves, and gives it as a 24-bit bitmap, fitted as asked. name is used in messages.
// A damaged, cut-short or unknown picture raises EInvalidGraphic, one over kMaxDecodedPixels
// (or bytes over kMaxPhotoFileBytes) EOutOfResources, each with a message that names the file
// and the reason.
std::unique_ptr<TBitmap> ReadPhoto(std::span<const std::uint8_t> bytes, const PhotoOptions& options,
                                   const std::string& name);
// The same for a file; a file that cannot be opened raises EFOpenError.
std::unique_ptr<TBitmap> ReadPhotoFile(const std::string& fileName, const PhotoOptions& options);
// The size ReadPhotoFile would give without fitting, read from the picture's header alone (a
// BMP is read whole), so that a size to be refused costs no decoding and a dialog can show it
// before the picture is read. Raises as ReadPhotoFile.
StitchSize ReadPhotoSize(const std::string& fileName, const PhotoOptions& options);
// The same for a picture's bytes, name used in messages.
StitchSize ReadPhotoSize(std::span<const std::uint8_t> bytes, const PhotoOptions& options,
                         const std::string& name);

// A picture read otherwise (an OXS chart's, one pixel per stitch) fitted into box exactly as
// ReadPhoto fits the pictures it reads, as a 24-bit bitmap. One over kMaxDecodedPixels raises
// EOutOfResources, a failed allocation EOutOfMemory, each with a message that names name.
std::unique_ptr<TBitmap> FitBitmap(const TBitmap& picture, StitchSize box, const std::string& name);

}  // namespace brodix
