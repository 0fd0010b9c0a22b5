// The stitched preview as a PNG file, written a row at a time: memory stays a row and libpng's
// buffers, whatever the picture's size.
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "print/StitchedPreview.h"
#include "raster/Exceptions.h"
#include "raster/FileFailure.h"
#include "raster/Stream.h"

namespace brodix::print {

namespace {

// Speed over size: a large preview is tens of millions of pixels. Level 1 of zlib with rows
// unfiltered compresses a preview, whose cells repeat, almost as well as the slower levels and
// filters, at a fraction of their time.
constexpr int kCompressionLevel = 1;
constexpr int kRowFilters = PNG_FILTER_NONE;

// libpng reports a fatal error by a longjmp back to the setjmp of the function that called it.
// Everything it touches lives in this plain struct, and the functions that call setjmp hold no
// C++ object with a destructor, so the jump skips nothing that needs cleaning up. The bytes
// libpng makes gather here (grown with realloc) until the caller hands them to the file.
struct PngOutput {
    png_structp png;
    png_infop info;
    unsigned char* bytes;
    std::size_t used;
    std::size_t capacity;
};

void ErrorFn(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void WarningFn(png_structp, png_const_charp) {}

void WriteFn(png_structp png, png_bytep data, std::size_t count) {
    auto* out = static_cast<PngOutput*>(png_get_io_ptr(png));
    if (count > out->capacity - out->used) {
        const std::size_t capacity = std::max(out->capacity * 2, out->used + count);
        auto* grown = static_cast<unsigned char*>(std::realloc(out->bytes, capacity));
        if (grown == nullptr)
            png_error(png, "out of memory");
        out->bytes = grown;
        out->capacity = capacity;
    }
    std::memcpy(out->bytes + out->used, data, count);
    out->used += count;
}

void FlushFn(png_structp) {}

// 8-bit RGB, taken from display rows (blue, green, red and an unused byte).
bool WriteHeader(PngOutput* out, png_uint_32 width, png_uint_32 height) {
    if (setjmp(png_jmpbuf(out->png)) != 0)
        return false;
    png_set_write_fn(out->png, out, WriteFn, FlushFn);
    png_set_IHDR(out->png, out->info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_sRGB(out->png, out->info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_set_compression_level(out->png, kCompressionLevel);
    png_set_filter(out->png, PNG_FILTER_TYPE_BASE, kRowFilters);
    png_write_info(out->png, out->info);
    png_set_bgr(out->png);
    png_set_filler(out->png, 0, PNG_FILLER_AFTER);
    return true;
}

bool WriteRow(PngOutput* out, const DisplayPixel* row) {
    if (setjmp(png_jmpbuf(out->png)) != 0)
        return false;
    png_write_row(out->png, reinterpret_cast<png_const_bytep>(row));
    return true;
}

bool WriteEnd(PngOutput* out) {
    if (setjmp(png_jmpbuf(out->png)) != 0)
        return false;
    png_write_end(out->png, out->info);
    return true;
}

class PngWriter {
  public:
    PngWriter() : m_out(new PngOutput{}) {
        m_out->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFn, WarningFn);
        if (m_out->png)
            m_out->info = png_create_info_struct(m_out->png);
        if (!m_out->png || !m_out->info)
            throw std::bad_alloc();
    }
    ~PngWriter() {
        png_destroy_write_struct(&m_out->png, &m_out->info);
        std::free(m_out->bytes);
    }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    PngOutput* get() { return m_out.get(); }
    // Hands the bytes made so far to stream.
    void Pass(TStream& stream) {
        if (m_out->used > 0)
            stream.Write(m_out->bytes, m_out->used);
        m_out->used = 0;
    }
    // libpng fails only for want of memory: a write that fails for it.
    [[noreturn]] static void Fail() { throw EWriteError(msg::kWriteError); }

  private:
    std::unique_ptr<PngOutput> m_out;
};

void WritePng(const StitchedPreview& preview, TStream& stream) {
    PngWriter writer;
    if (!WriteHeader(writer.get(), static_cast<png_uint_32>(preview.Width()),
                     static_cast<png_uint_32>(preview.Height())))
        PngWriter::Fail();
    std::vector<DisplayPixel> row(static_cast<std::size_t>(preview.Width()));
    for (int y = 0; y < preview.Height(); ++y) {
        preview.Row(y, row);
        if (!WriteRow(writer.get(), row.data()))
            PngWriter::Fail();
        writer.Pass(stream);
    }
    if (!WriteEnd(writer.get()))
        PngWriter::Fail();
    writer.Pass(stream);
}

}  // namespace

void SavePreviewPng(const std::string& fileName, const Pattern& pattern, int stitchPixels) {
    const StitchedPreview preview(pattern, stitchPixels);
    WriteDocumentFile(fileName, [&preview](TStream& stream) { WritePng(preview, stream); });
}

}  // namespace brodix::print
