// JPEG through libjpeg-turbo, at a reduced scale when the picture is far larger than the box it
// is fitted into, then turned upright as its EXIF orientation says.
#include <algorithm>
#include <cstring>
#include <memory>

#include "ExifOrientation.h"
#include "RgbImage.h"
#include "raster/JpegSession.h"
#include "raster/Stream.h"
// After jpeglib.h (through JpegSession.h), which it needs.
#include <jerror.h>

namespace brodix {

namespace {

// libjpeg's working memory: a progressive picture keeps two bytes per sample of the whole
// picture, whatever the scale it is decoded at.
constexpr long kMaxDecoderMemory = static_cast<long>(kMaxDecodedPixels * 3 * 2 + (64 << 20));
// A reduced scale averages blocks in gamma-encoded values; keeping the decoded picture at least
// this many times the fitted size leaves nearly all of the averaging to the linear-light fit.
constexpr int kReducedScaleMargin = 3;

// What the session's source manager and EXIF marker processor work on. A plain struct: the
// libjpeg steps that touch it may be left by a jump.
struct JpegReading {
    // A file read a piece at a time (none: the bytes are all in memory).
    TStream* stream;
    jpeg_source_mgr source;
    JOCTET piece[1 << 16];
    // A copy of the first EXIF segment.
    std::uint8_t exif[1 << 16];
    std::size_t exifSize;
};

JpegReading& ReadingOf(j_decompress_ptr info) {
    return *static_cast<JpegReading*>(static_cast<JpegSession*>(info->client_data)->reader);
}

void InitSource(j_decompress_ptr) {}

// At the end of the file, an end marker after libjpeg's warning, as its own sources do: the
// session makes that warning an error.
boolean FillPiece(j_decompress_ptr info) {
    JpegReading& reading = ReadingOf(info);
    std::size_t got = 0;
    try {
        got = reading.stream->Read(reading.piece, sizeof reading.piece);
    } catch (...) {
    }
    if (got == 0) {
        WARNMS(info, JWRN_JPEG_EOF);
        reading.piece[0] = 0xFF;
        reading.piece[1] = JPEG_EOI;
        got = 2;
    }
    reading.source.next_input_byte = reading.piece;
    reading.source.bytes_in_buffer = got;
    return TRUE;
}

void SkipPiece(j_decompress_ptr info, long count) {
    JpegReading& reading = ReadingOf(info);
    if (count <= 0)
        return;
    const auto skip = static_cast<std::size_t>(count);
    if (skip <= reading.source.bytes_in_buffer) {
        reading.source.next_input_byte += skip;
        reading.source.bytes_in_buffer -= skip;
        return;
    }
    const std::uint64_t ahead = skip - reading.source.bytes_in_buffer;
    reading.source.bytes_in_buffer = 0;
    reading.stream->SetPosition(
        std::min(reading.stream->Position() + ahead, reading.stream->Size()));
}

void TermSource(j_decompress_ptr) {}

// Of the APP1 segments only the first EXIF one is needed, and a file may hold thousands of
// 64 KB segments: the others are skipped unread, where libjpeg would keep every one.
boolean NoteExif(j_decompress_ptr info) {
    jpeg_source_mgr& source = *info->src;
    const auto next = [&]() -> std::uint8_t {
        if (source.bytes_in_buffer == 0)
            source.fill_input_buffer(info);
        --source.bytes_in_buffer;
        return *source.next_input_byte++;
    };
    const unsigned high = next();
    const unsigned length = (high << 8) | next();
    if (length < 2)
        ERREXIT(info, JERR_BAD_LENGTH);
    std::size_t size = length - 2;
    JpegReading& reading = ReadingOf(info);
    static constexpr std::uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    if (reading.exifSize == 0) {
        std::size_t read = 0;
        bool signed_ = true;
        while (signed_ && read < size && read < sizeof kExif) {
            reading.exif[read] = next();
            signed_ = reading.exif[read] == kExif[read];
            ++read;
        }
        if (signed_ && read == sizeof kExif) {
            while (read < size)
                reading.exif[read++] = next();
            reading.exifSize = read;
            return TRUE;
        }
        size -= read;
    }
    source.skip_input_data(info, static_cast<long>(size));
    return TRUE;
}

[[noreturn]] void Fail(JpegSession& session) {
    throw PhotoFailure{PhotoFailure::Kind::Damaged,
                       "the JPEG data are damaged (" + JpegErrorText(session) + ")"};
}

void ReadHeader(jpeg_decompress_struct& info, JpegReading& reading) {
    if (reading.stream != nullptr) {
        reading.source = {nullptr,   0, InitSource, FillPiece, SkipPiece, jpeg_resync_to_restart,
                          TermSource};
        info.src = &reading.source;
    }
    jpeg_set_marker_processor(&info, JPEG_APP0 + 1, NoteExif);
    jpeg_read_header(&info, TRUE);
}

void Start(jpeg_decompress_struct& info, unsigned scale) {
    info.scale_num = scale;
    info.scale_denom = 8;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(&info);
}

// False when the data end before the last row.
bool Decode(jpeg_decompress_struct& info, JSAMPROW* rows) {
    jpeg_start_decompress(&info);
    const JDIMENSION height = info.output_height;
    while (info.output_scanline < height) {
        const JDIMENSION line = info.output_scanline;
        if (jpeg_read_scanlines(&info, rows + line, height - line) == 0)
            return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

int OrientationOf(const JpegReading& reading) {
    return reading.exifSize == 0 ? 1 : ExifOrientation({reading.exif, reading.exifSize});
}

// The smallest scale n / 8 that keeps the decoded picture kReducedScaleMargin times the fitted
// size (8 / 8: full scale).
unsigned ReducedScale(std::uint64_t width, std::uint64_t height, StitchSize target) {
    const std::uint64_t wantWidth =
        std::uint64_t{kReducedScaleMargin} * static_cast<std::uint64_t>(target.width);
    const std::uint64_t wantHeight =
        std::uint64_t{kReducedScaleMargin} * static_cast<std::uint64_t>(target.height);
    for (unsigned scale = 1; scale < 8; ++scale) {
        if ((width * scale + 7) / 8 >= wantWidth && (height * scale + 7) / 8 >= wantHeight)
            return scale;
    }
    return 8;
}

// Adobe's CMYK JPEGs store the inks inverted: 255 is no ink.
void CmykToRgb(PixelBytes& pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned k = pixels[i * 4 + 3];
        const auto channel = [&](unsigned c) { return static_cast<std::uint8_t>(c * k / 255); };
        const std::uint8_t red = channel(pixels[i * 4]);
        const std::uint8_t green = channel(pixels[i * 4 + 1]);
        const std::uint8_t blue = channel(pixels[i * 4 + 2]);
        pixels[i * 3] = red;
        pixels[i * 3 + 1] = green;
        pixels[i * 3 + 2] = blue;
    }
    pixels.resize(count * 3);
}

RgbImage DecodeJpegFrom(TStream* stream, std::span<const std::uint8_t> bytes,
                        const PhotoOptions& options, Depth depth) {
    const auto reading = std::make_unique<JpegReading>();
    reading->stream = stream;
    const OwnedJpegSession session = NewJpegSession(/*truncatedIsError=*/true);
    session->reader = reading.get();
    const bool started = stream != nullptr ? StartJpegSession(*session, kMaxDecoderMemory)
                                           : StartJpegSession(*session, bytes, kMaxDecoderMemory);
    if (!started ||
        !RunJpegStep(*session, [&](jpeg_decompress_struct& i) { ReadHeader(i, *reading); })) {
        Fail(*session);
    }
    jpeg_decompress_struct& info = session->info;
    const std::uint64_t width = info.image_width;
    const std::uint64_t height = info.image_height;
    CheckDecodedSize(width, height, options.maxPixels);
    const int orientation = OrientationOf(*reading);
    if (depth == Depth::Header) {
        const bool swap = SwapsAxes(orientation);
        return RgbImage{
            static_cast<int>(swap ? height : width), static_cast<int>(swap ? width : height), {}};
    }
    unsigned scale = 8;
    if (const std::optional<StitchSize>& fit = options.fit) {
        const bool swap = SwapsAxes(orientation);
        const StitchSize shown = FittedSize(static_cast<int>(swap ? height : width),
                                            static_cast<int>(swap ? width : height), *fit);
        scale = ReducedScale(width, height, swap ? StitchSize{shown.height, shown.width} : shown);
    }
    if (!RunJpegStep(*session, [scale](jpeg_decompress_struct& i) { Start(i, scale); }))
        Fail(*session);

    const unsigned channels = info.out_color_space == JCS_CMYK ? 4 : 3;
    RgbImage image;
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    const std::size_t count = std::size_t{info.output_width} * info.output_height;
    image.rgb.resize(count * channels);
    std::vector<JSAMPROW> rows(info.output_height);
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = image.rgb.data() + y * info.output_width * channels;
    bool complete = false;
    if (!RunJpegStep(*session,
                     [&](jpeg_decompress_struct& i) { complete = Decode(i, rows.data()); }) ||
        !complete) {
        Fail(*session);
    }
    if (channels == 4)
        CmykToRgb(image.rgb, count);
    return Oriented(image, orientation);
}

}  // namespace

RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes, const PhotoOptions& options, Depth depth) {
    return DecodeJpegFrom(nullptr, bytes, options, depth);
}

RgbImage DecodeJpeg(TStream& stream, const PhotoOptions& options, Depth depth) {
    return DecodeJpegFrom(&stream, {}, options, depth);
}

}  // namespace brodix
