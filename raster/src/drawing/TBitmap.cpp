#include "raster/TBitmap.h"

#include <sys/mman.h>

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "PixelOps.h"
#include "raster/DisplayPixels.h"
#include "raster/Exceptions.h"
#include "raster/TCanvas.h"

namespace brodix {

// The pixel bytes of one or more bitmaps. Kept as 32-bit words so that display rows (always
// whole words) can be addressed as words without breaking aliasing rules.
struct PixelStore {
    std::uint32_t* words = nullptr;
    std::size_t size = 0;  // in bytes
    bool mapped = false;   // from mmap rather than malloc

    PixelStore() = default;
    PixelStore(const PixelStore&) = delete;
    PixelStore& operator=(const PixelStore&) = delete;
    ~PixelStore() {
        if (mapped)
            ::munmap(words, size);
        else
            std::free(words);
    }

    std::uint8_t* Bytes() const { return reinterpret_cast<std::uint8_t*>(words); }
};

namespace {

// Zeroed stores of this size or more come straight from the system's zero pages, which cost
// memory only once written: a file that declares a huge picture and holds no pixels then costs
// next to nothing. Smaller ones come from calloc.
constexpr std::size_t kMappedStoreBytes = std::size_t{1} << 20;

// The store size of a width x height image, refused (EOutOfResources) above the layer's
// limit: a corrupt file or a wild caller must not exhaust memory. The one check of that limit
// for every store, the file readers' included.
std::size_t CheckedStoreSize(int width, int height, int bitsPerPixel) {
    const std::size_t stride = RowStride(width, bitsPerPixel);
    if (stride == 0)
        throw EOutOfResources(msg::kOutOfResources, "row longer than 2^31 bytes");
    if (static_cast<std::size_t>(height) > kMaxPixelStoreBytes / stride)
        throw EOutOfResources(msg::kOutOfResources, "pixel store over the limit");
    return stride * static_cast<std::size_t>(height);
}

enum class Fill { Unset, Zero };

// Unset stores are for creators that write each byte once: a fresh chart is 23 MB, so zeroing
// it first would double the cost of every new image. Zero stores are for the file readers,
// whose files may supply only some rows; the rest must read as zero without being touched.
std::shared_ptr<PixelStore> AllocateStore(std::size_t size, Fill fill = Fill::Unset) {
    if (size > kMaxPixelStoreBytes)
        throw EOutOfResources(msg::kOutOfResources, "pixel store over the limit");
    const std::size_t bytes = (size + 3) / 4 * 4;
    std::shared_ptr<PixelStore> store;
    try {
        store = std::make_shared<PixelStore>();
    } catch (const std::bad_alloc&) {
        throw EOutOfResources(msg::kOutOfResources);
    }
    if (fill == Fill::Zero && bytes >= kMappedStoreBytes) {
        void* mapped =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw EOutOfResources(msg::kOutOfResources);
        store->words = static_cast<std::uint32_t*>(mapped);
        store->mapped = true;
    } else {
        store->words = static_cast<std::uint32_t*>(fill == Fill::Zero ? std::calloc(bytes, 1)
                                                                      : std::malloc(bytes));
        if (store->words == nullptr)
            throw EOutOfResources(msg::kOutOfResources);
    }
    store->size = size;
    return store;
}

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
};

Channel ChannelOf(std::uint32_t mask) {
    if (mask == 0)
        return {};
    const int shift = std::countr_zero(mask);
    return {mask, shift, mask >> shift};
}

// round(v * 255 / max): the full range of a narrow channel maps onto 0..255 exactly.
std::uint32_t WidenChannel(std::uint32_t value, const Channel& channel) {
    if (channel.max == 0)
        return 0;
    const std::uint64_t v = (value & channel.mask) >> channel.shift;
    return static_cast<std::uint32_t>((v * 255 + channel.max / 2) / channel.max);
}

// The nearest value the channel can hold: round(c * max / 255).
std::uint32_t NarrowChannel(std::uint32_t component, const Channel& channel) {
    if (channel.max == 0)
        return 0;
    const std::uint64_t v = (std::uint64_t{component} * channel.max + 127) / 255;
    return static_cast<std::uint32_t>(v << channel.shift) & channel.mask;
}

BitMasks EffectiveMasks(const BitmapLayout& layout) {
    if (layout.masks != BitMasks{})
        return layout.masks;
    return layout.format == TPixelFormat::Direct16 ? kMasks555 : kMasks888;
}

// The byte that repeats a sub-byte pixel value across a whole byte.
std::uint8_t ReplicatedByte(int bitsPerPixel, std::uint32_t value) {
    if (bitsPerPixel == 1)
        return (value & 1u) != 0 ? 0xFF : 0x00;
    return static_cast<std::uint8_t>((value & 0xFu) * 0x11u);
}

std::uint64_t NextGenerationBase() {
    // Each bitmap counts in its own range, so a painter that caches by (bitmap, generation)
    // cannot mistake a new bitmap at a reused address for the one it painted.
    static std::uint64_t counter = 0;
    return ++counter << 32;
}

}  // namespace

namespace detail {

void FillSpan(std::uint8_t* row, int bitsPerPixel, int x0, int x1, std::uint32_t value) {
    if (x1 <= x0)
        return;
    switch (bitsPerPixel) {
        case 32: {
            auto* words = reinterpret_cast<std::uint32_t*>(row);
            std::fill(words + x0, words + x1, value);
            return;
        }
        case 8:
            std::memset(row + x0, static_cast<int>(value & 0xFF),
                        static_cast<std::size_t>(x1 - x0));
            return;
        case 16:
        case 24:
            for (int x = x0; x < x1; ++x)
                WritePixel(row, bitsPerPixel, x, value);
            return;
        default:
            break;
    }
    // 1 and 4 bits: partial bytes pixel by pixel, whole bytes at once.
    const int perByte = 8 / bitsPerPixel;
    int x = x0;
    for (; x < x1 && x % perByte != 0; ++x)
        WritePixel(row, bitsPerPixel, x, value);
    const int wholeEnd = x + (x1 - x) / perByte * perByte;
    if (wholeEnd > x) {
        std::memset(row + x / perByte, ReplicatedByte(bitsPerPixel, value),
                    static_cast<std::size_t>((wholeEnd - x) / perByte));
        x = wholeEnd;
    }
    for (; x < x1; ++x)
        WritePixel(row, bitsPerPixel, x, value);
}

std::uint32_t PixelBitsMask(const TBitmap& bitmap) {
    if (bitmap.PixelFormat() == TPixelFormat::Display)
        return 0x00FFFFFF;
    const int bits = BitsPerPixel(bitmap.PixelFormat());
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

}  // namespace detail

TBitmap::TBitmap() : m_generation(NextGenerationBase()) {}

TBitmap::TBitmap(const TBitmap& other)
    : TGraphic(),
      m_width(other.m_width),
      m_height(other.m_height),
      m_layout(other.m_layout),
      m_stride(other.m_stride),
      m_topDown(other.m_topDown),
      m_store(other.m_store),
      m_generation(NextGenerationBase()) {}

TBitmap::~TBitmap() = default;

std::unique_ptr<TBitmap> TBitmap::CreateWithLayout(int width, int height,
                                                   const BitmapLayout& layout, bool topDown) {
    if (width < 0 || height < 0)
        throw EInvalidGraphic(msg::kInvalidBitmap);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->m_layout = layout;
    if (layout.format == TPixelFormat::Direct16 || layout.format == TPixelFormat::Direct32) {
        bitmap->m_layout.masks = EffectiveMasks(layout);
    }
    const int bits = BitsPerPixel(layout.format);
    bitmap->m_width = width;
    bitmap->m_height = height;
    bitmap->m_topDown = topDown;
    bitmap->m_stride = RowStride(width, bits);
    if (width > 0 && height > 0) {
        const std::size_t size = CheckedStoreSize(width, height, bits);
        bitmap->m_store = AllocateStore(size, Fill::Zero);
    }
    return bitmap;
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
    return std::make_unique<TBitmap>(*this);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    detail::BlitRequest request;
    request.destRect = rect;
    request.sourceRect = Rect(0, 0, m_width, m_height);
    request.sourceBackground = m_canvas ? m_canvas->BackgroundColor() : clWhite;
    request.rop = canvas.CopyMode();
    request.pattern = ColorToRGB(canvas.Brush().Color());
    if (detail::Blit(canvas.Bitmap(), *this, request))
        canvas.Bitmap().Modified();
}

void TBitmap::SetWidth(int width) {
    SetSize(width, m_height);
}
void TBitmap::SetHeight(int height) {
    SetSize(m_width, height);
}
void TBitmap::SetSize(int width, int height) {
    Resize(width, height);
}

void TBitmap::SetSizeForOverwrite(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const int bits = BitsPerPixel(m_layout.format);
    std::shared_ptr<PixelStore> store;
    if (width > 0 && height > 0) {
        const std::size_t size = CheckedStoreSize(width, height, bits);
        store = AllocateStore(size);
        // Row padding is never drawn; keep it defined for writers that copy whole rows.
        const std::size_t stride = RowStride(width, bits);
        const std::size_t usedBytes = UsedRowBytes(width, bits);
        if (usedBytes < stride) {
            for (std::size_t row = 0; row < size; row += stride)
                std::memset(store->Bytes() + row + usedBytes, 0, stride - usedBytes);
        }
    }
    m_store = std::move(store);
    m_width = width;
    m_height = height;
    m_stride = RowStride(width, bits);
    m_topDown = true;
    Modified();
}

void TBitmap::Resize(int width, int height) {
    // A negative size is a caller's slip; the nearest sensible image is an empty one.
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    const int bits = BitsPerPixel(m_layout.format);
    if (width == 0 || height == 0) {
        m_store.reset();
        m_width = width;
        m_height = height;
        m_stride = RowStride(width, bits);
        m_topDown = true;
        Modified();
        return;
    }
    const std::size_t size = CheckedStoreSize(width, height, bits);
    std::shared_ptr<PixelStore> store = AllocateStore(size);
    const std::size_t stride = RowStride(width, bits);
    const std::uint32_t fill =
        PixelValueOf(m_canvas ? ColorToRGB(m_canvas->Brush().Color()) : clWhite);
    const int keepWidth = m_store ? std::min(width, m_width) : 0;
    const int keepHeight = m_store ? std::min(height, m_height) : 0;
    const std::size_t usedBytes = UsedRowBytes(width, bits);

    std::uint8_t* row = store->Bytes();
    for (int y = 0; y < height; ++y, row += stride) {
        const std::uint8_t* old = y < keepHeight ? ScanLine(y) : nullptr;
        if (bits >= 8) {
            int from = 0;
            if (old != nullptr) {
                std::memcpy(row, old, UsedRowBytes(keepWidth, bits));
                from = keepWidth;
            }
            detail::FillSpan(row, bits, from, width, fill);
        } else {
            std::memset(row, ReplicatedByte(bits, fill), usedBytes);
            for (int x = 0; old != nullptr && x < keepWidth; ++x) {
                detail::WritePixel(row, bits, x, detail::ReadPixel(old, bits, x));
            }
        }
        std::memset(row + usedBytes, 0, stride - usedBytes);
    }
    m_store = std::move(store);
    m_width = width;
    m_height = height;
    m_stride = stride;
    m_topDown = true;
    Modified();
}

void TBitmap::SetMonochrome(bool monochrome) {
    const int oldBits = BitsPerPixel(m_layout.format);
    if (monochrome) {
        // Any 1-bit image already is what this asks for, an indexed one with its own table
        // included; converting it would change its colours.
        if (oldBits == 1)
            return;
        BitmapLayout layout;
        layout.format = TPixelFormat::Monochrome;
        layout.colorTable = {clBlack, clWhite};
        const TColor background = m_canvas ? m_canvas->BackgroundColor() : clWhite;
        std::shared_ptr<PixelStore> store;
        if (m_store) {
            // The copy into monochrome applies the same rule; reuse its fast row packing.
            std::unique_ptr<TBitmap> converted = CreateWithLayout(m_width, m_height, layout, true);
            detail::BlitRequest request;
            request.destRect = Rect(0, 0, m_width, m_height);
            request.sourceRect = request.destRect;
            request.sourceBackground = background;
            detail::Blit(*converted, *this, request);
            store = std::move(converted->m_store);
        }
        const std::size_t stride = RowStride(m_width, 1);
        m_layout = std::move(layout);
        m_store = std::move(store);
        m_stride = stride;
        m_topDown = true;
        Modified();
        return;
    }
    if (m_layout.format != TPixelFormat::Monochrome)
        return;
    std::shared_ptr<PixelStore> store;
    const std::size_t stride = RowStride(m_width, 32);
    if (m_store) {
        store = AllocateStore(CheckedStoreSize(m_width, m_height, 32));
        std::uint8_t* bytes = store->Bytes();
        for (int y = 0; y < m_height; ++y, bytes += stride) {
            const std::uint8_t* old = ScanLine(y);
            auto* row = reinterpret_cast<std::uint32_t*>(bytes);
            for (int x = 0; x < m_width; ++x) {
                row[x] = detail::ReadPixel(old, 1, x) != 0 ? 0x00FFFFFFu : 0u;
            }
        }
    }
    m_layout = BitmapLayout{};
    m_store = std::move(store);
    m_stride = stride;
    m_topDown = true;
    Modified();
}

TCanvas& TBitmap::Canvas() {
    if (!m_canvas)
        m_canvas = std::make_unique<TCanvas>(*this);
    return *m_canvas;
}

TColor TBitmap::GetPixel(int x, int y) const {
    if (!m_store)
        return clWhite;
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return clNone;
    return ColorOfPixelValue(PixelValue(x, y));
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (!m_store || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    SetPixelValue(x, y, PixelValueOf(ColorToRGB(color)));
    Modified();
}

TColor TBitmap::NearestColor(TColor color) const {
    return ColorOfPixelValue(PixelValueOf(ColorToRGB(color)));
}

std::uint32_t TBitmap::PixelValueOf(TColor color) const {
    color = ColorToRGB(color);
    const std::uint32_t red = RedOf(color);
    const std::uint32_t green = GreenOf(color);
    const std::uint32_t blue = BlueOf(color);
    switch (m_layout.format) {
        case TPixelFormat::Display:
            return DisplayPixelOf(color);
        case TPixelFormat::Direct24:
            return detail::SwapRedBlue(color);
        case TPixelFormat::Monochrome:
            // Nearest of black and white by luminance; the midpoint goes to white.
            return red * 299 + green * 587 + blue * 114 >= 127500 ? 1u : 0u;
        case TPixelFormat::Indexed1:
        case TPixelFormat::Indexed4:
        case TPixelFormat::Indexed8: {
            // Nearest table colour by squared distance in RGB; on a tie the lowest index wins,
            // so a table with duplicates always gives the first of them.
            const std::size_t count =
                std::min(m_layout.colorTable.size(), MaxTableSize(m_layout.format));
            std::uint32_t best = 0;
            std::uint32_t bestDistance = std::numeric_limits<std::uint32_t>::max();
            for (std::size_t i = 0; i < count; ++i) {
                const TColor entry = m_layout.colorTable[i];
                const int dr = static_cast<int>(RedOf(entry)) - static_cast<int>(red);
                const int dg = static_cast<int>(GreenOf(entry)) - static_cast<int>(green);
                const int db = static_cast<int>(BlueOf(entry)) - static_cast<int>(blue);
                const auto distance = static_cast<std::uint32_t>(dr * dr + dg * dg + db * db);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = static_cast<std::uint32_t>(i);
                    if (distance == 0)
                        break;
                }
            }
            return best;
        }
        case TPixelFormat::Direct16:
        case TPixelFormat::Direct32: {
            const BitMasks masks = EffectiveMasks(m_layout);
            return NarrowChannel(red, ChannelOf(masks.red)) |
                   NarrowChannel(green, ChannelOf(masks.green)) |
                   NarrowChannel(blue, ChannelOf(masks.blue));
        }
    }
    return 0;
}

TColor TBitmap::ColorOfPixelValue(std::uint32_t value) const {
    switch (m_layout.format) {
        case TPixelFormat::Display:
            return ColorOfDisplayPixel(value);
        case TPixelFormat::Direct24:
            return detail::SwapRedBlue(value) & 0xFFFFFF;
        case TPixelFormat::Monochrome:
            return (value & 1u) != 0 ? clWhite : clBlack;
        case TPixelFormat::Indexed1:
        case TPixelFormat::Indexed4:
        case TPixelFormat::Indexed8:
            // An index past the table (a file with a short table) shows black.
            return value < m_layout.colorTable.size() ? ColorToRGB(m_layout.colorTable[value])
                                                      : clBlack;
        case TPixelFormat::Direct16:
        case TPixelFormat::Direct32: {
            const BitMasks masks = EffectiveMasks(m_layout);
            return RGB(WidenChannel(value, ChannelOf(masks.red)),
                       WidenChannel(value, ChannelOf(masks.green)),
                       WidenChannel(value, ChannelOf(masks.blue)));
        }
    }
    return clBlack;
}

std::uint32_t TBitmap::PixelValue(int x, int y) const {
    assert(m_store && x >= 0 && y >= 0 && x < m_width && y < m_height);
    return detail::ReadPixel(ScanLine(y), BitsPerPixel(m_layout.format), x);
}

void TBitmap::SetPixelValue(int x, int y, std::uint32_t value) {
    assert(m_store && x >= 0 && y >= 0 && x < m_width && y < m_height);
    detail::WritePixel(MutableScanLine(y), BitsPerPixel(m_layout.format), x, value);
}

std::size_t TBitmap::StoreSize() const {
    return m_store ? m_store->size : 0;
}

const std::uint8_t* TBitmap::Bits() const {
    return m_store ? m_store->Bytes() : nullptr;
}

std::uint8_t* TBitmap::MutableBits() {
    if (!m_store)
        return nullptr;
    Detach();
    ++m_generation;
    return m_store->Bytes();
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
    if (!m_store || y < 0 || y >= m_height)
        return nullptr;
    return m_store->Bytes() + StoredRowOffset(y);
}

std::uint8_t* TBitmap::MutableScanLine(int y) {
    if (!m_store || y < 0 || y >= m_height)
        return nullptr;
    Detach();
    ++m_generation;
    return m_store->Bytes() + StoredRowOffset(y);
}

std::size_t TBitmap::StoredRowOffset(int y) const {
    const auto stored = static_cast<std::size_t>(m_topDown ? y : m_height - 1 - y);
    return stored * m_stride;
}

void TBitmap::Detach() {
    if (!m_store || m_store.use_count() == 1)
        return;
    std::shared_ptr<PixelStore> own = AllocateStore(m_store->size);
    std::memcpy(own->Bytes(), m_store->Bytes(), m_store->size);
    m_store = std::move(own);
}

}  // namespace brodix
