#pragma once

// PNG, GIF and EXIF-rotated JPEG files made at test time with the libraries' own encoders.
#include <gif_lib.h>
#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace brodix::testing {

using PhotoBytes = std::vector<std::uint8_t>;

// rows: packed rows as the format stores them, top first; transparency: tRNS alphas of the
// palette's entries.
inline PhotoBytes MakePng(int width, int height, int colorType, int bitDepth,
                          const std::vector<std::uint8_t>& rows,
                          const std::vector<png_color>& palette = {},
                          const std::vector<std::uint8_t>& transparency = {},
                          bool interlaced = false) {
    PhotoBytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, std::size_t n) {
            auto* bytes = static_cast<PhotoBytes*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!transparency.empty())
        png_set_tRNS(png, info, transparency.data(), static_cast<int>(transparency.size()),
                     nullptr);
    png_write_info(png, info);
    const std::size_t stride = rows.size() / height;
    std::vector<png_bytep> pointers;
    for (int y = 0; y < height; ++y)
        pointers.push_back(const_cast<png_bytep>(rows.data() + y * stride));
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A GIF of one frame with a four-colour table; transparent: the index shown as see-through.
inline PhotoBytes MakeGif(int width, int height, const std::vector<GifPixelType>& pixels,
                          int transparent, bool interlaced = false) {
    PhotoBytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* g, const GifByteType* data, int n) {
            auto* bytes = static_cast<PhotoBytes*>(g->UserData);
            bytes->insert(bytes->end(), data, data + n);
            return n;
        },
        &error);
    const GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 2, 0, map);
    GraphicsControlBlock control{};
    control.TransparentColor = transparent;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
    EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr);
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass) {
        for (int y = interlaced ? kStart[pass] : 0; y < height; y += interlaced ? kStep[pass] : 1)
            EGifPutLine(gif, const_cast<GifPixelType*>(&pixels[y * width]), width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

// jpeg with an APP1 segment right after its start marker whose orientation tag says orientation.
inline PhotoBytes WithExifOrientation(const PhotoBytes& jpeg, int orientation) {
    const PhotoBytes app1 = {0xFF,
                             0xE1,
                             0,
                             34,
                             'E',
                             'x',
                             'i',
                             'f',
                             0,
                             0,  // marker, length
                             'I',
                             'I',
                             42,
                             0,
                             8,
                             0,
                             0,
                             0,  // TIFF header
                             1,
                             0,  // one entry
                             0x12,
                             0x01,
                             3,
                             0,
                             1,
                             0,
                             0,
                             0,  // orientation, short
                             static_cast<std::uint8_t>(orientation),
                             0,
                             0,
                             0,  // its value
                             0,
                             0,
                             0,
                             0};  // no next directory
    PhotoBytes out = app1;
    // The start marker goes first (element-wise: GCC 12 misreads a range insert here).
    out.insert(out.begin(), jpeg[1]);
    out.insert(out.begin(), jpeg[0]);
    for (std::size_t i = 2; i < jpeg.size(); ++i)
        out.push_back(jpeg[i]);
    return out;
}

}  // namespace brodix::testing
