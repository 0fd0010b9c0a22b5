#include "batch/FailureLines.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "engine/Census.h"
#include "engine/Messages.h"
#include "raster/Exceptions.h"
#include "raster/FileFailure.h"

namespace brodix {

namespace {

constexpr std::string_view kProgram = "brodix-chart: ";

// What a fixed text with one %s or %d holds there, when message is that text; nothing when it
// is not. A text without a placeholder holds nothing but matches whole.
std::optional<std::string> Filling(std::string_view message, std::string_view fixed) {
    const std::size_t mark = fixed.find('%');
    if (mark == std::string_view::npos)
        return message == fixed ? std::optional<std::string>("") : std::nullopt;
    const std::string_view prefix = fixed.substr(0, mark);
    const std::string_view suffix = fixed.substr(mark + 2);
    if (message.size() < prefix.size() + suffix.size() || !message.starts_with(prefix) ||
        !message.ends_with(suffix))
        return std::nullopt;
    return std::string(
        message.substr(prefix.size(), message.size() - prefix.size() - suffix.size()));
}

bool IsFixedText(std::string_view message) {
    for (const char* fixed :
         {msg::kNoCanvasBitmap, msg::kNoCanvasHandle, msg::kOutOfResources, msg::kInvalidBitmap,
          msg::kInvalidIcon, msg::kInvalidMetafile, msg::kUnknownExtension, msg::kFOpenError,
          msg::kFCreateError, msg::kReadError, msg::kWriteError, msg::kJpegError,
          msg::kInvalidInteger}) {
        if (Filling(message, fixed))
            return true;
    }
    return message.starts_with(std::string_view(msg::kWin32Error).substr(0, 10));
}

std::string WithReason(std::string text, const std::string& reason) {
    return reason.empty() ? text : text + ": " + reason;
}

}  // namespace

std::string FailureText(const std::exception& error) {
    const std::string text = ExceptionBoxText(error.what());
    return IsFixedText(error.what()) ? text : std::string(kProgram) + text;
}

std::string LoadFailureLine(const std::string& picture, const std::exception& error, bool sheet) {
    const std::string_view message = error.what();
    if (!IsFixedText(message))
        return {};
    const std::string what = sheet ? "the symbol sheet " + picture : picture;
    const std::string after = sheet ? "; the chart is made without symbols" : "";
    // Whatever the message, a file the system will not open is told by the system's reason.
    if (const std::string reason = ReadFailureReason(picture); !reason.empty())
        return std::string(kProgram) + "cannot read " + what + ": " + reason + after;
    if (Filling(message, msg::kUnknownExtension)) {
        return std::string(kProgram) + "cannot read " + what +
               ": it is neither a BMP, icon or metafile (told by its extension) nor a PNG, "
               "JPEG or GIF picture or an OXS chart (told by its contents)" +
               after;
    }
    if (Filling(message, msg::kOutOfResources)) {
        return std::string(kProgram) + "cannot read " + what +
               ": the picture holds more pixels than Brodix reads" + after;
    }
    return std::string(kProgram) + "cannot read " + what +
           (sheet ? ": it is damaged or not a BMP picture"
                  : ": the file is damaged or not the kind of picture its extension says") +
           after;
}

std::string MakeFailureLine(const std::string& picture, const std::exception& error) {
    const std::string_view message = error.what();
    if (!IsFixedText(message))
        return {};
    if (Filling(message, msg::kNoCanvasBitmap)) {
        return std::string(kProgram) + "cannot chart " + picture +
               ": only bitmaps are charted, and an icon or metafile is none; save it as PNG "
               "or BMP and chart that";
    }
    return std::string(kProgram) + "cannot chart " + picture;
}

std::string RefusalLine(const std::string& picture, int width, int height) {
    if (SizeCheck(width, height)) {
        const bool patternFits =
            width <= kMaxPatternStitchesPerSide && height <= kMaxPatternStitchesPerSide;
        return std::string(kProgram) + picture + " is " + std::to_string(width) + " x " +
               std::to_string(height) + " pixels, more than a chart of " +
               std::to_string(kMaxStitchesPerSide) + " x " + std::to_string(kMaxStitchesPerSide) +
               " stitches: add --fit " + std::to_string(kMaxStitchesPerSide) +
               " (or a smaller size) to fit it, or leave out NAME to write the pattern alone " +
               (patternFits ? "(--pdf, --oxs, --preview or --key), which may be as large as "
                            : "(--pdf, --oxs, --preview or --key) and fit it into at most ") +
               PatternLimitText();
    }
    return ColourRefusalLine(picture);
}

std::string ColourRefusalLine(const std::string& picture) {
    return std::string(kProgram) + picture + " has more than " + std::to_string(kMaxColors) +
           " colours after the levels: add --max-colours " + std::to_string(kMaxColors) +
           " (or fewer) to keep the ones that represent it best, or --snap to match them to "
           "threads";
}

std::string PatternSizeRefusalLine(const std::string& picture, int width, int height) {
    return std::string(kProgram) + picture + " is " + std::to_string(width) + " x " +
           std::to_string(height) + " pixels, more than a pattern of " + PatternLimitText() +
           ": add --fit " + std::to_string(kMaxPatternStitchesPerSide) +
           " (or a smaller size) to fit it";
}

std::string PatternLimitText() {
    return std::to_string(kMaxPatternStitchesPerSide) + " x " +
           std::to_string(kMaxPatternStitchesPerSide) + " stitches";
}

std::string SaveFailureLine(const std::string& name, const std::exception& error) {
    const std::string_view message = error.what();
    if (!IsFixedText(message))
        return {};
    // The reason the system gave when the write failed, when the failure carries it.
    const auto* failure = dynamic_cast<const Exception*>(&error);
    const int systemError = failure != nullptr ? failure->SystemError() : 0;
    if (const std::optional<std::string> file = Filling(message, msg::kFCreateError))
        return std::string(kProgram) + CannotWriteText(*file, systemError);
    return WithReason(std::string(kProgram) + "cannot write the files of " + name,
                      systemError != 0 ? std::strerror(systemError) : WriteFailureReason(name));
}

}  // namespace brodix
