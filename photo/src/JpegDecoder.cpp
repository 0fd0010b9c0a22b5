// JPEG through libjpeg-turbo, at a reduced scale when the picture is far larger than the box it
// is fitted into, then turned upright as its EXIF orientation says.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include "ExifOrientation.h"
#include "RgbImage.h"
#include "raster/Stream.h"
#include "raster/TJPEGImage.h"

namespace brodix {

namespace {

// libjpeg's working memory: a progressive picture keeps two bytes per sample of the whole
// picture, whatever the scale it is decoded at.
constexpr long kMaxDecoderMemory = static_cast<long>(kMaxDecodedPixels * 3 * 2 + (64 << 20));
// A reduced scale averages blocks in gamma-encoded values; keeping the decoded picture at least
// this many times the fitted size leaves nearly all of the averaging to the linear-light fit.
constexpr int kReducedScaleMargin = 3;

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to
// the setjmp of the function that called into the library. Everything libjpeg touches lives in
// this plain struct, and the functions that call setjmp hold no C++ object with a destructor.
struct JpegState {
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    bool created;
    // A file read a piece at a time (none: the bytes are all in memory).
    TStream* stream;
    jpeg_source_mgr source;
    JOCTET piece[1 << 16];
    // A copy of the first EXIF segment.
    std::uint8_t exif[1 << 16];
    std::size_t exifSize;
};

JpegState& StateOf(j_decompress_ptr info) {
    return *static_cast<JpegState*>(info->client_data);
}

void InitSource(j_decompress_ptr) {}

// At the end of the file, an end marker after libjpeg's warning, as its own sources do: the
// warning makes it an error here.
boolean FillPiece(j_decompress_ptr info) {
    JpegState& state = StateOf(info);
    std::size_t got = 0;
    try {
        got = state.stream->Read(state.piece, sizeof state.piece);
    } catch (...) {
    }
    if (got == 0) {
        WARNMS(info, JWRN_JPEG_EOF);
        state.piece[0] = 0xFF;
        state.piece[1] = JPEG_EOI;
        got = 2;
    }
    state.source.next_input_byte = state.piece;
    state.source.bytes_in_buffer = got;
    return TRUE;
}

void SkipPiece(j_decompress_ptr info, long count) {
    JpegState& state = StateOf(info);
    if (count <= 0)
        return;
    const auto skip = static_cast<std::size_t>(count);
    if (skip <= state.source.bytes_in_buffer) {
        state.source.next_input_byte += skip;
        state.source.bytes_in_buffer -= skip;
        return;
    }
    const std::uint64_t ahead = skip - state.source.bytes_in_buffer;
    state.source.bytes_in_buffer = 0;
    state.stream->SetPosition(std::min(state.stream->Position() + ahead, state.stream->Size()));
}

void TermSource(j_decompress_ptr) {}

[[noreturn]] void ErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegState*>(info->client_data)->jump, 1);
}

// A file that ends early is filled with grey by libjpeg after a warning; here it is an error.
void EmitMessage(j_common_ptr info, int level) {
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
        ErrorExit(info);
}

void ProgressMonitor(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
        info->err->msg_code = JERR_BAD_PROGRESSION;
        ErrorExit(info);
    }
}

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
    JpegState& state = StateOf(info);
    static constexpr std::uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    if (state.exifSize == 0) {
        std::size_t read = 0;
        bool signed_ = true;
        while (signed_ && read < size && read < sizeof kExif) {
            state.exif[read] = next();
            signed_ = state.exif[read] == kExif[read];
            ++read;
        }
        if (signed_ && read == sizeof kExif) {
            while (read < size)
                state.exif[read++] = next();
            state.exifSize = read;
            return TRUE;
        }
        size -= read;
    }
    source.skip_input_data(info, static_cast<long>(size));
    return TRUE;
}

bool ReadHeader(JpegState* state, const std::uint8_t* data, std::size_t size) {
    state->info.err = jpeg_std_error(&state->error);
    state->error.error_exit = ErrorExit;
    state->error.emit_message = EmitMessage;
    if (setjmp(state->jump) != 0)
        return false;
    // Kept by jpeg_create_decompress, so that an error inside it finds its way back too.
    state->info.client_data = state;
    jpeg_create_decompress(&state->info);
    state->created = true;
    state->info.mem->max_memory_to_use = kMaxDecoderMemory;
    state->progress.progress_monitor = ProgressMonitor;
    state->info.progress = &state->progress;
    if (state->stream != nullptr) {
        state->source = {nullptr,   0, InitSource, FillPiece, SkipPiece, jpeg_resync_to_restart,
                         TermSource};
        state->info.src = &state->source;
    } else {
        jpeg_mem_src(&state->info, data, static_cast<unsigned long>(size));
    }
    jpeg_set_marker_processor(&state->info, JPEG_APP0 + 1, NoteExif);
    jpeg_read_header(&state->info, TRUE);
    return true;
}

bool Start(JpegState* state, unsigned scale) {
    if (setjmp(state->jump) != 0)
        return false;
    jpeg_decompress_struct& info = state->info;
    info.scale_num = scale;
    info.scale_denom = 8;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    return true;
}

bool Decode(JpegState* state, JSAMPROW* rows) {
    if (setjmp(state->jump) != 0)
        return false;
    jpeg_start_decompress(&state->info);
    const JDIMENSION height = state->info.output_height;
    while (state->info.output_scanline < height) {
        const JDIMENSION line = state->info.output_scanline;
        if (jpeg_read_scanlines(&state->info, rows + line, height - line) == 0)
            return false;
    }
    jpeg_finish_decompress(&state->info);
    return true;
}

class JpegHolder {
  public:
    JpegHolder() : m_state(new JpegState{}) {}
    ~JpegHolder() {
        if (m_state->created)
            jpeg_destroy_decompress(&m_state->info);
    }
    JpegHolder(const JpegHolder&) = delete;
    JpegHolder& operator=(const JpegHolder&) = delete;
    JpegState* get() { return m_state.get(); }
    [[noreturn]] void Fail() {
        char text[JMSG_LENGTH_MAX] = {};
        m_state->error.format_message(reinterpret_cast<j_common_ptr>(&m_state->info), text);
        throw PhotoFailure{PhotoFailure::Kind::Damaged,
                           std::string("the JPEG data are damaged (") + text + ")"};
    }

  private:
    std::unique_ptr<JpegState> m_state;
};

int OrientationOf(const JpegState& state) {
    return state.exifSize == 0 ? 1 : ExifOrientation({state.exif, state.exifSize});
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
    JpegHolder holder;
    JpegState* state = holder.get();
    state->stream = stream;
    if (!ReadHeader(state, bytes.data(), bytes.size()))
        holder.Fail();
    const std::uint64_t width = state->info.image_width;
    const std::uint64_t height = state->info.image_height;
    CheckDecodedSize(width, height, options.maxPixels);
    const int orientation = OrientationOf(*state);
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
    if (!Start(state, scale))
        holder.Fail();

    const int channels = state->info.out_color_space == JCS_CMYK ? 4 : 3;
    RgbImage image;
    image.width = static_cast<int>(state->info.output_width);
    image.height = static_cast<int>(state->info.output_height);
    const std::size_t count = std::size_t(image.width) * image.height;
    image.rgb.resize(count * channels);
    std::vector<JSAMPROW> rows(image.height);
    for (int y = 0; y < image.height; ++y)
        rows[y] = image.rgb.data() + std::size_t(y) * image.width * channels;
    if (!Decode(state, rows.data()))
        holder.Fail();
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
