#pragma once

#include <functional>
#include <memory>
#include <string>

#include "raster/TGraphic.h"

namespace brodix {

class TBitmap;

// Holds nothing or one graphic, and always its own copy of it.
class TPicture {
  public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return m_graphic.get(); }
    bool HasGraphic() const { return m_graphic != nullptr; }

    // Keeps a copy of graphic (nullptr: holds nothing). The caller's object stays the caller's.
    void SetGraphic(const TGraphic* graphic);
    void Assign(const TPicture& other) { SetGraphic(other.Graphic()); }
    // Takes ownership of a graphic made for this picture (a loader's result).
    void Adopt(std::unique_ptr<TGraphic> graphic);

    // The held bitmap itself. A picture holding nothing or another kind discards it and
    // holds a new empty bitmap.
    TBitmap& Bitmap();

    int Width() const;
    int Height() const;

    // The picture loader: kind by extension; on any failure the held graphic stays.
    void LoadFromFile(const std::string& fileName);
    // Writes the graphic in its own format, replacing an existing file only once every byte is
    // written. Holding nothing writes nothing.
    void SaveToFile(const std::string& fileName) const;

    // Told of every change of the graphic or of its pixels.
    std::function<void()> OnChange;

  private:
    void Changed();
    std::unique_ptr<TGraphic> m_graphic;
};

}  // namespace brodix
