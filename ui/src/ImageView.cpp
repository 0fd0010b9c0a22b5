#include "ui/ImageView.h"

#include <QPaintEvent>
#include <QPainter>
#include <cstring>
#include <vector>

#include "raster/DisplayPixels.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TImage.h"
#include "ui/Guard.h"

namespace brodix {

namespace {

std::function<void(const std::string&)>& DrawFailureHandler() {
    static std::function<void(const std::string&)> handler;
    return handler;
}

// A display value is what Format_RGB32 holds, but for the alpha byte that Qt wants full.
static_assert(qRgb(0x12, 0x34, 0x56) == (0xFF000000u | DisplayPixelOf(RGB(0x12, 0x34, 0x56))));

QRgb ToQRgb(TColor color) {
    return 0xFF000000u | DisplayPixelOf(color);
}

// Nearest-neighbour scaling of the part of a srcW x srcH picture that falls into area of a
// dstW x dstH stretch: destination pixel d takes source pixel d * src / dst, so a whole-number
// factor k gives solid k x k blocks and no colour is ever blended.
QImage StretchedPart(const QImage& picture, int dstW, int dstH, const QRect& area) {
    QImage out(area.size(), QImage::Format_RGB32);
    const std::int64_t srcW = picture.width();
    const std::int64_t srcH = picture.height();
    std::vector<int> columns(static_cast<std::size_t>(area.width()));
    std::int64_t dx = area.left();
    for (int& column : columns)
        column = static_cast<int>(dx++ * srcW / dstW);
    for (int j = 0; j < area.height(); ++j) {
        const int sy = static_cast<int>((area.top() + j) * srcH / dstH);
        const auto* src = reinterpret_cast<const QRgb*>(picture.constScanLine(sy));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(j));
        for (const int column : columns)
            *dst++ = src[column];
    }
    return out;
}

}  // namespace

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    // Opaque pictures paint every pixel they cover; what they leave shows the parent.
    setAttribute(Qt::WA_NoSystemBackground, false);
}

ImageView::~ImageView() {
    if (m_image)
        m_image->OnChange = nullptr;
}

void ImageView::SetDrawFailureHandler(std::function<void(const std::string&)> handler) {
    DrawFailureHandler() = std::move(handler);
}

void ImageView::SetImage(TImage* image) {
    if (m_image)
        m_image->OnChange = nullptr;
    m_image = image;
    if (m_image)
        m_image->OnChange = [this] { ImageChanged(); };
    ImageChanged();
}

void ImageView::ImageChanged() {
    m_convertedValid = false;
    m_drawnFrom = nullptr;
    if (m_image && size() != QSize(m_image->Width(), m_image->Height()))
        resize(m_image->Width(), m_image->Height());
    // Make reports every pixel and every cell it writes; one repaint request covers them all.
    if (!m_repaintPending) {
        m_repaintPending = true;
        update();
    }
}

const QImage* ImageView::PictureImage() {
    if (!m_image)
        return nullptr;
    TGraphic* graphic = m_image->Picture().Graphic();
    if (!graphic || graphic->Empty())
        return nullptr;
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic))
        return BitmapImage(*bitmap);
    return DrawnImage(*graphic);
}

const QImage* ImageView::BitmapImage(const TBitmap& bitmap) {
    if (IsTopDownDisplay(bitmap)) {
        // The store's bytes (blue, green, red, unused) are what Format_RGB32 expects.
        m_view = QImage(bitmap.Bits(), bitmap.Width(), bitmap.Height(),
                        static_cast<qsizetype>(bitmap.Stride()), QImage::Format_RGB32);
        return &m_view;
    }
    if (!m_convertedValid || m_convertedFrom != &bitmap ||
        m_convertedGeneration != bitmap.Generation() || m_converted.width() != bitmap.Width() ||
        m_converted.height() != bitmap.Height()) {
        m_converted = QImage(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
        for (int y = 0; y < bitmap.Height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(m_converted.scanLine(y));
            if (bitmap.PixelFormat() == TPixelFormat::Display) {
                const std::span<const DisplayPixel> pixels = DisplayRow(bitmap, y);
                std::memcpy(row, pixels.data(), pixels.size_bytes());
                continue;
            }
            for (int x = 0; x < bitmap.Width(); ++x)
                row[x] = ToQRgb(bitmap.GetPixel(x, y));
        }
        m_convertedFrom = &bitmap;
        m_convertedGeneration = bitmap.Generation();
        m_convertedValid = true;
    }
    return &m_converted;
}

const QImage* ImageView::DrawnImage(TGraphic& graphic) {
    if (m_drawnFrom != &graphic || !m_drawn) {
        m_drawn = std::make_unique<TBitmap>();
        m_drawnFrom = &graphic;
        // Whatever the graphic managed to draw stays; it is not asked again until it changes.
        // A picture too large for an image of its size fails here too, never in the paint.
        const auto failure = RunCatching([&] {
            m_drawn->SetSize(graphic.Width(), graphic.Height());
            graphic.Draw(m_drawn->Canvas(), Rect(0, 0, graphic.Width(), graphic.Height()));
        });
        if (failure && DrawFailureHandler())
            DrawFailureHandler()(*failure);
    }
    return BitmapImage(*m_drawn);
}

void ImageView::SetMark(const QRect& mark) {
    m_mark = mark.isEmpty() ? QRect() : QRect(0, mark.top(), width(), mark.height());
    update();
}

void ImageView::paintEvent(QPaintEvent* event) {
    m_repaintPending = false;
    const QImage* picture = PictureImage();
    if (!picture)
        return;
    QPainter painter(this);
    DrawPicture(painter, *picture, event->rect());
    if (!m_mark.isEmpty()) {
        painter.setPen(QPen(QColor(0, 120, 215), 2));
        painter.drawRect(m_mark.adjusted(1, 1, -1, -1));
    }
}

void ImageView::DrawPicture(QPainter& painter, const QImage& picture, const QRect& exposed) {
    const QRect control = rect();
    if (m_image->Stretch()) {
        const QRect area = exposed & control;
        if (area.isEmpty())
            return;
        painter.drawImage(area.topLeft(),
                          StretchedPart(picture, control.width(), control.height(), area));
        return;
    }
    QPoint origin(0, 0);
    if (m_image->Center())
        origin = QPoint((control.width() - picture.width()) / 2,
                        (control.height() - picture.height()) / 2);
    const QRect area = QRect(origin, picture.size()) & exposed & control;
    if (area.isEmpty())
        return;
    painter.drawImage(area.topLeft(), picture, area.translated(-origin));
}

}  // namespace brodix
