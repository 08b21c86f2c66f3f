// The C entry points behind the ordinals. Nothing may leave the library as an exception, so
// each call is fenced; an unexpected failure (memory) answers a device error.
//
// What a call writes is on the file when it returns, and a write the system refused turns
// its answer into a device error. Only the file-sector write leaves its sector gathered, so
// that a file written sector by sector goes out in runs; the next other call writes it out.
#include "hdlib/exports.h"
#include "hdlib/dsr.h"
#include "hdlib/operations.h"
#include "hdlib/volume.h"

namespace kestrel::hdlib
{

namespace
{

// Only the exception fence: for the file-sector write, whose sector stays gathered, and for
// the calls that answer a count or a flag and touch no sector, so that a run gathered before
// them stays for the next call, which can answer for it.
template <typename F> int32_t Caught(F &&call) noexcept
{
    try {
        return call();
    } catch (...) {
        return kDsrDeviceError;
    }
}

template <typename F> int32_t Fenced(F &&call) noexcept
{
    const int32_t result = Caught(call);
    if (!State().image.Flush() && result == kDsrOk)
        return kDsrDeviceError;
    return result;
}

} // namespace

extern "C" {

void ExportNop() {}

int32_t ExportOpenImage(const char *path)
{
    return Fenced([&] { return OpenImage(path); });
}

int32_t ExportCloseImage()
{
    return Fenced([&] { return CloseImage(); });
}

int32_t ExportSelectVolume(int32_t index)
{
    return Fenced([&] { return SelectVolume(index); });
}

int32_t ExportSelectVolumeBySector(uint32_t sector)
{
    return Fenced([&] { return SelectVolumeBySector(sector); });
}

int32_t ExportOpenDirectory(FileRequest *request)
{
    return Fenced([&] { return OpenDirectory(request); });
}

int32_t ExportDirectoryInfo(FileRequest *request, CatalogEntryRecord *entry)
{
    return Fenced([&] { return DirectoryInfo(request, entry); });
}

int32_t ExportTotalSectors()
{
    return Caught([&] { return TotalSectors(); });
}

int32_t ExportFreeSectors()
{
    return Caught([&] { return FreeSectors(); });
}

int32_t ExportNextCatalogEntry(FileRequest *request, CatalogEntryRecord *entry)
{
    return Fenced([&] { return NextCatalogEntry(request, entry); });
}

int32_t ExportOpenRecordFile(FileRequest *request)
{
    return Fenced([&] { return OpenRecordFile(request); });
}

int32_t ExportClose(FileRequest *request, int32_t status)
{
    return Fenced([&] { return Close(request, status); });
}

int32_t ExportReadRecord(FileRequest *request, uint8_t *buffer)
{
    return Fenced([&] { return ReadRecord(request, buffer); });
}

int32_t ExportWriteRecord(FileRequest *request, const uint8_t *data, int32_t length)
{
    return Fenced([&] { return WriteRecord(request, data, length); });
}

int32_t ExportRestore(FileRequest *request, int32_t record)
{
    return Fenced([&] { return Restore(request, record); });
}

int32_t ExportOpenProgramRead(FileRequest *request)
{
    return Fenced([&] { return OpenProgramRead(request); });
}

int32_t ExportReadProgram(FileRequest *request, uint8_t *buffer)
{
    return Fenced([&] { return ReadProgram(request, buffer); });
}

int32_t ExportOpenProgramWrite(FileRequest *request, int32_t sectors)
{
    return Fenced([&] { return OpenProgramWrite(request, sectors); });
}

int32_t ExportWriteProgram(FileRequest *request, const uint8_t *data, int32_t length)
{
    return Fenced([&] { return WriteProgram(request, data, length); });
}

int32_t ExportDeleteFile(FileRequest *request, const char *path)
{
    return Fenced([&] { return DeleteFile(request, path); });
}

int32_t ExportFileStatus(FileRequest *request, const char *path, uint8_t *flags)
{
    return Fenced([&] { return FileStatus(request, path, flags); });
}

int32_t ExportEndOfFile(FileRequest *request)
{
    return Caught([&] { return EndOfFile(request); });
}

int32_t ExportIsProtected(FileRequest *request)
{
    return Caught([&] { return IsProtected(request); });
}

int32_t ExportSetProtection(FileRequest *request, const char *dir, const char *name, int32_t flag)
{
    return Fenced([&] { return SetProtection(request, dir, name, flag); });
}

int32_t ExportRenameFile(FileRequest *request, const char *dir, const char *newName,
                         const char *oldName)
{
    return Fenced([&] { return RenameFile(request, dir, newName, oldName); });
}

int32_t ExportRenameDirectory(FileRequest *request, const char *dir, const char *newName,
                              const char *oldName)
{
    return Fenced([&] { return RenameDirectory(request, dir, newName, oldName); });
}

int32_t ExportCreateDirectory(FileRequest *request, const char *dir, const char *name)
{
    return Fenced([&] { return CreateDirectory(request, dir, name); });
}

int32_t ExportDeleteDirectory(FileRequest *request, const char *dir, const char *name)
{
    return Fenced([&] { return DeleteDirectory(request, dir, name); });
}

int32_t ExportOpenSectorFile(FileRequest *request, const char *dir, const char *name)
{
    return Fenced([&] { return OpenSectorFile(request, dir, name); });
}

int32_t ExportReadFileSector(FileRequest *request, const char *dir, const char *name,
                             uint32_t sector, uint8_t *buffer)
{
    return Fenced([&] { return ReadFileSector(request, dir, name, sector, buffer); });
}

int32_t ExportCreateSectorFile(FileRequest *request, const char *dir, const char *name)
{
    return Fenced([&] { return CreateSectorFile(request, dir, name); });
}

int32_t ExportWriteFileSector(FileRequest *request, const char *dir, const char *name,
                              uint32_t sector, const uint8_t *buffer)
{
    return Caught([&] { return WriteFileSector(request, dir, name, sector, buffer); });
}

int32_t ExportReadVolumeSector(FileRequest *request, uint32_t sector, uint8_t *buffer)
{
    return Fenced([&] { return ReadVolumeSectorOp(request, sector, buffer); });
}

int32_t ExportWriteVolumeSector(FileRequest *request, uint32_t sector, const uint8_t *buffer)
{
    return Fenced([&] { return WriteVolumeSectorOp(request, sector, buffer); });
}

int32_t ExportDeviceIdentity(const char *path, uint8_t *buffer)
{
    return Fenced([&] { return DeviceIdentity(path, buffer); });
}

} // extern "C"

} // namespace kestrel::hdlib
