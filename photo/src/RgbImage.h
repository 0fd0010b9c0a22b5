#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "photo/OxsReader.h"
#include "photo/Photo.h"
#include "raster/Color.h"
#include "raster/Exceptions.h"

namespace brodix {

// A decoded picture: red, green, blue bytes per pixel, rows top down without padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Raised by the decoders with the reason alone; ReadPhoto adds the file's name.
struct PhotoFailure {
    enum class Kind { Damaged, TooLarge } kind;
    std::string reason;
};

// What read() gives; its failures become the framework's errors with the file's name in front:
// PhotoFailure as EInvalidGraphic or (too large) EOutOfResources, a failed allocation as
// EOutOfMemory ("not enough memory to read the " + what).
template <typename Read>
auto NamingFailures(const std::string& name, const char* what, Read&& read) -> decltype(read()) {
    try {
        return read();
    } catch (const PhotoFailure& failure) {
        if (failure.kind == PhotoFailure::Kind::TooLarge)
            throw EOutOfResources(name + ": " + failure.reason);
        throw EInvalidGraphic(name + ": " + failure.reason);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(name + ": not enough memory to read the " + what);
    }
}

// Throws PhotoFailure unless width x height is a picture the decoders may allocate.
void CheckDecodedSize(std::uint64_t width, std::uint64_t height, std::uint64_t maxPixels);

// An RgbImage of the size, its pixels unset. Checks the size first.
RgbImage AllocateRgb(std::uint64_t width, std::uint64_t height, std::uint64_t maxPixels);

// Puts one colour with alpha (0 transparent .. 255 opaque) over the background's channel.
inline std::uint8_t OverBackground(unsigned value, unsigned alpha, unsigned background) {
    return static_cast<std::uint8_t>((value * alpha + background * (255 - alpha) + 127) / 255);
}

RgbImage DecodePng(std::span<const std::uint8_t> bytes, const PhotoOptions& options);
RgbImage DecodeGif(std::span<const std::uint8_t> bytes, const PhotoOptions& options);
// A picture much larger than the box it will be fitted into is decoded at a reduced scale. The
// result is turned upright as its EXIF orientation says.
RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes, const PhotoOptions& options);

// The picture as a 24-bit bitmap stored bottom up, as a BMP file of it would be read.
std::unique_ptr<TBitmap> ToBitmap(const RgbImage& image);

// An OXS chart's full stitches, one pixel each, cloth and empty cells white; what the picture
// cannot show is counted into leftOut.
RgbImage DecodeOxs(std::span<const std::uint8_t> bytes, std::uint64_t maxPixels,
                   OxsLeftOut& leftOut);

// Area averaging in linear light.
RgbImage ResizeLinear(const RgbImage& image, StitchSize size);

}  // namespace brodix
