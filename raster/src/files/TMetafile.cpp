#include "raster/TMetafile.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <span>

#include "BoundedReader.h"
#include "ReadWhole.h"
#include "drawing/PixelOps.h"
#include "raster/Exceptions.h"
#include "raster/Screen.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace brodix {

namespace {

constexpr std::uint32_t kEnhancedHeaderRecord = 1;
constexpr std::uint32_t kEnhancedSignature = 0x464D4520;  // " EMF"
constexpr std::size_t kEnhancedMinimum = 100;             // the file must be longer than this
constexpr std::uint32_t kEnhancedHeaderSize = 88;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeaderSize = 22;
constexpr std::size_t kMetaHeaderSize = 18;  // the Windows metafile header after it
constexpr int kHundredthsOfMmPerInch = 2540;

[[noreturn]] void InvalidMetafile(const char* reason) {
    throw EInvalidGraphic(msg::kInvalidMetafile, reason);
}

// length units of which perInch make an inch, in screen pixels, rounded to the nearest.
int ToPixels(std::int64_t length, std::int64_t perInch) {
    const std::int64_t scaled = length * Screen::PixelsPerInch();
    const std::int64_t rounded = (scaled + perInch / 2) / perInch;
    return static_cast<int>(std::clamp<std::int64_t>(rounded, 0, INT_MAX));
}

// What the header says: the picture frame in pixels and how many of the bytes belong to it.
struct Frame {
    int width = 0;
    int height = 0;
    std::size_t length = 0;
};

// The frame of an enhanced metafile, or nothing when the bytes are not one.
std::optional<Frame> EnhancedFrame(std::span<const std::uint8_t> data) {
    if (data.size() <= kEnhancedMinimum)
        return std::nullopt;
    ByteView view(data);
    BoundedReader input(view, data.size());
    constexpr const char* kCut = "enhanced header cut short";
    const std::uint32_t type = input.Le32(kCut);
    input.Skip(20, kCut);  // record size and bounds
    // The frame is in hundredths of a millimetre.
    const std::int64_t left = input.LeInt32(kCut);
    const std::int64_t top = input.LeInt32(kCut);
    const std::int64_t right = input.LeInt32(kCut);
    const std::int64_t bottom = input.LeInt32(kCut);
    const std::uint32_t signature = input.Le32(kCut);
    if (type != kEnhancedHeaderRecord || signature != kEnhancedSignature)
        return std::nullopt;
    input.Skip(4, kCut);  // version
    const std::uint32_t length = input.Le32(kCut);
    if (length < kEnhancedHeaderSize)
        InvalidMetafile("enhanced length shorter than its header");
    if (length > data.size())
        throw EReadError(msg::kReadError, "enhanced records beyond the file");
    return Frame{ToPixels(right - left, kHundredthsOfMmPerInch),
                 ToPixels(bottom - top, kHundredthsOfMmPerInch), length};
}

// The frame of a placeable Windows metafile, or nothing when the bytes do not begin with its
// key.
std::optional<Frame> PlaceableFrame(std::span<const std::uint8_t> data) {
    if (data.size() < kPlaceableHeaderSize)
        return std::nullopt;
    ByteView view(data);
    BoundedReader input(view, data.size());
    std::uint16_t words[kPlaceableHeaderSize / 2];
    for (std::uint16_t& word : words)
        word = input.Le16("placeable header cut short");
    if ((words[0] | (std::uint32_t{words[1]} << 16)) != kPlaceableKey)
        return std::nullopt;
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 10; ++i)
        checksum ^= words[i];
    if (checksum != words[10])
        InvalidMetafile("placeable checksum wrong");
    // The records must at least begin with a metafile header: memory or disk type, nine
    // words long.
    if (input.Left() < kMetaHeaderSize)
        InvalidMetafile("no metafile header");
    const std::uint16_t type = input.Le16("no metafile header");
    const std::uint16_t headerWords = input.Le16("no metafile header");
    if ((type != 1 && type != 2) || headerWords != 9)
        InvalidMetafile("metafile header neither memory nor disk");
    // Units per inch: a zero would divide by zero.
    const std::uint16_t perInch = words[7];
    if (perInch == 0)
        InvalidMetafile("zero units per inch");
    const auto signedWord = [&words](int i) {
        return std::int64_t{static_cast<std::int16_t>(words[i])};
    };
    return Frame{ToPixels(signedWord(5) - signedWord(3), perInch),
                 ToPixels(signedWord(6) - signedWord(4), perInch), data.size()};
}

}  // namespace

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

std::unique_ptr<TGraphic> TMetafile::Clone() const {
    auto copy = std::make_unique<TMetafile>();
    copy->m_data = m_data;
    copy->m_enhanced = m_enhanced;
    copy->m_width = m_width;
    copy->m_height = m_height;
    return copy;
}

void TMetafile::LoadFromStream(TStream& stream) {
    std::vector<std::uint8_t> data = ReadWholeStream(stream);
    std::optional<Frame> frame = EnhancedFrame(data);
    const bool enhanced = frame.has_value();
    if (!enhanced)
        frame = PlaceableFrame(data);
    if (!frame)
        InvalidMetafile("neither enhanced nor placeable");
    data.resize(frame->length);
    m_data = std::make_shared<const std::vector<std::uint8_t>>(std::move(data));
    m_enhanced = enhanced;
    m_width = frame->width;
    m_height = frame->height;
    Changed();
}

void TMetafile::SaveToStream(TStream& stream) const {
    if (m_data)
        stream.Write(m_data->data(), m_data->size());
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
    if (!m_data || rect.IsEmpty())
        return;
    const TBitmap& target = canvas.Bitmap();
    const auto [left, top, right, bottom] = detail::ClipToBitmap(rect, target);
    for (int x = left; x < right; ++x) {
        if (rect.Top >= 0 && rect.Top < bottom)
            canvas.SetPixel(x, rect.Top, clBlack);
        if (rect.Bottom - 1 >= top && rect.Bottom - 1 < target.Height()) {
            canvas.SetPixel(x, rect.Bottom - 1, clBlack);
        }
    }
    for (int y = top; y < bottom; ++y) {
        if (rect.Left >= 0 && rect.Left < right)
            canvas.SetPixel(rect.Left, y, clBlack);
        if (rect.Right - 1 >= left && rect.Right - 1 < target.Width()) {
            canvas.SetPixel(rect.Right - 1, y, clBlack);
        }
    }
}

}  // namespace brodix
