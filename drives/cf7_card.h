// One CF7A+ card opened for sector access: a card image file or a card in a
// physical drive. Sector numbers are card TI sectors (volume v's sector i is
// (v - 1) x 1600 + i). Every failure is reported here with the message that
// fits where the card lives, and the call returns false:
//   image file: 1 / 2 / 3 on opening, 14 for a volume outside the image,
//               6 and 7 with the TI sector and the image path;
//   drive:      24 on opening, 26 for a sector size other than 512,
//               30 for a position outside the drive, 27 and 28 with the
//               physical sector, the letter and the system's text.
// Writes to a drive are written behind: a failure may surface at a later
// write or at Finish, and is reported with the sector that failed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "drives/cf7_layout.h"
#include "platform/rawdisk.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/ui.h"

namespace kestrel
{

class Cf7Card
{
public:
    Cf7Card() = default;
    ~Cf7Card() { Close(); }
    Cf7Card(const Cf7Card &) = delete;
    Cf7Card &operator=(const Cf7Card &) = delete;

    // openMessage: 1 (read), 2 (write) or 3 (read and write) for a failure.
    // An image without the "CF7" header shows message 9.
    bool OpenImage(const std::string &path, bool writable, int openMessage, Ui &ui);
    // Opens the drive with that letter (the write lock with forWriting).
    bool OpenDrive(char letter, bool forWriting, Ui &ui);
    // Opens for reading a file that holds a card's 512-byte sectors as a drive
    // has them (a card copied sector by sector, a file standing in for a
    // drive): the card is then Physical(), without a letter; a part sector
    // at the end is no sector. Message 1 when the file cannot be opened.
    bool OpenSectorsFile(const std::string &path, Ui &ui);
    // Writes what is pending (message 28 on failure) and closes; false when
    // that write failed.
    bool Finish(Ui &ui);
    // Closes without reporting.
    void Close();

    bool IsOpen() const { return m_image.IsOpen() || m_disk.IsOpen(); }
    bool Physical() const { return m_physical; }
    char Letter() const { return m_letter; }
    // The open drive itself, for whole-drive transfers in large blocks.
    platform::RawDisk &Disk() { return m_disk; }
    const std::string &ImagePath() const { return m_path; }
    uint64_t TiSectors() const { return m_tiSectors; }
    uint32_t VolumeCount() const { return Cf7VolumeCount(m_tiSectors); }

    // Checks that volume lies on the card (message 14 or 30 when not).
    bool CheckVolume(uint32_t volume, Ui &ui);
    bool ReadSector(uint64_t cardSector, uint8_t *ti, Ui &ui);
    // On a drive the filler is 0xE4 for a volume's first sector, else 0xE5.
    bool WriteSector(uint64_t cardSector, const uint8_t *ti, Ui &ui);

    // Raw 512-byte sectors of a drive (the mount record, backup).
    bool ReadPhysical(uint64_t sector, uint8_t *buffer, Ui &ui);
    bool WritePhysical(uint64_t sector, const uint8_t *buffer, Ui &ui);
    // Reads a physical sector without reporting (capacity checks); the
    // system's reason is then in LastError.
    bool ProbePhysical(uint64_t sector, uint8_t *buffer);
    int LastError() const { return m_lastError; }

    // The 128-byte header of an image (message 6 with sector 0 when short).
    bool ReadHeader(uint8_t *header, Ui &ui);
    bool WriteHeader(const uint8_t *header, Ui &ui);

    // The card's TI bytes for the floppy reader; valid while the card is open.
    ImageAccess &TiBytes();

private:
    class DriveBytes;

    bool m_physical = false;
    char m_letter = 0;
    std::string m_path;
    uint64_t m_tiSectors = 0;
    FileImage m_image;
    platform::RawDisk m_disk;
    std::unique_ptr<ImageAccess> m_tiBytes;
    int m_lastError = 0;
};

} // namespace kestrel
