// The ordinal table: the only symbol the library exports.
#include "hdlib/brackenly.h"
#include "hdlib/exports.h"

namespace
{

using namespace kestrel::hdlib;

template <typename F> void *Address(F *function)
{
    return reinterpret_cast<void *>(function);
}

void *const kTable[kestrel::brackenly::kOrdinalCount + 1] = {
    nullptr,
    Address(ExportNop),
    Address(ExportOpenImage),
    Address(ExportCloseImage),
    Address(ExportSelectVolume),
    Address(ExportSelectVolumeBySector),
    Address(ExportOpenDirectory),
    Address(ExportDirectoryInfo),
    Address(ExportTotalSectors),
    Address(ExportFreeSectors),
    Address(ExportNextCatalogEntry),
    Address(ExportOpenRecordFile),
    Address(ExportClose),
    Address(ExportReadRecord),
    Address(ExportWriteRecord),
    Address(ExportRestore),
    Address(ExportOpenProgramRead),
    Address(ExportReadProgram),
    Address(ExportOpenProgramWrite),
    Address(ExportWriteProgram),
    Address(ExportDeleteFile),
    Address(ExportFileStatus),
    Address(ExportEndOfFile),
    Address(ExportIsProtected),
    Address(ExportSetProtection),
    Address(ExportRenameFile),
    Address(ExportRenameDirectory),
    Address(ExportCreateDirectory),
    Address(ExportDeleteDirectory),
    Address(ExportOpenSectorFile),
    Address(ExportReadFileSector),
    Address(ExportCreateSectorFile),
    Address(ExportWriteFileSector),
    Address(ExportReadVolumeSector),
    Address(ExportWriteVolumeSector),
    Address(ExportDeviceIdentity),
};

} // namespace

extern "C" __attribute__((visibility("default"))) void *LibraryOrdinal(unsigned ordinal)
{
    if (ordinal == 0 || ordinal > kestrel::brackenly::kOrdinalCount)
        return nullptr;
    return kTable[ordinal];
}
