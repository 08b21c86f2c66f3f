// The status byte of a file and its protection bit (ordinals 21 and 24).
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "hdlib/operations.h"
#include "hdlib/path_resolve.h"
#include "hdlib/sector_io.h"

namespace kestrel::hdlib
{

int32_t FileStatus(FileRequest *request, const char *filePath, uint8_t *flags)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot || !flags)
        return kDsrIllegalOperation;
    Resolved resolved;
    const int32_t result = ResolveFileArgument(*slot, filePath, resolved);
    if (result != kDsrOk)
        return result; // -1 for a missing file leaves the library as it is
    *flags = slot->fdr.data[kFdrFlags];
    return kDsrOk;
}

int32_t SetProtection(FileRequest *request, const char *directoryPath, const char *name,
                      int32_t flag)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    char tiName[10];
    if (const int32_t result = ResolveNamedEntry(*slot, directoryPath, name, tiName);
        result != kDsrOk)
        return result;
    uint16_t index = 0;
    uint16_t au = 0;
    const int32_t result = LookupFile(*slot, tiName, index, au);
    if (result == kNotFound)
        return kDsrFileError;
    if (result != kDsrOk)
        return result;
    uint8_t &flags = slot->fdr.data[kFdrFlags];
    flags = flag != 0 ? static_cast<uint8_t>(flags | kFlagProtected)
                      : static_cast<uint8_t>(flags & ~kFlagProtected);
    return WriteBack(slot->fdr);
}

} // namespace kestrel::hdlib
