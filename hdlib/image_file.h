// The open image file. Sectors are moved through a shared mapping of the file when the
// system gives one, so a write lands in the system's file cache the moment it is made
// (what a flush after every write gave a buffered stream) at the cost of a copy instead of a
// system call; anything outside the mapping goes through positioned reads and writes.
//
// A file that another program shortens while it is mapped would raise SIGBUS on the next
// access to the lost pages. The accesses are guarded: such a fault makes the one transfer
// fail, the mapping is dropped, and later transfers use positioned I/O and see the new end.
#pragma once

#include <cstddef>
#include <cstdint>

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
    void Close();
    explicit operator bool() const { return m_fd >= 0; }

    // Whole 256-byte sectors at a byte offset; false on a short or failed transfer.
    bool ReadSector(uint64_t offset, uint8_t *data);
    bool WriteSector(uint64_t offset, const uint8_t *data);

    // Asks the system to make the pages of a byte range writable now, in one call, rather
    // than one fault at each page's first write (a file about to be filled). Only a hint.
    void PrepareForWrite(uint64_t offset, uint64_t length);

    // Size of the file now, 0 when unknown.
    uint64_t Size() const;

private:
    void Unmap();
    bool Mapped(uint64_t offset) const { return m_map && offset + 256 <= m_mapped; }

    int m_fd = -1;
    uint8_t *m_map = nullptr;
    size_t m_mapped = 0;
};

} // namespace kestrel::hdlib
