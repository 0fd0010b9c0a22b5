#include "raster/RowStreamer.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brodix {

namespace {

constexpr std::size_t kLine = 64;  // a cache line

}  // namespace

TRowStreamer::~TRowStreamer() {
#if defined(__SSE2__)
    // Streaming stores are weakly ordered: the fence makes them visible before anything else.
    _mm_sfence();
#endif
}

void TRowStreamer::Copy(std::uint8_t* dest, const std::uint8_t* source, std::size_t bytes) {
#if defined(__SSE2__)
    // Only whole cache lines go past the cache; a line shared with the neighbouring row is
    // written the ordinary way, so that no line is written both ways.
    const auto address = reinterpret_cast<std::uintptr_t>(dest);
    const std::size_t head = std::min(bytes, (kLine - address % kLine) % kLine);
    const std::size_t lines = (bytes - head) / kLine;
    std::memcpy(dest, source, head);
    std::size_t i = head;
    for (std::size_t n = 0; n < lines; ++n, i += kLine) {
        const auto* from = reinterpret_cast<const __m128i*>(source + i);
        auto* to = reinterpret_cast<__m128i*>(dest + i);
        const __m128i a = _mm_loadu_si128(from);
        const __m128i b = _mm_loadu_si128(from + 1);
        const __m128i c = _mm_loadu_si128(from + 2);
        const __m128i d = _mm_loadu_si128(from + 3);
        _mm_stream_si128(to, a);
        _mm_stream_si128(to + 1, b);
        _mm_stream_si128(to + 2, c);
        _mm_stream_si128(to + 3, d);
    }
    std::memcpy(dest + i, source + i, bytes - i);
#else
    std::memcpy(dest, source, bytes);
#endif
}

}  // namespace brodix
