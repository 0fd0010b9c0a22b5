// The BMP writer: the reader's counterpart for the layouts the program saves.
#include <algorithm>
#include <cstring>
#include <vector>

#include "LittleEndian.h"
#include "raster/BmpCodec.h"
#include "raster/PixelFormat.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"

namespace brodix {

namespace {

constexpr std::uint32_t kHeadersSize = 14 + 40;
// Rows are gathered into blocks of about this size, so that a large picture costs a few
// writes rather than one per row.
constexpr std::size_t kBlockBytes = 256 * 1024;

enum class RowSource {
    Copy,      // the stored row is the file's row
    ClearTop,  // 32-bit rows whose fourth byte must be written as 0
    Convert,   // pixel by pixel into 32 bits (masks the file cannot state without bit fields)
};

struct FileLayout {
    int bitCount = 32;
    std::vector<TColor> table;
    RowSource source = RowSource::ClearTop;
};

FileLayout LayoutFor(const TBitmap& bitmap) {
    FileLayout layout;
    switch (bitmap.PixelFormat()) {
        case TPixelFormat::Monochrome:
            layout = {1, {clBlack, clWhite}, RowSource::Copy};
            break;
        case TPixelFormat::Indexed1:
        case TPixelFormat::Indexed4:
        case TPixelFormat::Indexed8: {
            const int bits = BitsPerPixel(bitmap.PixelFormat());
            std::vector<TColor> table = bitmap.ColorTable();
            const std::size_t limit = std::size_t{1} << bits;
            if (table.size() > limit)
                table.resize(limit);
            layout = {bits, std::move(table), RowSource::Copy};
            break;
        }
        case TPixelFormat::Direct16:
            // Without a bit-fields header a 16-bit file means 5-5-5.
            layout = bitmap.Layout().masks == kMasks555 ? FileLayout{16, {}, RowSource::Copy}
                                                        : FileLayout{32, {}, RowSource::Convert};
            break;
        case TPixelFormat::Direct24:
            layout = {24, {}, RowSource::Copy};
            break;
        case TPixelFormat::Direct32:
            layout = bitmap.Layout().masks == kMasks888 ? FileLayout{32, {}, RowSource::ClearTop}
                                                        : FileLayout{32, {}, RowSource::Convert};
            break;
        case TPixelFormat::Display:
            layout = {32, {}, RowSource::ClearTop};
            break;
    }
    return layout;
}

// Gives each row of the file, bottom row first.
void FillRow(const TBitmap& bitmap, const FileLayout& layout, int y, std::uint8_t* out,
             std::size_t fileStride) {
    const int width = bitmap.Width();
    switch (layout.source) {
        case RowSource::Copy: {
            const std::size_t used = UsedRowBytes(width, layout.bitCount);
            std::memcpy(out, bitmap.ScanLine(y), used);
            // Padding bits carry no meaning, but files that differ only in them would make
            // byte comparisons of saved charts fail, so they are always 0.
            const std::int64_t spare = (8 - std::int64_t{width} * layout.bitCount % 8) % 8;
            if (spare != 0)
                out[used - 1] &= static_cast<std::uint8_t>(0xFF << spare);
            std::memset(out + used, 0, fileStride - used);
            break;
        }
        case RowSource::ClearTop: {
            std::memcpy(out, bitmap.ScanLine(y), UsedRowBytes(width, 32));
            for (int x = 0; x < width; ++x)
                out[x * 4 + 3] = 0;
            break;
        }
        case RowSource::Convert: {
            for (int x = 0; x < width; ++x) {
                const TColor color = bitmap.ColorOfPixelValue(bitmap.PixelValue(x, y));
                out[x * 4 + 0] = BlueOf(color);
                out[x * 4 + 1] = GreenOf(color);
                out[x * 4 + 2] = RedOf(color);
                out[x * 4 + 3] = 0;
            }
            break;
        }
    }
}

}  // namespace

void WriteBmp(const TBitmap& bitmap, TStream& stream) {
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0)
        return;
    const FileLayout layout = LayoutFor(bitmap);
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const std::size_t stride = RowStride(width, layout.bitCount);
    const std::uint32_t n = static_cast<std::uint32_t>(layout.table.size());
    // The store is bounded by kMaxPixelStoreBytes, so every field fits in 32 bits.
    const std::uint32_t imageSize =
        static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height));
    const std::uint32_t offset = kHeadersSize + 4 * n;

    std::vector<std::uint8_t> head(offset, 0);
    std::uint8_t* h = head.data();
    h[0] = 'B';
    h[1] = 'M';
    PutLe32(h + 2, offset + imageSize);                   // file size
    PutLe32(h + 10, offset);                              // pixel-data offset
    PutLe32(h + 14, 40);                                  // header size
    PutLe32(h + 18, static_cast<std::uint32_t>(width));   // width
    PutLe32(h + 22, static_cast<std::uint32_t>(height));  // height: positive, bottom up
    PutLe16(h + 26, 1);                                   // planes
    PutLe16(h + 28, static_cast<std::uint16_t>(layout.bitCount));
    PutLe32(h + 34, imageSize);  // image size
    PutLe32(h + 46, n);          // colours used
    for (std::uint32_t e = 0; e < n; ++e) {
        std::uint8_t* entry = h + kHeadersSize + 4 * e;
        entry[0] = BlueOf(layout.table[e]);
        entry[1] = GreenOf(layout.table[e]);
        entry[2] = RedOf(layout.table[e]);
    }
    stream.Write(head.data(), head.size());

    const std::size_t rowsPerBlock = std::max<std::size_t>(1, kBlockBytes / stride);
    std::vector<std::uint8_t> block(std::min(rowsPerBlock, static_cast<std::size_t>(height)) *
                                    stride);
    int y = height - 1;
    while (y >= 0) {
        std::size_t rows = 0;
        for (; rows < rowsPerBlock && y >= 0; ++rows, --y) {
            FillRow(bitmap, layout, y, block.data() + rows * stride, stride);
        }
        stream.Write(block.data(), rows * stride);
    }
}

}  // namespace brodix
