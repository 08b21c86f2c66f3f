// The C entry points of the ordinal table (exports.cpp), one per operation of operations.h.
#pragma once

#include "hdlib/volume.h"

namespace kestrel::hdlib
{

extern "C" {
void ExportNop();
int32_t ExportOpenImage(const char *path);
int32_t ExportCloseImage();
int32_t ExportSelectVolume(int32_t index);
int32_t ExportSelectVolumeBySector(uint32_t sector);
int32_t ExportOpenDirectory(FileRequest *request);
int32_t ExportDirectoryInfo(FileRequest *request, CatalogEntryRecord *entry);
int32_t ExportTotalSectors();
int32_t ExportFreeSectors();
int32_t ExportNextCatalogEntry(FileRequest *request, CatalogEntryRecord *entry);
int32_t ExportOpenRecordFile(FileRequest *request);
int32_t ExportClose(FileRequest *request, int32_t status);
int32_t ExportReadRecord(FileRequest *request, uint8_t *buffer);
int32_t ExportWriteRecord(FileRequest *request, const uint8_t *data, int32_t length);
int32_t ExportRestore(FileRequest *request, int32_t record);
int32_t ExportOpenProgramRead(FileRequest *request);
int32_t ExportReadProgram(FileRequest *request, uint8_t *buffer);
int32_t ExportOpenProgramWrite(FileRequest *request, int32_t sectors);
int32_t ExportWriteProgram(FileRequest *request, const uint8_t *data, int32_t length);
int32_t ExportDeleteFile(FileRequest *request, const char *path);
int32_t ExportFileStatus(FileRequest *request, const char *path, uint8_t *flags);
int32_t ExportEndOfFile(FileRequest *request);
int32_t ExportIsProtected(FileRequest *request);
int32_t ExportSetProtection(FileRequest *request, const char *dir, const char *name, int32_t flag);
int32_t ExportRenameFile(FileRequest *request, const char *dir, const char *newName,
                         const char *oldName);
int32_t ExportRenameDirectory(FileRequest *request, const char *dir, const char *newName,
                              const char *oldName);
int32_t ExportCreateDirectory(FileRequest *request, const char *dir, const char *name);
int32_t ExportDeleteDirectory(FileRequest *request, const char *dir, const char *name);
int32_t ExportOpenSectorFile(FileRequest *request, const char *dir, const char *name);
int32_t ExportReadFileSector(FileRequest *request, const char *dir, const char *name,
                             uint32_t sector, uint8_t *buffer);
int32_t ExportCreateSectorFile(FileRequest *request, const char *dir, const char *name);
int32_t ExportWriteFileSector(FileRequest *request, const char *dir, const char *name,
                              uint32_t sector, const uint8_t *buffer);
int32_t ExportReadVolumeSector(FileRequest *request, uint32_t sector, uint8_t *buffer);
int32_t ExportWriteVolumeSector(FileRequest *request, uint32_t sector, const uint8_t *buffer);
int32_t ExportDeviceIdentity(const char *path, uint8_t *buffer);
}

} // namespace kestrel::hdlib
