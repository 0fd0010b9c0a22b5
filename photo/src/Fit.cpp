// Smaller: area averaging in linear light by stb_image_resize, whose box filter weighs every
// source pixel by the part of it that each target pixel covers, after turning the sRGB bytes
// into linear light and before turning the sums back. Larger: pixels repeated, since a chart's
// colours are its threads and blending would add threads the picture never had.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
// Its parameter checks are programmer mistakes here: the sizes are checked before the call.
#define STBIR_ASSERT(x) ((void)0)
#include <stb/stb_image_resize.h>

#include "RgbImage.h"
#include "raster/Exceptions.h"

namespace brodix {

StitchSize FittedSize(int width, int height, StitchSize box) {
    if (width <= 0 || height <= 0 || box.width <= 0 || box.height <= 0)
        return {1, 1};
    // Scale by the tighter side; the other side is rounded, never beyond the box.
    const std::int64_t w = width;
    const std::int64_t h = height;
    if (w * box.height >= h * box.width) {
        const auto fitted = static_cast<int>((h * box.width + w / 2) / w);
        return {box.width, std::clamp(fitted, 1, box.height)};
    }
    const auto fitted = static_cast<int>((w * box.height + h / 2) / h);
    return {std::clamp(fitted, 1, box.width), box.height};
}

namespace {

// Each target pixel takes the source pixel under its centre.
RgbImage Repeated(const RgbImage& image, StitchSize size) {
    RgbImage out = AllocateRgb(static_cast<std::uint64_t>(size.width),
                               static_cast<std::uint64_t>(size.height), kMaxDecodedPixels);
    std::uint8_t* to = out.rgb.data();
    for (int y = 0; y < out.height; ++y) {
        const auto fromY =
            static_cast<int>((2 * std::int64_t{y} + 1) * image.height / (2 * out.height));
        const std::uint8_t* row = image.At(0, fromY);
        for (int x = 0; x < out.width; ++x, to += 3) {
            const std::int64_t fromX = (2 * std::int64_t{x} + 1) * image.width / (2 * out.width);
            std::memcpy(to, row + fromX * 3, 3);
        }
    }
    return out;
}

}  // namespace

RgbImage Resized(RgbImage image, StitchSize size) {
    if (size.width == image.width && size.height == image.height)
        return image;
    if (size.width >= image.width && size.height >= image.height)
        return Repeated(image, size);
    RgbImage out = AllocateRgb(static_cast<std::uint64_t>(size.width),
                               static_cast<std::uint64_t>(size.height), kMaxDecodedPixels);
    const int done = stbir_resize_uint8_generic(image.rgb.data(), image.width, image.height, 0,
                                                out.rgb.data(), out.width, out.height, 0, 3,
                                                STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                                                STBIR_FILTER_BOX, STBIR_COLORSPACE_SRGB, nullptr);
    // stb fails only when it cannot allocate its work space; the reader names the file.
    if (!done)
        throw std::bad_alloc();
    return out;
}

}  // namespace brodix
