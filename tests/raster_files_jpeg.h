#pragma once

// Small JPEG files made at test time with libjpeg's own encoder.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>

namespace brodix::testing {

enum class JpegKind { Baseline, Grayscale, Progressive };

// Paints row y of a picture: width samples of one component (grayscale) or three (RGB).
using JpegRowPainter = std::function<void(int y, unsigned char* row)>;

// A width x height picture painted row by row, encoded with libjpeg. The encoder's errors
// cannot occur with these settings.
inline std::vector<unsigned char> EncodeJpeg(int width, int height, JpegKind kind, int quality,
                                             const JpegRowPainter& paint) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    const bool gray = kind == JpegKind::Grayscale;
    info.input_components = gray ? 1 : 3;
    info.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (kind == JpegKind::Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * info.input_components);
    while (info.next_scanline < info.image_height) {
        paint(static_cast<int>(info.next_scanline), row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

// A width x height picture: red rising to the right, green rising downwards, blue 0x40
// (grayscale: the red value).
inline std::vector<unsigned char> MakeJpeg(int width, int height, JpegKind kind, int quality = 95) {
    const bool gray = kind == JpegKind::Grayscale;
    return EncodeJpeg(width, height, kind, quality, [=](int y, unsigned char* row) {
        for (int x = 0; x < width; ++x) {
            const auto red = static_cast<unsigned char>(x * 255 / (width > 1 ? width - 1 : 1));
            const auto green = static_cast<unsigned char>(y * 255 / (height > 1 ? height - 1 : 1));
            if (gray) {
                row[x] = red;
            } else {
                row[x * 3] = red;
                row[x * 3 + 1] = green;
                row[x * 3 + 2] = 0x40;
            }
        }
    });
}

}  // namespace brodix::testing
