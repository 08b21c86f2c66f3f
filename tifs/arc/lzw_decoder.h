// The LZW decompressor of compressed (INT/FIX 128) archives. The stream is a
// run of 9- to 12-bit codes taken most significant bit first; 256 clears the
// table, 257 ends the stream and flushes the block being filled. Output comes
// in 256-byte blocks: the directory blocks first, then the members' sectors.
//
// The decoder does no I/O of its own: it pulls its input through an
// ArcByteSource in chunks of 25 sectors. One LzwDecoder is one decompression
// context; Reset() starts it over, which every listing and every extraction
// does. A damaged stream never makes it read or write outside its table and
// buffers: a code beyond the next free code ends the decompression as
// damaged, and every string it produces is bounded by the table size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel
{

constexpr uint16_t kLzwClearCode = 256;
constexpr uint16_t kLzwEndCode = 257;
constexpr uint16_t kLzwFirstFreeCode = 258;
constexpr unsigned kLzwMinWidth = 9;
constexpr unsigned kLzwMaxWidth = 12;
constexpr size_t kLzwTableSize = size_t{1} << kLzwMaxWidth;
constexpr size_t kLzwBlockSize = 256;
constexpr size_t kLzwChunkSectors = 25; // the input is read this many sectors at a time

// Where the compressed bytes come from. Read fills up to capacity bytes and
// returns how many it gave; 0 means the input has ended (or could not be read).
class ArcByteSource
{
public:
    virtual ~ArcByteSource() = default;
    virtual size_t Read(uint8_t *buffer, size_t capacity) = 0;
};

// A source over bytes in memory (tests, fuzzing, archives already read).
class MemoryByteSource : public ArcByteSource
{
public:
    MemoryByteSource(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    size_t Read(uint8_t *buffer, size_t capacity) override;

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_position = 0;
};

enum class LzwStatus {
    Block,   // a block was produced (filled bytes; a flushed last block may be short)
    End,     // the end code was read, or the input ran out between codes
    Damaged, // a code the table cannot hold yet, or a non-literal after a clear code
};

class LzwDecoder
{
public:
    LzwDecoder();

    // Starts a new decompression reading from source (not owned).
    void Reset(ArcByteSource *source);

    // Produces the next 256-byte block into block (the unused tail of a
    // short, flushed block is zero). filled tells how many bytes came from
    // the stream. After End or Damaged every further call returns the same.
    LzwStatus NextBlock(uint8_t *block, size_t &filled);

    // Diagnostics for tests and benchmarks.
    unsigned Width() const { return m_width; }
    unsigned MaxWidthSeen() const { return m_maxWidthSeen; }
    uint16_t NextFreeCode() const { return m_nextFree; }

private:
    bool ReadCode(uint16_t &code);
    bool RefillInput();
    // Decodes one code into the pending string; false on a damaged stream.
    bool Expand(uint16_t code);

    ArcByteSource *m_source = nullptr;
    std::vector<uint8_t> m_chunk; // input chunk of 25 sectors
    size_t m_chunkLength = 0;
    size_t m_chunkPosition = 0;
    bool m_inputEnded = false;
    uint32_t m_bitBuffer = 0; // unread bits, right-aligned
    unsigned m_bitCount = 0;

    unsigned m_width = kLzwMinWidth;
    unsigned m_maxWidthSeen = kLzwMinWidth;
    uint16_t m_nextFree = kLzwFirstFreeCode;
    int m_previous = -1;            // previous code, -1 right after a clear code
    std::vector<uint16_t> m_prefix; // per code: the code of the string without its last byte
    std::vector<uint8_t> m_suffix;  // per code: the last byte
    std::vector<uint8_t> m_first;   // per code: the first byte of its string

    std::vector<uint8_t> m_pending; // the current string, last byte first
    size_t m_pendingLength = 0;
    LzwStatus m_final = LzwStatus::Block; // End or Damaged once reached
};

} // namespace kestrel
