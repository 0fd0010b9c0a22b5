#include "raster/TIcon.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "BoundedReader.h"
#include "ReadWhole.h"
#include "drawing/PixelOps.h"
#include "raster/BmpCodec.h"
#include "raster/DisplayPixels.h"
#include "raster/Exceptions.h"
#include "raster/Geometry.h"
#include "raster/PixelFormat.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace brodix {

namespace {

constexpr std::size_t kIconHeaderSize = 6;
constexpr std::size_t kDirectoryEntrySize = 16;
// The directory cannot state a size above 256; a few times that is allowed for images whose
// own header says more, while a tiny file that claims a giant image is refused before it
// costs time and memory.
constexpr std::int64_t kMaxIconSide = 1024;

[[noreturn]] void InvalidIcon(const char* reason) {
    throw EInvalidGraphic(msg::kInvalidIcon, reason);
}

struct Entry {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
};

Entry ReadEntry(BoundedReader& input) {
    constexpr const char* kCut = "directory entry cut short";
    std::uint8_t sides[2];
    input.ReadExact(sides, sizeof sides, kCut);
    input.Skip(4, kCut);  // colour count, reserved, planes
    Entry entry;
    entry.width = sides[0] == 0 ? 256 : sides[0];
    entry.height = sides[1] == 0 ? 256 : sides[1];
    entry.bitCount = input.Le16(kCut);
    entry.size = input.Le32(kCut);
    entry.offset = input.Le32(kCut);
    return entry;
}

// Entry index of a directory that loading has found inside the file.
Entry EntryAt(const std::vector<std::uint8_t>& data, std::size_t index) {
    const std::span<const std::uint8_t> bytes(data);
    ByteView view(bytes.subspan(kIconHeaderSize + kDirectoryEntrySize * index));
    BoundedReader input(view, kDirectoryEntrySize);
    return ReadEntry(input);
}

struct Decoded {
    std::unique_ptr<TBitmap> bitmap;
    std::vector<std::uint8_t> opaque;
};

Decoded NewImage(int width, int height) {
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 >
        kMaxPixelStoreBytes) {
        throw EOutOfResources(msg::kOutOfResources);
    }
    Decoded image;
    image.bitmap = TBitmap::CreateWithLayout(width, height, BitmapLayout{}, /*topDown=*/true);
    image.opaque.assign(GridCells(width, height), 0);
    return image;
}

void PutColor(TBitmap& bitmap, int x, int y, std::uint8_t blue, std::uint8_t green,
              std::uint8_t red) {
    MutableDisplayRow(bitmap, y)[static_cast<std::size_t>(x)] =
        DisplayPixelOf(RGB(red, green, blue));
}

Decoded DecodePng(const std::uint8_t* bytes, std::size_t size) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, bytes, size) == 0)
        InvalidIcon("PNG header refused");
    if (image.width > kMaxIconSide || image.height > kMaxIconSide) {
        png_image_free(&image);
        InvalidIcon("image larger than 1024");
    }
    if (image.width == 0 || image.height == 0 || image.width > 0x7FFFFFFF ||
        static_cast<std::uint64_t>(image.width) * image.height * 4 > kMaxPixelStoreBytes) {
        png_image_free(&image);
        throw EOutOfResources(msg::kOutOfResources, "PNG of no pixels");
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        InvalidIcon("PNG data refused");
    }
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    Decoded decoded = NewImage(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = pixels.data() + GridIndex(x, y, width) * 4;
            PutColor(*decoded.bitmap, x, y, p[0], p[1], p[2]);
            decoded.opaque[GridIndex(x, y, width)] = p[3] >= 128;
        }
    }
    return decoded;
}

// Whether any pixel of a 32-bit image has a non-zero fourth byte.
bool AnyAlpha(const TBitmap& colors) {
    for (int y = 0; y < colors.Height(); ++y) {
        const std::uint8_t* row = colors.ScanLine(y);
        for (int x = 0; x < colors.Width(); ++x) {
            if (row[x * 4 + 3] != 0)
                return true;
        }
    }
    return false;
}

// A BMP-coded image: an information header whose height counts the colour image and the
// AND mask below it, the colour table, the colour rows, then the 1-bit mask rows (1 =
// transparent). The colour part is read by the BMP reader from a file header put before it.
Decoded DecodeDib(const std::uint8_t* bytes, std::size_t size) {
    if (size < 40)
        InvalidIcon("image header cut short");
    ByteView view({bytes, size});
    BoundedReader input(view, size);
    constexpr const char* kCut = "image header cut short";
    const std::uint32_t headerSize = input.Le32(kCut);
    const std::int32_t width = input.LeInt32(kCut);
    const std::int32_t doubleHeight = input.LeInt32(kCut);
    input.Skip(2, kCut);  // planes
    const int bitCount = input.Le16(kCut);
    const std::uint32_t compression = input.Le32(kCut);
    input.Skip(12, kCut);  // image size, resolution
    std::uint32_t entries = input.Le32(kCut);
    if (headerSize < 40 || headerSize > size)
        InvalidIcon("image header length wrong");
    if (width <= 0 || doubleHeight < 2)
        InvalidIcon("image of no pixels");
    if (width > kMaxIconSide || doubleHeight / 2 > kMaxIconSide)
        InvalidIcon("image larger than 1024");
    if (compression != 0)
        InvalidIcon("image compressed");
    const int height = doubleHeight / 2;
    if (entries == 0 && bitCount <= 8)
        entries = bitCount == 1 ? 2 : bitCount == 4 ? 16 : 256;
    if (entries > 256)
        InvalidIcon("colour table over 256 entries");

    std::vector<std::uint8_t> file(14 + size);
    file[0] = 'B';
    file[1] = 'M';
    PutLe32(file.data() + 2, static_cast<std::uint32_t>(file.size()));
    PutLe32(file.data() + 10, 14 + headerSize + entries * 4);
    std::memcpy(file.data() + 14, bytes, size);
    PutLe32(file.data() + 14 + 8, static_cast<std::uint32_t>(height));
    PutLe32(file.data() + 14 + 20, 0);  // image size: let the reader compute the colour part
    std::unique_ptr<TBitmap> colors;
    try {
        TMemoryStream stream(std::move(file));
        colors = ReadBmp(stream, stream.Size());
    } catch (const EInvalidGraphic& e) {
        InvalidIcon(e.Reason());  // the bitmap reader's own check
    } catch (const EReadError& e) {
        InvalidIcon(e.Reason());
    }

    Decoded decoded = NewImage(width, height);
    const std::uint64_t colorBytes =
        std::uint64_t{RowStride(width, bitCount)} * static_cast<std::uint64_t>(height);
    const std::uint64_t maskOffset = headerSize + entries * 4ull + colorBytes;
    const std::size_t maskStride = RowStride(width, 1);
    // A 32-bit image with any alpha value set uses alpha instead of its mask.
    const bool useAlpha = bitCount == 32 && AnyAlpha(*colors);
    for (int y = 0; y < height; ++y) {
        // Mask rows are stored bottom up, like the colour rows.
        const std::uint64_t maskRow =
            maskOffset + static_cast<std::uint64_t>(height - 1 - y) * maskStride;
        for (int x = 0; x < width; ++x) {
            const TColor color = colors->GetPixel(x, y);
            PutColor(*decoded.bitmap, x, y, BlueOf(color), GreenOf(color), RedOf(color));
            bool opaque;
            if (useAlpha) {
                opaque = colors->ScanLine(y)[x * 4 + 3] >= 128;
            } else {
                const std::uint64_t at = maskRow + static_cast<std::uint64_t>(x / 8);
                // A missing mask leaves the pixel opaque.
                opaque = at >= size || (bytes[at] & (0x80 >> (x % 8))) == 0;
            }
            decoded.opaque[GridIndex(x, y, width)] = opaque;
        }
    }
    return decoded;
}

}  // namespace

TIcon::TIcon() = default;
TIcon::~TIcon() = default;

int TIcon::Width() const {
    if (m_bitmap)
        return m_bitmap->Width();
    return m_data ? kStandardSize : 0;
}

int TIcon::Height() const {
    if (m_bitmap)
        return m_bitmap->Height();
    return m_data ? kStandardSize : 0;
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
    auto copy = std::make_unique<TIcon>();
    copy->m_data = m_data;
    copy->m_count = m_count;
    copy->m_decodeTried = m_decodeTried;
    if (m_bitmap)
        copy->m_bitmap = std::make_unique<TBitmap>(*m_bitmap);
    copy->m_opaque = m_opaque;
    return copy;
}

void TIcon::LoadFromStream(TStream& stream) {
    auto data = std::make_shared<std::vector<std::uint8_t>>(ReadWholeStream(stream));
    ByteView view(*data);
    BoundedReader input(view, data->size());
    input.Skip(2, "icon header cut short");  // reserved
    const std::uint16_t type = input.Le16("icon header cut short");
    const std::size_t count = input.Le16("icon header cut short");
    if (type != 0 && type != 1)
        InvalidIcon("type neither 0 nor 1");
    if (kDirectoryEntrySize * count > input.Left())
        InvalidIcon("directory beyond the file");
    for (std::size_t i = 0; i < count; ++i) {
        const Entry entry = ReadEntry(input);
        if (entry.offset > data->size() || entry.size > data->size() - entry.offset)
            InvalidIcon("image beyond the file");
    }
    m_data = std::move(data);
    m_count = count;
    m_decodeTried = false;
    m_bitmap.reset();
    m_opaque.clear();
    Changed();
}

void TIcon::SaveToStream(TStream& stream) const {
    if (m_data)
        stream.Write(m_data->data(), m_data->size());
}

void TIcon::ImageNeeded() {
    if (m_decodeTried || !m_data || m_count == 0)
        return;
    m_decodeTried = true;
    // The image nearest the standard size, the deepest of equally near ones.
    std::size_t best = 0;
    for (std::size_t i = 1; i < m_count; ++i) {
        const Entry a = EntryAt(*m_data, i);
        const Entry b = EntryAt(*m_data, best);
        const int da = std::abs(a.width - kStandardSize) + std::abs(a.height - kStandardSize);
        const int db = std::abs(b.width - kStandardSize) + std::abs(b.height - kStandardSize);
        if (da < db || (da == db && a.bitCount > b.bitCount))
            best = i;
    }
    const Entry entry = EntryAt(*m_data, best);
    const std::uint8_t* bytes = m_data->data() + entry.offset;
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Decoded decoded = entry.size >= 8 && std::memcmp(bytes, kPngSignature, 8) == 0
                          ? DecodePng(bytes, entry.size)
                          : DecodeDib(bytes, entry.size);
    m_bitmap = std::move(decoded.bitmap);
    m_opaque = std::move(decoded.opaque);
    Changed();
}

bool TIcon::Opaque(int x, int y) const {
    if (!m_bitmap || x < 0 || y < 0 || x >= m_bitmap->Width() || y >= m_bitmap->Height()) {
        return false;
    }
    return m_opaque[GridIndex(x, y, m_bitmap->Width())] != 0;
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect) {
    ImageNeeded();
    if (!m_bitmap || rect.IsEmpty())
        return;
    const TBitmap& target = canvas.Bitmap();
    const auto [left, top, right, bottom] = detail::ClipToBitmap(rect, target);
    const std::int64_t w = rect.Width();
    const std::int64_t h = rect.Height();
    // Pixel by pixel, so that the transparent parts leave the canvas as it was.
    for (int y = top; y < bottom; ++y) {
        const int sy =
            static_cast<int>((static_cast<std::int64_t>(y) - rect.Top) * m_bitmap->Height() / h);
        for (int x = left; x < right; ++x) {
            const int sx = static_cast<int>((static_cast<std::int64_t>(x) - rect.Left) *
                                            m_bitmap->Width() / w);
            if (Opaque(sx, sy))
                canvas.SetPixel(x, y, m_bitmap->GetPixel(sx, sy));
        }
    }
}

}  // namespace brodix
