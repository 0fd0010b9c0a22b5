#include "raster/TJPEGImage.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include "ReadWhole.h"
#include "raster/Exceptions.h"
#include "raster/PixelFormat.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace brodix {

namespace {

// libjpeg's own working memory (a progressive picture keeps all its coefficients, two bytes
// per sample): generous for any picture whose pixels fit the store limit.
constexpr long kMaxDecoderMemory = static_cast<long>(3 * kMaxPixelStoreBytes);
// The palette size of grayscale output: the colours a 256-colour display leaves to pictures.
constexpr int kMaxQuantizedColors = 236;

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back
// to the setjmp of the function that called into the library. Everything libjpeg touches lives
// in this plain struct, and the functions that call setjmp hold no C++ object with a
// destructor, so the jump skips nothing that needs cleaning up.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

struct Decoder {
    jpeg_decompress_struct info;
    ErrorManager error;
    jpeg_progress_mgr progress;
    bool created;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings about damaged data are not shown; the decoder goes on with what it can.
void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr info) {
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxJpegScans) {
        // libjpeg has no message of its own for this; the nearest is a bad progression.
        info->err->msg_code = JERR_BAD_PROGRESSION;
        ErrorExit(info);
    }
}

// Creates the decompressor over the bytes and reads the header. Returns false on a decoder
// error, whose number is then in decoder->error.base.msg_code.
bool OpenAndReadHeader(Decoder* decoder, const std::uint8_t* data, std::size_t size) {
    decoder->info.err = jpeg_std_error(&decoder->error.base);
    decoder->error.base.error_exit = ErrorExit;
    decoder->error.base.output_message = OutputMessage;
    if (setjmp(decoder->error.jump) != 0)
        return false;
    jpeg_create_decompress(&decoder->info);
    decoder->created = true;
    decoder->info.mem->max_memory_to_use = kMaxDecoderMemory;
    decoder->progress.progress_monitor = ProgressMonitor;
    decoder->info.progress = &decoder->progress;
    jpeg_mem_src(&decoder->info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&decoder->info, TRUE);
    return true;
}

bool StartDecompress(Decoder* decoder, bool quantize) {
    if (setjmp(decoder->error.jump) != 0)
        return false;
    jpeg_decompress_struct& info = decoder->info;
    info.scale_num = 1;
    info.scale_denom = 1;
    info.do_block_smoothing = TRUE;
    if (quantize) {
        info.quantize_colors = TRUE;
        info.two_pass_quantize = FALSE;
        info.desired_number_of_colors = kMaxQuantizedColors;
    } else {
        // Straight into the BMP byte order of a 24-bit store.
        info.out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(&info);
    return true;
}

bool ReadRows(Decoder* decoder, JSAMPROW* rows, JDIMENSION height) {
    if (setjmp(decoder->error.jump) != 0)
        return false;
    while (decoder->info.output_scanline < height) {
        const JDIMENSION line = decoder->info.output_scanline;
        if (jpeg_read_scanlines(&decoder->info, rows + line, height - line) == 0)
            break;
    }
    jpeg_finish_decompress(&decoder->info);
    return true;
}

// Owns a Decoder in frames that never see a longjmp.
class DecoderHolder {
  public:
    DecoderHolder() : m_decoder(new Decoder{}) {}
    ~DecoderHolder() {
        if (m_decoder->created)
            jpeg_destroy_decompress(&m_decoder->info);
    }
    DecoderHolder(const DecoderHolder&) = delete;
    DecoderHolder& operator=(const DecoderHolder&) = delete;
    Decoder* operator->() { return m_decoder.get(); }
    Decoder* get() { return m_decoder.get(); }

    [[noreturn]] void Fail() {
        throw EJPEG(
            FormatMessage(msg::kJpegError, static_cast<long long>(m_decoder->error.base.msg_code)));
    }

  private:
    std::unique_ptr<Decoder> m_decoder;
};

int OutputBits(bool grayscale) {
    return grayscale ? 8 : 24;
}

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

std::unique_ptr<TGraphic> TJPEGImage::Clone() const {
    auto copy = std::make_unique<TJPEGImage>();
    copy->m_data = m_data;
    copy->m_width = m_width;
    copy->m_height = m_height;
    copy->m_grayscale = m_grayscale;
    copy->m_progressive = m_progressive;
    copy->m_decodeTried = m_decodeTried;
    if (m_bitmap)
        copy->m_bitmap = std::make_unique<TBitmap>(*m_bitmap);
    return copy;
}

void TJPEGImage::LoadFromStream(TStream& stream) {
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(ReadWholeStream(stream));
    int width = 0;
    int height = 0;
    bool grayscale = false;
    bool progressive = false;
    if (!bytes->empty()) {
        DecoderHolder decoder;
        if (!OpenAndReadHeader(decoder.get(), bytes->data(), bytes->size()))
            decoder.Fail();
        const jpeg_decompress_struct& info = decoder->info;
        grayscale = info.num_components == 1;
        progressive = jpeg_has_multiple_scans(&decoder->info) != 0;
        // A picture whose decoded bitmap could never be made is refused now, while the
        // picture that held something before still has it.
        const std::size_t stride = RowStride(info.image_width, OutputBits(grayscale));
        if (stride == 0 ||
            static_cast<std::uint64_t>(stride) * info.image_height > kMaxPixelStoreBytes) {
            throw EOutOfResources(msg::kOutOfResources);
        }
        width = static_cast<int>(info.image_width);
        height = static_cast<int>(info.image_height);
    }
    m_data = std::move(bytes);
    m_width = width;
    m_height = height;
    m_grayscale = grayscale;
    m_progressive = progressive;
    m_decodeTried = false;
    m_bitmap.reset();
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) const {
    if (m_data && !m_data->empty())
        stream.Write(m_data->data(), m_data->size());
}

void TJPEGImage::DIBNeeded() {
    if (m_decodeTried || !m_data || m_data->empty())
        return;
    m_decodeTried = true;
    DecoderHolder decoder;
    if (!OpenAndReadHeader(decoder.get(), m_data->data(), m_data->size()))
        decoder.Fail();
    if (!StartDecompress(decoder.get(), m_grayscale))
        decoder.Fail();
    const jpeg_decompress_struct& info = decoder->info;
    const bool indexed = info.quantize_colors != 0;
    if (info.output_width != static_cast<JDIMENSION>(m_width) ||
        info.output_height != static_cast<JDIMENSION>(m_height) ||
        info.output_components != (indexed ? 1 : 3)) {
        throw EJPEG(
            FormatMessage(msg::kJpegError, static_cast<long long>(JERR_CONVERSION_NOTIMPL)));
    }

    BitmapLayout layout;
    if (indexed) {
        layout.format = TPixelFormat::Indexed8;
        for (int i = 0; i < info.actual_number_of_colors; ++i) {
            const unsigned grey = info.colormap[0][i];
            layout.colorTable.push_back(RGB(grey, grey, grey));
        }
    } else {
        layout.format = TPixelFormat::Direct24;
    }
    auto bitmap = TBitmap::CreateWithLayout(m_width, m_height, layout, /*topDown=*/true);
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(m_height));
    for (int y = 0; y < m_height; ++y)
        rows[static_cast<std::size_t>(y)] = bitmap->MutableScanLine(y);
    const bool complete = ReadRows(decoder.get(), rows.data(), info.output_height);
    m_bitmap = std::move(bitmap);
    if (!complete)
        decoder.Fail();
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) {
    DIBNeeded();
    if (m_bitmap && !m_bitmap->Empty())
        canvas.StretchDraw(rect, *m_bitmap);
}

}  // namespace brodix
