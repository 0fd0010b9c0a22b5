#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "raster/DisplayPixels.h"

namespace brodix {

// Whether rows totalling bytes, written once and not read again soon (a new chart), go
// straight to memory past the caches, given cacheShare bytes of the last-level cache for the
// writing processor (0: unknown). Ordinary stores first read every line they write and push
// out of the caches what the writer keeps reading (its cells); streaming stores do neither, but
// they also send to memory a store that would have stayed in a large cache, and then cost more
// than ordinary ones. As glibc's memcpy decides, rows stream when they would not fit in three
// quarters of the processor's share of the cache (the other processors fill the rest); an
// unknown cache streams.
bool StreamsPastCache(std::size_t bytes, std::size_t cacheShare);

// The last-level cache the system reports for the first processor, divided among the
// processors that share it, or 0.
std::size_t LastLevelCacheShare();

// Writes rows into a large store, with the store kind StreamsPastCache chooses for the whole
// store. Every write is complete and visible once the streamer is destroyed.
class TRowStreamer {
  public:
    explicit TRowStreamer(std::size_t totalBytes, std::size_t cacheShare = LastLevelCacheShare())
        : m_streams(StreamsPastCache(totalBytes, cacheShare)) {}
    TRowStreamer(const TRowStreamer&) = delete;
    TRowStreamer& operator=(const TRowStreamer&) = delete;
    ~TRowStreamer();

    bool Streams() const { return m_streams; }

    // The tiles WriteTiles reads: tile k is pixels [kTileWidth k, kTileWidth (k + 1)) of tiles,
    // at most 256 of them; mark is the first pixel of a marked tile.
    static constexpr int kTileWidth = 12;
    void SetTiles(std::span<const DisplayPixel> tiles, DisplayPixel mark);

    // Writes the tiles named by indices in order, then last: kTileWidth * indices.size() + 1
    // pixels from dest. When markEvery > 0, tiles 0, markEvery, 2 markEvery, ... of the row
    // begin with the mark. Each row goes straight from the tiles into the store, never built
    // in a buffer first and copied.
    void WriteTiles(DisplayPixel* dest, std::span<const std::uint8_t> indices, DisplayPixel last,
                    int markEvery);

    // Sets count pixels from dest to value.
    void Fill(DisplayPixel* dest, std::size_t count, DisplayPixel value);

    // Four pixels, the unit of the wide stores.
    struct alignas(16) Quad {
        DisplayPixel lanes[4];
    };

  private:
    DisplayPixel TilePixel(std::span<const std::uint8_t> indices, std::size_t x, DisplayPixel last,
                           int markEvery) const;
    const Quad* QuadsFor(std::size_t shift);

    bool m_streams;
    std::vector<DisplayPixel> m_tiles;  // with kQuadPixels zeros before and after
    DisplayPixel m_mark = 0;
    // The tiles cut into quads that start where the store's aligned quads start, one set for
    // each of the four alignments a row can have; built when a row first needs them.
    std::array<std::vector<Quad>, 4> m_quads;
    std::array<bool, 4> m_quadsBuilt{};
};

}  // namespace brodix
