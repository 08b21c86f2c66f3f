// The open image file. Sectors are read through a shared mapping of the file when the system
// gives one, at the cost of a copy instead of a system call; anything outside the mapping
// goes through positioned reads.
//
// Writes that run on from one another gather in a buffer and reach the file in one
// positioned write when the run breaks, fills, or Flush is called; the library flushes at
// the end of every call but the one that writes a file sector by sector, so a file the
// program fills costs a system call per run instead of one per sector. Reads see the
// gathered sectors. Writing whole runs also spares the system the zeroed pages and the
// per-page faults that writing through the mapping would cost on a fresh image.
//
// A file that another program shortens while it is mapped would raise SIGBUS on the next
// read of the lost pages. The reads are guarded: such a fault makes the one transfer fail,
// the mapping is dropped, and later transfers use positioned I/O and see the new end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kestrel::hdlib
{

class ImageFile
{
public:
    ImageFile() = default;
    ImageFile(const ImageFile &) = delete;
    ImageFile &operator=(const ImageFile &) = delete;
    ~ImageFile();

    // Opens path for reading and writing; false when the system refuses.
    bool Open(const char *path);
    // False when gathered sectors could not be written.
    bool Close();
    explicit operator bool() const { return m_fd >= 0; }

    // Whole 256-byte sectors at a byte offset (a multiple of 256); false on a short or
    // failed transfer. A write that breaks a run answers for the run it writes out.
    bool ReadSector(uint64_t offset, uint8_t *data);
    bool WriteSector(uint64_t offset, const uint8_t *data);

    // Writes the gathered sectors out; false when the system refused them, which drops them.
    bool Flush();

    // Size of the file now, gathered sectors included; 0 when unknown.
    uint64_t Size() const;

    // The most a run gathers before it is written out.
    static constexpr size_t kRunBytes = 512 * 256;

private:
    void Unmap();
    bool Mapped(uint64_t offset) const { return m_map && offset + 256 <= m_mapped; }
    bool InRun(uint64_t offset) const
    {
        return m_runLength != 0 && offset >= m_runStart && offset - m_runStart < m_runLength;
    }

    int m_fd = -1;
    uint8_t *m_map = nullptr;
    size_t m_mapped = 0;
    std::unique_ptr<uint8_t[]> m_run; // null when it could not be had: writes go straight out
    uint64_t m_runStart = 0;
    size_t m_runLength = 0;
};

} // namespace kestrel::hdlib
