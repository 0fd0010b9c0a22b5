#pragma once

#include <cstdint>
#include <string>

#include "raster/Color.h"

namespace brodix {

enum class TBrushStyle { bsSolid, bsClear };
enum class TPenStyle { psSolid };
enum class TPenMode { pmCopy };  // the pen's colour replaces the pixel
enum class TFontPitch { fpDefault };

class TBrush {
  public:
    TColor Color() const { return m_color; }
    // Setting a colour makes a clear brush solid again.
    void SetColor(TColor color) {
        m_color = color;
        m_style = TBrushStyle::bsSolid;
    }
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle style) { m_style = style; }

  private:
    TColor m_color = clWhite;
    TBrushStyle m_style = TBrushStyle::bsSolid;
};

// Lines are drawn one pixel wide in the pen's colour: the program draws with the default pen
// only, so Width, Style and Mode keep their defaults.
struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
    TPenMode Mode = TPenMode::pmCopy;
};

inline constexpr int DEFAULT_CHARSET = 1;
inline constexpr int SHIFTJIS_CHARSET = 128;

struct TFontStyles {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const TFontStyles&, const TFontStyles&) = default;
};

// A font as the program names it. Size is in points and Height in pixels (negative: the
// character height without internal leading); they are tied by Screen::PixelsPerInch().
class TFont {
  public:
    TFont();  // the default font of every new canvas (Japanese or not, by the locale)

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    int Size() const;
    void SetSize(int points);
    int Height() const { return m_height; }
    void SetHeight(int pixels) { m_height = pixels; }
    int Charset() const { return m_charset; }
    void SetCharset(int charset) { m_charset = charset; }
    TColor Color() const { return m_color; }
    void SetColor(TColor color) { m_color = color; }
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles style) { m_style = style; }
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch pitch) { m_pitch = pitch; }

  private:
    std::string m_name;
    int m_height = 0;
    int m_charset = DEFAULT_CHARSET;
    TColor m_color = clWindowText;
    TFontStyles m_style;
    TFontPitch m_pitch = TFontPitch::fpDefault;
};

}  // namespace brodix
