#pragma once

#include <cstddef>
#include <cstdint>

namespace brodix {

// Copies rows into a large store that is written once and not read again soon (a new chart),
// straight to memory past the caches. Ordinary stores first read every line they write and
// push out of the caches what the writer keeps reading (its cells); these do neither, so a
// chart of 23 MB is written at the speed of a plain fill. Every copy is complete and visible
// once the streamer is destroyed.
class TRowStreamer {
  public:
    TRowStreamer() = default;
    TRowStreamer(const TRowStreamer&) = delete;
    TRowStreamer& operator=(const TRowStreamer&) = delete;
    ~TRowStreamer();

    void Copy(std::uint8_t* dest, const std::uint8_t* source, std::size_t bytes);
};

}  // namespace brodix
