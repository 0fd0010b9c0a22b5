#pragma once

#include <memory>
#include <string>

#include "raster/Color.h"
#include "raster/TCanvas.h"
#include "raster/TGraphic.h"

namespace brodix::testing {

// A graphic of another kind than a bitmap, as a loaded JPEG, icon or metafile is: of the given
// class name and size, drawing its pixels Color(x, y) as whole blocks scaled to the rectangle.
// Nothing reads or writes it as a file.
class FakeGraphic final : public TGraphic {
  public:
    FakeGraphic(std::string className, int width, int height)
        : m_className(std::move(className)), m_width(width), m_height(height) {}

    const char* ClassName() const override { return m_className.c_str(); }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    std::unique_ptr<TGraphic> Clone() const override {
        return std::make_unique<FakeGraphic>(m_className, m_width, m_height);
    }
    void Draw(TCanvas& canvas, const TRect& rect) override {
        const int kx = rect.Width() / m_width;
        const int ky = rect.Height() / m_height;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                canvas.Brush().SetColor(Color(x, y));
                canvas.FillRect(Rect(rect.Left + kx * x, rect.Top + ky * y,
                                     rect.Left + kx * (x + 1), rect.Top + ky * (y + 1)));
            }
        }
    }
    void LoadFromStream(TStream& /*stream*/) override {}
    void SaveToStream(TStream& /*stream*/) const override {}

    static TColor Color(int x, int y) { return RGB(40 * x, 90 * y, 200); }

  private:
    std::string m_className;
    int m_width;
    int m_height;
};

}  // namespace brodix::testing
