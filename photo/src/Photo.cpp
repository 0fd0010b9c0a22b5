#include "photo/Photo.h"

#include <cstring>
#include <new>

#include "RgbImage.h"
#include "raster/Exceptions.h"
#include "raster/FileFailure.h"
#include "raster/Geometry.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"

namespace brodix {

namespace {

enum class PhotoKind { Unknown, Png, Jpeg, Gif, Bmp };

// The kind is told by the first bytes, whatever the name says: pictures from the web often
// carry the wrong extension.
PhotoKind KindOf(std::span<const std::uint8_t> bytes) {
    const auto starts = [&](const char* magic, std::size_t length) {
        return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
    };
    if (starts("\x89PNG\r\n\x1A\n", 8))
        return PhotoKind::Png;
    if (starts("\xFF\xD8\xFF", 3))
        return PhotoKind::Jpeg;
    if (starts("GIF87a", 6) || starts("GIF89a", 6))
        return PhotoKind::Gif;
    if (starts("BM", 2))
        return PhotoKind::Bmp;
    return PhotoKind::Unknown;
}

// The pixels of a bitmap of any layout.
RgbImage RgbOf(const TBitmap& bitmap, std::uint64_t maxPixels) {
    RgbImage image = AllocateRgb(static_cast<std::uint64_t>(bitmap.Width()),
                                 static_cast<std::uint64_t>(bitmap.Height()), maxPixels);
    std::uint8_t* out = image.rgb.data();
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x, out += 3) {
            const TColor color = bitmap.GetPixel(x, y);
            out[0] = RedOf(color);
            out[1] = GreenOf(color);
            out[2] = BlueOf(color);
        }
    }
    return image;
}

// A BMP goes through the program's own reader, in whatever layout it has, straight from the
// stream: a file's bytes, its bitmap and the picture made of it are never held all at once.
RgbImage DecodeBmp(TStream& stream, std::uint64_t maxPixels) {
    TBitmap bitmap;
    try {
        bitmap.ReadData(stream, stream.Size());
    } catch (const EOutOfResources&) {
        throw PhotoFailure{PhotoFailure::Kind::TooLarge, "the BMP picture is too large"};
    } catch (const Exception& error) {
        throw PhotoFailure{PhotoFailure::Kind::Damaged,
                           std::string("the BMP data are damaged (") + error.what() + ")"};
    }
    return RgbOf(bitmap, maxPixels);
}

RgbImage Decode(std::span<const std::uint8_t> bytes, const PhotoOptions& options,
                const std::string& name, Depth depth) {
    switch (KindOf(bytes)) {
        case PhotoKind::Png:
            return DecodePng(bytes, options, depth);
        case PhotoKind::Jpeg:
            return DecodeJpeg(bytes, options, depth);
        case PhotoKind::Gif:
            return DecodeGif(bytes, options, depth);
        case PhotoKind::Bmp: {
            TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
            return DecodeBmp(stream, options.maxPixels);
        }
        case PhotoKind::Unknown:
            break;
    }
    // An OXS chart, the one other kind a picture may be read from, is told apart before a
    // picture is read; a file of neither kind is refused naming every kind that is read.
    throw EInvalidGraphic(name + " is neither a PNG, JPEG, GIF or BMP picture nor an OXS chart");
}

}  // namespace

std::unique_ptr<TBitmap> ToBitmap(const RgbImage& image) {
    BitmapLayout layout;
    layout.format = TPixelFormat::Direct24;
    auto bitmap = TBitmap::CreateWithLayout(image.width, image.height, layout, false);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* in = image.At(0, y);
        std::uint8_t* out = bitmap->MutableScanLine(y);
        for (int x = 0; x < image.width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return bitmap;
}

namespace {

// The picture fitted as asked, as a bitmap.
std::unique_ptr<TBitmap> Finished(RgbImage image, const PhotoOptions& options) {
    if (options.fit)
        image = Resized(std::move(image), FittedSize(image.width, image.height, *options.fit));
    return ToBitmap(image);
}

// A file larger than the biggest picture the cap allows in any kind is not read into memory.
void RequirePhotoFileSize(std::uint64_t bytes, const std::string& name) {
    if (bytes > kMaxPhotoFileBytes)
        throw EOutOfResources(name + ": the file is too large to be a picture of at most " +
                              std::to_string(kMaxDecodedPixels / 1'000'000) + " million pixels");
}

std::unique_ptr<TFileStream> OpenPhoto(const std::string& fileName) {
    // Pictures of any kind are no part of the framework's design: a file that cannot be opened
    // is told in plain English with the system's reason.
    std::unique_ptr<TFileStream> stream;
    try {
        stream = TFileStream::OpenRead(fileName);
    } catch (const EFOpenError&) {
        throw EFOpenError(CannotReadText(fileName), "photo not opened");
    }
    RequirePhotoFileSize(stream->Size(), fileName);
    return stream;
}

// The kind told by the first bytes of the stream, which is left at its start.
PhotoKind KindOfStream(TStream& stream) {
    std::uint8_t head[8] = {};
    const std::size_t got = stream.Read(head, sizeof head);
    stream.SetPosition(0);
    return KindOf({head, got});
}

std::vector<std::uint8_t> ReadAll(TStream& stream) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

bool IsPhotoData(std::span<const std::uint8_t> bytes) {
    const PhotoKind kind = KindOf(bytes);
    return kind == PhotoKind::Png || kind == PhotoKind::Jpeg || kind == PhotoKind::Gif;
}

bool IsPictureData(std::span<const std::uint8_t> bytes) {
    return KindOf(bytes) != PhotoKind::Unknown;
}

bool IsPhotoFile(const std::string& fileName) {
    // Opened as any picture is, so that a pipe or a folder of that name is refused, not waited on.
    std::uint8_t head[8] = {};
    std::size_t got = 0;
    try {
        got = TFileStream::OpenRead(fileName)->Read(head, sizeof head);
    } catch (const Exception&) {
        return false;
    }
    return IsPhotoData({head, got});
}

void CheckDecodedSize(std::uint64_t width, std::uint64_t height, std::uint64_t maxPixels) {
    if (width == 0 || height == 0)
        throw PhotoFailure{PhotoFailure::Kind::Damaged, "the picture has no pixels"};
    if (width > maxPixels || height > maxPixels / width) {
        throw PhotoFailure{PhotoFailure::Kind::TooLarge,
                           "the picture is " + std::to_string(width) + " x " +
                               std::to_string(height) + " pixels; at most " +
                               std::to_string(maxPixels) + " pixels can be read"};
    }
}

RgbImage AllocateRgb(std::uint64_t width, std::uint64_t height, std::uint64_t maxPixels) {
    CheckDecodedSize(width, height, maxPixels);
    RgbImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgb.resize(GridCells(image.width, image.height) * 3);
    return image;
}

std::unique_ptr<TBitmap> ReadPhoto(std::span<const std::uint8_t> bytes, const PhotoOptions& options,
                                   const std::string& name) {
    RequirePhotoFileSize(bytes.size(), name);
    return NamingFailures(name, "picture", [&] {
        RgbImage image = Decode(bytes, options, name, Depth::Pixels);
        return Finished(std::move(image), options);
    });
}

std::unique_ptr<TBitmap> ReadPhotoFile(const std::string& fileName, const PhotoOptions& options) {
    auto stream = OpenPhoto(fileName);
    // BMP and JPEG are read from the file as they go: neither needs the whole file at once.
    switch (KindOfStream(*stream)) {
        case PhotoKind::Bmp:
            return NamingFailures(fileName, "picture", [&] {
                RgbImage image = DecodeBmp(*stream, options.maxPixels);
                stream.reset();
                return Finished(std::move(image), options);
            });
        case PhotoKind::Jpeg:
            return NamingFailures(fileName, "picture", [&] {
                return Finished(DecodeJpeg(*stream, options, Depth::Pixels), options);
            });
        default:
            return ReadPhoto(ReadAll(*stream), options, fileName);
    }
}

std::unique_ptr<TBitmap> FitBitmap(const TBitmap& picture, StitchSize box,
                                   const std::string& name) {
    return NamingFailures(name, "picture", [&] {
        return Finished(RgbOf(picture, kMaxDecodedPixels), PhotoOptions{.fit = box});
    });
}

StitchSize ReadPhotoSize(std::span<const std::uint8_t> bytes, const PhotoOptions& options,
                         const std::string& name) {
    RequirePhotoFileSize(bytes.size(), name);
    return NamingFailures(name, "picture", [&] {
        const RgbImage image = Decode(bytes, options, name, Depth::Header);
        return StitchSize{image.width, image.height};
    });
}

StitchSize ReadPhotoSize(const std::string& fileName, const PhotoOptions& options) {
    auto stream = OpenPhoto(fileName);
    if (KindOfStream(*stream) != PhotoKind::Jpeg)
        return ReadPhotoSize(ReadAll(*stream), options, fileName);
    return NamingFailures(fileName, "picture", [&] {
        const RgbImage image = DecodeJpeg(*stream, options, Depth::Header);
        return StitchSize{image.width, image.height};
    });
}

}  // namespace brodix
