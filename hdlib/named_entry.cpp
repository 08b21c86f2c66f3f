// The starts shared by the operations that name a file or an entry inside a directory.
#include "hdlib/dsr.h"
#include "hdlib/operations.h"
#include "hdlib/path_resolve.h"

namespace kestrel::hdlib
{

int32_t ResolveNamedEntry(FileSlot &slot, const char *directoryPath, const char *name,
                          char tiName[10])
{
    if (!EndsWithDot(directoryPath, kArgumentPathLength))
        return kDsrBadAttribute;
    if (!State().image)
        return kDsrDeviceError;
    if (const int32_t result = ResolveDirectory(slot, directoryPath, kArgumentPathLength);
        result != kDsrOk)
        return result;
    if (ParseTiName(name, tiName) != kDsrOk)
        return kDsrFileError;
    return kDsrOk;
}

int32_t ResolveFileArgument(FileSlot &slot, const char *filePath, Resolved &resolved)
{
    if (EndsWithDot(filePath, kArgumentPathLength))
        return kDsrBadAttribute;
    if (!State().image)
        return kDsrDeviceError;
    return ResolvePath(slot, filePath, kArgumentPathLength, resolved);
}

} // namespace kestrel::hdlib
