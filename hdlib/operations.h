// The 35 operations behind the ordinals, in the library's own namespace. exports.cpp wraps
// each for the ordinal table; the contracts are those of brackenly.h.
#pragma once

#include "hdlib/path_resolve.h"
#include "hdlib/volume.h"

namespace kestrel::hdlib
{

// 6, 7, 8, 9, 10: directories and the catalog (directory_block.cpp).
int32_t OpenDirectory(FileRequest *request);
int32_t DirectoryInfo(FileRequest *request, CatalogEntryRecord *entry);
int32_t TotalSectors();
int32_t FreeSectors();
int32_t NextCatalogEntry(FileRequest *request, CatalogEntryRecord *entry);

// 12: close (file_slots.cpp semantics).
int32_t Close(FileRequest *request, int32_t status);

// 11, 13, 14, 15, 22, 23: record files (record_file.cpp).
int32_t OpenRecordFile(FileRequest *request);
int32_t ReadRecord(FileRequest *request, uint8_t *lengthThenData);
int32_t WriteRecord(FileRequest *request, const uint8_t *data, int32_t length);
int32_t Restore(FileRequest *request, int32_t recordNumber);
int32_t EndOfFile(FileRequest *request);
int32_t IsProtected(FileRequest *request);

// 16 to 19: program files (program_file.cpp).
int32_t OpenProgramRead(FileRequest *request);
int32_t ReadProgram(FileRequest *request, uint8_t *buffer);
int32_t OpenProgramWrite(FileRequest *request, int32_t sectors);
int32_t WriteProgram(FileRequest *request, const uint8_t *data, int32_t length);

// 20, 28: deletion (file_delete.cpp); 27: new directory (file_create.cpp);
// 25, 26: renames (rename.cpp); 21, 24: status and protection (file_status.cpp).
int32_t DeleteFile(FileRequest *request, const char *filePath);
int32_t DeleteDirectory(FileRequest *request, const char *directoryPath, const char *name);
int32_t CreateDirectory(FileRequest *request, const char *directoryPath, const char *name);
int32_t RenameFile(FileRequest *request, const char *directoryPath, const char *newName,
                   const char *oldName);
int32_t RenameDirectory(FileRequest *request, const char *directoryPath, const char *newName,
                        const char *oldName);
int32_t FileStatus(FileRequest *request, const char *filePath, uint8_t *flags);
int32_t SetProtection(FileRequest *request, const char *directoryPath, const char *name,
                      int32_t flag);

// 29 to 34: sector access (sector_file.cpp).
int32_t OpenSectorFile(FileRequest *request, const char *directoryPath, const char *name);
int32_t ReadFileSector(FileRequest *request, const char *directoryPath, const char *name,
                       uint32_t sector, uint8_t *buffer);
int32_t CreateSectorFile(FileRequest *request, const char *directoryPath, const char *name);
int32_t WriteFileSector(FileRequest *request, const char *directoryPath, const char *name,
                        uint32_t sector, const uint8_t *buffer);
int32_t ReadVolumeSectorOp(FileRequest *request, uint32_t sector, uint8_t *buffer);
int32_t WriteVolumeSectorOp(FileRequest *request, uint32_t sector, const uint8_t *buffer);

// 35: the device identity block (device_identity.cpp).
int32_t DeviceIdentity(const char *imagePath, uint8_t *buffer512);

// Common start of an operation on a request: the slot (null answers 96), the "must exist"
// byte cleared. With resetForPath, pending sectors of the slot are written back and its state
// fields cleared, as every operation that names a path does.
FileSlot *BeginRequest(FileRequest *request, bool resetForPath);

// Common start of an operation on a name inside a directory (named_entry.cpp): 64 when the
// directory path does not end in ".", 192 without an image, what ResolveDirectory answers,
// 224 for a bad name; 0 with the directory as working one and the padded name.
int32_t ResolveNamedEntry(FileSlot &slot, const char *directoryPath, const char *name,
                          char tiName[10]);
// The same for a file path: 64 when it ends in ".", 192 without an image, else what
// ResolvePath answers.
int32_t ResolveFileArgument(FileSlot &slot, const char *filePath, Resolved &resolved);

} // namespace kestrel::hdlib
