#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "raster/Color.h"
#include "raster/PixelFormat.h"
#include "raster/TGraphic.h"

namespace brodix {

class TCanvas;
struct PixelStore;

// A raster image. Owns its pixel store, format and colour table, and, from the first request,
// one canvas. Copies (Clone, the copy constructor) share the pixel store until either side
// writes, so giving a picture a bitmap is cheap and still behaves as a copy.
//
// Pixels are kept in BMP row layout: each row is RowStride(width, bpp) bytes; rows are stored
// top-down unless the bitmap was read bottom-up from a file (TopDown() false), so a BMP's pixel
// data can be read into the store in one read. ScanLine(y) hides the difference.
class TBitmap final : public TGraphic {
  public:
    TBitmap();                      // empty (0 x 0), display format, no canvas
    TBitmap(const TBitmap& other);  // same size, format, table and pixels; no canvas
    ~TBitmap() override;

    // A bitmap in the given layout, every byte of its store zero; a large store takes memory
    // only for the bytes written into it. For file readers; throws
    // EOutOfResources when the store would exceed kMaxPixelStoreBytes.
    static std::unique_ptr<TBitmap> CreateWithLayout(int width, int height,
                                                     const BitmapLayout& layout, bool topDown);

    const char* ClassName() const override { return "TBitmap"; }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    std::unique_ptr<TGraphic> Clone() const override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    // Reads a BMP of length bytes from the stream's position (length 0: empty bitmap).
    void ReadData(TStream& stream, std::uint64_t length);

    // A new store of the new size; white (or the canvas brush colour), old pixels kept where
    // they fit. Setting the value the bitmap already has does nothing.
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);

    // A new store of the given size whose pixels are left unset, for a writer that sets every
    // pixel before anything reads them (the chart, drawn cell by cell): the white fill would
    // cost as much as drawing the chart. Old pixels are not kept.
    void SetSizeForOverwrite(int width, int height);

    bool Monochrome() const { return m_layout.format == TPixelFormat::Monochrome; }
    // true: 1 bit per pixel, white where the old pixel equals the conversion background.
    void SetMonochrome(bool monochrome);

    TPixelFormat PixelFormat() const { return m_layout.format; }
    const BitmapLayout& Layout() const { return m_layout; }
    const std::vector<TColor>& ColorTable() const { return m_layout.colorTable; }

    bool HasCanvas() const { return m_canvas != nullptr; }
    TCanvas& Canvas();

    // Reading outside the bitmap gives clNone (0xFFFFFFFF); writing there changes nothing.
    // Reading (0, 0) of an empty bitmap gives white.
    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // The value a pixel of this format holds after color is written to it (the nearest colour
    // the format can show), and the stored bits for it.
    TColor NearestColor(TColor color) const;
    std::uint32_t PixelValueOf(TColor color) const;
    TColor ColorOfPixelValue(std::uint32_t value) const;
    std::uint32_t PixelValue(int x, int y) const;           // no bounds check
    void SetPixelValue(int x, int y, std::uint32_t value);  // no bounds check, no notice

    // Raw access for readers, writers and renderers.
    std::size_t Stride() const { return m_stride; }
    bool TopDown() const { return m_topDown; }
    std::size_t StoreSize() const;
    const std::uint8_t* Bits() const;  // the store, first stored row first
    std::uint8_t* MutableBits();       // detaches a shared store first
    const std::uint8_t* ScanLine(int y) const;
    std::uint8_t* MutableScanLine(int y);

    // Counts a change and tells the picture (and through it the image control) about it.
    void Modified() {
        ++m_generation;
        Changed();
    }
    // Counts every change of pixels, size or format; painters use it to keep caches.
    std::uint64_t Generation() const { return m_generation; }
    void BumpGeneration() { ++m_generation; }

  private:
    void Resize(int width, int height);
    void Detach();
    // Where row y (0 the top row) starts in the store, which holds the bottom row first unless
    // m_topDown.
    std::size_t StoredRowOffset(int y) const;

    int m_width = 0;
    int m_height = 0;
    BitmapLayout m_layout;
    std::size_t m_stride = 0;
    bool m_topDown = true;
    // Shared between copies until one of them writes. Either left unset for a creator that fills
    // every byte once (white, or the pixels it draws), or zero from the system and costing
    // memory only where written (the file readers).
    std::shared_ptr<PixelStore> m_store;
    std::unique_ptr<TCanvas> m_canvas;
    std::uint64_t m_generation = 0;
};

}  // namespace brodix
