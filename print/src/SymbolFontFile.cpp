#include "SymbolFontFile.h"

#include <algorithm>
#include <array>
#include <string>

#include "engine/SymbolSheet.h"

namespace brodix::print::detail {

namespace {

constexpr int kUnitsPerPixel = 100;
constexpr int kUnitsPerEm = kCellPitch * kUnitsPerPixel;

// Big-endian fields, as every sfnt table stores them.
class Table {
  public:
    void U8(std::uint8_t v) { m_bytes.push_back(v); }
    void U16(int v) {
        U8(static_cast<std::uint8_t>((v >> 8) & 0xFF));
        U8(static_cast<std::uint8_t>(v & 0xFF));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<int>(v >> 16));
        U16(static_cast<int>(v & 0xFFFF));
    }
    void Zeros(std::size_t count) { m_bytes.insert(m_bytes.end(), count, 0); }
    void Append(const std::vector<std::uint8_t>& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }
    void PadTo4() {
        while (m_bytes.size() % 4 != 0)
            U8(0);
    }
    std::size_t Size() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

  private:
    std::vector<std::uint8_t> m_bytes;
};

struct Box {
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// Font units of a rectangle: x to the right, y up from the baseline at the cell's top.
Box BoxOf(const InkRect& rect) {
    // The baseline is the cell's bottom, as text's is, so that a reader of the PDF's text
    // finds a key's symbol on the line of its row.
    return {rect.x * kUnitsPerPixel, (kCellPitch - rect.y - rect.height) * kUnitsPerPixel,
            (rect.x + rect.width) * kUnitsPerPixel, (kCellPitch - rect.y) * kUnitsPerPixel};
}

// One simple glyph: a clockwise four-point contour per rectangle, every point on the curve.
std::vector<std::uint8_t> GlyphData(const std::vector<InkRect>& rects, Box& bounds) {
    Table glyph;
    if (rects.empty())
        return {};
    bounds = BoxOf(rects.front());
    for (const InkRect& rect : rects) {
        const Box box = BoxOf(rect);
        bounds = {std::min(bounds.xMin, box.xMin), std::min(bounds.yMin, box.yMin),
                  std::max(bounds.xMax, box.xMax), std::max(bounds.yMax, box.yMax)};
    }
    glyph.U16(static_cast<int>(rects.size()));
    glyph.U16(bounds.xMin);
    glyph.U16(bounds.yMin);
    glyph.U16(bounds.xMax);
    glyph.U16(bounds.yMax);
    for (std::size_t i = 0; i < rects.size(); ++i)
        glyph.U16(static_cast<int>(4 * i + 3));  // last point of each contour
    glyph.U16(0);                                // no instructions
    for (std::size_t i = 0; i < 4 * rects.size(); ++i)
        glyph.U8(0x01);  // on the curve; coordinates as 16-bit deltas
    std::vector<std::array<int, 2>> points;
    for (const InkRect& rect : rects) {
        const Box b = BoxOf(rect);
        points.insert(points.end(),
                      {{b.xMin, b.yMin}, {b.xMin, b.yMax}, {b.xMax, b.yMax}, {b.xMax, b.yMin}});
    }
    for (std::size_t axis = 0; axis < 2; ++axis) {
        int previous = 0;
        for (const auto& point : points) {
            glyph.U16(point[axis] - previous);
            previous = point[axis];
        }
    }
    glyph.PadTo4();
    return glyph.Bytes();
}

Table Head(const Box& bounds) {
    Table head;
    head.U32(0x00010000);  // version
    head.U32(0x00010000);  // fontRevision
    head.U32(0);           // checkSumAdjustment: nobody who reads this font checks it
    head.U32(0x5F0F3CF5);  // magicNumber
    head.U16(0x000B);      // flags: baseline at y = 0, left sidebearing at x = 0, integer ppem
    head.U16(kUnitsPerEm);
    head.Zeros(16);  // created, modified
    head.U16(bounds.xMin);
    head.U16(bounds.yMin);
    head.U16(bounds.xMax);
    head.U16(bounds.yMax);
    head.U16(0);  // macStyle
    head.U16(8);  // lowestRecPPEM
    head.U16(2);  // fontDirectionHint
    head.U16(1);  // indexToLocFormat: 32-bit offsets
    head.U16(0);  // glyphDataFormat
    return head;
}

Table Hhea(int glyphCount) {
    Table hhea;
    hhea.U32(0x00010000);
    hhea.U16(kUnitsPerEm);  // ascender
    hhea.U16(0);            // descender
    hhea.U16(0);            // lineGap
    hhea.U16(kUnitsPerEm);  // advanceWidthMax
    hhea.U16(0);            // minLeftSideBearing
    hhea.U16(0);            // minRightSideBearing
    hhea.U16(kUnitsPerEm);  // xMaxExtent
    hhea.U16(1);            // caretSlopeRise
    hhea.U16(0);            // caretSlopeRun
    hhea.Zeros(10);         // caretOffset, reserved
    hhea.U16(0);            // metricDataFormat
    hhea.U16(glyphCount);   // numberOfHMetrics
    return hhea;
}

Table Maxp(int glyphCount, int maxPoints, int maxContours) {
    Table maxp;
    maxp.U32(0x00010000);
    maxp.U16(glyphCount);
    maxp.U16(maxPoints);
    maxp.U16(maxContours);
    maxp.U16(0);  // maxCompositePoints
    maxp.U16(0);  // maxCompositeContours
    maxp.U16(2);  // maxZones
    maxp.Zeros(18);
    return maxp;
}

// Format 4 with only its closing segment: no character reaches a glyph through the font. The
// PDF's text gives each glyph its character instead (SymbolFont::Show); a character taken from
// the font would be fixed before that and win.
Table Cmap() {
    Table cmap;
    cmap.U16(0);  // version
    cmap.U16(1);  // one subtable
    cmap.U16(3);  // Windows
    cmap.U16(1);  // Unicode BMP
    cmap.U32(12);
    cmap.U16(4);       // format
    cmap.U16(16 + 8);  // length
    cmap.U16(0);       // language
    cmap.U16(2);       // segCountX2
    cmap.U16(2);       // searchRange
    cmap.U16(0);       // entrySelector
    cmap.U16(0);       // rangeShift
    cmap.U16(0xFFFF);  // endCode
    cmap.U16(0);       // reservedPad
    cmap.U16(0xFFFF);  // startCode
    cmap.U16(1);       // idDelta
    cmap.U16(0);       // idRangeOffset
    return cmap;
}

Table Name() {
    const std::string name = "BrodixSymbols";
    Table table;
    table.U16(0);  // format
    table.U16(2);  // records
    table.U16(6 + 12 * 2);
    for (const int id : {1, 6}) {  // family, PostScript name
        table.U16(3);
        table.U16(1);
        table.U16(0x409);
        table.U16(id);
        table.U16(static_cast<int>(2 * name.size()));
        table.U16(0);  // both records share the string
    }
    for (const char c : name)
        table.U16(c);
    return table;
}

Table Post() {
    Table post;
    post.U32(0x00030000);  // no glyph names
    post.Zeros(28);
    return post;
}

std::uint32_t Tag(const char* tag) {
    return (std::uint32_t(std::uint8_t(tag[0])) << 24) |
           (std::uint32_t(std::uint8_t(tag[1])) << 16) |
           (std::uint32_t(std::uint8_t(tag[2])) << 8) | std::uint32_t(std::uint8_t(tag[3]));
}

std::uint32_t Checksum(const Table& table) {
    std::uint32_t sum = 0;
    const auto& bytes = table.Bytes();
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < bytes.size() ? bytes[i + k] : 0);
        sum += word;
    }
    return sum;
}

}  // namespace

std::vector<std::uint8_t> SymbolFontFile(const std::vector<std::vector<InkRect>>& symbols) {
    const int glyphCount = static_cast<int>(symbols.size()) + 1;
    Table glyf;
    Table loca;
    Table hmtx;
    Box fontBounds{0, 0, kUnitsPerEm, kUnitsPerEm};
    int maxContours = 0;
    loca.U32(0);
    hmtx.U16(kUnitsPerEm);  // .notdef: empty
    hmtx.U16(0);
    loca.U32(0);
    for (const std::vector<InkRect>& rects : symbols) {
        Box bounds;
        glyf.Append(GlyphData(rects, bounds));
        loca.U32(static_cast<std::uint32_t>(glyf.Size()));
        hmtx.U16(kUnitsPerEm);
        hmtx.U16(rects.empty() ? 0 : bounds.xMin);
        maxContours = std::max(maxContours, static_cast<int>(rects.size()));
    }

    const std::array<std::pair<const char*, Table>, 9> tables{{
        {"cmap", Cmap()},
        {"glyf", glyf},
        {"head", Head(fontBounds)},
        {"hhea", Hhea(glyphCount)},
        {"hmtx", hmtx},
        {"loca", loca},
        {"maxp", Maxp(glyphCount, 4 * maxContours, maxContours)},
        {"name", Name()},
        {"post", Post()},
    }};
    Table font;
    font.U32(0x00010000);
    font.U16(static_cast<int>(tables.size()));
    font.U16(128);  // searchRange: 16 x the largest power of two <= 9
    font.U16(3);    // entrySelector
    font.U16(16 * static_cast<int>(tables.size()) - 128);
    std::uint32_t offset = static_cast<std::uint32_t>(12 + 16 * tables.size());
    for (const auto& [tag, table] : tables) {
        font.U32(Tag(tag));
        font.U32(Checksum(table));
        font.U32(offset);
        font.U32(static_cast<std::uint32_t>(table.Size()));
        offset += static_cast<std::uint32_t>((table.Size() + 3) / 4 * 4);
    }
    for (const auto& [tag, table] : tables) {
        font.Append(table.Bytes());
        font.PadTo4();
    }
    return font.Bytes();
}

}  // namespace brodix::print::detail
