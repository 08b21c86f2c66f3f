// The LZW compressor of compressed (INT/FIX 128) archives: the exact dialect
// lzw_decoder.h reads. The stream opens with a clear code, codes grow from
// 9 to 12 bits one code after the decoder's table reaches the current limit
// (the decoder defines each code one step later than the encoder does), bits
// go out most significant first, and the end code closes the stream, which
// is padded with zero bytes to whole 256-byte sectors.
//
// The string table is an open-addressed hash of (prefix code, byte) pairs
// stamped with a generation, so a clear code costs nothing beyond a counter.
// No I/O, no allocation beyond the output and the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel
{

struct LzwEncodeOptions {
    // Send a clear code when the table is full and start a new one; without
    // it the full table is kept, which suits data that does not change.
    bool clearWhenFull = true;
};

// Compresses size bytes at data into a stream of whole sectors.
std::vector<uint8_t> LzwCompress(const uint8_t *data, size_t size, LzwEncodeOptions options = {});

inline std::vector<uint8_t> LzwCompress(const std::vector<uint8_t> &data,
                                        LzwEncodeOptions options = {})
{
    return LzwCompress(data.data(), data.size(), options);
}

} // namespace kestrel
