#include "engine/Census.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <optional>
#include <span>

#include "raster/DisplayPixels.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TImage.h"

namespace brodix {

namespace {

// Colour to insertion index, open addressing. A linear search of up to 255 entries for each of
// 40,000 stitches dominates Make otherwise; the table gives the same palette and counts.
class ColorIndex {
  public:
    ColorIndex() { m_slots.fill(kEmpty); }

    // The colour's index, or kNotFound.
    std::size_t Find(TColor color) const {
        for (std::size_t slot = Home(color);; slot = (slot + 1) & kMask) {
            if (m_slots[slot] == kEmpty)
                return kNotFound;
            if (m_colors[slot] == color)
                return m_slots[slot];
        }
    }

    void Insert(TColor color, std::size_t index) {
        std::size_t slot = Home(color);
        while (m_slots[slot] != kEmpty)
            slot = (slot + 1) & kMask;
        m_colors[slot] = color;
        m_slots[slot] = static_cast<std::uint16_t>(index);
    }

    static constexpr std::size_t kNotFound = SIZE_MAX;

  private:
    // Four times the most entries ever held keeps probe chains short.
    static constexpr std::size_t kSize = 1024;
    static constexpr std::size_t kMask = kSize - 1;
    static constexpr std::uint16_t kEmpty = UINT16_MAX;

    static std::size_t Home(TColor color) { return (color * 0x9E3779B1u) >> 22; }

    std::array<TColor, kSize> m_colors{};
    std::array<std::uint16_t, kSize> m_slots{};
};

CensusRefusal SizeRefusal(int width, int height) {
    return {"This bitmap is " + std::to_string(width) + "x" + std::to_string(height) +
                "\rOver 200x200 !!",
            "BITMAP size error"};
}

CensusRefusal ColorRefusal() {
    return {"This bitmap is \rOver 255 colors!!", "BITMAP Color error"};
}

// The colours are distinct, so descending colour order is one fixed order whatever the
// sorting method: exactly the order of the exchange sort the palette is defined by.
Census SortedCensus(int width, int height, const std::vector<PaletteEntry>& found,
                    std::vector<std::uint8_t> stitches) {
    std::vector<std::uint8_t> order(found.size());
    std::iota(order.begin(), order.end(), std::uint8_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::uint8_t a, std::uint8_t b) { return found[a].color > found[b].color; });
    std::array<std::uint8_t, kMaxColors> sortedIndexOf{};
    Census census{width, height, {}, std::move(stitches), {}};
    census.palette.reserve(found.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sortedIndexOf[order[i]] = static_cast<std::uint8_t>(i);
        census.palette.push_back(found[order[i]]);
    }
    for (std::uint8_t& k : census.stitches)
        k = sortedIndexOf[k];
    return census;
}

// Counts the colours that readRow(y, row) writes into row for every row, into found (seeded)
// and stitches; false when a 256th colour turns up.
template <typename ReadRow>
bool CountInto(int width, int height, ReadRow readRow, std::vector<PaletteEntry>& found,
               std::vector<std::uint8_t>& stitches) {
    ColorIndex index;
    index.Insert(found.front().color, 0);
    const auto columns = static_cast<std::size_t>(std::max(width, 0));
    stitches.assign(GridCells(std::max(width, 0), std::max(height, 0)), 0);
    std::vector<TColor> row(columns);
    // Counted here and handed over at the end: a count in found would be read again after
    // every stitch is stored, since a byte store may change anything.
    std::array<int, kMaxColors> counts{};
    std::uint8_t* stitch = stitches.data();
    for (int y = 0; y < height; ++y) {
        readRow(y, std::span<TColor>(row));
        for (const TColor color : row) {
            std::size_t k = index.Find(color);
            if (k == ColorIndex::kNotFound) {
                if (found.size() == counts.size())
                    return false;
                k = found.size();
                found.push_back({color, 0});
                index.Insert(color, k);
            }
            ++counts[k];
            *stitch++ = static_cast<std::uint8_t>(k);
        }
    }
    for (std::size_t k = 0; k < found.size(); ++k)
        found[k].count += counts[k];
    return true;
}

}  // namespace

CensusResult TakeCensus(TImage& source, const LevelChoices& levels) {
    const int width = source.Picture().Width();
    const int height = source.Picture().Height();
    if (width > kMaxStitchesPerSide || height > kMaxStitchesPerSide) {
        return SizeRefusal(width, height);
    }

    TCanvas& canvas = source.Canvas();
    const TBitmap& bitmap = canvas.Bitmap();
    const bool reduces = levels.Reduces();
    const auto reduce = [&](TColor color) { return reduces ? ReduceColor(color, levels) : color; };
    // A display-format picture is read a row at a time; any other through its pixels, which
    // convert each format's values to colours.
    const bool display = bitmap.PixelFormat() == TPixelFormat::Display && bitmap.Bits() != nullptr;
    const auto readRow = [&](int y, std::span<TColor> row) {
        if (display) {
            const std::span<const DisplayPixel> pixels = DisplayRow(bitmap, y);
            std::transform(pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(row.size()),
                           row.begin(),
                           [&](DisplayPixel value) { return reduce(ColorOfDisplayPixel(value)); });
            return;
        }
        for (std::size_t x = 0; x < row.size(); ++x)
            row[x] = reduce(canvas.Pixel(static_cast<int>(x), y));
    };

    // Insertion indexes first; they are renumbered once the palette is sorted.
    std::vector<PaletteEntry> found{{reduce(canvas.Pixel(0, 0)), 0}};
    std::vector<std::uint8_t> stitches;
    if (!CountInto(width, height, readRow, found, stitches))
        return ColorRefusal();
    return SortedCensus(width, height, found, std::move(stitches));
}

std::optional<CensusRefusal> SizeCheck(int width, int height) {
    if (width > kMaxStitchesPerSide || height > kMaxStitchesPerSide)
        return SizeRefusal(width, height);
    return std::nullopt;
}

CensusResult CountStitches(int width, int height, std::span<const TColor> colours) {
    const auto readRow = [&](int y, std::span<TColor> row) {
        const std::span<const TColor> given = colours.subspan(GridIndex(0, y, width), row.size());
        std::copy(given.begin(), given.end(), row.begin());
    };
    std::vector<PaletteEntry> found{{colours.front(), 0}};
    std::vector<std::uint8_t> stitches;
    if (!CountInto(width, height, readRow, found, stitches))
        return ColorRefusal();
    return SortedCensus(width, height, found, std::move(stitches));
}

}  // namespace brodix
