#include "raster/TCanvas.h"

#include <algorithm>
#include <limits>

#include "PixelOps.h"
#include "raster/TBitmap.h"
#include "raster/TGraphic.h"
#include "text/TextRenderer.h"

namespace brodix {

using detail::ClipBox;
using detail::ClipToBitmap;
using detail::RowOf;

TColor TCanvas::BackgroundColor() const {
    const TColor brush = ColorToRGB(m_brush.Color());
    return m_brush.Style() == TBrushStyle::bsSolid ? brush : (~brush & 0xFFFFFF);
}

TColor TCanvas::Pixel(int x, int y) const {
    return m_bitmap.GetPixel(x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    m_bitmap.SetPixel(x, y, color);
}

void TCanvas::FillRect(const TRect& rect) {
    if (m_brush.Style() != TBrushStyle::bsSolid || m_bitmap.Bits() == nullptr)
        return;
    const ClipBox clip = ClipToBitmap(rect, m_bitmap);
    if (clip.Empty())
        return;
    const std::uint32_t value = m_bitmap.PixelValueOf(ColorToRGB(m_brush.Color()));
    const int bits = BitsPerPixel(m_bitmap.PixelFormat());
    std::uint8_t* store = m_bitmap.MutableBits();
    for (int y = clip.top; y < clip.bottom; ++y) {
        detail::FillSpan(RowOf(store, m_bitmap, y), bits, clip.left, clip.right, value);
    }
    m_bitmap.Modified();
}

void TCanvas::MoveTo(int x, int y) {
    m_penPos = {x, y};
}

namespace {

// Horizontal and vertical lines, such as the chart's grid: one span from the start point up
// to, not including, the end point. Returns whether any pixel lies inside the bitmap.
bool DrawAxisLine(TBitmap& bitmap, TPoint from, TPoint to, std::uint32_t value) {
    const bool horizontal = from.y == to.y;
    const std::int64_t start = horizontal ? from.x : from.y;
    const std::int64_t end = horizontal ? to.x : to.y;
    const std::int64_t limit = horizontal ? bitmap.Width() : bitmap.Height();
    const std::int64_t fixed = horizontal ? from.y : from.x;
    const std::int64_t fixedLimit = horizontal ? bitmap.Height() : bitmap.Width();
    const std::int64_t low = std::max<std::int64_t>(0, end > start ? start : end + 1);
    const std::int64_t high = std::min<std::int64_t>(limit, end > start ? end : start + 1);
    if (fixed < 0 || fixed >= fixedLimit || low >= high)
        return false;
    const int bits = BitsPerPixel(bitmap.PixelFormat());
    std::uint8_t* store = bitmap.MutableBits();
    if (horizontal) {
        detail::FillSpan(RowOf(store, bitmap, static_cast<int>(fixed)), bits, static_cast<int>(low),
                         static_cast<int>(high), value);
    } else {
        for (auto row = static_cast<int>(low); row < high; ++row)
            detail::WritePixel(RowOf(store, bitmap, row), bits, static_cast<int>(fixed), value);
    }
    return true;
}

// Any other line, one pixel per step along its longer axis, the end point not drawn. Returns
// whether any step could reach the bitmap.
bool DrawSlantedLine(TBitmap& bitmap, TPoint from, TPoint to, std::uint32_t value) {
    const std::int64_t dx = std::int64_t{to.x} - from.x;
    const std::int64_t dy = std::int64_t{to.y} - from.y;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    const std::int64_t steps = std::max(adx, ady);
    const bool xMajor = adx >= ady;
    const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t minorDelta = xMajor ? ady : adx;

    // Only steps whose major coordinate can touch the image are walked, so a line to a far
    // point costs no more than one across the image.
    const std::int64_t majorStart = xMajor ? from.x : from.y;
    const std::int64_t majorLimit = xMajor ? bitmap.Width() : bitmap.Height();
    const std::int64_t first =
        std::max<std::int64_t>(0, majorStep > 0 ? -majorStart : majorStart - majorLimit + 1);
    const std::int64_t last =  // exclusive
        std::min<std::int64_t>(steps, majorStep > 0 ? majorLimit - majorStart : majorStart + 1);
    if (first >= last)
        return false;
    const int bits = BitsPerPixel(bitmap.PixelFormat());
    std::uint8_t* store = bitmap.MutableBits();
    for (std::int64_t i = first; i < last; ++i) {
        // The minor coordinate is the exact line rounded to the nearest pixel (halves toward
        // the start), computed per step rather than accumulated so that walking can start
        // anywhere along the line.
        const auto numerator = static_cast<__int128>(2) * i * minorDelta + steps - 1;
        const auto minorOffset = static_cast<std::int64_t>(numerator / (2 * steps));
        const std::int64_t major = majorStart + majorStep * i;
        const std::int64_t minor = (xMajor ? from.y : from.x) + minorStep * minorOffset;
        const std::int64_t px = xMajor ? major : minor;
        const std::int64_t py = xMajor ? minor : major;
        if (px < 0 || py < 0 || px >= bitmap.Width() || py >= bitmap.Height())
            continue;
        detail::WritePixel(RowOf(store, bitmap, static_cast<int>(py)), bits, static_cast<int>(px),
                           value);
    }
    return true;
}

}  // namespace

void TCanvas::LineTo(int x, int y) {
    const TPoint from = m_penPos;
    m_penPos = {x, y};
    // The end point itself is not drawn, so a line to the start point draws nothing.
    if (m_bitmap.Bits() == nullptr || (from.x == x && from.y == y))
        return;
    const std::uint32_t value = m_bitmap.PixelValueOf(ColorToRGB(m_pen.Color));
    const bool drawn = from.x == x || from.y == y ? DrawAxisLine(m_bitmap, from, {x, y}, value)
                                                  : DrawSlantedLine(m_bitmap, from, {x, y}, value);
    if (drawn)
        m_bitmap.Modified();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    detail::BlitRequest request;
    request.destRect = dest;
    request.sourceRect = sourceRect;
    request.sourceBackground = source.BackgroundColor();
    request.rop = m_copyMode;
    request.pattern = ColorToRGB(m_brush.Color());
    if (detail::Blit(m_bitmap, source.Bitmap(), request))
        m_bitmap.Modified();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic) {
    graphic.Draw(*this, rect);
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    detail::TextRun run;
    detail::LayoutText(m_font, text, run);
    m_penPos = {static_cast<int>(std::clamp<std::int64_t>(std::int64_t{x} + run.width,
                                                          std::numeric_limits<int>::min(),
                                                          std::numeric_limits<int>::max())),
                y};
    if (run.width <= 0 || run.height <= 0 || m_bitmap.Bits() == nullptr)
        return;

    // Glyph pixels are kept inside the text box: the box is what the caller measured and
    // cleared, so nothing may land beside it.
    const TRect box{x, y,
                    static_cast<int>(std::min<std::int64_t>(std::int64_t{x} + run.width,
                                                            std::numeric_limits<int>::max())),
                    static_cast<int>(std::min<std::int64_t>(std::int64_t{y} + run.height,
                                                            std::numeric_limits<int>::max()))};
    const ClipBox clip = ClipToBitmap(box, m_bitmap);
    if (clip.Empty())
        return;
    const int bits = BitsPerPixel(m_bitmap.PixelFormat());
    std::uint8_t* store = m_bitmap.MutableBits();
    if (m_brush.Style() == TBrushStyle::bsSolid) {
        const std::uint32_t fill = m_bitmap.PixelValueOf(ColorToRGB(m_brush.Color()));
        for (int row = clip.top; row < clip.bottom; ++row) {
            detail::FillSpan(RowOf(store, m_bitmap, row), bits, clip.left, clip.right, fill);
        }
    }
    const std::uint32_t ink = m_bitmap.PixelValueOf(ColorToRGB(m_font.Color()));
    for (const detail::PlacedGlyph& placed : run.glyphs) {
        const detail::GlyphImage& glyph = *placed.image;
        const std::int64_t left = std::int64_t{x} + placed.penX + glyph.left;
        const std::int64_t top = std::int64_t{y} + run.ascender - glyph.top;
        for (int r = 0; r < glyph.rows; ++r) {
            const std::int64_t py = top + r;
            if (py < clip.top || py >= clip.bottom)
                continue;
            std::uint8_t* row = RowOf(store, m_bitmap, static_cast<int>(py));
            const std::uint8_t* source = glyph.Row(r);
            for (int c = 0; c < glyph.width; ++c) {
                if (((source[c >> 3] >> (7 - (c & 7))) & 1) == 0)
                    continue;
                const std::int64_t px = left + c;
                if (px < clip.left || px >= clip.right)
                    continue;
                detail::WritePixel(row, bits, static_cast<int>(px), ink);
            }
        }
    }
    m_bitmap.Modified();
}

int TCanvas::TextWidth(std::string_view text) {
    detail::TextRun run;
    detail::LayoutText(m_font, text, run);
    return run.width;
}

int TCanvas::TextHeight(std::string_view text) {
    detail::TextRun run;
    detail::LayoutText(m_font, text, run);
    return run.height;
}

}  // namespace brodix
