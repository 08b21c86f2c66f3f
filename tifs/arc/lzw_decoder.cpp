#include "tifs/arc/lzw_decoder.h"

#include <algorithm>
#include <cstring>

namespace kestrel
{

size_t MemoryByteSource::Read(uint8_t *buffer, size_t capacity)
{
    size_t count = std::min(capacity, m_size - m_position);
    if (count > 0) {
        std::memcpy(buffer, m_data + m_position, count);
        m_position += count;
    }
    return count;
}

LzwDecoder::LzwDecoder()
    : m_chunk(kLzwChunkSectors * kLzwBlockSize), m_prefix(kLzwTableSize), m_suffix(kLzwTableSize),
      m_first(kLzwTableSize), m_pending(kLzwTableSize)
{
    Reset(nullptr);
}

void LzwDecoder::Reset(ArcByteSource *source)
{
    m_source = source;
    m_chunkLength = 0;
    m_chunkPosition = 0;
    m_inputEnded = source == nullptr;
    m_bitBuffer = 0;
    m_bitCount = 0;
    m_width = kLzwMinWidth;
    m_maxWidthSeen = kLzwMinWidth;
    m_nextFree = kLzwFirstFreeCode;
    m_previous = -1;
    std::fill(m_prefix.begin(), m_prefix.end(), 0);
    std::fill(m_suffix.begin(), m_suffix.end(), 0);
    for (size_t code = 0; code < kLzwTableSize; ++code) {
        m_first[code] = static_cast<uint8_t>(code < 256 ? code : 0);
    }
    m_pendingLength = 0;
    m_final = LzwStatus::Block;
}

bool LzwDecoder::RefillInput()
{
    if (m_inputEnded) {
        return false;
    }
    m_chunkLength = m_source->Read(m_chunk.data(), m_chunk.size());
    m_chunkPosition = 0;
    if (m_chunkLength == 0 || m_chunkLength > m_chunk.size()) {
        m_chunkLength = 0;
        m_inputEnded = true;
        return false;
    }
    return true;
}

bool LzwDecoder::ReadCode(uint16_t &code)
{
    // Taking whole bytes most significant bit first is the same bit order as
    // taking the stream as big-endian words.
    while (m_bitCount < m_width) {
        if (m_chunkPosition >= m_chunkLength && !RefillInput()) {
            return false;
        }
        m_bitBuffer = (m_bitBuffer << 8) | m_chunk[m_chunkPosition++];
        m_bitCount += 8;
    }
    m_bitCount -= m_width;
    code = static_cast<uint16_t>((m_bitBuffer >> m_bitCount) & ((1u << m_width) - 1));
    m_bitBuffer &= (1u << m_bitCount) - 1;
    return true;
}

bool LzwDecoder::Expand(uint16_t code)
{
    if (m_previous < 0) {
        // The code after a clear code stands for itself.
        if (code > 0xFF) {
            return false;
        }
        m_pending[0] = static_cast<uint8_t>(code);
        m_pendingLength = 1;
        m_previous = code;
        return true;
    }
    if (code > m_nextFree || (code == m_nextFree && m_nextFree >= kLzwTableSize)) {
        return false;
    }
    if (m_nextFree < kLzwTableSize) {
        // The new string is the previous one plus the first byte of this one;
        // when this code is the one being defined (the KwKwK case) its first
        // byte is the previous string's first byte.
        uint16_t previous = static_cast<uint16_t>(m_previous);
        uint8_t firstOfCurrent = code == m_nextFree ? m_first[previous] : m_first[code];
        m_prefix[m_nextFree] = previous;
        m_suffix[m_nextFree] = firstOfCurrent;
        m_first[m_nextFree] = m_first[previous];
        ++m_nextFree;
        if (m_nextFree == (1u << m_width) && m_width < kLzwMaxWidth) {
            ++m_width;
            m_maxWidthSeen = std::max(m_maxWidthSeen, m_width);
        }
    }
    // Every prefix is a smaller code than the code it belongs to, so this walk
    // ends at a literal within kLzwTableSize steps.
    size_t length = 0;
    uint16_t walk = code;
    while (walk >= kLzwFirstFreeCode && length < kLzwTableSize - 1) {
        m_pending[length++] = m_suffix[walk];
        walk = m_prefix[walk];
    }
    if (walk > 0xFF) {
        return false;
    }
    m_pending[length++] = static_cast<uint8_t>(walk);
    m_pendingLength = length;
    m_previous = code;
    return true;
}

LzwStatus LzwDecoder::NextBlock(uint8_t *block, size_t &filled)
{
    filled = 0;
    std::memset(block, 0, kLzwBlockSize);
    if (m_final != LzwStatus::Block) {
        return m_final;
    }
    while (filled < kLzwBlockSize) {
        if (m_pendingLength > 0) {
            block[filled++] = m_pending[--m_pendingLength];
            continue;
        }
        uint16_t code = 0;
        if (!ReadCode(code)) {
            m_final = LzwStatus::End;
            break;
        }
        if (code == kLzwClearCode) {
            m_width = kLzwMinWidth;
            m_nextFree = kLzwFirstFreeCode;
            m_previous = -1;
            continue;
        }
        if (code == kLzwEndCode) {
            m_final = LzwStatus::End;
            break;
        }
        if (!Expand(code)) {
            m_final = LzwStatus::Damaged;
            return m_final;
        }
    }
    if (filled > 0) {
        return LzwStatus::Block; // a flushed short block still counts
    }
    return m_final;
}

} // namespace kestrel
