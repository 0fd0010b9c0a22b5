// GIF through giflib: the first frame only, without the screen around it, which holds nothing
// but background and may be declared far larger than the frame; transparent pixels show the
// background.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "RgbImage.h"

namespace brodix {

namespace {

struct Source {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

int ReadFn(GifFileType* gif, GifByteType* out, int count) {
    auto* source = static_cast<Source*>(gif->UserData);
    const std::size_t left = source->bytes.size() - source->position;
    const std::size_t n = std::min(left, static_cast<std::size_t>(std::max(count, 0)));
    std::memcpy(out, source->bytes.data() + source->position, n);
    source->position += n;
    return static_cast<int>(n);
}

[[noreturn]] void FailWith(int error) {
    throw PhotoFailure{PhotoFailure::Kind::Damaged,
                       std::string("the GIF data are damaged (") +
                           (GifErrorString(error) ? GifErrorString(error) : "unknown error") + ")"};
}

class GifHolder {
  public:
    explicit GifHolder(Source& source) {
        int error = 0;
        m_gif = DGifOpen(&source, ReadFn, &error);
        if (!m_gif)
            FailWith(error);
    }
    ~GifHolder() { DGifCloseFile(m_gif, nullptr); }
    GifHolder(const GifHolder&) = delete;
    GifHolder& operator=(const GifHolder&) = delete;
    GifFileType* operator->() { return m_gif; }
    GifFileType* get() { return m_gif; }
    [[noreturn]] void Fail() { FailWith(m_gif->Error); }

  private:
    GifFileType* m_gif = nullptr;
};

// Reads records up to the first image's descriptor; returns its transparent index (-1: none).
int SkipToFirstImage(GifHolder& gif) {
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            gif.Fail();
        if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
                gif.Fail();
            return transparent;
        }
        if (type == TERMINATE_RECORD_TYPE)
            throw PhotoFailure{PhotoFailure::Kind::Damaged, "the GIF file holds no picture"};
        if (type != EXTENSION_RECORD_TYPE)
            continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
            gif.Fail();
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
            GraphicsControlBlock control{};
            DGifExtensionToGCB(block[0], block + 1, &control);
            transparent = control.TransparentColor;
        }
        while (block) {
            if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                gif.Fail();
        }
    }
}

}  // namespace

RgbImage DecodeGif(std::span<const std::uint8_t> bytes, const PhotoOptions& options, Depth depth) {
    Source source{bytes};
    GifHolder gif(source);
    const int transparent = SkipToFirstImage(gif);
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colors = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colors || frame.Width <= 0 || frame.Height <= 0)
        throw PhotoFailure{PhotoFailure::Kind::Damaged, "the GIF picture has no colours or size"};
    const int width = frame.Width;
    if (depth == Depth::Header) {
        CheckDecodedSize(static_cast<std::uint64_t>(width),
                         static_cast<std::uint64_t>(frame.Height), options.maxPixels);
        return RgbImage{width, frame.Height, {}};
    }
    RgbImage image = AllocateRgb(static_cast<std::uint64_t>(width),
                                 static_cast<std::uint64_t>(frame.Height), options.maxPixels);
    const std::uint8_t back[3] = {RedOf(options.background), GreenOf(options.background),
                                  BlueOf(options.background)};

    // Interlaced frames send every eighth row from 0, then from 4, every fourth from 2, every
    // second from 1.
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? kStart[pass] : 0;
        const int step = frame.Interlace ? kStep[pass] : 1;
        for (int row = start; row < frame.Height; row += step) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
                gif.Fail();
            std::uint8_t* out = image.At(0, row);
            for (std::size_t x = 0; x < line.size(); ++x, out += 3) {
                const int index = line[x];
                if (index == transparent) {
                    std::memcpy(out, back, 3);
                    continue;
                }
                if (index >= colors->ColorCount) {
                    std::memset(out, 0, 3);
                    continue;
                }
                const GifColorType& c = colors->Colors[index];
                out[0] = c.Red;
                out[1] = c.Green;
                out[2] = c.Blue;
            }
        }
    }
    return image;
}

}  // namespace brodix
