#pragma once

#include <functional>
#include <memory>
#include <string>

#include "raster/Geometry.h"

namespace brodix {

class TCanvas;
class TStream;

// Anything a picture can hold: a bitmap, an icon, a metafile or a JPEG image.
class TGraphic {
  public:
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual const char* ClassName() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }

    // A new, independent object of the same kind holding the same picture (value semantics).
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // Draws the whole graphic scaled into rect of the canvas. Non-const: a JPEG image decodes
    // on its first drawing and keeps the result.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

    // Reads the graphic from the stream's position to its end (a loaded file, whole).
    virtual void LoadFromStream(TStream& stream) = 0;
    // Writes the graphic in its own kind's format.
    virtual void SaveToStream(TStream& stream) const = 0;

    // Told whenever the graphic's pixels, size or format change; the picture forwards it to
    // its image control, which repaints.
    std::function<void()> OnChange;

  protected:
    TGraphic() = default;
    void Changed() {
        if (OnChange)
            OnChange();
    }
};

}  // namespace brodix
