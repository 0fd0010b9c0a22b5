#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/Captions.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"

namespace brodix::testing {

// A display-format bitmap with pixel (x, y) = colorOf(x, y), given to image as its picture.
inline void GivePicture(TImage& image, int width, int height,
                        const std::function<TColor(int, int)>& colorOf) {
    TBitmap bitmap;
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, colorOf(x, y));
    }
    image.Picture().SetGraphic(&bitmap);
}

inline std::string BinFile(const std::string& name) {
    return std::string(BRODIX_BIN_DIR) + "/" + name;
}

class RecordedMessages final : public MessageSink {
  public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        shown.emplace_back(text, title);
    }
    std::vector<std::pair<std::string, std::string>> shown;
};

// Remembers every text it was given, in order.
class RecordedCaption final : public Caption {
  public:
    std::string Text() const override { return texts.empty() ? std::string() : texts.back(); }
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

}  // namespace brodix::testing
