// Byte-level builders of TI hard-disk images for tests: single volumes and partitioned disks
// with any sectors per AU, files and subdirectories placed at chosen AUs, and a view that
// reads and changes the structures of one volume directly. Nothing here goes through the
// hard-disk library, so tests can check what the library wrote against it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::testing
{

struct HdVolumeLayout {
    uint32_t sectors = 4096;
    unsigned sectorsPerAu = 0; // 0: the smallest of 1, 2, 4, 8, 16 that keeps AUs <= 0xF800
    std::string label = "HARDDISK";
    bool initialized = true; // false: the root file index is not where the VIB says it is
};

// Sectors per AU that a new volume of that many sectors gets.
unsigned DefaultSectorsPerAu(uint32_t sectors);

// Formats one volume at image sector firstSector (the image grows to hold it): the VIB, the
// bitmap with the system area (sectors 0 to 63 + one AU) and every AU past the end marked,
// its copy at sectors 32 to 63 and an empty root file index.
void FormatHdVolume(std::vector<uint8_t> &image, uint32_t firstSector,
                    const HdVolumeLayout &layout);

std::vector<uint8_t> MakeHdImage(const HdVolumeLayout &layout);

// The "*TI99FSPT*" table in sector 0 with entries of (start, length) in 512-byte blocks.
void WritePartitionTable(std::vector<uint8_t> &image,
                         const std::vector<std::pair<uint32_t, uint32_t>> &entries,
                         uint32_t totalBlocks);

// A partitioned disk: the table, then each volume right after the previous one, the first at
// image sector 2.
std::vector<uint8_t> MakePartitionedHdImage(const std::vector<HdVolumeLayout> &volumes);

bool WriteHdImageFile(const std::string &path, const std::vector<uint8_t> &image);
std::vector<uint8_t> ReadHdImageFile(const std::string &path);

struct HdChainRun {
    uint16_t first;
    uint16_t last;
};

// One volume of an image, read and changed in place.
class HdVolumeView
{
public:
    HdVolumeView(std::vector<uint8_t> &image, uint32_t firstSector);

    // The 256 bytes of a volume sector, or null beyond the image.
    uint8_t *Sector(uint32_t volumeSector);
    uint8_t *Au(uint32_t au) { return Sector(au * SectorsPerAu()); }
    unsigned SectorsPerAu() const;
    uint16_t TotalAus() const;

    bool AuUsed(uint32_t au) const;
    void SetAuUsed(uint32_t au, bool used);
    void SetAusUsed(uint32_t first, uint32_t count, bool used);
    uint32_t FreeAus() const; // zero bits below the volume's total

    // The directory record (VIB for dirAu 0, else the DDR at dirAu) and its file index.
    uint8_t *DirectoryRecord(uint16_t dirAu);
    uint8_t *FileIndex(uint16_t dirAu);

    // Puts a file into a directory: its FDR at fdrAu, its data written across the chain, the
    // AUs marked used, its word inserted by name into the file index. Sectors, end-of-file
    // offset and level-3 count are taken from the arguments as given.
    void AddFile(uint16_t dirAu, uint16_t fdrAu, const std::string &name, uint8_t flags,
                 uint8_t recordLength, uint8_t recordsPerSector, uint16_t sectors,
                 uint8_t endOfFile, uint16_t level3, const std::vector<HdChainRun> &chain,
                 const std::vector<uint8_t> &data);

    // A PROGRAM file of the given bytes in one run of AUs starting at firstDataAu.
    void AddProgram(uint16_t dirAu, uint16_t fdrAu, const std::string &name, uint16_t firstDataAu,
                    const std::vector<uint8_t> &bytes);

    // Puts an empty subdirectory into a directory, inserted by name into its list.
    void AddSubdirectory(uint16_t parentAu, uint16_t ddrAu, uint16_t fileIndexAu,
                         const std::string &name);

    // Every AU of a file: its FDR and its chain.
    std::vector<uint32_t> FileAus(uint16_t fdrAu);

private:
    std::vector<uint8_t> &m_image;
    uint32_t m_first;
};

// The 10-byte TI name, space padded.
std::string PaddedTiName(const std::string &name);

} // namespace kestrel::testing
