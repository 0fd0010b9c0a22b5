#pragma once

#include <cstdint>
#include <vector>

#include "raster/Exceptions.h"
#include "raster/PixelFormat.h"
#include "raster/Stream.h"

namespace brodix {

// The rest of a stream, for the kinds of picture that keep their whole file in memory. A file
// larger than any picture store is refused rather than read into memory.
inline std::vector<std::uint8_t> ReadWholeStream(TStream& stream) {
    const std::uint64_t size = stream.Remaining();
    if (size > kMaxPixelStoreBytes)
        throw EOutOfResources(msg::kOutOfResources);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace brodix
