// Byte order of TI structures: big-endian words everywhere, except the
// level-3 record count of headers and FDRs, which is little-endian.
// Every function takes a buffer and a position; callers check bounds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

inline uint16_t GetWordBE(const uint8_t* buffer, size_t pos)
{
    return static_cast<uint16_t>((buffer[pos] << 8) | buffer[pos + 1]);
}

inline void PutWordBE(uint8_t* buffer, size_t pos, uint16_t value)
{
    buffer[pos] = static_cast<uint8_t>(value >> 8);
    buffer[pos + 1] = static_cast<uint8_t>(value & 0xFF);
}

inline uint16_t GetWordLE(const uint8_t* buffer, size_t pos)
{
    return static_cast<uint16_t>(buffer[pos] | (buffer[pos + 1] << 8));
}

inline void PutWordLE(uint8_t* buffer, size_t pos, uint16_t value)
{
    buffer[pos] = static_cast<uint8_t>(value & 0xFF);
    buffer[pos + 1] = static_cast<uint8_t>(value >> 8);
}

inline uint32_t GetLongBE(const uint8_t* buffer, size_t pos)
{
    return (static_cast<uint32_t>(buffer[pos]) << 24) | (static_cast<uint32_t>(buffer[pos + 1]) << 16) |
           (static_cast<uint32_t>(buffer[pos + 2]) << 8) | buffer[pos + 3];
}

inline void PutLongBE(uint8_t* buffer, size_t pos, uint32_t value)
{
    buffer[pos] = static_cast<uint8_t>(value >> 24);
    buffer[pos + 1] = static_cast<uint8_t>(value >> 16);
    buffer[pos + 2] = static_cast<uint8_t>(value >> 8);
    buffer[pos + 3] = static_cast<uint8_t>(value);
}

} // namespace kestrel
