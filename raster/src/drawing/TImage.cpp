#include "raster/TImage.h"

#include <algorithm>

#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"

namespace brodix {

TImage::TImage(int width, int height) : m_width(std::max(width, 0)), m_height(std::max(height, 0)) {
    m_picture.OnChange = [this]() { PictureChanged(); };
}

void TImage::SetWidth(int width) {
    width = std::max(width, 0);
    if (width == m_width)
        return;
    m_width = width;
    Changed();
}

void TImage::SetHeight(int height) {
    height = std::max(height, 0);
    if (height == m_height)
        return;
    m_height = height;
    Changed();
}

void TImage::SetStretch(bool stretch) {
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    Changed();
}

void TImage::SetAutoSize(bool autoSize) {
    if (autoSize == m_autoSize)
        return;
    m_autoSize = autoSize;
    // Turning it on fits the control to the picture it already shows.
    PictureChanged();
}

void TImage::SetCenter(bool center) {
    if (center == m_center)
        return;
    m_center = center;
    Changed();
}

void TImage::SetTransparent(bool transparent) {
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    Changed();
}

TCanvas& TImage::Canvas() {
    if (!m_picture.HasGraphic()) {
        TBitmap blank;
        blank.SetSize(m_width, m_height);
        m_picture.SetGraphic(&blank);
    }
    auto* bitmap = dynamic_cast<TBitmap*>(m_picture.Graphic());
    if (bitmap == nullptr)
        throw EInvalidOperation(msg::kNoCanvasBitmap);
    return bitmap->Canvas();
}

void TImage::PictureChanged() {
    if (m_autoSize) {
        const int width = m_picture.Width();
        const int height = m_picture.Height();
        if (width > 0 && height > 0) {
            m_width = width;
            m_height = height;
        }
    }
    Changed();
}

void TImage::Changed() {
    if (OnChange)
        OnChange();
}

}  // namespace brodix
