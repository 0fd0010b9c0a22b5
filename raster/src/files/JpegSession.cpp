#include "raster/JpegSession.h"

// After jpeglib.h, which it needs.
#include <jerror.h>

namespace brodix {

namespace {

JpegSession& SessionOf(j_common_ptr info) {
    return *static_cast<JpegSession*>(info->client_data);
}

[[noreturn]] void ErrorExit(j_common_ptr info) {
    std::longjmp(SessionOf(info).jump, 1);
}

void EmitMessage(j_common_ptr info, int level) {
    const int code = info->err->msg_code;
    if (level < 0 && SessionOf(info).truncatedIsError &&
        (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) {
        ErrorExit(info);
    }
}

void ProgressMonitor(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
        // libjpeg has no message of its own for this; the nearest is a bad progression.
        info->err->msg_code = JERR_BAD_PROGRESSION;
        ErrorExit(info);
    }
}

}  // namespace

void ReleaseJpegSession(JpegSession* session) {
    if (session->created)
        jpeg_destroy_decompress(&session->info);
    delete session;
}

OwnedJpegSession NewJpegSession(bool truncatedIsError) {
    OwnedJpegSession session(new JpegSession{});
    session->truncatedIsError = truncatedIsError;
    return session;
}

bool StartJpegSession(JpegSession& session, long maxMemory) {
    session.info.err = jpeg_std_error(&session.error);
    session.error.error_exit = ErrorExit;
    session.error.emit_message = EmitMessage;
    // Kept by jpeg_create_decompress, so that an error inside it finds its way back too.
    session.info.client_data = &session;
    return RunJpegStep(session, [&](jpeg_decompress_struct& info) {
        jpeg_create_decompress(&info);
        session.created = true;
        info.mem->max_memory_to_use = maxMemory;
        session.progress.progress_monitor = ProgressMonitor;
        info.progress = &session.progress;
    });
}

bool StartJpegSession(JpegSession& session, std::span<const std::uint8_t> bytes, long maxMemory) {
    return StartJpegSession(session, maxMemory) &&
           RunJpegStep(session, [&](jpeg_decompress_struct& info) {
               jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
           });
}

std::string JpegErrorText(JpegSession& session) {
    char text[JMSG_LENGTH_MAX] = {};
    session.error.format_message(reinterpret_cast<j_common_ptr>(&session.info), text);
    return text;
}

}  // namespace brodix
