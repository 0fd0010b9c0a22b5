#pragma once

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "photo/Photo.h"
#include "raster/Color.h"
#include "raster/Exceptions.h"
#include "raster/Geometry.h"

namespace brodix {

class TStream;

// Bytes that cost memory only once written: large blocks come from the system's zero pages and
// growing the vector leaves them untouched. A file that declares a huge picture and holds few
// pixels then costs what it holds.
template <class T>
struct UntouchedAllocator {
    using value_type = T;
    static constexpr std::size_t kMappedBytes = std::size_t{1} << 20;

    UntouchedAllocator() = default;
    template <class U>
    explicit UntouchedAllocator(const UntouchedAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > std::size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        const std::size_t bytes = count * sizeof(T);
        void* block = bytes >= kMappedBytes ? ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                                                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                            : std::calloc(bytes == 0 ? 1 : bytes, 1);
        if (block == nullptr || block == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* block, std::size_t count) noexcept {
        if (count * sizeof(T) >= kMappedBytes)
            ::munmap(block, count * sizeof(T));
        else
            std::free(block);
    }
    // Growing default-initialises: the zero pages already hold zero.
    template <class U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <class U, class... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const UntouchedAllocator&, const UntouchedAllocator&) { return true; }
};

using PixelBytes = std::vector<std::uint8_t, UntouchedAllocator<std::uint8_t>>;

// A decoded picture: red, green, blue bytes per pixel, rows top down without padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    PixelBytes rgb;

    // Which pixel (x, y) is, counted row by row; it holds the bytes from 3 times that.
    std::size_t PixelIndex(int x, int y) const { return GridIndex(x, y, width); }
    std::uint8_t* At(int x, int y) { return rgb.data() + PixelIndex(x, y) * 3; }
    const std::uint8_t* At(int x, int y) const { return rgb.data() + PixelIndex(x, y) * 3; }
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

// How far a decoder goes: the header alone gives the size of the picture it would decode (an
// image with no pixels), after the same checks.
enum class Depth { Header, Pixels };

RgbImage DecodePng(std::span<const std::uint8_t> bytes, const PhotoOptions& options, Depth depth);
RgbImage DecodeGif(std::span<const std::uint8_t> bytes, const PhotoOptions& options, Depth depth);
// A picture much larger than the box it will be fitted into is decoded at a reduced scale. The
// result is turned upright as its EXIF orientation says.
RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes, const PhotoOptions& options, Depth depth);
// The same from a file read a piece at a time: segments that are skipped are never held.
RgbImage DecodeJpeg(TStream& stream, const PhotoOptions& options, Depth depth);

// The picture as a 24-bit bitmap stored bottom up, as a BMP file of it would be read.
std::unique_ptr<TBitmap> ToBitmap(const RgbImage& image);

// The picture at the size: made smaller by area averaging in linear light, made larger by
// repeating pixels, so that enlarging never invents a colour.
RgbImage Resized(RgbImage image, StitchSize size);

}  // namespace brodix
