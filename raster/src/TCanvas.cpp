#include "raster/TCanvas.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "PixelOps.h"
#include "TextRenderer.h"
#include "raster/TBitmap.h"
#include "raster/TGraphic.h"

namespace brodix {

namespace {

// Row y of a store obtained from MutableBits() (taken once per operation, so that a shared
// store is detached once and not per row).
std::uint8_t* RowOf(std::uint8_t* bits, const TBitmap& bitmap, int y) {
    const auto stored = static_cast<std::size_t>(bitmap.TopDown() ? y : bitmap.Height() - 1 - y);
    return bits + stored * bitmap.Stride();
}

struct ClipBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
};

ClipBox ClipToBitmap(const TRect& rect, const TBitmap& bitmap) {
    return {std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, bitmap.Width()),
            std::min(rect.Bottom, bitmap.Height())};
}

bool SameLayout(const TBitmap& a, const TBitmap& b) {
    if (a.PixelFormat() != b.PixelFormat())
        return false;
    if (IsIndexed(a.PixelFormat()))
        return a.ColorTable() == b.ColorTable();
    if (a.PixelFormat() == TPixelFormat::Direct16 || a.PixelFormat() == TPixelFormat::Direct32) {
        return a.Layout().masks == b.Layout().masks;
    }
    return true;
}

bool UsesPattern(std::uint8_t code) {
    return ((code >> 4) & 0xF) != (code & 0xF);
}

// Per-call scratch rows, kept between calls: 40,000 small copies must not allocate each time.
std::vector<int>& SourceColumns() {
    static std::vector<int> columns;
    return columns;
}
std::vector<std::uint32_t>& ValueRow() {
    static std::vector<std::uint32_t> values;
    return values;
}

// Eight display pixels to one monochrome byte, first pixel in the top bit: 1 where the
// colour equals background.
inline unsigned PackMatches(const std::uint32_t* pixels, std::uint32_t background) {
#if defined(__SSE2__)
    static constexpr auto kReversed = [] {
        std::array<std::uint8_t, 256> table{};
        for (unsigned v = 0; v < 256; ++v) {
            unsigned r = 0;
            for (unsigned b = 0; b < 8; ++b)
                r |= ((v >> b) & 1u) << (7 - b);
            table[v] = static_cast<std::uint8_t>(r);
        }
        return table;
    }();
    const __m128i colourBits = _mm_set1_epi32(0x00FFFFFF);
    const __m128i wanted = _mm_set1_epi32(static_cast<int>(background));
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 4));
    const int lowBits =
        _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(low, colourBits), wanted)));
    const int highBits =
        _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(high, colourBits), wanted)));
    return kReversed[static_cast<unsigned>(lowBits | (highBits << 4))];
#else
    unsigned bits = 0;
    for (int k = 0; k < 8; ++k) {
        bits = (bits << 1) | ((pixels[k] & 0xFFFFFF) == background ? 1u : 0u);
    }
    return bits;
#endif
}

}  // namespace

namespace detail {

bool Blit(TBitmap& dest, const TBitmap& sourceArg, const BlitRequest& request) {
    const TRect& d = request.destRect;
    const TRect& s = request.sourceRect;
    // Mirrored (negative) rectangles are not supported: they draw nothing.
    if (d.IsEmpty() || s.IsEmpty() || dest.Bits() == nullptr)
        return false;
    const ClipBox clip = ClipToBitmap(d, dest);
    if (clip.Empty())
        return false;

    // A copy within one bitmap reads from a snapshot: the snapshot shares the store, and the
    // write below detaches the destination, so overlapping rectangles read the old pixels.
    std::unique_ptr<TBitmap> snapshot;
    const TBitmap* source = &sourceArg;
    if (source == &dest) {
        snapshot = std::make_unique<TBitmap>(sourceArg);
        source = snapshot.get();
    }

    const std::int64_t dw = std::int64_t{d.Right} - d.Left;
    const std::int64_t dh = std::int64_t{d.Bottom} - d.Top;
    const std::int64_t sw = std::int64_t{s.Right} - s.Left;
    const std::int64_t sh = std::int64_t{s.Bottom} - s.Top;
    const bool sameSize = dw == sw && dh == sh;
    const auto mapX = [&](int dx) {
        const std::int64_t i = std::int64_t{dx} - d.Left;
        // 128-bit: a rectangle spanning the whole int range would overflow 64 bits here.
        return s.Left +
               (sameSize ? i : static_cast<std::int64_t>(static_cast<__int128>(i) * sw / dw));
    };
    const auto mapY = [&](int dy) {
        const std::int64_t j = std::int64_t{dy} - d.Top;
        return s.Top +
               (sameSize ? j : static_cast<std::int64_t>(static_cast<__int128>(j) * sh / dh));
    };
    const auto sourceRow = [&](int dy) -> const std::uint8_t* {
        const std::int64_t sy = mapY(dy);
        return sy >= 0 && sy < source->Height() ? source->ScanLine(static_cast<int>(sy)) : nullptr;
    };

    const TPixelFormat sourceFormat = source->PixelFormat();
    const TPixelFormat destFormat = dest.PixelFormat();
    const int sourceBits = BitsPerPixel(sourceFormat);
    const int destBits = BitsPerPixel(destFormat);
    const bool same = SameLayout(*source, dest);
    const auto code = static_cast<std::uint8_t>(request.rop >> 16);
    const std::uint32_t mask = PixelBitsMask(dest);
    const TColor background = request.sourceBackground;

    // Colour to destination value. Into monochrome only the exact background colour is white:
    // that is how a colour chart becomes a black-and-white one, dark greys going white.
    const bool intoMonochrome = destFormat == TPixelFormat::Monochrome;
    TColor cachedColor = clNone;
    std::uint32_t cachedValue = 0;
    const auto convert = [&](TColor color) -> std::uint32_t {
        if (intoMonochrome)
            return color == background ? 1u : 0u;
        if (destFormat == TPixelFormat::Display)
            return SwapRedBlue(color);
        if (color != cachedColor) {  // the nearest-colour search of indexed targets is costly
            cachedColor = color;
            cachedValue = dest.PixelValueOf(color);
        }
        return cachedValue;
    };
    const std::uint32_t whiteValue = same ? dest.PixelValueOf(clWhite) : convert(clWhite);
    const std::uint32_t pattern = UsesPattern(code) ? dest.PixelValueOf(request.pattern) : 0;

    std::uint8_t* destStore = dest.MutableBits();
    const int n = clip.right - clip.left;

    // Same layout, same size, whole bytes: plain copies are row copies. This is the chart's
    // cell copy, run 40,000 times per chart.
    if (same && sameSize && destBits >= 8 && (code == 0xCC || code == 0x33)) {
        const std::int64_t offset = std::int64_t{s.Left} - d.Left;
        const int insideFrom =
            static_cast<int>(std::clamp<std::int64_t>(-offset, clip.left, clip.right));
        const int insideTo = static_cast<int>(
            std::clamp<std::int64_t>(source->Width() - offset, insideFrom, clip.right));
        const std::uint32_t outsideValue = Rop3(code, 0, whiteValue, 0) & mask;
        const std::size_t bytesPerPixel = static_cast<std::size_t>(destBits / 8);
        for (int y = clip.top; y < clip.bottom; ++y) {
            std::uint8_t* row = RowOf(destStore, dest, y);
            const std::uint8_t* from = sourceRow(y);
            if (from == nullptr) {
                FillSpan(row, destBits, clip.left, clip.right, outsideValue);
                continue;
            }
            FillSpan(row, destBits, clip.left, insideFrom, outsideValue);
            FillSpan(row, destBits, insideTo, clip.right, outsideValue);
            const std::uint8_t* in =
                from + static_cast<std::size_t>(insideFrom + offset) * bytesPerPixel;
            std::uint8_t* out = row + static_cast<std::size_t>(insideFrom) * bytesPerPixel;
            const std::size_t count = static_cast<std::size_t>(insideTo - insideFrom);
            if (code == 0xCC) {
                std::memcpy(out, in, count * bytesPerPixel);
            } else if (destBits == 32) {
                auto* words = reinterpret_cast<std::uint32_t*>(out);
                for (std::size_t i = 0; i < count; ++i) {
                    std::uint32_t v;
                    std::memcpy(&v, in + 4 * i, 4);
                    words[i] = ~v & mask;
                }
            } else {
                // Below 32 bits every bit of a pixel is a colour bit, so whole bytes invert.
                for (std::size_t i = 0; i < count * bytesPerPixel; ++i) {
                    out[i] = static_cast<std::uint8_t>(~in[i]);
                }
            }
        }
        return true;
    }

    std::vector<int>& columns = SourceColumns();
    columns.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::int64_t sx = mapX(clip.left + i);
        columns[static_cast<std::size_t>(i)] =
            sx >= 0 && sx < source->Width() ? static_cast<int>(sx) : -1;
    }

    // Display into monochrome: the export of the chart, one pass that packs 8 pixels a byte.
    if (sourceFormat == TPixelFormat::Display && intoMonochrome) {
        const std::uint32_t backgroundRaw = SwapRedBlue(background);
        const std::uint32_t whiteBit = clWhite == background ? 1u : 0u;
        const auto patternByte = static_cast<std::uint8_t>(pattern != 0 ? 0xFF : 0x00);
        const auto combine = [code, patternByte](std::uint8_t& target, unsigned bits,
                                                 unsigned bitMask) {
            const unsigned result = code == 0xCC   ? bits
                                    : code == 0x33 ? ~bits
                                                   : Rop3(code, patternByte, bits, target);
            target = static_cast<std::uint8_t>((target & ~bitMask) | (result & bitMask));
        };
        const bool rowsContiguous =
            sameSize && columns.front() >= 0 && columns.back() >= 0;  // whole span inside
        for (int y = clip.top; y < clip.bottom; ++y) {
            std::uint8_t* row = RowOf(destStore, dest, y);
            const std::uint8_t* from = sourceRow(y);
            const auto* words = reinterpret_cast<const std::uint32_t*>(from);
            int x = clip.left;
            int i = 0;
            if (rowsContiguous && from != nullptr) {
                const std::uint32_t* pixels = words + columns.front();
                for (; x < clip.right && (x & 7) != 0; ++x, ++i) {
                    const unsigned bit = (pixels[i] & 0xFFFFFF) == backgroundRaw ? 1u : 0u;
                    combine(row[x >> 3], bit << (7 - (x & 7)), 0x80u >> (x & 7));
                }
                for (; x + 8 <= clip.right; x += 8, i += 8) {
                    combine(row[x >> 3], PackMatches(pixels + i, backgroundRaw), 0xFF);
                }
                for (; x < clip.right; ++x, ++i) {
                    const unsigned bit = (pixels[i] & 0xFFFFFF) == backgroundRaw ? 1u : 0u;
                    combine(row[x >> 3], bit << (7 - (x & 7)), 0x80u >> (x & 7));
                }
                continue;
            }
            while (x < clip.right) {
                const int firstBit = x & 7;
                const int lastBit = std::min(8, firstBit + (clip.right - x));
                unsigned bits = 0;
                unsigned bitMask = 0;
                for (int b = firstBit; b < lastBit; ++b, ++i) {
                    const int sx = columns[static_cast<std::size_t>(i)];
                    const unsigned bit = (from == nullptr || sx < 0)
                                             ? whiteBit
                                             : ((words[sx] & 0xFFFFFF) == backgroundRaw ? 1u : 0u);
                    bits |= bit << (7 - b);
                    bitMask |= 0x80u >> b;
                }
                combine(row[x >> 3], bits, bitMask);
                x += lastBit - firstBit;
            }
        }
        return true;
    }

    // Everything else a row at a time: source row to destination values, then combined.
    std::uint32_t lookup[256];
    const bool indexedSource = IsIndexed(sourceFormat) || sourceFormat == TPixelFormat::Monochrome;
    if (indexedSource && !same) {
        const int entries = 1 << sourceBits;
        for (int v = 0; v < entries; ++v) {
            lookup[v] = convert(source->ColorOfPixelValue(static_cast<std::uint32_t>(v)));
        }
    }
    // 24-bit, display and 8-8-8 32-bit pixels hold the display value in their low three bytes.
    const bool rawToDisplay =
        destFormat == TPixelFormat::Display &&
        (sourceFormat == TPixelFormat::Direct24 || sourceFormat == TPixelFormat::Display ||
         (sourceFormat == TPixelFormat::Direct32 && source->Layout().masks == kMasks888));
    std::vector<std::uint32_t>& values = ValueRow();
    values.resize(static_cast<std::size_t>(n));
    enum class Decode { Raw, Lookup, RawToDisplay, Convert };
    const Decode decode = same            ? Decode::Raw
                          : indexedSource ? Decode::Lookup
                          : rawToDisplay  ? Decode::RawToDisplay
                                          : Decode::Convert;
    // Instantiated per source depth and decoding so that the per-pixel loop has no switches.
    const auto decodeRow = [&]<int Bits, Decode Mode>(const std::uint8_t* from) {
        for (int i = 0; i < n; ++i) {
            const int sx = columns[static_cast<std::size_t>(i)];
            std::uint32_t value = whiteValue;
            if (sx >= 0) {
                const std::uint32_t raw = ReadPixel(from, Bits, sx);
                if constexpr (Mode == Decode::Raw) {
                    value = raw;
                } else if constexpr (Mode == Decode::Lookup) {
                    value = lookup[raw & 0xFF];
                } else if constexpr (Mode == Decode::RawToDisplay) {
                    value = raw & 0xFFFFFF;
                } else {
                    value = convert(source->ColorOfPixelValue(raw));
                }
            }
            values[static_cast<std::size_t>(i)] = value;
        }
    };
    const auto decodeAtDepth = [&]<int Bits>(const std::uint8_t* from) {
        switch (decode) {
            case Decode::Raw:
                return decodeRow.template operator()<Bits, Decode::Raw>(from);
            case Decode::Lookup:
                return decodeRow.template operator()<Bits, Decode::Lookup>(from);
            case Decode::RawToDisplay:
                return decodeRow.template operator()<Bits, Decode::RawToDisplay>(from);
            case Decode::Convert:
                return decodeRow.template operator()<Bits, Decode::Convert>(from);
        }
    };
    for (int y = clip.top; y < clip.bottom; ++y) {
        std::uint8_t* row = RowOf(destStore, dest, y);
        const std::uint8_t* from = sourceRow(y);
        if (from == nullptr) {
            std::fill(values.begin(), values.end(), whiteValue);
        } else {
            switch (sourceBits) {
                case 1:
                    decodeAtDepth.template operator()<1>(from);
                    break;
                case 4:
                    decodeAtDepth.template operator()<4>(from);
                    break;
                case 8:
                    decodeAtDepth.template operator()<8>(from);
                    break;
                case 16:
                    decodeAtDepth.template operator()<16>(from);
                    break;
                case 24:
                    decodeAtDepth.template operator()<24>(from);
                    break;
                default:
                    decodeAtDepth.template operator()<32>(from);
                    break;
            }
        }
        if (code == 0xCC && destBits == 32) {
            std::memcpy(row + 4 * static_cast<std::size_t>(clip.left), values.data(),
                        4 * static_cast<std::size_t>(n));
            continue;
        }
        for (int i = 0; i < n; ++i) {
            const int x = clip.left + i;
            const std::uint32_t v = values[static_cast<std::size_t>(i)];
            const std::uint32_t result =
                code == 0xCC ? v : Rop3(code, pattern, v, ReadPixel(row, destBits, x));
            WritePixel(row, destBits, x, result & mask);
        }
    }
    return true;
}

}  // namespace detail

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

void TCanvas::LineTo(int x, int y) {
    const TPoint from = m_penPos;
    m_penPos = {x, y};
    if (m_pen.Style == TPenStyle::psClear || m_bitmap.Bits() == nullptr)
        return;

    const std::int64_t dx = std::int64_t{x} - from.x;
    const std::int64_t dy = std::int64_t{y} - from.y;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    const std::int64_t steps = std::max(adx, ady);  // the end point itself is not drawn
    if (steps == 0)
        return;
    const int bits = BitsPerPixel(m_bitmap.PixelFormat());
    const std::uint32_t penValue = m_bitmap.PixelValueOf(ColorToRGB(m_pen.Color));
    if (m_pen.Width <= 1 && m_pen.Mode == TPenMode::pmCopy && (dx == 0 || dy == 0)) {
        // Axis-parallel lines with the default pen, such as the chart's grid: one span. The
        // run covers the start point up to, not including, the end point.
        const bool horizontal = dy == 0;
        const std::int64_t start = horizontal ? from.x : from.y;
        const std::int64_t end = horizontal ? x : y;
        const std::int64_t limit = horizontal ? m_bitmap.Width() : m_bitmap.Height();
        const std::int64_t fixed = horizontal ? from.y : from.x;
        const std::int64_t fixedLimit = horizontal ? m_bitmap.Height() : m_bitmap.Width();
        const std::int64_t low = std::max<std::int64_t>(0, end > start ? start : end + 1);
        const std::int64_t high = std::min<std::int64_t>(limit, end > start ? end : start + 1);
        if (fixed < 0 || fixed >= fixedLimit || low >= high)
            return;
        std::uint8_t* store = m_bitmap.MutableBits();
        if (horizontal) {
            detail::FillSpan(RowOf(store, m_bitmap, static_cast<int>(fixed)), bits,
                             static_cast<int>(low), static_cast<int>(high), penValue);
        } else {
            for (auto row = static_cast<int>(low); row < high; ++row) {
                detail::WritePixel(RowOf(store, m_bitmap, row), bits, static_cast<int>(fixed),
                                   penValue);
            }
        }
        m_bitmap.Modified();
        return;
    }
    const bool xMajor = adx >= ady;
    const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t minorDelta = xMajor ? ady : adx;
    const int penWidth = std::clamp(m_pen.Width, 1, 1 << 12);
    const int spread = (penWidth - 1) / 2;

    // Only steps whose major coordinate can touch the image are walked, so a line to a far
    // point costs no more than one across the image.
    const std::int64_t majorStart = xMajor ? from.x : from.y;
    const std::int64_t majorLimit = xMajor ? m_bitmap.Width() : m_bitmap.Height();
    std::int64_t first = 0;
    std::int64_t last = steps;  // exclusive
    if (majorStep > 0) {
        first = std::max<std::int64_t>(first, -spread - majorStart);
        last = std::min<std::int64_t>(last, majorLimit + spread - majorStart);
    } else {
        first = std::max<std::int64_t>(first, majorStart - majorLimit - spread + 1);
        last = std::min<std::int64_t>(last, majorStart + spread + 1);
    }
    if (first >= last)
        return;

    const std::uint32_t mask = detail::PixelBitsMask(m_bitmap);
    const std::uint32_t blackValue = m_bitmap.PixelValueOf(clBlack);
    const std::uint32_t whiteValue = m_bitmap.PixelValueOf(clWhite);
    std::uint8_t* store = m_bitmap.MutableBits();
    const auto plot = [&](std::int64_t px, std::int64_t py) {
        if (px < 0 || py < 0 || px >= m_bitmap.Width() || py >= m_bitmap.Height())
            return;
        std::uint8_t* row = RowOf(store, m_bitmap, static_cast<int>(py));
        const int col = static_cast<int>(px);
        std::uint32_t value = penValue;
        switch (m_pen.Mode) {
            case TPenMode::pmCopy:
                break;
            case TPenMode::pmNot:
                value = ~detail::ReadPixel(row, bits, col) & mask;
                break;
            case TPenMode::pmXor:
                value = (detail::ReadPixel(row, bits, col) ^ penValue) & mask;
                break;
            case TPenMode::pmBlack:
                value = blackValue;
                break;
            case TPenMode::pmWhite:
                value = whiteValue;
                break;
        }
        detail::WritePixel(row, bits, col, value);
    };
    for (std::int64_t i = first; i < last; ++i) {
        // The minor coordinate is the exact line rounded to the nearest pixel (halves toward
        // the start), computed per step rather than accumulated so that walking can start
        // anywhere along the line.
        const auto numerator = static_cast<__int128>(2) * i * minorDelta + steps - 1;
        const auto minorOffset = static_cast<std::int64_t>(numerator / (2 * steps));
        const std::int64_t major = majorStart + majorStep * i;
        const std::int64_t minor = (xMajor ? from.y : from.x) + minorStep * minorOffset;
        // A wide pen widens across the line: one run per step, so no pixel is drawn twice
        // (which would undo itself in the XOR and NOT modes).
        for (int w = -spread; w < penWidth - spread; ++w) {
            if (xMajor) {
                plot(major, minor + w);
            } else {
                plot(minor + w, major);
            }
        }
    }
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
            const std::uint8_t* source =
                glyph.bits.data() + static_cast<std::size_t>(r) * glyph.pitch;
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
