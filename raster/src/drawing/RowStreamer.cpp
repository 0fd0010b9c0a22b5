#include "raster/RowStreamer.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brodix {

namespace {

constexpr std::size_t kLine = 64;  // a cache line

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

void TRowStreamer::Copy(std::uint8_t* dest, const std::uint8_t* source, std::size_t bytes) {
#if defined(__SSE2__)
    if (!m_streams) {
        std::memcpy(dest, source, bytes);
        return;
    }
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
