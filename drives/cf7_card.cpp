#include "drives/cf7_card.h"

#include <algorithm>
#include <cstring>

#include "tifs/messages.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgCantReadDiskInfo = 9;
constexpr int kMsgSeekErrorFile = 14;
constexpr int kMsgCantOpenDrive = 24;
constexpr int kMsgSectorSize = 26;
constexpr int kMsgCantReadDrive = 27;
constexpr int kMsgCantWriteDrive = 28;
constexpr int kMsgSeekErrorDrive = 30;

std::string LetterText(char letter)
{
    return std::string(1, letter);
}

} // namespace

// The TI bytes of a card in a drive: TI byte j of card sector s is byte 2j
// of physical sector s. Reads gather, writes read-modify-write the even bytes
// with the filler of the sector.
class Cf7Card::DriveBytes : public ImageAccess
{
public:
    explicit DriveBytes(Cf7Card &card) : m_card(card) {}

    bool ReadAt(uint64_t offset, uint8_t *buffer, size_t length) override
    {
        if (offset > Size() || length > Size() - offset) {
            return false;
        }
        uint8_t physical[kCf7PhysicalSector];
        uint8_t ti[kCf7TiSector];
        while (length > 0) {
            uint64_t sector = offset / kCf7TiSector;
            size_t at = static_cast<size_t>(offset % kCf7TiSector);
            size_t take = std::min<size_t>(length, kCf7TiSector - at);
            int error = 0;
            if (!m_card.m_disk.ReadSector(sector, physical, error)) {
                return false;
            }
            GatherTiSector(physical, ti);
            std::memcpy(buffer, ti + at, take);
            buffer += take;
            offset += take;
            length -= take;
        }
        return true;
    }

    bool WriteAt(uint64_t offset, const uint8_t *buffer, size_t length) override
    {
        if (offset > Size() || length > Size() - offset) {
            return false;
        }
        uint8_t physical[kCf7PhysicalSector];
        uint8_t ti[kCf7TiSector];
        while (length > 0) {
            uint64_t sector = offset / kCf7TiSector;
            size_t at = static_cast<size_t>(offset % kCf7TiSector);
            size_t take = std::min<size_t>(length, kCf7TiSector - at);
            int error = 0;
            uint64_t failed = 0;
            if (take < kCf7TiSector) {
                if (!m_card.m_disk.ReadSector(sector, physical, error)) {
                    return false;
                }
                GatherTiSector(physical, ti);
            }
            std::memcpy(ti + at, buffer, take);
            SpreadTiSector(ti, Cf7FillerFor(sector), physical);
            if (!m_card.m_disk.WriteSector(sector, physical, error, failed) ||
                !m_card.m_disk.Flush(error, failed)) {
                return false;
            }
            buffer += take;
            offset += take;
            length -= take;
        }
        return true;
    }

    uint64_t Size() const override { return m_card.m_tiSectors * kCf7TiSector; }

private:
    Cf7Card &m_card;
};

// The TI bytes of a card image: the file after its header.
class ImageBytes : public ImageAccess
{
public:
    explicit ImageBytes(ImageAccess &file) : m_file(file) {}
    bool ReadAt(uint64_t offset, uint8_t *buffer, size_t length) override
    {
        return m_file.ReadAt(offset + kCf7HeaderSize, buffer, length);
    }
    bool WriteAt(uint64_t offset, const uint8_t *buffer, size_t length) override
    {
        return m_file.WriteAt(offset + kCf7HeaderSize, buffer, length);
    }
    uint64_t Size() const override
    {
        return m_file.Size() < kCf7HeaderSize ? 0 : m_file.Size() - kCf7HeaderSize;
    }

private:
    ImageAccess &m_file;
};

bool Cf7Card::OpenImage(const std::string &path, bool writable, int openMessage, Ui &ui)
{
    Close();
    m_physical = false;
    m_path = path;
    if (!m_image.Open(path, writable)) {
        ReportError(ui, openMessage, {path});
        return false;
    }
    uint8_t header[kCf7HeaderSize];
    if (!m_image.ReadAt(0, header, sizeof header) || !IsCf7ImageHeader(header)) {
        m_image.Close();
        ReportError(ui, kMsgCantReadDiskInfo, {path});
        return false;
    }
    m_tiSectors = Cf7ImageTiSectors(m_image.Size());
    m_tiBytes = std::make_unique<ImageBytes>(m_image);
    return true;
}

bool Cf7Card::OpenDrive(char letter, bool forWriting, Ui &ui)
{
    Close();
    m_physical = true;
    m_letter = letter;
    platform::RawDriveInfo info;
    int error = 0;
    if (!platform::FindRawDrive(letter, info) || !m_disk.Open(info, forWriting, error)) {
        ReportSystemError(ui, error, kMsgCantOpenDrive, {letter});
        return false;
    }
    if (m_disk.SectorSize() != kCf7PhysicalSector) {
        m_disk.Close();
        ReportError(ui, kMsgSectorSize, {letter});
        return false;
    }
    m_tiSectors = m_disk.ReportedSectors();
    m_path = info.devicePath;
    m_tiBytes = std::make_unique<DriveBytes>(*this);
    return true;
}

bool Cf7Card::OpenSectorsFile(const std::string &path, Ui &ui)
{
    Close();
    m_physical = true;
    m_letter = 0;
    m_path = path;
    platform::RawDriveInfo info;
    info.devicePath = path;
    info.description = path;
    info.fileBacked = true;
    int error = 0;
    if (!m_disk.Open(info, false, error)) {
        ReportSystemError(ui, error, kMsgCantOpenRead, {path});
        return false;
    }
    m_tiSectors = m_disk.ReportedSectors();
    m_tiBytes = std::make_unique<DriveBytes>(*this);
    return true;
}

bool Cf7Card::Finish(Ui &ui)
{
    bool ok = true;
    if (m_disk.IsOpen()) {
        int error = 0;
        uint64_t failed = 0;
        if (!m_disk.Flush(error, failed)) {
            ReportSystemError(ui, error, kMsgCantWriteDrive,
                              {static_cast<long long>(failed), m_letter});
            ok = false;
        }
    } else if (m_image.IsOpen() && !m_image.Flush()) {
        ReportError(ui, kMsgCantWriteSector, {0, m_path});
        ok = false;
    }
    Close();
    return ok;
}

void Cf7Card::Close()
{
    m_tiBytes.reset();
    m_image.Close();
    m_disk.Close();
}

bool Cf7Card::CheckVolume(uint32_t volume, Ui &ui)
{
    if (volume >= 1 && volume <= VolumeCount()) {
        return true;
    }
    if (m_physical) {
        ReportError(ui, kMsgSeekErrorDrive, {LetterText(m_letter)});
    } else {
        ReportError(ui, kMsgSeekErrorFile, {m_path});
    }
    return false;
}

bool Cf7Card::ReadPhysical(uint64_t sector, uint8_t *buffer, Ui &ui)
{
    int error = 0;
    if (!m_disk.ReadSector(sector, buffer, error)) {
        ReportSystemError(ui, error, kMsgCantReadDrive, {static_cast<long long>(sector), m_letter});
        return false;
    }
    return true;
}

bool Cf7Card::ProbePhysical(uint64_t sector, uint8_t *buffer)
{
    return m_disk.ProbeSector(sector, buffer, m_lastError);
}

bool Cf7Card::WritePhysical(uint64_t sector, const uint8_t *buffer, Ui &ui)
{
    int error = 0;
    uint64_t failed = 0;
    if (!m_disk.WriteSector(sector, buffer, error, failed)) {
        ReportSystemError(ui, error, kMsgCantWriteDrive,
                          {static_cast<long long>(failed), m_letter});
        return false;
    }
    return true;
}

bool Cf7Card::ReadSector(uint64_t cardSector, uint8_t *ti, Ui &ui)
{
    if (m_physical) {
        uint8_t physical[kCf7PhysicalSector];
        if (!ReadPhysical(cardSector, physical, ui)) {
            return false;
        }
        GatherTiSector(physical, ti);
        return true;
    }
    if (!m_image.ReadAt(cardSector * kCf7TiSector + kCf7HeaderSize, ti, kCf7TiSector)) {
        ReportError(ui, kMsgCantReadSector, {static_cast<long long>(cardSector), m_path});
        return false;
    }
    return true;
}

bool Cf7Card::WriteSector(uint64_t cardSector, const uint8_t *ti, Ui &ui)
{
    if (m_physical) {
        uint8_t physical[kCf7PhysicalSector];
        SpreadTiSector(ti, Cf7FillerFor(cardSector), physical);
        return WritePhysical(cardSector, physical, ui);
    }
    if (!m_image.WriteAt(cardSector * kCf7TiSector + kCf7HeaderSize, ti, kCf7TiSector)) {
        ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(cardSector), m_path});
        return false;
    }
    return true;
}

bool Cf7Card::ReadHeader(uint8_t *header, Ui &ui)
{
    if (!m_image.ReadAt(0, header, kCf7HeaderSize)) {
        ReportError(ui, kMsgCantReadSector, {0, m_path});
        return false;
    }
    return true;
}

bool Cf7Card::WriteHeader(const uint8_t *header, Ui &ui)
{
    if (!m_image.WriteAt(0, header, kCf7HeaderSize)) {
        ReportError(ui, kMsgCantWriteSector, {0, m_path});
        return false;
    }
    return true;
}

ImageAccess &Cf7Card::TiBytes()
{
    return *m_tiBytes;
}

} // namespace kestrel
