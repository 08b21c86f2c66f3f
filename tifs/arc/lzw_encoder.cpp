#include "tifs/arc/lzw_encoder.h"

#include "tifs/arc/lzw_decoder.h"

namespace kestrel
{

namespace
{

constexpr unsigned kHashBits = 13; // 8192 slots for at most 3838 strings
constexpr size_t kHashSlots = size_t{1} << kHashBits;
constexpr size_t kSectorBytes = 256;

class BitWriter
{
public:
    explicit BitWriter(std::vector<uint8_t> &out) : m_out(out) {}

    void Put(unsigned code, unsigned width)
    {
        m_buffer = (m_buffer << width) | code;
        m_count += width;
        while (m_count >= 8) {
            m_count -= 8;
            m_out.push_back(static_cast<uint8_t>(m_buffer >> m_count));
        }
        m_buffer &= (uint64_t{1} << m_count) - 1;
    }

    void Finish()
    {
        if (m_count > 0) {
            m_out.push_back(static_cast<uint8_t>(m_buffer << (8 - m_count)));
            m_count = 0;
        }
        m_out.resize((m_out.size() + kSectorBytes - 1) / kSectorBytes * kSectorBytes, 0);
    }

private:
    std::vector<uint8_t> &m_out;
    uint64_t m_buffer = 0;
    unsigned m_count = 0;
};

// (prefix code, byte) -> code, emptied by bumping the generation.
class StringTable
{
public:
    StringTable() : m_keys(kHashSlots), m_codes(kHashSlots), m_generations(kHashSlots, 0) {}

    void Clear() { ++m_generation; }

    // The code of the pair, or -1; slot receives where it is or would go.
    int Find(uint32_t key, size_t &slot) const
    {
        slot = (key * 2654435761u) >> (32 - kHashBits);
        while (m_generations[slot] == m_generation) {
            if (m_keys[slot] == key) {
                return m_codes[slot];
            }
            slot = (slot + 1) & (kHashSlots - 1);
        }
        return -1;
    }

    void Insert(size_t slot, uint32_t key, uint16_t code)
    {
        m_keys[slot] = key;
        m_codes[slot] = code;
        m_generations[slot] = m_generation;
    }

private:
    std::vector<uint32_t> m_keys;
    std::vector<uint16_t> m_codes;
    std::vector<uint32_t> m_generations;
    uint32_t m_generation = 1;
};

} // namespace

std::vector<uint8_t> LzwCompress(const uint8_t *data, size_t size, LzwEncodeOptions options)
{
    std::vector<uint8_t> out;
    out.reserve(size / 2 + kSectorBytes);
    BitWriter bits(out);
    StringTable table;
    unsigned width = kLzwMinWidth;
    unsigned nextFree = kLzwFirstFreeCode;
    bits.Put(kLzwClearCode, width);

    // The decoder's table is one code behind ours: it widens when its next
    // free code reaches the limit, that is when ours is one past it.
    auto grow = [&]() {
        if (nextFree < kLzwTableSize) {
            ++nextFree;
        }
        if (nextFree - 1 == (1u << width) && width < kLzwMaxWidth) {
            ++width;
        }
    };

    if (size == 0) {
        bits.Put(kLzwEndCode, width);
        bits.Finish();
        return out;
    }
    unsigned current = data[0];
    for (size_t i = 1; i < size; ++i) {
        const uint8_t byte = data[i];
        const uint32_t key = (static_cast<uint32_t>(current) << 8) | byte;
        size_t slot = 0;
        const int code = table.Find(key, slot);
        if (code >= 0) {
            current = static_cast<unsigned>(code);
            continue;
        }
        bits.Put(current, width);
        if (nextFree < kLzwTableSize) {
            table.Insert(slot, key, static_cast<uint16_t>(nextFree));
            grow();
        } else if (options.clearWhenFull) {
            // The clear goes out once the decoder's table is full as well,
            // one code after ours: the code just sent defined its last entry.
            bits.Put(kLzwClearCode, width);
            table.Clear();
            width = kLzwMinWidth;
            nextFree = kLzwFirstFreeCode;
        }
        current = byte;
    }
    bits.Put(current, width);
    grow();
    bits.Put(kLzwEndCode, width);
    bits.Finish();
    return out;
}

} // namespace kestrel
