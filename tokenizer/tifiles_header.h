// The 128-byte TIFILES header that the writers put in front of each file:
// only the fields below are set, every other byte is 0.
#pragma once

#include <array>
#include <cstdint>

#include "tifs/byte_order.h"

namespace kestrel::tokenizer
{

constexpr size_t kHeaderSize = 128;

struct WrittenHeader {
    uint16_t sectors = 0;
    uint8_t flags = 0;
    uint8_t recordsPerSector = 0;
    uint8_t eofOffset = 0;
    uint8_t recordLength = 0;
    uint16_t level3Records = 0;
};

inline std::array<uint8_t, kHeaderSize> EncodeHeader(const WrittenHeader &h)
{
    std::array<uint8_t, kHeaderSize> out{};
    const char magic[] = "\x07TIFILES";
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<uint8_t>(magic[i]);
    PutWordBE(out.data(), 8, h.sectors);
    out[10] = h.flags;
    out[11] = h.recordsPerSector;
    out[12] = h.eofOffset;
    out[13] = h.recordLength;
    PutWordLE(out.data(), 14, h.level3Records);
    return out;
}

} // namespace kestrel::tokenizer
