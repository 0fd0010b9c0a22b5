#pragma once

#include <string>
#include <string_view>

namespace brodix {

// UTF-8, the encoding of every text the program reads and writes. File names and catalogue
// entries may hold any bytes, so text bound for a format that requires UTF-8 is made valid first.

// The UTF-8 of one character (a code point up to U+10FFFF, no surrogate).
std::string Utf8Of(char32_t character);

// The text with every byte that begins no valid UTF-8 sequence (a stray byte, a cut or
// overlong sequence, a surrogate) replaced by '?'.
std::string ValidUtf8(std::string_view text);

// The text with its ASCII letters in lower case and every other byte as it is, for names typed
// in any letter case (extensions, option words, catalogue titles).
std::string AsciiLowered(std::string_view text);

}  // namespace brodix
