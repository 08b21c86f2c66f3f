// Public interface of the hard-disk image library Brackenly32.
//
// The library exports one C function, LibraryOrdinal, that hands out the addresses of its 35
// operations by number. Callers bind the ordinals they need through the function-pointer types
// below and exchange only the plain records declared here. Every operation answers a DSR error
// byte (0 success; 32 write protected; 64 bad open attribute; 96 illegal operation; 128 out of
// space; 160 end of file; 192 device error; 224 file error) unless its comment says otherwise.
//
// The library keeps one open image, one current volume, one directory block and six file slots
// for the whole process. It is not thread-safe: callers serialize every call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel::brackenly
{

// One sector as the library buffers it: where the data came from, then the data.
struct SectorBuffer {
    uint32_t imageSector;  // image sector of the data (volume sector + volume's first sector)
    uint32_t volumeSector; // sector number inside the current volume
    uint8_t data[256];
};
static_assert(sizeof(SectorBuffer) == 264);
static_assert(offsetof(SectorBuffer, data) == 8);

// The caller's request record. The caller clears the first 188 bytes before filling it and owns
// it; the library keeps a pointer to the last request of each slot but never writes through a
// pointer from an earlier call.
struct FileRequest {
    int32_t slot;              // 0 to 5; anything else answers 96
    uint8_t isDirectory;       // 1 when the request concerns a directory
    uint8_t status;            // 'C' once the file is closed
    uint8_t cleared6;          // cleared by ordinal 7
    uint8_t flags;             // open flags (kOpen...), or the FDR flags to store (ordinal 31)
    uint32_t recordLength;     // 0: the file's (or 80 for a new file); ordinal 17: bytes wanted
                               // on entry, bytes delivered on return
    uint32_t recordNumber;     // relative files: next record, updated after each record
    uint32_t programSize;      // ordinal 16: program size in bytes
    uint32_t zero20;           // ordinal 16: 0
    uint32_t sectors;          // ordinals 16, 29, 31: sectors of the file
    uint32_t endOfFileOffset;  // ordinals 16, 29, 31
    uint32_t level3Count;      // ordinals 16, 29, 31
    uint32_t recordsPerSector; // ordinals 29, 31
    uint8_t zero40;            // ordinal 16: 0
    uint8_t mustExist;         // ordinals 11, 18: non-zero refuses to create; cleared by all
    uint8_t cleared42;         // cleared by ordinal 29
    char path[145];            // TI path, NUL-terminated inside these 145 bytes
    char directoryName[10];    // ordinal 7: name of the open directory (not terminated)
};
static_assert(offsetof(FileRequest, isDirectory) == 4);
static_assert(offsetof(FileRequest, status) == 5);
static_assert(offsetof(FileRequest, flags) == 7);
static_assert(offsetof(FileRequest, recordLength) == 8);
static_assert(offsetof(FileRequest, recordNumber) == 12);
static_assert(offsetof(FileRequest, programSize) == 16);
static_assert(offsetof(FileRequest, sectors) == 24);
static_assert(offsetof(FileRequest, endOfFileOffset) == 28);
static_assert(offsetof(FileRequest, level3Count) == 32);
static_assert(offsetof(FileRequest, recordsPerSector) == 36);
static_assert(offsetof(FileRequest, zero40) == 40);
static_assert(offsetof(FileRequest, mustExist) == 41);
static_assert(offsetof(FileRequest, cleared42) == 42);
static_assert(offsetof(FileRequest, path) == 43);
static_assert(offsetof(FileRequest, directoryName) == 188);
static_assert(sizeof(FileRequest) >= 198);

// Open flags of FileRequest::flags.
constexpr uint8_t kOpenRelative = 0x01;
constexpr uint8_t kOpenModeMask = 0x06;
constexpr uint8_t kOpenUpdate = 0x00;
constexpr uint8_t kOpenOutput = 0x02;
constexpr uint8_t kOpenInput = 0x04;
constexpr uint8_t kOpenAppend = 0x06;
constexpr uint8_t kOpenInternal = 0x08;
constexpr uint8_t kOpenVariable = 0x10;

// The directory block: one per library, handed out by ordinals 7 and 10 and read by the caller
// at these fixed positions while the library stays loaded.
struct DirectoryBlock {
    uint16_t position;       // next subdirectory of the enumeration
    uint16_t fileCount;      // files of the open directory
    uint16_t directoryCount; // subdirectories of the open directory
    uint16_t reserved6;
    uint32_t totalSectors;  // of the current volume, set by ordinal 7
    uint32_t freeSectors;   // of the current volume, set by ordinal 7
    SectorBuffer record;    // the open directory's VIB or DDR
    SectorBuffer fileIndex; // its file index
};
static_assert(offsetof(DirectoryBlock, position) == 0);
static_assert(offsetof(DirectoryBlock, fileCount) == 2);
static_assert(offsetof(DirectoryBlock, directoryCount) == 4);
static_assert(offsetof(DirectoryBlock, totalSectors) == 8);
static_assert(offsetof(DirectoryBlock, freeSectors) == 12);
static_assert(offsetof(DirectoryBlock, record) == 16);
static_assert(offsetof(DirectoryBlock, record) + offsetof(SectorBuffer, data) == 24);
static_assert(offsetof(DirectoryBlock, fileIndex) == 280);
static_assert(offsetof(DirectoryBlock, fileIndex) + offsetof(SectorBuffer, data) == 288);

// What the library keeps of one open file or running operation. Six slots lie in a row.
struct FileSlotHeader {
    uint16_t index;         // list position after the last lookup (found or insertion)
    FileRequest *request;   // the request that last used the slot
    uint16_t stateFlags;    // low bits: open mode; kSlotFdrChanged, kSlotDataChanged, ...
    uint16_t recordNumber;  // current record (catalog enumeration: next file)
    uint16_t endFlag;       // 1 when the last operation reached the end of the file
    uint16_t fixedPosition; // 1 when opened for relative access
    uint16_t updateFlag;    // 1 when opened in UPDATE mode
    uint16_t bytePosition;  // next byte in the data buffer; 256 when no sector is loaded
    uint16_t sectorCounter; // file-relative number of the loaded sector (0xFFFF: before 0)
    uint8_t *chainPosition; // the data-chain entry (inside the FDR buffer) of the current AU
    uint16_t currentAu;     // AU of the loaded data sector
    uint16_t sectorInAu;    // sector of the loaded data sector within its AU
    uint16_t openKind;      // what the slot is open for (library-private)
    uint16_t slotNumber;    // 0 to 5
};
static_assert(sizeof(FileSlotHeader) <= 80);

constexpr uint16_t kSlotFdrChanged = 0x100;
constexpr uint16_t kSlotDataChanged = 0x200;
constexpr uint16_t kSlotCountChanged = 0x400;

struct FileSlot {
    FileSlotHeader head;
    uint8_t reserved[80 - sizeof(FileSlotHeader)];
    SectorBuffer fdr;  // the file's FDR
    SectorBuffer data; // the current data sector
};
static_assert(offsetof(FileSlot, fdr) == 80);
static_assert(offsetof(FileSlot, data) + offsetof(SectorBuffer, data) == 352);
static_assert(sizeof(FileSlot) == 608);

constexpr int kSlotCount = 6;

// The catalog entry record filled by ordinal 10 (and, zero but for the pointers, by ordinal 7).
// With 32-bit pointers it is 48 bytes; wider pointers make it grow at its end.
struct CatalogEntryRecord {
    uint8_t kind;        // 1 DIS/FIX, 2 DIS/VAR, 3 INT/FIX, 4 INT/VAR, 5 PROGRAM, 6 dir
    uint8_t isProtected; // 1 when flags bit 0x08 is set
    uint8_t reserved2[2];
    uint32_t sectors;      // data sectors + sectors per AU; directory: 2 x sectors per AU
    uint32_t level3Count;  // FDR bytes 18 to 19
    uint32_t lengthOrSize; // PROGRAM: size in bytes; other kinds: record length
    uint32_t endOfFileOffset;
    uint32_t recordsPerSector;
    uint32_t statusFlags;
    char name[11]; // up to 10 characters, NUL-terminated
    uint8_t reserved39;
    DirectoryBlock *block; // the library's directory block
    FileSlot *slot;        // the request's file slot
};
static_assert(offsetof(CatalogEntryRecord, sectors) == 4);
static_assert(offsetof(CatalogEntryRecord, level3Count) == 8);
static_assert(offsetof(CatalogEntryRecord, lengthOrSize) == 12);
static_assert(offsetof(CatalogEntryRecord, endOfFileOffset) == 16);
static_assert(offsetof(CatalogEntryRecord, recordsPerSector) == 20);
static_assert(offsetof(CatalogEntryRecord, statusFlags) == 24);
static_assert(offsetof(CatalogEntryRecord, name) == 28);
static_assert(offsetof(CatalogEntryRecord, block) == 40);
static_assert(offsetof(CatalogEntryRecord, slot) == 40 + sizeof(void *));

// Ordinal numbers and the type of each operation.
enum Ordinal : unsigned {
    kOrdNop = 1,
    kOrdOpenImage = 2,
    kOrdCloseImage = 3,
    kOrdSelectVolume = 4,
    kOrdSelectVolumeBySector = 5,
    kOrdOpenDirectory = 6,
    kOrdDirectoryInfo = 7,
    kOrdTotalSectors = 8,
    kOrdFreeSectors = 9,
    kOrdNextCatalogEntry = 10,
    kOrdOpenRecordFile = 11,
    kOrdClose = 12,
    kOrdReadRecord = 13,
    kOrdWriteRecord = 14,
    kOrdRestore = 15,
    kOrdOpenProgramRead = 16,
    kOrdReadProgram = 17,
    kOrdOpenProgramWrite = 18,
    kOrdWriteProgram = 19,
    kOrdDeleteFile = 20,
    kOrdFileStatus = 21,
    kOrdEndOfFile = 22,
    kOrdIsProtected = 23,
    kOrdSetProtection = 24,
    kOrdRenameFile = 25,
    kOrdRenameDirectory = 26,
    kOrdCreateDirectory = 27,
    kOrdDeleteDirectory = 28,
    kOrdOpenSectorFile = 29,
    kOrdReadFileSector = 30,
    kOrdCreateSectorFile = 31,
    kOrdWriteFileSector = 32,
    kOrdReadVolumeSector = 33,
    kOrdWriteVolumeSector = 34,
    kOrdDeviceIdentity = 35,
};
constexpr unsigned kOrdinalCount = 35;

extern "C" {
using NopFn = void (*)();
using OpenImageFn = int32_t (*)(const char *imagePath);
using CloseImageFn = int32_t (*)();
using SelectVolumeFn = int32_t (*)(int32_t index);                // -1, 1 or 0
using SelectVolumeBySectorFn = int32_t (*)(uint32_t firstSector); // -1, 1 or 0
using OpenDirectoryFn = int32_t (*)(FileRequest *request);
using DirectoryInfoFn = int32_t (*)(FileRequest *request, CatalogEntryRecord *entry);
using TotalSectorsFn = int32_t (*)();
using FreeSectorsFn = int32_t (*)();
using NextCatalogEntryFn = int32_t (*)(FileRequest *request, CatalogEntryRecord *entry);
using OpenRecordFileFn = int32_t (*)(FileRequest *request);
using CloseFn = int32_t (*)(FileRequest *request, int32_t status);
using ReadRecordFn = int32_t (*)(FileRequest *request, uint8_t *lengthThenData);
using WriteRecordFn = int32_t (*)(FileRequest *request, const uint8_t *data, int32_t length);
using RestoreFn = int32_t (*)(FileRequest *request, int32_t recordNumber);
using OpenProgramReadFn = int32_t (*)(FileRequest *request);
using ReadProgramFn = int32_t (*)(FileRequest *request, uint8_t *buffer);
using OpenProgramWriteFn = int32_t (*)(FileRequest *request, int32_t sectors);
using WriteProgramFn = int32_t (*)(FileRequest *request, const uint8_t *data, int32_t length);
using DeleteFileFn = int32_t (*)(FileRequest *request, const char *filePath);
using FileStatusFn = int32_t (*)(FileRequest *request, const char *filePath, uint8_t *flags);
using EndOfFileFn = int32_t (*)(FileRequest *request);
using IsProtectedFn = int32_t (*)(FileRequest *request);
using SetProtectionFn = int32_t (*)(FileRequest *request, const char *directoryPath,
                                    const char *name, int32_t flag);
using RenameFileFn = int32_t (*)(FileRequest *request, const char *directoryPath,
                                 const char *newName, const char *oldName);
using RenameDirectoryFn = int32_t (*)(FileRequest *request, const char *directoryPath,
                                      const char *newName, const char *oldName);
using CreateDirectoryFn = int32_t (*)(FileRequest *request, const char *directoryPath,
                                      const char *name);
using DeleteDirectoryFn = int32_t (*)(FileRequest *request, const char *directoryPath,
                                      const char *name);
using OpenSectorFileFn = int32_t (*)(FileRequest *request, const char *directoryPath,
                                     const char *name);
using ReadFileSectorFn = int32_t (*)(FileRequest *request, const char *directoryPath,
                                     const char *name, uint32_t sector, uint8_t *buffer);
using CreateSectorFileFn = int32_t (*)(FileRequest *request, const char *directoryPath,
                                       const char *name);
using WriteFileSectorFn = int32_t (*)(FileRequest *request, const char *directoryPath,
                                      const char *name, uint32_t sector, const uint8_t *buffer);
using ReadVolumeSectorFn = int32_t (*)(FileRequest *request, uint32_t sector, uint8_t *buffer);
using WriteVolumeSectorFn = int32_t (*)(FileRequest *request, uint32_t sector,
                                        const uint8_t *buffer);
using DeviceIdentityFn = int32_t (*)(const char *imagePath, uint8_t *buffer512);

// The one exported symbol: the operation of an ordinal, or null.
void *LibraryOrdinal(unsigned ordinal);
}

} // namespace kestrel::brackenly
