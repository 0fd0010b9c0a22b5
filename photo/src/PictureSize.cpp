// A picture's size from its header alone, for dialogs that show it before the picture is read.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <vector>

#include "ExifOrientation.h"
#include "photo/Photo.h"

namespace brodix {

namespace {

using Bytes = std::span<const std::uint8_t>;

unsigned Big16(Bytes b, std::size_t at) {
    return static_cast<unsigned>(b[at] << 8 | b[at + 1]);
}
std::uint32_t Big32(Bytes b, std::size_t at) {
    return std::uint32_t{Big16(b, at)} << 16 | Big16(b, at + 2);
}
unsigned Little16(Bytes b, std::size_t at) {
    return static_cast<unsigned>(b[at] | b[at + 1] << 8);
}
std::int32_t Little32(Bytes b, std::size_t at) {
    return static_cast<std::int32_t>(std::uint32_t{Little16(b, at)} |
                                     std::uint32_t{Little16(b, at + 2)} << 16);
}

std::optional<StitchSize> Checked(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX)
        return std::nullopt;
    return StitchSize{static_cast<int>(width), static_cast<int>(height)};
}

bool IsFrameHeader(unsigned marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The segments up to the frame header; turned as an EXIF orientation before it says.
std::optional<StitchSize> JpegSize(Bytes b) {
    int orientation = 1;
    bool exifSeen = false;
    std::size_t at = 2;
    while (at + 4 <= b.size() && b[at] == 0xFF) {
        const unsigned marker = b[at + 1];
        const std::size_t length = Big16(b, at + 2);
        if (length < 2 || at + 2 + length > b.size())
            return std::nullopt;
        // The first APP1 segment, as the decoder reads it.
        if (marker == 0xE1 && !exifSeen) {
            orientation = ExifOrientation(b.subspan(at + 4, length - 2));
            exifSeen = true;
        }
        if (IsFrameHeader(marker) && length >= 7) {
            const unsigned height = Big16(b, at + 5);
            const unsigned width = Big16(b, at + 7);
            return SwapsAxes(orientation) ? Checked(height, width) : Checked(width, height);
        }
        at += 2 + length;
    }
    return std::nullopt;
}

}  // namespace

std::optional<StitchSize> PictureSize(std::span<const std::uint8_t> b) {
    if (b.size() >= 24 && IsPhotoData(b) && b[0] == 0x89)
        return Checked(Big32(b, 16), Big32(b, 20));
    if (b.size() >= 10 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F')
        return Checked(Little16(b, 6), Little16(b, 8));
    if (b.size() >= 4 && b[0] == 0xFF && b[1] == 0xD8)
        return JpegSize(b);
    if (b.size() >= 26 && b[0] == 'B' && b[1] == 'M') {
        if (Little32(b, 14) == 12)  // the old OS/2 header: 16-bit sides
            return Checked(Little16(b, 18), Little16(b, 20));
        const std::int64_t height = Little32(b, 22);
        return Checked(Little32(b, 18), height < 0 ? -height : height);
    }
    return std::nullopt;
}

std::optional<StitchSize> PictureFileSize(const std::string& fileName) {
    // A JPEG's frame header follows its EXIF and other segments: the first 256 KB hold it.
    constexpr std::size_t kHead = 256 * 1024;
    std::ifstream in(fileName, std::ios::binary);
    std::vector<std::uint8_t> head(kHead);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return PictureSize(head);
}

bool IsPhotoFile(const std::string& fileName) {
    std::uint8_t head[8] = {};
    std::ifstream in(fileName, std::ios::binary);
    in.read(reinterpret_cast<char*>(head), sizeof head);
    return IsPhotoData({head, static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0))});
}

}  // namespace brodix
