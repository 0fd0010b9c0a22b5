#include "raster/TMetafile.h"

#include <algorithm>
#include <climits>

#include "LittleEndian.h"
#include "ReadWhole.h"
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

[[noreturn]] void InvalidMetafile() {
    throw EInvalidGraphic(msg::kInvalidMetafile);
}

// length units of which perInch make an inch, in screen pixels, rounded to the nearest.
int ToPixels(std::int64_t length, std::int64_t perInch) {
    const std::int64_t scaled = length * Screen::PixelsPerInch();
    const std::int64_t rounded = (scaled + perInch / 2) / perInch;
    return static_cast<int>(std::clamp<std::int64_t>(rounded, 0, INT_MAX));
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
    const std::uint8_t* d = data.data();
    bool enhanced = false;
    int width = 0;
    int height = 0;
    if (data.size() > kEnhancedMinimum && GetLe32(d) == kEnhancedHeaderRecord &&
        GetLe32(d + 40) == kEnhancedSignature) {
        const std::uint32_t length = GetLe32(d + 48);
        if (length < kEnhancedHeaderSize)
            InvalidMetafile();
        if (length > data.size())
            throw EReadError(msg::kReadError);
        enhanced = true;
        // The frame is in hundredths of a millimetre.
        width =
            ToPixels(std::int64_t{GetLeInt32(d + 32)} - GetLeInt32(d + 24), kHundredthsOfMmPerInch);
        height =
            ToPixels(std::int64_t{GetLeInt32(d + 36)} - GetLeInt32(d + 28), kHundredthsOfMmPerInch);
        data.resize(length);
    } else if (data.size() >= kPlaceableHeaderSize && GetLe32(d) == kPlaceableKey) {
        std::uint16_t checksum = 0;
        for (std::size_t i = 0; i < 20; i += 2)
            checksum ^= GetLe16(d + i);
        if (checksum != GetLe16(d + 20))
            InvalidMetafile();
        // The records must at least begin with a metafile header: memory or disk type, nine
        // words long.
        if (data.size() < kPlaceableHeaderSize + kMetaHeaderSize)
            InvalidMetafile();
        const std::uint8_t* records = d + kPlaceableHeaderSize;
        const std::uint16_t type = GetLe16(records);
        if ((type != 1 && type != 2) || GetLe16(records + 2) != 9)
            InvalidMetafile();
        // Units per inch: a zero would divide by zero.
        const std::uint16_t perInch = GetLe16(d + 14);
        if (perInch == 0)
            InvalidMetafile();
        width = ToPixels(std::int64_t{GetLeInt16(d + 10)} - GetLeInt16(d + 6), perInch);
        height = ToPixels(std::int64_t{GetLeInt16(d + 12)} - GetLeInt16(d + 8), perInch);
    } else {
        InvalidMetafile();
    }
    m_data = std::make_shared<const std::vector<std::uint8_t>>(std::move(data));
    m_enhanced = enhanced;
    m_width = width;
    m_height = height;
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
    const int left = std::max(rect.Left, 0);
    const int top = std::max(rect.Top, 0);
    const int right = std::min(rect.Right, target.Width());
    const int bottom = std::min(rect.Bottom, target.Height());
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
