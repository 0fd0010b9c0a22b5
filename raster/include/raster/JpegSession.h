#pragma once

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include <jpeglib.h>

#include "raster/Owned.h"

namespace brodix {

// A progressive file may hold any number of scans, each one another pass over the whole
// picture; real encoders use about ten. Far more is a file built to keep the decoder busy, and
// every JPEG reader refuses it.
inline constexpr int kMaxJpegScans = 300;

// One libjpeg decompressor, and the one way the program survives its fatal errors. libjpeg
// reports one by calling error_exit, which must not return: it jumps back to the setjmp in
// RunJpegStep, the only place one is set. Everything libjpeg touches lives in this plain
// struct, and the steps hold no C++ object with a destructor, so the jump skips nothing that
// needs cleaning up. Warnings are not shown; the decoder goes on with what it can.
struct JpegSession {
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    bool created;
    // A file that ends early is filled with grey by libjpeg after a warning; with this set it
    // is an error instead.
    bool truncatedIsError;
    // What the caller's own source manager and marker processors work on, when it sets them
    // (they reach it through the session, which is the decompressor's client data).
    void* reader;
};

void ReleaseJpegSession(JpegSession* session);
using OwnedJpegSession = Owned<JpegSession, ReleaseJpegSession>;

OwnedJpegSession NewJpegSession(bool truncatedIsError);

// Runs step(session.info). Returns false when libjpeg failed inside it; session.error then
// holds the failure.
template <class Step>
bool RunJpegStep(JpegSession& session, Step&& step) {
    if (setjmp(session.jump) != 0)
        return false;
    step(session.info);
    return true;
}

// Creates the decompressor over bytes, allowed maxMemory bytes of working memory and at most
// kMaxJpegScans scans. Returns false as RunJpegStep does.
bool StartJpegSession(JpegSession& session, std::span<const std::uint8_t> bytes, long maxMemory);
// The same without a source: the caller sets its own (info.src) before reading the header.
bool StartJpegSession(JpegSession& session, long maxMemory);

// The text of the failure libjpeg last reported.
std::string JpegErrorText(JpegSession& session);

}  // namespace brodix
