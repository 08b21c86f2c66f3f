// The 32 KiB buffer in which the writers build a file body. Every write is
// checked; once a write would pass the end the buffer is marked overflowed
// and further writes are ignored, so a writer checks Ok() once at its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::tokenizer
{

constexpr size_t kWorkBufferSize = 32768;

class WorkBuffer
{
public:
    WorkBuffer() { m_bytes.reserve(kWorkBufferSize); }

    size_t Size() const { return m_bytes.size(); }
    bool Ok() const { return !m_overflow; }
    const std::vector<uint8_t> &Bytes() const { return m_bytes; }

    void Put(uint8_t b)
    {
        if (m_bytes.size() >= kWorkBufferSize)
            m_overflow = true;
        else
            m_bytes.push_back(b);
    }
    void PutWord(uint16_t w)
    {
        Put(static_cast<uint8_t>(w >> 8));
        Put(static_cast<uint8_t>(w & 0xFF));
    }
    void PutText(const std::string &s)
    {
        for (char c : s)
            Put(static_cast<uint8_t>(c));
    }
    // Zero bytes up to the next multiple of 256 (nothing on a boundary).
    void FillSector()
    {
        while (m_bytes.size() % 256 != 0 && !m_overflow)
            Put(0);
    }
    // Overwrites a word already written (positions below Size()).
    void SetWord(size_t pos, uint16_t w)
    {
        if (pos + 1 < m_bytes.size()) {
            m_bytes[pos] = static_cast<uint8_t>(w >> 8);
            m_bytes[pos + 1] = static_cast<uint8_t>(w & 0xFF);
        }
    }

private:
    std::vector<uint8_t> m_bytes;
    bool m_overflow = false;
};

} // namespace kestrel::tokenizer
