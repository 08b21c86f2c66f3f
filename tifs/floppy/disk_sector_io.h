// Block access to an image held in a file or in memory, and the sector
// calls every floppy routine reads and writes through. A transfer is whole
// or it is a failure: a short read, a read past the end, or a write that
// would grow the image all fail, so that a damaged image can neither be read
// outside its bytes nor be extended by accident.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tifs/ui.h"

namespace kestrel
{

class ImageAccess
{
public:
    virtual ~ImageAccess() = default;
    // Exactly length bytes at offset; false when fewer are there.
    virtual bool ReadAt(uint64_t offset, uint8_t *buffer, size_t length) = 0;
    // Overwrites length bytes at offset inside the image; false when the
    // range ends beyond the image or the transfer fails.
    virtual bool WriteAt(uint64_t offset, const uint8_t *buffer, size_t length) = 0;
    virtual uint64_t Size() const = 0;
    // After a failed transfer of that range: reports why, when the image
    // knows more than that the bytes are not there (a track image's CRC
    // error), and returns true; false when it has nothing to add.
    virtual bool ReportFault(uint64_t offset, size_t length, Ui &ui, const std::string &path)
    {
        (void)offset;
        (void)length;
        (void)ui;
        (void)path;
        return false;
    }
};

// An image file opened for reading, or for reading and writing.
class FileImage : public ImageAccess
{
public:
    FileImage() = default;
    ~FileImage() override { Close(); }
    FileImage(const FileImage &) = delete;
    FileImage &operator=(const FileImage &) = delete;

    bool Open(const std::string &path, bool writable);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    // Flushes written data; false when the system refused it.
    bool Flush();

    bool ReadAt(uint64_t offset, uint8_t *buffer, size_t length) override;
    bool WriteAt(uint64_t offset, const uint8_t *buffer, size_t length) override;
    uint64_t Size() const override { return m_size; }

private:
    std::FILE *m_file = nullptr;
    uint64_t m_size = 0;
    bool m_writable = false;
};

// An image in a caller-owned byte vector (tests and fuzzing); never grows.
class MemoryImage : public ImageAccess
{
public:
    explicit MemoryImage(std::vector<uint8_t> &bytes) : m_bytes(bytes) {}
    bool ReadAt(uint64_t offset, uint8_t *buffer, size_t length) override;
    bool WriteAt(uint64_t offset, const uint8_t *buffer, size_t length) override;
    uint64_t Size() const override { return m_bytes.size(); }

private:
    std::vector<uint8_t> &m_bytes;
};

class HfeImage;

// A floppy image file of either form: a sector dump, or an HFE track image
// (told by its signature) seen as the sector dump it holds. A file that
// carries the HFE signature but cannot be read as one opens with size 0 and
// reports "Not an HFE image that can be read <%s>" at its first transfer.
class FloppyImageFile : public ImageAccess
{
public:
    FloppyImageFile();
    ~FloppyImageFile() override;
    FloppyImageFile(const FloppyImageFile &) = delete;
    FloppyImageFile &operator=(const FloppyImageFile &) = delete;

    bool Open(const std::string &path, bool writable);
    void Close();
    bool IsOpen() const { return m_file.IsOpen(); }
    bool Flush() { return m_file.Flush(); }
    // True for an HFE file (readable or not).
    bool IsTrackImage() const { return m_trackImage; }
    // The HFE image when the file is a readable one, else null.
    HfeImage *TrackImage() { return m_hfe.get(); }

    bool ReadAt(uint64_t offset, uint8_t *buffer, size_t length) override;
    bool WriteAt(uint64_t offset, const uint8_t *buffer, size_t length) override;
    uint64_t Size() const override;
    bool ReportFault(uint64_t offset, size_t length, Ui &ui, const std::string &path) override;

private:
    FileImage m_file;
    std::unique_ptr<HfeImage> m_hfe;
    bool m_trackImage = false;
};

// Sector n of a sector dump at base + n x 256. With a non-empty path a
// failure reports "Can't read sector <%d> from <%s>" (or the write message)
// with the sector number and that path.
bool ReadDiskSector(ImageAccess &image, uint64_t base, uint32_t sector, uint8_t *buffer, Ui &ui,
                    const std::string &path);
bool WriteDiskSector(ImageAccess &image, uint64_t base, uint32_t sector, const uint8_t *buffer,
                     Ui &ui, const std::string &path);

} // namespace kestrel
