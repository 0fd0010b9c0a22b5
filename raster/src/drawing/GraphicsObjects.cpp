#include "raster/GraphicsObjects.h"

#include <cstdint>
#include <limits>

#include "raster/FontNames.h"
#include "raster/Screen.h"

namespace brodix {

namespace {

// numerator / denominator rounded to the nearest integer, halves away from zero, clamped to
// the int range so that absurd sizes cannot overflow.
int RoundedQuotient(std::int64_t numerator, std::int64_t denominator) {
    const bool negative = numerator < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(numerator)
                                             : static_cast<std::uint64_t>(numerator);
    const auto den = static_cast<std::uint64_t>(denominator);
    std::uint64_t quotient = (magnitude * 2 + den) / (2 * den);
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
    if (quotient > kMax)
        quotient = kMax;
    const int result = static_cast<int>(quotient);
    return negative ? -result : result;
}

}  // namespace

TFont::TFont() {
    if (Screen::JapaneseLocale()) {
        m_name = kWindowFontFamily;
        m_charset = SHIFTJIS_CHARSET;
        SetSize(9);
    } else {
        m_name = kDefaultFontFamily;
        m_charset = DEFAULT_CHARSET;
        SetSize(8);
    }
}

int TFont::Size() const {
    return -RoundedQuotient(std::int64_t{m_height} * 72, Screen::PixelsPerInch());
}

void TFont::SetSize(int points) {
    m_height = -RoundedQuotient(std::int64_t{points} * Screen::PixelsPerInch(), 72);
}

}  // namespace brodix
