#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "raster/TGraphic.h"

namespace brodix {

class TBitmap;

// An icon file (one or more images, BMP- or PNG-coded). Loading checks the file's directory;
// the image nearest the standard icon size is decoded when the icon is first drawn.
class TIcon final : public TGraphic {
  public:
    // The size an icon reports before it is decoded.
    static constexpr int kStandardSize = 32;

    TIcon();
    ~TIcon() override;

    const char* ClassName() const override { return "TIcon"; }
    int Width() const override;
    int Height() const override;
    bool Empty() const override { return m_data == nullptr; }
    std::unique_ptr<TGraphic> Clone() const override;
    // Draws the opaque pixels only. A damaged image raises EInvalidGraphic on the first
    // drawing and draws nothing afterwards.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // Raises EReadError when the first 6 bytes are missing and EInvalidGraphic
    // ("アイコンイメージが不正です") for a type word other than 0 or 1 or a directory
    // entry that lies outside the file.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    // Decodes the chosen image unless that was tried before.
    void ImageNeeded();
    // The decoded image in display format, nullptr before decoding; Opaque(x, y) says which
    // of its pixels the icon covers.
    const TBitmap* DecodedBitmap() const { return m_bitmap.get(); }
    bool Opaque(int x, int y) const;

  private:
    std::shared_ptr<const std::vector<std::uint8_t>> m_data;
    std::size_t m_count = 0;  // entries in the directory
    bool m_decodeTried = false;
    std::unique_ptr<TBitmap> m_bitmap;
    std::vector<std::uint8_t> m_opaque;  // one byte a pixel, rows top down
};

}  // namespace brodix
