#include "ExifOrientation.h"

#include <cstring>

namespace brodix {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

// Reads the TIFF structure inside the segment; every read is checked against its end.
class TiffReader {
  public:
    explicit TiffReader(std::span<const std::uint8_t> tiff) : m_tiff(tiff) {}
    bool SetByteOrder() {
        if (m_tiff.size() < 8)
            return false;
        if (m_tiff[0] == 'I' && m_tiff[1] == 'I')
            m_bigEndian = false;
        else if (m_tiff[0] == 'M' && m_tiff[1] == 'M')
            m_bigEndian = true;
        else
            return false;
        return Read16(2) == 42;
    }
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= m_tiff.size() && count <= m_tiff.size() - offset;
    }
    std::uint32_t Read16(std::size_t offset) const {
        if (!Has(offset, 2))
            return 0;
        const std::uint32_t a = m_tiff[offset];
        const std::uint32_t b = m_tiff[offset + 1];
        return m_bigEndian ? (a << 8 | b) : (b << 8 | a);
    }
    std::uint32_t Read32(std::size_t offset) const {
        const std::uint32_t a = Read16(offset);
        const std::uint32_t b = Read16(offset + 2);
        return m_bigEndian ? (a << 16 | b) : (b << 16 | a);
    }

  private:
    std::span<const std::uint8_t> m_tiff;
    bool m_bigEndian = false;
};

}  // namespace

int ExifOrientation(std::span<const std::uint8_t> app1) {
    static constexpr char kSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (app1.size() < sizeof kSignature || std::memcmp(app1.data(), kSignature, 6) != 0)
        return 1;
    TiffReader tiff(app1.subspan(sizeof kSignature));
    if (!tiff.SetByteOrder())
        return 1;
    const std::size_t directory = tiff.Read32(4);
    if (!tiff.Has(directory, 2))
        return 1;
    const std::uint32_t entries = tiff.Read16(directory);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + std::size_t{i} * 12;
        if (!tiff.Has(entry, 12))
            return 1;
        if (tiff.Read16(entry) != kOrientationTag)
            continue;
        if (tiff.Read16(entry + 2) != kShortType)
            return 1;
        const std::uint32_t value = tiff.Read16(entry + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

RgbImage Oriented(const RgbImage& image, int orientation) {
    if (orientation <= 1 || orientation > 8)
        return image;
    const int w = image.width;
    const int h = image.height;
    RgbImage out;
    out.width = SwapsAxes(orientation) ? h : w;
    out.height = SwapsAxes(orientation) ? w : h;
    out.rgb.resize(image.rgb.size());
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            // The stored pixel that lands at (x, y) when the picture is turned upright.
            int sx = x;
            int sy = y;
            switch (orientation) {
                case 2:
                    sx = w - 1 - x;
                    break;
                case 3:
                    sx = w - 1 - x;
                    sy = h - 1 - y;
                    break;
                case 4:
                    sy = h - 1 - y;
                    break;
                case 5:
                    sx = y;
                    sy = x;
                    break;
                case 6:
                    sx = y;
                    sy = h - 1 - x;
                    break;
                case 7:
                    sx = w - 1 - y;
                    sy = h - 1 - x;
                    break;
                case 8:
                    sx = w - 1 - y;
                    sy = x;
                    break;
                default:
                    break;
            }
            std::memcpy(out.At(x, y), image.At(sx, sy), 3);
        }
    }
    return out;
}

}  // namespace brodix
