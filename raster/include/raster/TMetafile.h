#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "raster/TGraphic.h"

namespace brodix {

// A Windows metafile, enhanced or placeable. Its records are kept, not played: drawing shows
// the picture's frame only. Width and height come from the header's frame, in pixels at the
// screen's pixels per inch.
class TMetafile final : public TGraphic {
  public:
    TMetafile();
    ~TMetafile() override;

    const char* ClassName() const override { return "TMetafile"; }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    bool Empty() const override { return m_data == nullptr; }
    std::unique_ptr<TGraphic> Clone() const override;
    // Draws a one-pixel black frame along the edge of rect.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // Decides the form by content. Raises EInvalidGraphic ("メタファイルが不正です") for
    // neither form, and EReadError for an enhanced metafile shorter than its header says.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    bool Enhanced() const { return m_enhanced; }

  private:
    std::shared_ptr<const std::vector<std::uint8_t>> m_data;
    bool m_enhanced = false;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace brodix
