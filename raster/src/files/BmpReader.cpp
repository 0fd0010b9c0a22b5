// The BMP reader: one header parser, then one decoder per encoding (uncompressed, bit fields,
// run-length 8 and 4 bits).
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "BoundedReader.h"
#include "LittleEndian.h"
#include "raster/BmpCodec.h"
#include "raster/DisplayPixels.h"
#include "raster/Exceptions.h"
#include "raster/PixelFormat.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"

namespace brodix {

namespace {

constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
// Fields up to the end of the version-5 header are looked at; the rest of a longer header
// is skipped unread.
constexpr std::uint32_t kLongestKnownHeader = 124;
constexpr std::uint32_t kMaxTableEntries = 256;

[[noreturn]] void Invalid(const char* reason) {
    throw EInvalidGraphic(msg::kInvalidBitmap, reason);
}

struct BmpHeader {
    std::uint32_t pixelOffset = 0;  // from the file header
    std::uint32_t headerSize = 0;   // as stored: 12 for a core header
    std::int64_t width = 0;
    std::int64_t height = 0;  // absolute
    bool topDown = false;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t colorsUsed = 0;
    bool masksInHeader = false;
    BitMasks masks;
};

BmpHeader ReadHeaders(BoundedReader& input) {
    BmpHeader header;
    std::uint8_t fileHeader[kFileHeaderSize];
    input.ReadExact(fileHeader, sizeof fileHeader, "file header cut short");
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        Invalid("not B, M");
    header.pixelOffset = GetLe32(fileHeader + 10);

    std::uint8_t info[kLongestKnownHeader] = {};
    input.ReadExact(info, 4, "header length cut short");
    header.headerSize = GetLe32(info);
    if (header.headerSize == kCoreHeaderSize) {
        input.ReadExact(info + 4, kCoreHeaderSize - 4, "bitmap header cut short");
        header.width = GetLe16(info + 4);
        header.height = GetLe16(info + 6);
        header.planes = GetLe16(info + 8);
        header.bitCount = GetLe16(info + 10);
    } else {
        // A shorter header would leave the reader guessing fields the file does not have.
        if (header.headerSize < kInfoHeaderSize)
            Invalid("header shorter than 40 bytes");
        const std::uint32_t kept = std::min(header.headerSize, kLongestKnownHeader);
        input.ReadExact(info + 4, kept - 4, "bitmap header cut short");
        input.Skip(header.headerSize - kept, "bitmap header cut short");
        header.width = GetLeInt32(info + 4);
        const std::int64_t height = GetLeInt32(info + 8);
        header.topDown = height < 0;
        header.height = height < 0 ? -height : height;
        header.planes = GetLe16(info + 12);
        header.bitCount = GetLe16(info + 14);
        header.compression = GetLe32(info + 16);
        header.imageSize = GetLe32(info + 20);
        header.colorsUsed = GetLe32(info + 32);
        if (header.headerSize >= 52) {
            header.masksInHeader = true;
            header.masks = {GetLe32(info + 40), GetLe32(info + 44), GetLe32(info + 48)};
        }
    }
    if (header.planes != 1)
        Invalid("planes other than 1");
    if (header.width <= 0)
        Invalid("width not positive");
    // A top-down height of -2^31 has no positive counterpart in 32 bits.
    if (header.height <= 0 || header.height > INT32_MAX)
        Invalid("height 0 or -2^31");
    return header;
}

// Masks that describe a pixel: each one a single run of bits inside the pixel, and no two
// sharing a bit. A zero mask is a channel the file leaves out, which reads as 0. Returns what
// is wrong with them, or nullptr.
const char* MaskFault(const BitMasks& masks, int bitCount) {
    const std::uint64_t limit = (std::uint64_t{1} << bitCount) - 1;
    std::uint32_t seen = 0;
    for (const std::uint32_t mask : {masks.red, masks.green, masks.blue}) {
        if (mask == 0)
            continue;
        if (mask > limit)
            return "mask beyond the pixel";
        if ((mask & seen) != 0)
            return "masks overlap";
        const std::uint32_t run = mask >> std::countr_zero(mask);
        if ((run & (run + 1)) != 0)
            return "mask not one run of bits";
        seen |= mask;
    }
    return nullptr;
}

// Uncompressed and bit-field data: the file's rows are the store's rows, read in one go.
std::unique_ptr<TBitmap> DecodeDirect(BoundedReader& input, const BmpHeader& header,
                                      BitmapLayout layout, std::uint64_t pixelBytes) {
    // The new store reads as zero, so rows that a cut-short file does not supply stay zero
    // without being touched.
    auto bitmap = TBitmap::CreateWithLayout(
        static_cast<int>(header.width), static_cast<int>(header.height), layout, header.topDown);
    std::uint8_t* bits = bitmap->MutableBits();
    const std::size_t storeSize = bitmap->StoreSize();
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(pixelBytes, storeSize));
    input.ReadSome(bits, wanted);
    return bitmap;
}

std::unique_ptr<TBitmap> DecodeUncompressed(BoundedReader& input, const BmpHeader& header,
                                            std::vector<TColor> table, std::uint64_t pixelBytes) {
    BitmapLayout layout;
    switch (header.bitCount) {
        case 1:
            layout.format = TPixelFormat::Indexed1;
            break;
        case 4:
            layout.format = TPixelFormat::Indexed4;
            break;
        case 8:
            layout.format = TPixelFormat::Indexed8;
            break;
        case 16:
            layout.format = TPixelFormat::Direct16;
            layout.masks = kMasks555;
            break;
        case 24:
            layout.format = TPixelFormat::Direct24;
            break;
        case 32:
            layout.format = TPixelFormat::Direct32;
            layout.masks = kMasks888;
            break;
        default:
            Invalid("bits per pixel not 1, 4, 8, 16, 24 or 32");
    }
    // Entries past what an index can address are never shown.
    const std::size_t addressable = MaxTableSize(layout.format);
    if (addressable > 0 && table.size() > addressable) {
        table.resize(addressable);
    }
    layout.colorTable = std::move(table);
    return DecodeDirect(input, header, std::move(layout), pixelBytes);
}

std::unique_ptr<TBitmap> DecodeBitFields(BoundedReader& input, const BmpHeader& header,
                                         std::vector<TColor> table, std::uint64_t pixelBytes) {
    BitmapLayout layout;
    layout.format = header.bitCount == 16 ? TPixelFormat::Direct16 : TPixelFormat::Direct32;
    layout.masks = header.masks;
    if (const char* fault = MaskFault(layout.masks, header.bitCount))
        Invalid(fault);
    layout.colorTable = std::move(table);
    return DecodeDirect(input, header, std::move(layout), pixelBytes);
}

// Run-length data become display format through the colour table, as the pixels cannot be
// kept in the file's layout. Pixels that the runs do not reach stay black (zero).
std::unique_ptr<TBitmap> DecodeRunLength(BoundedReader& input, const BmpHeader& header,
                                         const std::vector<TColor>& table, std::uint64_t pixelBytes,
                                         bool fourBits) {
    // Compressed rows have no order but bottom up.
    if (header.topDown)
        Invalid("run-length rows top down");
    // The new store is all zero: black wherever no run reaches. Made first, so that a picture
    // too large for a store is refused before its data are read.
    auto bitmap = TBitmap::CreateWithLayout(static_cast<int>(header.width),
                                            static_cast<int>(header.height), BitmapLayout{},
                                            /*topDown=*/false);
    // pixelBytes never exceeds what the stream still holds, so this is bounded by the file.
    std::vector<std::uint8_t> data(static_cast<std::size_t>(pixelBytes));
    data.resize(input.ReadSome(data.data(), data.size()));

    std::uint8_t* bits = bitmap->MutableBits();
    const std::size_t stride = bitmap->Stride();
    const std::int64_t width = header.width;
    const std::int64_t height = header.height;

    // x and y only grow, by at most 255 per two input bytes, so they cannot overflow.
    std::int64_t x = 0;
    std::int64_t y = 0;  // counted from the bottom row, which the store holds first
    const auto put = [&](std::int64_t px, unsigned index) {
        if (px >= width || y >= height)
            return;
        const TColor color = index < table.size() ? table[index] : clBlack;
        const DisplayPixel value = DisplayPixelOf(color);
        std::memcpy(bits + static_cast<std::size_t>(y) * stride +
                        static_cast<std::size_t>(px) * kDisplayPixelBytes,
                    &value, kDisplayPixelBytes);
    };
    const auto indexAt = [&](std::uint8_t byte, std::int64_t k) -> unsigned {
        if (!fourBits)
            return byte;
        return (k & 1) == 0 ? byte >> 4 : byte & 0x0F;
    };

    std::size_t i = 0;
    const std::size_t n = data.size();
    while (i + 1 < n && y < height) {
        const std::uint8_t count = data[i];
        const std::uint8_t value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (std::int64_t k = 0; k < count && x + k < width; ++k)
                put(x + k, indexAt(value, k));
            x += count;
        } else if (value == 0) {  // end of row
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            break;
        } else if (value == 2) {  // move right and up
            if (i + 1 >= n)
                break;
            x += data[i];
            y += data[i + 1];
            i += 2;
        } else {  // literal pixels, padded to a 16-bit boundary
            const std::size_t bytes = fourBits ? (value + 1u) / 2u : value;
            for (std::int64_t k = 0; k < value; ++k) {
                const std::size_t at = i + static_cast<std::size_t>(fourBits ? k / 2 : k);
                if (at >= n)
                    break;
                if (x + k < width)
                    put(x + k, indexAt(data[at], k));
            }
            x += value;
            i += (bytes + 1) & ~std::size_t{1};
        }
    }
    return bitmap;
}

}  // namespace

std::unique_ptr<TBitmap> ReadBmp(TStream& stream, std::uint64_t length) {
    if (length == 0)
        return std::make_unique<TBitmap>();
    BoundedReader input(stream, length);
    const BmpHeader header = ReadHeaders(input);
    const bool core = header.headerSize == kCoreHeaderSize;
    std::uint64_t consumed = kFileHeaderSize + header.headerSize;

    BmpHeader withMasks = header;
    if (header.compression == kCompressionBitFields) {
        if (header.bitCount != 16 && header.bitCount != 32)
            Invalid("bit fields not at 16 or 32 bits");
        // Masks follow a 40-byte header and lie inside one of 52 bytes or more; a header in
        // between has them in neither place.
        if (!header.masksInHeader && header.headerSize != kInfoHeaderSize)
            Invalid("no place for the masks");
        if (!header.masksInHeader) {
            std::uint8_t masks[12];
            input.ReadExact(masks, sizeof masks, "masks cut short");
            consumed += sizeof masks;
            withMasks.masks = {GetLe32(masks), GetLe32(masks + 4), GetLe32(masks + 8)};
        }
    }

    std::uint32_t entries = header.colorsUsed;
    if (entries == 0) {
        entries = header.bitCount == 1   ? 2
                  : header.bitCount == 4 ? 16
                  : header.bitCount == 8 ? 256
                                         : 0;
    }
    if (entries > kMaxTableEntries)
        Invalid("colour table over 256 entries");
    const std::size_t entrySize = core ? 3 : 4;
    std::uint8_t tableBytes[kMaxTableEntries * 4];
    input.ReadExact(tableBytes, entries * entrySize, "colour table cut short");
    consumed += entries * entrySize;
    std::vector<TColor> table(entries);
    for (std::uint32_t e = 0; e < entries; ++e) {
        const std::uint8_t* entry = tableBytes + e * entrySize;
        table[e] = RGB(entry[2], entry[1], entry[0]);
    }

    // Honour a pixel-data offset that leaves a gap after the colour table (some writers align
    // the pixels); reading the gap as pixels would shift the whole picture. An offset that
    // points backwards or past the end is ignored.
    if (header.pixelOffset > consumed && header.pixelOffset - consumed <= input.Left()) {
        input.Skip(header.pixelOffset - consumed, "pixel-data offset beyond the file");
    }

    const std::uint64_t computed =
        static_cast<std::uint64_t>(RowStride(header.width, header.bitCount)) *
        static_cast<std::uint64_t>(header.height);
    // Run-length data have no size of their own to fall back on, and may be longer than the
    // rows they encode: without an image size they run to the end of the file.
    const bool runLength =
        header.compression == kCompressionRle8 || header.compression == kCompressionRle4;
    const std::uint64_t declared = header.imageSize != 0 ? header.imageSize
                                   : runLength           ? input.Left()
                                                         : computed;
    const std::uint64_t pixelBytes = std::min(declared, input.Left());

    switch (header.compression) {
        case kCompressionNone:
            return DecodeUncompressed(input, header, std::move(table), pixelBytes);
        case kCompressionBitFields:
            return DecodeBitFields(input, withMasks, std::move(table), pixelBytes);
        case kCompressionRle8:
            if (header.bitCount != 8)
                Invalid("RLE8 not at 8 bits");
            return DecodeRunLength(input, header, table, pixelBytes, false);
        case kCompressionRle4:
            if (header.bitCount != 4)
                Invalid("RLE4 not at 4 bits");
            return DecodeRunLength(input, header, table, pixelBytes, true);
        default:
            Invalid("unknown compression");
    }
}

}  // namespace brodix
