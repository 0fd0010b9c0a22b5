#pragma once

#include <cstddef>
#include <cstdint>

namespace brodix {

// Whether rows totalling bytes, written once and not read again soon (a new chart), go
// straight to memory past the caches, given a last-level cache of cacheBytes (0: unknown).
// Ordinary stores first read every line they write and push out of the caches what the writer
// keeps reading (its cells); streaming stores do neither, but they also send to memory a store
// that would have stayed in a large cache, and then cost more than ordinary ones. So only
// rows that would not fit in three quarters of the cache stream, the share glibc's memcpy
// leaves to other data before it streams; an unknown cache streams.
bool StreamsPastCache(std::size_t bytes, std::size_t cacheBytes);

// The size of the largest data cache the system reports for the first processor, or 0.
std::size_t LastLevelCacheBytes();

// Copies rows into a large store, with the store kind StreamsPastCache chooses for the whole
// store. Every copy is complete and visible once the streamer is destroyed.
class TRowStreamer {
  public:
    explicit TRowStreamer(std::size_t totalBytes, std::size_t cacheBytes = LastLevelCacheBytes())
        : m_streams(StreamsPastCache(totalBytes, cacheBytes)) {}
    TRowStreamer(const TRowStreamer&) = delete;
    TRowStreamer& operator=(const TRowStreamer&) = delete;
    ~TRowStreamer();

    bool Streams() const { return m_streams; }
    void Copy(std::uint8_t* dest, const std::uint8_t* source, std::size_t bytes);

  private:
    bool m_streams;
};

}  // namespace brodix
