#include "raster/TJPEGImage.h"

#include <cstring>

#include <jerror.h>

#include "ReadWhole.h"
#include "raster/Exceptions.h"
#include "raster/JpegSession.h"
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

[[noreturn]] void Fail(const JpegSession& session) {
    throw EJPEG(FormatMessage(msg::kJpegError, static_cast<long long>(session.error.msg_code)));
}

// The decompressor over the bytes with its header read, or the framework's JPEG error with
// libjpeg's number for the failure.
OwnedJpegSession OpenWithHeader(const std::vector<std::uint8_t>& bytes) {
    OwnedJpegSession session = NewJpegSession(/*truncatedIsError=*/false);
    if (!StartJpegSession(*session, bytes, kMaxDecoderMemory) ||
        !RunJpegStep(*session,
                     [](jpeg_decompress_struct& info) { jpeg_read_header(&info, TRUE); })) {
        Fail(*session);
    }
    return session;
}

void SetOutput(jpeg_decompress_struct& info, bool quantize) {
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
}

void ReadRows(jpeg_decompress_struct& info, JSAMPROW* rows, JDIMENSION height) {
    while (info.output_scanline < height) {
        const JDIMENSION line = info.output_scanline;
        if (jpeg_read_scanlines(&info, rows + line, height - line) == 0)
            break;
    }
    jpeg_finish_decompress(&info);
}

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
        const OwnedJpegSession session = OpenWithHeader(*bytes);
        jpeg_decompress_struct& info = session->info;
        grayscale = info.num_components == 1;
        progressive = jpeg_has_multiple_scans(&info) != 0;
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
    const OwnedJpegSession session = OpenWithHeader(*m_data);
    const bool quantize = m_grayscale;
    if (!RunJpegStep(*session, [quantize](jpeg_decompress_struct& info) {
            SetOutput(info, quantize);
            jpeg_start_decompress(&info);
        })) {
        Fail(*session);
    }
    const jpeg_decompress_struct& info = session->info;
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
    std::vector<JSAMPROW> rows;
    for (int y = 0; y < m_height; ++y)
        rows.push_back(bitmap->MutableScanLine(y));
    const bool complete = RunJpegStep(*session, [&rows](jpeg_decompress_struct& decompress) {
        ReadRows(decompress, rows.data(), decompress.output_height);
    });
    m_bitmap = std::move(bitmap);
    if (!complete)
        Fail(*session);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) {
    DIBNeeded();
    if (m_bitmap && !m_bitmap->Empty())
        canvas.StretchDraw(rect, *m_bitmap);
}

}  // namespace brodix
