#pragma once

#include <cstddef>
#include <cstdint>

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

// Copies rows into a large store, with the store kind StreamsPastCache chooses for the whole
// store. Every copy is complete and visible once the streamer is destroyed.
class TRowStreamer {
  public:
    explicit TRowStreamer(std::size_t totalBytes, std::size_t cacheShare = LastLevelCacheShare())
        : m_streams(StreamsPastCache(totalBytes, cacheShare)) {}
    TRowStreamer(const TRowStreamer&) = delete;
    TRowStreamer& operator=(const TRowStreamer&) = delete;
    ~TRowStreamer();

    bool Streams() const { return m_streams; }
    void Copy(std::uint8_t* dest, const std::uint8_t* source, std::size_t bytes);

  private:
    bool m_streams;
};

}  // namespace brodix
