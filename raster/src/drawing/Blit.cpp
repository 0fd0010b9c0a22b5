// Copies between bitmaps: one dispatcher works out what a copy needs and picks one of three
// strategies, each a function of its own: whole rows of one layout, display pixels packed into
// a monochrome bitmap, and any other pair a row at a time through destination values.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "PixelOps.h"
#include "raster/TBitmap.h"

namespace brodix::detail {

namespace {

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

// A row of scratch values owned by one call: short rows (the cells, copied 40,000 times for a
// chart) stay on the stack, longer ones go to the heap; nothing is shared between calls.
template <typename T>
class ScratchRow {
  public:
    explicit ScratchRow(std::size_t size) {
        if (size > kInline)
            m_heap.resize(size);
        m_data = size > kInline ? m_heap.data() : m_inline.data();
    }
    ScratchRow(const ScratchRow&) = delete;
    ScratchRow& operator=(const ScratchRow&) = delete;

    T* data() { return m_data; }
    const T* data() const { return m_data; }
    T& operator[](std::size_t i) { return m_data[i]; }
    const T& operator[](std::size_t i) const { return m_data[i]; }

  private:
    static constexpr std::size_t kInline = 64;
    std::array<T, kInline> m_inline;
    std::vector<T> m_heap;
    T* m_data = nullptr;
};

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

// What every strategy needs of one copy: the clipped destination, where each destination
// pixel comes from, and the raster operation.
struct BlitPlan {
    TBitmap& dest;
    const TBitmap& source;
    TRect d;
    TRect s;
    ClipBox clip;
    bool sameSize = false;
    std::uint8_t code = 0xCC;
    std::uint32_t mask = 0;     // the bits of a destination pixel the operation may change
    std::uint32_t pattern = 0;  // the destination's brush as a pixel value, when code uses it
    std::uint8_t* destStore = nullptr;

    int Width() const { return clip.right - clip.left; }

    std::int64_t MapX(int dx) const {
        const std::int64_t i = std::int64_t{dx} - d.Left;
        const std::int64_t dw = std::int64_t{d.Right} - d.Left;
        const std::int64_t sw = std::int64_t{s.Right} - s.Left;
        // 128-bit: a rectangle spanning the whole int range would overflow 64 bits here.
        return s.Left +
               (sameSize ? i : static_cast<std::int64_t>(static_cast<__int128>(i) * sw / dw));
    }
    std::int64_t MapY(int dy) const {
        const std::int64_t j = std::int64_t{dy} - d.Top;
        const std::int64_t dh = std::int64_t{d.Bottom} - d.Top;
        const std::int64_t sh = std::int64_t{s.Bottom} - s.Top;
        return s.Top +
               (sameSize ? j : static_cast<std::int64_t>(static_cast<__int128>(j) * sh / dh));
    }
    // The source row that destination row dy reads, or nullptr when it lies outside.
    const std::uint8_t* SourceRow(int dy) const {
        const std::int64_t sy = MapY(dy);
        return sy >= 0 && sy < source.Height() ? source.ScanLine(static_cast<int>(sy)) : nullptr;
    }
    std::uint8_t* DestRow(int y) const { return RowOf(destStore, dest, y); }
};

// Colour to destination value. Into monochrome only the exact background colour is white:
// that is how a colour chart becomes a black-and-white one, dark greys going white.
class DestValues {
  public:
    DestValues(const TBitmap& dest, TColor background) : m_dest(dest), m_background(background) {}

    std::uint32_t operator()(TColor color) {
        if (m_dest.PixelFormat() == TPixelFormat::Monochrome)
            return color == m_background ? 1u : 0u;
        if (m_dest.PixelFormat() == TPixelFormat::Display)
            return SwapRedBlue(color);
        if (color != m_cachedColor) {  // the nearest-colour search of indexed targets is costly
            m_cachedColor = color;
            m_cachedValue = m_dest.PixelValueOf(color);
        }
        return m_cachedValue;
    }

  private:
    const TBitmap& m_dest;
    TColor m_background;
    TColor m_cachedColor = clNone;
    std::uint32_t m_cachedValue = 0;
};

// Same layout, same size, whole bytes, plain or inverted copy: row copies. This is the
// chart's cell copy, run 40,000 times per chart.
void CopyRowsOfOneLayout(const BlitPlan& plan) {
    const int destBits = BitsPerPixel(plan.dest.PixelFormat());
    const ClipBox& clip = plan.clip;
    const std::int64_t offset = std::int64_t{plan.s.Left} - plan.d.Left;
    const int insideFrom =
        static_cast<int>(std::clamp<std::int64_t>(-offset, clip.left, clip.right));
    const int insideTo = static_cast<int>(
        std::clamp<std::int64_t>(plan.source.Width() - offset, insideFrom, clip.right));
    const std::uint32_t whiteValue = plan.dest.PixelValueOf(clWhite);
    const std::uint32_t outsideValue = Rop3(plan.code, 0, whiteValue, 0) & plan.mask;
    const std::size_t bytesPerPixel = static_cast<std::size_t>(destBits / 8);
    for (int y = clip.top; y < clip.bottom; ++y) {
        std::uint8_t* row = plan.DestRow(y);
        const std::uint8_t* from = plan.SourceRow(y);
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
        if (plan.code == 0xCC) {
            std::memcpy(out, in, count * bytesPerPixel);
        } else if (destBits == 32) {
            auto* words = reinterpret_cast<std::uint32_t*>(out);
            for (std::size_t i = 0; i < count; ++i) {
                std::uint32_t v;
                std::memcpy(&v, in + 4 * i, 4);
                words[i] = ~v & plan.mask;
            }
        } else {
            // Below 32 bits every bit of a pixel is a colour bit, so whole bytes invert.
            for (std::size_t i = 0; i < count * bytesPerPixel; ++i) {
                out[i] = static_cast<std::uint8_t>(~in[i]);
            }
        }
    }
}

// Display into monochrome: the export of the chart, one pass that packs 8 pixels a byte.
// columns[i] is the source column of destination column clip.left + i, or -1 outside.
void PackDisplayIntoMonochrome(const BlitPlan& plan, TColor background, const int* columns) {
    const ClipBox& clip = plan.clip;
    const int n = plan.Width();
    const std::uint32_t backgroundRaw = SwapRedBlue(background);
    const std::uint32_t whiteBit = clWhite == background ? 1u : 0u;
    const auto patternByte = static_cast<std::uint8_t>(plan.pattern != 0 ? 0xFF : 0x00);
    const std::uint8_t code = plan.code;
    const auto combine = [code, patternByte](std::uint8_t& target, unsigned bits,
                                             unsigned bitMask) {
        const unsigned result = code == 0xCC   ? bits
                                : code == 0x33 ? ~bits
                                               : Rop3(code, patternByte, bits, target);
        target = static_cast<std::uint8_t>((target & ~bitMask) | (result & bitMask));
    };
    const auto match = [backgroundRaw](std::uint32_t pixel) {
        return (pixel & 0xFFFFFF) == backgroundRaw ? 1u : 0u;
    };
    const bool rowsContiguous =
        plan.sameSize && columns[0] >= 0 && columns[n - 1] >= 0;  // whole span inside
    for (int y = clip.top; y < clip.bottom; ++y) {
        std::uint8_t* row = plan.DestRow(y);
        const auto* words = reinterpret_cast<const std::uint32_t*>(plan.SourceRow(y));
        int x = clip.left;
        int i = 0;
        if (rowsContiguous && words != nullptr) {
            const std::uint32_t* pixels = words + columns[0];
            for (; x < clip.right && (x & 7) != 0; ++x, ++i)
                combine(row[x >> 3], match(pixels[i]) << (7 - (x & 7)), 0x80u >> (x & 7));
            for (; x + 8 <= clip.right; x += 8, i += 8)
                combine(row[x >> 3], PackMatches(pixels + i, backgroundRaw), 0xFF);
            for (; x < clip.right; ++x, ++i)
                combine(row[x >> 3], match(pixels[i]) << (7 - (x & 7)), 0x80u >> (x & 7));
            continue;
        }
        while (x < clip.right) {
            const int firstBit = x & 7;
            const int lastBit = std::min(8, firstBit + (clip.right - x));
            unsigned bits = 0;
            unsigned bitMask = 0;
            for (int b = firstBit; b < lastBit; ++b, ++i) {
                const int sx = columns[i];
                const unsigned bit = (words == nullptr || sx < 0) ? whiteBit : match(words[sx]);
                bits |= bit << (7 - b);
                bitMask |= 0x80u >> b;
            }
            combine(row[x >> 3], bits, bitMask);
            x += lastBit - firstBit;
        }
    }
}

// How a source pixel becomes a destination value.
enum class Decode {
    Raw,           // the same layout: the value as it stands
    Lookup,        // an indexed source: through a table of its colours' destination values
    RawToDisplay,  // 24-bit, display and 8-8-8 32-bit pixels hold it in their low three bytes
    Convert,       // anything else: through the colour
};

struct RowDecoder {
    const TBitmap& source;
    const int* columns;
    int n;
    bool contiguous;           // columns[i] is columns[0] + i, every one inside the source
    std::uint32_t whiteValue;  // for pixels outside the source
    const std::uint32_t* lookup;
    DestValues& convert;
};

// Instantiated per source depth and decoding so that the per-pixel loop has no switches.
template <int Bits, Decode Mode>
void DecodeRow(const RowDecoder& decoder, const std::uint8_t* from, std::uint32_t* values) {
    const auto decode = [&](int sx) {
        const std::uint32_t raw = ReadPixel(from, Bits, sx);
        if constexpr (Mode == Decode::Raw) {
            return raw;
        } else if constexpr (Mode == Decode::Lookup) {
            return decoder.lookup[raw & 0xFF];
        } else if constexpr (Mode == Decode::RawToDisplay) {
            return raw & 0xFFFFFF;
        } else {
            return decoder.convert(decoder.source.ColorOfPixelValue(raw));
        }
    };
    // A copy of the same size inside the source reads its row straight, with no column table
    // and no test for pixels outside: a loop the compiler can widen.
    if (decoder.contiguous) {
        const int first = decoder.columns[0];
        for (int i = 0; i < decoder.n; ++i)
            values[i] = decode(first + i);
        return;
    }
    for (int i = 0; i < decoder.n; ++i) {
        const int sx = decoder.columns[i];
        values[i] = sx >= 0 ? decode(sx) : decoder.whiteValue;
    }
}

template <int Bits>
void DecodeRowAtDepth(const RowDecoder& decoder, Decode mode, const std::uint8_t* from,
                      std::uint32_t* values) {
    switch (mode) {
        case Decode::Raw:
            return DecodeRow<Bits, Decode::Raw>(decoder, from, values);
        case Decode::Lookup:
            return DecodeRow<Bits, Decode::Lookup>(decoder, from, values);
        case Decode::RawToDisplay:
            return DecodeRow<Bits, Decode::RawToDisplay>(decoder, from, values);
        case Decode::Convert:
            return DecodeRow<Bits, Decode::Convert>(decoder, from, values);
    }
}

void DecodeSourceRow(const RowDecoder& decoder, Decode mode, const std::uint8_t* from,
                     std::uint32_t* values) {
    switch (BitsPerPixel(decoder.source.PixelFormat())) {
        case 1:
            return DecodeRowAtDepth<1>(decoder, mode, from, values);
        case 4:
            return DecodeRowAtDepth<4>(decoder, mode, from, values);
        case 8:
            return DecodeRowAtDepth<8>(decoder, mode, from, values);
        case 16:
            return DecodeRowAtDepth<16>(decoder, mode, from, values);
        case 24:
            return DecodeRowAtDepth<24>(decoder, mode, from, values);
        default:
            return DecodeRowAtDepth<32>(decoder, mode, from, values);
    }
}

Decode DecodingOf(const TBitmap& source, const TBitmap& dest, bool same) {
    const TPixelFormat format = source.PixelFormat();
    if (same)
        return Decode::Raw;
    if (IsIndexed(format) || format == TPixelFormat::Monochrome)
        return Decode::Lookup;
    const bool rawToDisplay =
        dest.PixelFormat() == TPixelFormat::Display &&
        (format == TPixelFormat::Direct24 || format == TPixelFormat::Display ||
         (format == TPixelFormat::Direct32 && source.Layout().masks == kMasks888));
    return rawToDisplay ? Decode::RawToDisplay : Decode::Convert;
}

// Every other copy, a row at a time: source row to destination values, then combined.
void ConvertRows(const BlitPlan& plan, TColor background, bool same, const int* columns) {
    const ClipBox& clip = plan.clip;
    const int n = plan.Width();
    const int destBits = BitsPerPixel(plan.dest.PixelFormat());
    DestValues convert(plan.dest, background);
    const std::uint32_t whiteValue = same ? plan.dest.PixelValueOf(clWhite) : convert(clWhite);
    const Decode mode = DecodingOf(plan.source, plan.dest, same);
    std::uint32_t lookup[256];
    if (mode == Decode::Lookup) {
        const int entries = 1 << BitsPerPixel(plan.source.PixelFormat());
        for (int v = 0; v < entries; ++v)
            lookup[v] = convert(plan.source.ColorOfPixelValue(static_cast<std::uint32_t>(v)));
    }
    bool contiguous = n > 0 && columns[0] >= 0;
    for (int i = 1; contiguous && i < n; ++i)
        contiguous = columns[i] == columns[0] + i;
    const RowDecoder decoder{plan.source, columns, n, contiguous, whiteValue, lookup, convert};
    ScratchRow<std::uint32_t> values(static_cast<std::size_t>(n));
    for (int y = clip.top; y < clip.bottom; ++y) {
        std::uint8_t* row = plan.DestRow(y);
        const std::uint8_t* from = plan.SourceRow(y);
        if (from == nullptr) {
            std::fill(values.data(), values.data() + n, whiteValue);
        } else {
            DecodeSourceRow(decoder, mode, from, values.data());
        }
        if (plan.code == 0xCC && destBits == 32) {
            std::memcpy(row + UsedRowBytes(clip.left, 32), values.data(), UsedRowBytes(n, 32));
            continue;
        }
        for (int i = 0; i < n; ++i) {
            const int x = clip.left + i;
            const std::uint32_t v = values[static_cast<std::size_t>(i)];
            const std::uint32_t result =
                plan.code == 0xCC ? v
                                  : Rop3(plan.code, plan.pattern, v, ReadPixel(row, destBits, x));
            WritePixel(row, destBits, x, result & plan.mask);
        }
    }
}

}  // namespace

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
    if (&sourceArg == &dest)
        snapshot = std::make_unique<TBitmap>(sourceArg);
    const TBitmap& source = snapshot ? *snapshot : sourceArg;

    const auto code = static_cast<std::uint8_t>(request.rop >> 16);
    BlitPlan plan{dest, source, d, s, clip};
    plan.sameSize = std::int64_t{d.Right} - d.Left == std::int64_t{s.Right} - s.Left &&
                    std::int64_t{d.Bottom} - d.Top == std::int64_t{s.Bottom} - s.Top;
    plan.code = code;
    plan.mask = PixelBitsMask(dest);
    plan.pattern = UsesPattern(code) ? dest.PixelValueOf(request.pattern) : 0;
    plan.destStore = dest.MutableBits();

    const bool same = SameLayout(source, dest);
    if (same && plan.sameSize && BitsPerPixel(dest.PixelFormat()) >= 8 &&
        (code == 0xCC || code == 0x33)) {
        CopyRowsOfOneLayout(plan);
        return true;
    }

    const int n = plan.Width();
    ScratchRow<int> columns(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::int64_t sx = plan.MapX(clip.left + i);
        columns[static_cast<std::size_t>(i)] =
            sx >= 0 && sx < source.Width() ? static_cast<int>(sx) : -1;
    }
    if (source.PixelFormat() == TPixelFormat::Display &&
        dest.PixelFormat() == TPixelFormat::Monochrome) {
        PackDisplayIntoMonochrome(plan, request.sourceBackground, columns.data());
    } else {
        ConvertRows(plan, request.sourceBackground, same, columns.data());
    }
    return true;
}

}  // namespace brodix::detail
