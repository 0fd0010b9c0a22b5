#include "raster/RowStreamer.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brodix {

namespace {

constexpr std::size_t kLine = 64;  // a cache line
constexpr std::size_t kLinePixels = kLine / kDisplayPixelBytes;
constexpr std::size_t kQuadPixels = 4;
constexpr std::size_t kTileWidth = TRowStreamer::kTileWidth;
// A tile as WriteTiles stores it: the quad it shares with the tile before it, A of the earlier
// tile and B of the later one (lanes that are not theirs hold 0), then two quads of its own.
enum TileQuad : std::size_t { kB, kC0, kC1, kA, kQuadsPerTile };
static_assert(kTileWidth == 3 * kQuadPixels, "a tile is the shared quad and two of its own");
// Zero pixels kept before and after the tiles.
constexpr std::size_t kTilePadding = kQuadPixels;

// The pixels before the first cache line that starts in a row at dest.
std::size_t PixelsBeforeLine(const DisplayPixel* dest) {
    return (kLine - reinterpret_cast<std::uintptr_t>(dest) % kLine) % kLine / kDisplayPixelBytes;
}

// The number of processors in a list such as "0-3,8-11", or 0 when it is not one.
int CountProcessors(const std::string& list) {
    int count = 0;
    std::istringstream ranges(list);
    std::string range;
    while (std::getline(ranges, range, ',')) {
        int first = 0;
        int last = 0;
        char dash = 0;
        std::istringstream in(range);
        if (!(in >> first))
            return 0;
        last = (in >> dash >> last) && dash == '-' ? last : first;
        count += std::max(last - first + 1, 0);
    }
    return count;
}

// The kernel's view of the caches (index0, index1, ... of the first processor), or 0. Read
// before sysconf, whose figure comes from the processor's own answer and under a hypervisor may
// be that of the host.
std::size_t CacheShareFromSysfs() {
    std::size_t share = 0;
    int highest = 0;
    for (int index = 0; index < 16; ++index) {
        const std::string folder =
            "/sys/devices/system/cpu/cpu0/cache/index" + std::to_string(index) + "/";
        std::ifstream levelFile(folder + "level");
        std::ifstream typeFile(folder + "type");
        std::ifstream sizeFile(folder + "size");
        std::ifstream sharedFile(folder + "shared_cpu_list");
        int level = 0;
        std::string type;
        std::size_t size = 0;
        char unit = 0;
        std::string shared;
        if (!(levelFile >> level) || !(typeFile >> type) || !(sizeFile >> size))
            break;
        sizeFile >> unit;
        size *= unit == 'K' ? 1024 : unit == 'M' ? 1024 * 1024 : 1;
        sharedFile >> shared;
        const int sharing = std::max(CountProcessors(shared), 1);
        if (type != "Instruction" && level >= highest) {
            highest = level;
            share = size / static_cast<std::size_t>(sharing);
        }
    }
    return share;
}

std::size_t CacheShareFromSysconf() {
    const long processors = std::max(sysconf(_SC_NPROCESSORS_ONLN), 1L);
    for (int name : {_SC_LEVEL3_CACHE_SIZE, _SC_LEVEL2_CACHE_SIZE}) {
        const long size = sysconf(name);
        if (size > 0)
            return static_cast<std::size_t>(size / processors);
    }
    return 0;
}

#if defined(__SSE2__)
template <bool kStream>
void PutQuad(__m128i* to, __m128i value) {
    if constexpr (kStream)
        _mm_stream_si128(to, value);
    else
        _mm_store_si128(to, value);
}

__m128i LoadQuad(const TRowStreamer::Quad* quad) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(quad->lanes));
}

// A row of tiles as quads: each tile's unmarked and marked cuts, the tiles named, and every
// how many tiles one is marked (0: none).
struct TileRun {
    const TRowStreamer::Quad* plain;
    const TRowStreamer::Quad* marked;
    const std::uint8_t* indices;
    std::size_t markEvery;

    const TRowStreamer::Quad* QuadsOf(std::size_t tile) const {
        const bool mark = markEvery > 0 && tile % markEvery == 0;
        return (mark ? marked : plain) + kQuadsPerTile * indices[tile];
    }
};

// Stores one whole tile: the quad it shares with the tile before it (whose part is before),
// then its own two. Returns its part of the quad it shares with the tile after it.
template <bool kStream>
__m128i StoreTile(__m128i* out, const TRowStreamer::Quad* quads, __m128i before) {
    PutQuad<kStream>(out, _mm_or_si128(before, LoadQuad(quads + kB)));
    PutQuad<kStream>(out + 1, LoadQuad(quads + kC0));
    PutQuad<kStream>(out + 2, LoadQuad(quads + kC1));
    return LoadQuad(quads + kA);
}

// Stores the row's quads [first, end) from out on: quad 3t is the one tile t shares with the
// tile before it, quads 3t + 1 and 3t + 2 are its own. Runs of unmarked tiles go without a test
// per tile.
template <bool kStream>
void StoreQuads(__m128i* out, std::size_t first, std::size_t end, const TileRun& run) {
    if (first == end)
        return;
    std::size_t tile = first / 3;
    std::size_t left = end - first;
    __m128i before;
    if (first % 3 == 0) {
        // Quad 0 begins before the row, so a first shared quad has a tile before it.
        before = LoadQuad(run.QuadsOf(tile - 1) + kA);
    } else {
        const TRowStreamer::Quad* quads = run.QuadsOf(tile++);
        if (first % 3 == 1) {
            PutQuad<kStream>(out++, LoadQuad(quads + kC0));
            --left;
        }
        if (left == 0)
            return;
        PutQuad<kStream>(out++, LoadQuad(quads + kC1));
        --left;
        before = LoadQuad(quads + kA);
    }
    const std::size_t whole = tile + left / 3;
    std::size_t nextMark =
        run.markEvery > 0 ? (tile + run.markEvery - 1) / run.markEvery * run.markEvery : SIZE_MAX;
    while (tile < whole) {
        if (tile == nextMark) {
            before =
                StoreTile<kStream>(out, run.marked + kQuadsPerTile * run.indices[tile++], before);
            out += 3;
            nextMark += run.markEvery;
        }
        for (const std::size_t stop = std::min(whole, nextMark); tile < stop; ++tile, out += 3)
            before = StoreTile<kStream>(out, run.plain + kQuadsPerTile * run.indices[tile], before);
    }
    if (left % 3 != 0) {
        const TRowStreamer::Quad* quads = run.QuadsOf(tile);
        PutQuad<kStream>(out, _mm_or_si128(before, LoadQuad(quads + kB)));
        if (left % 3 == 2)
            PutQuad<kStream>(out + 1, LoadQuad(quads + kC0));
    }
}
#endif

}  // namespace

bool StreamsPastCache(std::size_t bytes, std::size_t cacheShare) {
    return cacheShare == 0 || bytes > cacheShare / 4 * 3;
}

std::size_t LastLevelCacheShare() {
    static const std::size_t bytes = [] {
        const std::size_t fromSysfs = CacheShareFromSysfs();
        return fromSysfs != 0 ? fromSysfs : CacheShareFromSysconf();
    }();
    return bytes;
}

TRowStreamer::~TRowStreamer() {
#if defined(__SSE2__)
    if (!m_streams)
        return;
    // Streaming stores are weakly ordered: the fence makes them visible before anything else.
    _mm_sfence();
#endif
}

void TRowStreamer::SetTiles(std::span<const DisplayPixel> tiles, DisplayPixel mark) {
    m_tiles.assign(kTilePadding, 0);
    m_tiles.insert(m_tiles.end(), tiles.begin(), tiles.end());
    m_tiles.insert(m_tiles.end(), kTilePadding, 0);
    m_mark = mark;
    m_quadsBuilt.fill(false);
}

DisplayPixel TRowStreamer::TilePixel(std::span<const std::uint8_t> indices, std::size_t x,
                                     DisplayPixel last, int markEvery) const {
    const std::size_t tile = x / kTileWidth;
    if (tile == indices.size())
        return last;
    const std::size_t column = x % kTileWidth;
    if (column == 0 && markEvery > 0 && tile % static_cast<std::size_t>(markEvery) == 0)
        return m_mark;
    return m_tiles[kTilePadding + indices[tile] * kTileWidth + column];
}

#if defined(__SSE2__)
// For a row whose first quad-aligned pixel is pixel shift, every tile cut at the row's quad
// boundaries, unmarked tiles first and marked ones after them. The padding around the tiles
// lets every quad be read whole and the lanes that are not the tile's be cleared.
const TRowStreamer::Quad* TRowStreamer::QuadsFor(std::size_t shift) {
    std::vector<Quad>& quads = m_quads[shift];
    if (m_quadsBuilt[shift])
        return quads.data();
    m_quadsBuilt[shift] = true;
    const std::size_t count = (m_tiles.size() - 2 * kTilePadding) / kTileWidth;
    // Every quad is written below; the same number of tiles again keeps the store as it is.
    quads.resize(2 * count * kQuadsPerTile);
    const std::size_t earlier = kQuadPixels - shift;  // lanes of the earlier tile in a shared quad
    const __m128i earlierLanes =
        _mm_cmplt_epi32(_mm_setr_epi32(0, 1, 2, 3), _mm_set1_epi32(static_cast<int>(earlier)));
    const auto load = [&](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(&m_tiles[at]));
    };
    const auto store = [](Quad* quad, __m128i value) {
        _mm_store_si128(reinterpret_cast<__m128i*>(quad->lanes), value);
    };
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t px = kTilePadding + k * kTileWidth + shift;
        const __m128i cut[kQuadsPerTile] = {
            _mm_andnot_si128(earlierLanes, load(px - kQuadPixels)), load(px),
            load(px + kQuadPixels), _mm_and_si128(earlierLanes, load(px + 2 * kQuadPixels))};
        Quad* plain = &quads[k * kQuadsPerTile];
        Quad* marked = &quads[(count + k) * kQuadsPerTile];
        for (std::size_t q = 0; q < kQuadsPerTile; ++q) {
            store(plain + q, cut[q]);
            store(marked + q, cut[q]);
        }
        (shift == 0 ? marked[kC0].lanes[0] : marked[kB].lanes[earlier]) = m_mark;
    }
    return quads.data();
}
#endif

void TRowStreamer::WriteTiles(DisplayPixel* dest, std::span<const std::uint8_t> indices,
                              DisplayPixel last, int markEvery) {
    const std::size_t tiles = indices.size();
    const std::size_t width = kTileWidth * tiles + 1;
    // The pixels [quadsFrom, quadsTo) go by quads, the few others one by one.
    std::size_t quadsFrom = width;
    std::size_t quadsTo = width;
#if defined(__SSE2__)
    if (tiles > 0) {
        // Quad 0 begins before the row and quad 3 tiles would need a tile after the last, so
        // quads 1 to 3 tiles - 1 are stored; only whole lines of them stream.
        const std::size_t shift = PixelsBeforeLine(dest) % kQuadPixels;
        const std::size_t end = 3 * tiles;
        std::size_t streamFrom = end;
        std::size_t streamTo = end;
        if (m_streams) {
            streamFrom = std::min((PixelsBeforeLine(dest) - shift) / kQuadPixels + 1, end);
            streamTo = streamFrom + (end - streamFrom) / 4 * 4;
        }
        const Quad* plain = QuadsFor(shift);
        const TileRun run{plain, plain + m_quads[shift].size() / 2, indices.data(),
                          static_cast<std::size_t>(std::max(markEvery, 0))};
        const auto at = [&](std::size_t quad) {
            return reinterpret_cast<__m128i*>(dest + shift + kQuadPixels * (quad - 1));
        };
        StoreQuads<false>(at(1), 1, streamFrom, run);
        StoreQuads<true>(at(streamFrom), streamFrom, streamTo, run);
        StoreQuads<false>(at(streamTo), streamTo, end, run);
        quadsFrom = shift;
        quadsTo = shift + kQuadPixels * (end - 1);
    }
#endif
    for (std::size_t x = 0; x < quadsFrom; ++x)
        dest[x] = TilePixel(indices, x, last, markEvery);
    for (std::size_t x = quadsTo; x < width; ++x)
        dest[x] = TilePixel(indices, x, last, markEvery);
}

void TRowStreamer::Fill(DisplayPixel* dest, std::size_t count, DisplayPixel value) {
    const std::size_t head = std::min(PixelsBeforeLine(dest), count);
    std::size_t lines = 0;
#if defined(__SSE2__)
    lines = (count - head) / kLinePixels;
    const __m128i quad = _mm_set1_epi32(static_cast<int>(value));
    auto* out = reinterpret_cast<__m128i*>(dest + head);
    for (std::size_t i = 0; i < 4 * lines; ++i) {
        if (m_streams)
            PutQuad<true>(out + i, quad);
        else
            PutQuad<false>(out + i, quad);
    }
#endif
    std::fill(dest, dest + head, value);
    std::fill(dest + head + kLinePixels * lines, dest + count, value);
}

}  // namespace brodix
