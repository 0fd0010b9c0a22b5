#pragma once

#include <cstdint>

namespace brodix {

// Little-endian fields of file headers. Callers check the bounds before they read.
inline std::uint16_t GetLe16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}
inline std::uint32_t GetLe32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}
inline std::int32_t GetLeInt32(const std::uint8_t* bytes) {
    return static_cast<std::int32_t>(GetLe32(bytes));
}
inline std::int16_t GetLeInt16(const std::uint8_t* bytes) {
    return static_cast<std::int16_t>(GetLe16(bytes));
}
inline void PutLe16(std::uint8_t* bytes, std::uint16_t value) {
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void PutLe32(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace brodix
