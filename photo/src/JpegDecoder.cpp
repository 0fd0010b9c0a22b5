// JPEG through libjpeg-turbo, at a reduced scale when the picture is far larger than the box it
// is fitted into, then turned upright as its EXIF orientation says.
#include <cstring>

#include "ExifOrientation.h"
#include "RgbImage.h"
#include "raster/JpegSession.h"

namespace brodix {

namespace {

// libjpeg's working memory: a progressive picture keeps two bytes per sample of the whole
// picture, whatever the scale it is decoded at.
constexpr long kMaxDecoderMemory = static_cast<long>(kMaxDecodedPixels * 3 * 2 + (64 << 20));
// A reduced scale averages blocks in gamma-encoded values; keeping the decoded picture at least
// this many times the fitted size leaves nearly all of the averaging to the linear-light fit.
constexpr int kReducedScaleMargin = 3;

[[noreturn]] void Fail(JpegSession& session) {
    throw PhotoFailure{PhotoFailure::Kind::Damaged,
                       "the JPEG data are damaged (" + JpegErrorText(session) + ")"};
}

void ReadHeader(jpeg_decompress_struct& info) {
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
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

int OrientationOf(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1)
            return ExifOrientation({marker->data, marker->data_length});
    }
    return 1;
}

// The smallest scale n / 8 that keeps the decoded picture kReducedScaleMargin times the fitted
// size (8 / 8: full scale).
unsigned ReducedScale(std::uint64_t width, std::uint64_t height, StitchSize target) {
    for (unsigned scale = 1; scale < 8; ++scale) {
        if ((width * scale + 7) / 8 >= std::uint64_t{kReducedScaleMargin} * target.width &&
            (height * scale + 7) / 8 >= std::uint64_t{kReducedScaleMargin} * target.height)
            return scale;
    }
    return 8;
}

// Adobe's CMYK JPEGs store the inks inverted: 255 is no ink.
void CmykToRgb(std::vector<std::uint8_t>& pixels, std::size_t count) {
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

}  // namespace

RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes, const PhotoOptions& options) {
    const OwnedJpegSession session = NewJpegSession(/*truncatedIsError=*/true);
    if (!StartJpegSession(*session, bytes, kMaxDecoderMemory) ||
        !RunJpegStep(*session, ReadHeader)) {
        Fail(*session);
    }
    jpeg_decompress_struct& info = session->info;
    const std::uint64_t width = info.image_width;
    const std::uint64_t height = info.image_height;
    CheckDecodedSize(width, height, options.maxPixels);
    const int orientation = OrientationOf(info);
    unsigned scale = 8;
    if (const std::optional<StitchSize>& fit = options.fit) {
        const bool swap = SwapsAxes(orientation);
        const StitchSize shown = FittedSize(static_cast<int>(swap ? height : width),
                                            static_cast<int>(swap ? width : height), *fit);
        scale = ReducedScale(width, height, swap ? StitchSize{shown.height, shown.width} : shown);
    }
    if (!RunJpegStep(*session, [scale](jpeg_decompress_struct& i) { Start(i, scale); }))
        Fail(*session);

    const int channels = info.out_color_space == JCS_CMYK ? 4 : 3;
    RgbImage image;
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    const std::size_t count = std::size_t(image.width) * image.height;
    image.rgb.resize(count * channels);
    std::vector<JSAMPROW> rows(image.height);
    for (int y = 0; y < image.height; ++y)
        rows[y] = image.rgb.data() + std::size_t(y) * image.width * channels;
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

}  // namespace brodix
