#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QPainter;

namespace brodix {

class TBitmap;
class TGraphic;
class TImage;

// Shows one TImage: its picture at its own size from the top-left corner, clipped to the
// control, or, with Stretch, scaled over the whole control in solid blocks. The control takes
// the TImage's size and repaints when the TImage reports a change.
class ImageView : public QWidget {
    Q_OBJECT

  public:
    explicit ImageView(QWidget* parent = nullptr);
    ~ImageView() override;

    // Starts showing image (nullptr: nothing). The view hooks image's OnChange until it shows
    // another image or is destroyed; image must outlive that.
    void SetImage(TImage* image);
    TImage* Image() const { return m_image; }

    // A picture that fails on its first drawing (a JPEG that does not decode) is reported
    // through this, once, with the failure's message. The receiver must not open anything
    // from inside the paint: it is called while painting.
    static void SetDrawFailureHandler(std::function<void(const std::string&)> handler);

    // The picture as this view shows it at its own size, or null when it shows nothing.
    // Exposed for the window tests, which compare it with the picture's pixels.
    const QImage* PictureImage();

    // A frame drawn over the picture on screen only (the current colour's legend row); an
    // empty rectangle draws none.
    void SetMark(const QRect& mark);
    const QRect& Mark() const { return m_mark; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void ImageChanged();
    void DrawPicture(QPainter& painter, const QImage& picture, const QRect& exposed);
    const QImage* BitmapImage(const TBitmap& bitmap);
    const QImage* DrawnImage(TGraphic& graphic);

    TImage* m_image = nullptr;
    QRect m_mark;
    // A repaint was asked for and has not happened yet. A view that is hidden or scrolled out
    // of sight gets no paint for it, but is painted whole when it comes into sight again.
    bool m_repaintPending = false;
    // A bitmap in the display format is shown straight from its store (m_view wraps it, no
    // copy); any other format is converted once per change of the bitmap (m_converted).
    QImage m_view;
    QImage m_converted;
    const TBitmap* m_convertedFrom = nullptr;
    std::uint64_t m_convertedGeneration = 0;
    bool m_convertedValid = false;
    // Other kinds of graphic (JPEG, icon, metafile) draw themselves into a display bitmap once.
    std::unique_ptr<TBitmap> m_drawn;
    const TGraphic* m_drawnFrom = nullptr;
};

}  // namespace brodix
