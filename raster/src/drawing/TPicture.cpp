#include "raster/TPicture.h"

#include "raster/TBitmap.h"

namespace brodix {

void TPicture::SetGraphic(const TGraphic* graphic) {
    // The copy is made before the old graphic goes, so a picture can be given its own graphic.
    std::unique_ptr<TGraphic> copy = graphic != nullptr ? graphic->Clone() : nullptr;
    Adopt(std::move(copy));
}

void TPicture::Adopt(std::unique_ptr<TGraphic> graphic) {
    if (graphic)
        graphic->OnChange = [this]() { Changed(); };
    m_graphic = std::move(graphic);
    Changed();
}

TBitmap& TPicture::Bitmap() {
    if (auto* bitmap = dynamic_cast<TBitmap*>(m_graphic.get()))
        return *bitmap;
    auto bitmap = std::make_unique<TBitmap>();
    TBitmap& result = *bitmap;
    Adopt(std::move(bitmap));
    return result;
}

int TPicture::Width() const {
    return m_graphic ? m_graphic->Width() : 0;
}

int TPicture::Height() const {
    return m_graphic ? m_graphic->Height() : 0;
}

void TPicture::Changed() {
    if (OnChange)
        OnChange();
}

}  // namespace brodix
