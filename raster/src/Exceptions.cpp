#include "raster/Exceptions.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace brodix {

namespace {

// Replaces the first occurrence of placeholder; a pattern without it is returned unchanged.
std::string ReplaceFirst(std::string text, std::string_view placeholder, const std::string& value) {
    const std::size_t at = text.find(placeholder);
    if (at != std::string::npos)
        text.replace(at, placeholder.size(), value);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string FormatMessage(const char* pattern, const std::string& text) {
    return ReplaceFirst(pattern, "%s", text);
}

std::string FormatMessage(const char* pattern, long long number) {
    return ReplaceFirst(pattern, "%d", std::to_string(number));
}

std::string FormatMessage(const char* pattern, long long number, const std::string& text) {
    return ReplaceFirst(ReplaceFirst(pattern, "%d", std::to_string(number)), "%s", text);
}

int StrToInt(const std::string& text) {
    const auto fail = [&text]() {
        return EConvertError(FormatMessage(msg::kInvalidInteger, text));
    };
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // "$1F" and "0x1F" are hexadecimal, as the framework's integer reader takes them. A
    // hexadecimal value fills all 32 bits, so "$FFFFFFFF" is -1 there as well.
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size())
        throw fail();
    std::uint64_t value = 0;
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    for (; i < text.size(); ++i) {
        const int digit =
            hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            throw fail();
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (value > limit)
            throw fail();
    }
    const auto bits = static_cast<std::uint32_t>(value);
    const auto magnitude = static_cast<std::int32_t>(bits);
    // Unsigned negation keeps "-2147483648" and "-$80000000" free of signed overflow.
    return negative ? static_cast<std::int32_t>(0u - bits) : magnitude;
}

}  // namespace brodix
