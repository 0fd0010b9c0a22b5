#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "raster/TGraphic.h"

namespace brodix {

class TBitmap;

// A JPEG picture: the file's bytes and what its header says. The pixels are decoded only when
// the picture is first drawn, and the decoded bitmap is kept for every later drawing.
class TJPEGImage final : public TGraphic {
  public:
    TJPEGImage();
    ~TJPEGImage() override;

    const char* ClassName() const override { return "TJPEGImage"; }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    std::unique_ptr<TGraphic> Clone() const override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // An empty stream gives an empty picture; a header the decoder refuses raises EJPEG
    // ("JPEG エラー #%d" with the decoder's message number).
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    bool Grayscale() const { return m_grayscale; }
    bool ProgressiveEncoding() const { return m_progressive; }

    // Decodes the picture unless that was tried before. A decoder error raises EJPEG once;
    // the bitmap then keeps the rows decoded before it (none when the header failed).
    void DIBNeeded();
    // The decoded bitmap, or nullptr before decoding or when nothing could be decoded:
    // 24 bits per pixel, or 8 bits with a grey palette of at most 236 entries for grayscale.
    const TBitmap* DecodedBitmap() const { return m_bitmap.get(); }

  private:
    std::shared_ptr<const std::vector<std::uint8_t>> m_data;
    int m_width = 0;
    int m_height = 0;
    bool m_grayscale = false;
    bool m_progressive = false;
    bool m_decodeTried = false;
    std::unique_ptr<TBitmap> m_bitmap;
};

}  // namespace brodix
