#pragma once

#include <functional>

#include "raster/TPicture.h"

namespace brodix {

class TCanvas;

// An image control without a window: its size, picture and display switches. A window layer
// shows it (see OnChange); the program draws on it through Canvas().
class TImage {
  public:
    TImage(int width = 105, int height = 105);
    TImage(const TImage&) = delete;
    TImage& operator=(const TImage&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetWidth(int width);
    void SetHeight(int height);

    TPicture& Picture() { return m_picture; }
    const TPicture& Picture() const { return m_picture; }

    bool Stretch() const { return m_stretch; }
    void SetStretch(bool stretch);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool autoSize);
    bool Center() const { return m_center; }
    void SetCenter(bool center);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);

    // The canvas of the picture's bitmap. A picture holding nothing first gets a white bitmap
    // of the control's size; one holding another kind raises EInvalidOperation.
    TCanvas& Canvas();

    // Told of every change that needs a repaint: picture, pixels, size, switches.
    std::function<void()> OnChange;

  private:
    void PictureChanged();
    void Changed();

    int m_width;
    int m_height;
    TPicture m_picture;
    bool m_stretch = false;
    bool m_autoSize = false;
    bool m_center = false;
    bool m_transparent = false;
};

}  // namespace brodix
