// PNG through libpng: palette, grey, 16-bit and transparency all become 8-bit RGBA rows, which
// are then put over the background.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "RgbImage.h"

namespace brodix {

namespace {

// libpng reports a fatal error by a longjmp back to the setjmp of the function that called
// it. Everything it touches lives in this plain struct, and the functions that call setjmp
// hold no C++ object with a destructor, so the jump skips nothing that needs cleaning up.
struct PngState {
    png_structp png;
    png_infop info;
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
    char message[160];
};

void ErrorFn(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message ? message : "");
    png_longjmp(png, 1);
}

void WarningFn(png_structp, png_const_charp) {}

void ReadFn(png_structp png, png_bytep out, std::size_t count) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (count > state->size - state->position)
        png_error(png, "the file ends before the picture does");
    std::memcpy(out, state->data + state->position, count);
    state->position += count;
}

// What is kept of a picture's chunks besides its pixels: the palette and transparency.
constexpr png_alloc_size_t kMaxChunkBytes = 1 << 20;
constexpr png_uint_32 kMaxChunks = 1000;

bool ReadHeader(PngState* state, png_uint_32* width, png_uint_32* height) {
    if (setjmp(png_jmpbuf(state->png)) != 0)
        return false;
    png_set_read_fn(state->png, state, ReadFn);
    // Text, palettes of suggestions, calibration and the like are never used, yet libpng would
    // allocate each as long as the chunk says (up to 2 GB) before reading it: they are skipped
    // unread, and whatever is kept is bounded.
    png_set_keep_unknown_chunks(state->png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    static constexpr png_byte kUnused[] =
        "tEXt\0zTXt\0iTXt\0sPLT\0pCAL\0sCAL\0iCCP\0eXIf\0"
        "hIST\0tIME\0oFFs\0pHYs\0sBIT\0cHRM\0gAMA\0sRGB\0bKGD";
    png_set_keep_unknown_chunks(state->png, PNG_HANDLE_CHUNK_NEVER, kUnused,
                                static_cast<int>(sizeof kUnused / 5));
    png_set_chunk_malloc_max(state->png, kMaxChunkBytes);
    png_set_chunk_cache_max(state->png, kMaxChunks);
    // The picture's size is judged by the decode cap, which says "too large" rather than
    // libpng's "Invalid IHDR data" for a picture over a million rows.
    png_set_user_limits(state->png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(state->png, state->info);
    png_set_expand(state->png);
    png_set_scale_16(state->png);
    png_set_gray_to_rgb(state->png);
    png_set_add_alpha(state->png, 0xFFFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(state->png);
    png_read_update_info(state->png, state->info);
    *width = png_get_image_width(state->png, state->info);
    *height = png_get_image_height(state->png, state->info);
    if (png_get_rowbytes(state->png, state->info) != std::size_t{*width} * 4)
        png_error(state->png, "unexpected row layout");
    return true;
}

bool ReadRows(PngState* state, png_bytepp rows) {
    if (setjmp(png_jmpbuf(state->png)) != 0)
        return false;
    png_read_image(state->png, rows);
    return true;
}

class PngHolder {
  public:
    explicit PngHolder(std::span<const std::uint8_t> bytes) : m_state(new PngState{}) {
        m_state->data = bytes.data();
        m_state->size = bytes.size();
        m_state->png =
            png_create_read_struct(PNG_LIBPNG_VER_STRING, m_state.get(), ErrorFn, WarningFn);
        if (m_state->png)
            m_state->info = png_create_info_struct(m_state->png);
        if (!m_state->png || !m_state->info)
            throw std::bad_alloc();
    }
    ~PngHolder() { png_destroy_read_struct(&m_state->png, &m_state->info, nullptr); }
    PngHolder(const PngHolder&) = delete;
    PngHolder& operator=(const PngHolder&) = delete;
    PngState* get() { return m_state.get(); }
    [[noreturn]] void Fail() {
        throw PhotoFailure{PhotoFailure::Kind::Damaged,
                           std::string("the PNG data are damaged (") + m_state->message + ")"};
    }

  private:
    std::unique_ptr<PngState> m_state;
};

}  // namespace

RgbImage DecodePng(std::span<const std::uint8_t> bytes, const PhotoOptions& options, Depth depth) {
    PngHolder holder(bytes);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    if (!ReadHeader(holder.get(), &width, &height))
        holder.Fail();
    CheckDecodedSize(width, height, options.maxPixels);
    if (depth == Depth::Header)
        return RgbImage{static_cast<int>(width), static_cast<int>(height), {}};
    // Four bytes a pixel while decoding, narrowed to three in place afterwards.
    PixelBytes pixels(std::size_t{width} * height * 4);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.data() + std::size_t{y} * width * 4;
    if (!ReadRows(holder.get(), rows.data()))
        holder.Fail();

    const unsigned backRed = RedOf(options.background);
    const unsigned backGreen = GreenOf(options.background);
    const unsigned backBlue = BlueOf(options.background);
    const std::size_t count = std::size_t{width} * height;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* from = &pixels[i * 4];
        const unsigned alpha = from[3];
        const std::uint8_t red = OverBackground(from[0], alpha, backRed);
        const std::uint8_t green = OverBackground(from[1], alpha, backGreen);
        const std::uint8_t blue = OverBackground(from[2], alpha, backBlue);
        pixels[i * 3] = red;
        pixels[i * 3 + 1] = green;
        pixels[i * 3 + 2] = blue;
    }
    pixels.resize(count * 3);
    return RgbImage{static_cast<int>(width), static_cast<int>(height), std::move(pixels)};
}

}  // namespace brodix
