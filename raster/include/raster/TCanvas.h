#pragma once

#include <cstdint>
#include <string_view>

#include "raster/Color.h"
#include "raster/Geometry.h"
#include "raster/GraphicsObjects.h"

namespace brodix {

class TBitmap;
class TGraphic;

// Raster-operation codes of copies and stretch-draws.
inline constexpr std::uint32_t cmSrcCopy = 0x00CC0020;     // destination = source
inline constexpr std::uint32_t cmNotSrcCopy = 0x00330008;  // destination = NOT source

// The drawing surface of one bitmap. Its state (brush, pen, font, copy mode, pen position)
// persists between operations for the bitmap's whole life.
class TCanvas {
  public:
    explicit TCanvas(TBitmap& bitmap) : m_bitmap(bitmap) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBitmap& Bitmap() { return m_bitmap; }

    TBrush& Brush() { return m_brush; }
    const TBrush& Brush() const { return m_brush; }
    TPen& Pen() { return m_pen; }
    TFont& Font() { return m_font; }
    const TFont& Font() const { return m_font; }
    std::uint32_t CopyMode() const { return m_copyMode; }
    void SetCopyMode(std::uint32_t mode) { m_copyMode = mode; }
    TPoint PenPos() const { return m_penPos; }
    void SetPenPos(TPoint position) { m_penPos = position; }

    // The background colour: the brush colour for a solid brush, its inverse otherwise.
    TColor BackgroundColor() const;

    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    void FillRect(const TRect& rect);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    // Copies source's sourceRect into dest by this canvas's CopyMode, converting formats
    // (into a monochrome bitmap: white exactly where the colour equals the source canvas's
    // background colour). Source pixels outside the source bitmap count as white.
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);

    // Draws the whole graphic scaled into rect, whole source pixels only (no blending).
    void StretchDraw(const TRect& rect, TGraphic& graphic);

    // Draws UTF-8 text with its box's top-left corner at (x, y), in the font colour on the
    // brush colour (opaque when the brush is solid); the pen moves to (x + width, y).
    void TextOut(int x, int y, std::string_view text);
    int TextWidth(std::string_view text);
    int TextHeight(std::string_view text);

  private:
    TBitmap& m_bitmap;
    TBrush m_brush;
    TPen m_pen;
    TFont m_font;
    std::uint32_t m_copyMode = cmSrcCopy;
    TPoint m_penPos;
};

}  // namespace brodix
