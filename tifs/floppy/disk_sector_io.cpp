#include "tifs/floppy/disk_sector_io.h"
#include "platform/fault_injection.h"

#include <climits>
#include <cstring>

#include "tifs/floppy/hfe_image.h"
#include "tifs/messages.h"
#include "tifs/ti_file.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgNotHfe = 103;

bool InRange(uint64_t offset, size_t length, uint64_t size)
{
    return offset <= size && length <= size - offset;
}

} // namespace

bool FileImage::Open(const std::string &path, bool writable)
{
    Close();
    m_file = std::fopen(path.c_str(), writable ? "r+b" : "rb");
    if (m_file == nullptr) {
        return false;
    }
    m_writable = writable;
    if (std::fseek(m_file, 0, SEEK_END) != 0) {
        Close();
        return false;
    }
    long end = std::ftell(m_file);
    if (end < 0) {
        Close();
        return false;
    }
    m_size = static_cast<uint64_t>(end);
    return true;
}

void FileImage::Close()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_size = 0;
    m_writable = false;
}

bool FileImage::Flush()
{
    return m_file != nullptr && platform::io::Fflush(m_file) == 0;
}

bool FileImage::ReadAt(uint64_t offset, uint8_t *buffer, size_t length)
{
    if (m_file == nullptr || !InRange(offset, length, m_size) ||
        offset > static_cast<uint64_t>(LONG_MAX)) {
        return false;
    }
    if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0) {
        return false;
    }
    return std::fread(buffer, 1, length, m_file) == length;
}

bool FileImage::WriteAt(uint64_t offset, const uint8_t *buffer, size_t length)
{
    if (m_file == nullptr || !m_writable || !InRange(offset, length, m_size) ||
        offset > static_cast<uint64_t>(LONG_MAX)) {
        return false;
    }
    if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0) {
        return false;
    }
    // A write cut short is carried on from where it stopped: on an HFE image one write holds
    // a whole track, and its first half alone would leave every sector of the track unreadable.
    size_t done = 0;
    while (done < length) {
        const size_t n = platform::io::Fwrite(buffer + done, 1, length - done, m_file);
        if (n == 0) {
            return false;
        }
        done += n;
    }
    return true;
}

bool MemoryImage::ReadAt(uint64_t offset, uint8_t *buffer, size_t length)
{
    if (!InRange(offset, length, m_bytes.size())) {
        return false;
    }
    std::memcpy(buffer, m_bytes.data() + offset, length);
    return true;
}

bool MemoryImage::WriteAt(uint64_t offset, const uint8_t *buffer, size_t length)
{
    if (!InRange(offset, length, m_bytes.size())) {
        return false;
    }
    std::memcpy(m_bytes.data() + offset, buffer, length);
    return true;
}

FloppyImageFile::FloppyImageFile() = default;
FloppyImageFile::~FloppyImageFile() = default;

bool FloppyImageFile::Open(const std::string &path, bool writable)
{
    Close();
    if (!m_file.Open(path, writable)) {
        return false;
    }
    uint8_t signature[hfe::kSignatureLength];
    if (m_file.ReadAt(0, signature, sizeof signature) &&
        HasHfeSignature(signature, sizeof signature)) {
        m_trackImage = true;
        auto hfe = std::make_unique<HfeImage>(m_file);
        if (hfe->Open()) {
            m_hfe = std::move(hfe);
        }
    }
    return true;
}

void FloppyImageFile::Close()
{
    m_hfe.reset();
    m_trackImage = false;
    m_file.Close();
}

bool FloppyImageFile::ReadAt(uint64_t offset, uint8_t *buffer, size_t length)
{
    if (m_trackImage) {
        return m_hfe != nullptr && m_hfe->ReadAt(offset, buffer, length);
    }
    return m_file.ReadAt(offset, buffer, length);
}

bool FloppyImageFile::WriteAt(uint64_t offset, const uint8_t *buffer, size_t length)
{
    if (m_trackImage) {
        return m_hfe != nullptr && m_hfe->WriteAt(offset, buffer, length);
    }
    return m_file.WriteAt(offset, buffer, length);
}

uint64_t FloppyImageFile::Size() const
{
    if (m_trackImage) {
        return m_hfe != nullptr ? m_hfe->Size() : 0;
    }
    return m_file.Size();
}

bool FloppyImageFile::ReportFault(uint64_t offset, size_t length, Ui &ui, const std::string &path)
{
    if (!m_trackImage) {
        return false;
    }
    if (m_hfe == nullptr) {
        ReportError(ui, kMsgNotHfe, {path});
        return true;
    }
    return m_hfe->ReportFault(offset, length, ui, path);
}

bool ReadDiskSector(ImageAccess &image, uint64_t base, uint32_t sector, uint8_t *buffer, Ui &ui,
                    const std::string &path)
{
    const uint64_t offset = base + uint64_t{sector} * kSectorSize;
    if (image.ReadAt(offset, buffer, kSectorSize)) {
        return true;
    }
    if (!path.empty() && !image.ReportFault(offset, kSectorSize, ui, path)) {
        ReportError(ui, kMsgCantReadSector, {static_cast<unsigned>(sector), path});
    }
    return false;
}

bool WriteDiskSector(ImageAccess &image, uint64_t base, uint32_t sector, const uint8_t *buffer,
                     Ui &ui, const std::string &path)
{
    const uint64_t offset = base + uint64_t{sector} * kSectorSize;
    if (image.WriteAt(offset, buffer, kSectorSize)) {
        return true;
    }
    if (!path.empty() && !image.ReportFault(offset, kSectorSize, ui, path)) {
        ReportError(ui, kMsgCantWriteSector, {static_cast<unsigned>(sector), path});
    }
    return false;
}

} // namespace kestrel
