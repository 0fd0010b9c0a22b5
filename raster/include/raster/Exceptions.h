#pragma once

#include <stdexcept>
#include <string>

namespace brodix {

// Base of every error the framework raises. The message is UTF-8 text, shown to the user as
// it stands (the exception message box adds the final "." by its own rule). The reason names
// the check that failed, for tests and diagnostics only: it is never shown, since the
// framework's fixed messages are all the user sees.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message, const char* reason = "", int systemError = 0)
        : std::runtime_error(message), m_reason(reason), m_systemError(systemError) {}
    std::string Message() const { return what(); }
    const char* Reason() const { return m_reason; }
    // The system's error number (errno) behind a failed read or write, 0 when there is none:
    // the fixed message does not say why, a command-line program may.
    int SystemError() const { return m_systemError; }

  private:
    const char* m_reason;  // a string literal
    int m_systemError;
};

#define BRODIX_EXCEPTION(Name, Base)                                                            \
    class Name : public Base {                                                                  \
      public:                                                                                   \
        explicit Name(const std::string& message, const char* reason = "", int systemError = 0) \
            : Base(message, reason, systemError) {}                                             \
    }

BRODIX_EXCEPTION(EInvalidOperation, Exception);
BRODIX_EXCEPTION(EInvalidGraphic, Exception);
BRODIX_EXCEPTION(EOutOfMemory, Exception);
BRODIX_EXCEPTION(EOutOfResources, EOutOfMemory);
BRODIX_EXCEPTION(EConvertError, Exception);
BRODIX_EXCEPTION(EStreamError, Exception);
BRODIX_EXCEPTION(EFilerError, EStreamError);
BRODIX_EXCEPTION(EReadError, EFilerError);
BRODIX_EXCEPTION(EWriteError, EFilerError);
BRODIX_EXCEPTION(EFileStreamError, EStreamError);
BRODIX_EXCEPTION(EFOpenError, EFileStreamError);
BRODIX_EXCEPTION(EFCreateError, EFileStreamError);
BRODIX_EXCEPTION(EOSError, Exception);
BRODIX_EXCEPTION(EWin32Error, EOSError);
BRODIX_EXCEPTION(EJPEG, Exception);

#undef BRODIX_EXCEPTION

// The framework's fixed texts. Those with %s or %d go through FormatMessage() below.
namespace msg {
inline constexpr const char* kNoCanvasBitmap =
    "ビットマップを持っている時のみイメージの変更が可能です";
inline constexpr const char* kNoCanvasHandle = "Canvas に対する描画ができません";
inline constexpr const char* kOutOfResources = "システム リソースが足りません";
inline constexpr const char* kInvalidBitmap = "ビットマップイメージが不正です";
inline constexpr const char* kInvalidIcon = "アイコンイメージが不正です";
inline constexpr const char* kInvalidMetafile = "メタファイルが不正です";
inline constexpr const char* kUnknownExtension = "拡張子 .%s の画像形式は処理できません";
inline constexpr const char* kFOpenError = "ファイル %s は開けません";
inline constexpr const char* kFCreateError = "ファイル %s を作成できません";
inline constexpr const char* kReadError = "ストリームからの読み込みエラー";
inline constexpr const char* kWriteError = "ストリームへの書き込みエラー";
inline constexpr const char* kWin32Error = "Win32 エラー。コード : %d.\n%s";
inline constexpr const char* kJpegError = "JPEG エラー #%d";
inline constexpr const char* kInvalidInteger = "'%s' は整数ではありません";
}  // namespace msg

// Replaces the first %s with text, or the first %d with a number.
std::string FormatMessage(const char* pattern, const std::string& text);
std::string FormatMessage(const char* pattern, long long number);
std::string FormatMessage(const char* pattern, long long number, const std::string& text);

// Reads a caption as an integer the way the framework does: an optional sign, then decimal
// digits, or hexadecimal ones after "$" or "0x" (filling all 32 bits, so "$FFFFFFFF" is -1).
// Anything else, surrounding blanks included, raises EConvertError with kInvalidInteger.
int StrToInt(const std::string& text);

}  // namespace brodix
