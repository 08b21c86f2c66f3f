// The device identity block (ordinal 35): the few bytes of an ATA IDENTIFY DEVICE answer
// that TI-side tools look at.
#include "hdlib/dsr.h"
#include "hdlib/operations.h"
#include "hdlib/sector_io.h"
#include "tifs/byte_order.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace kestrel::hdlib
{

namespace
{

constexpr uint32_t kMaxCapacity = 0x0FFFFFFF;

// The file name without folder and extension.
std::string BaseName(const char *path)
{
    std::string name = path ? path : "";
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

// Formats into buffer[pos] with its terminating zero, never beyond width + 1 bytes.
void PutText(uint8_t *buffer, size_t pos, size_t width, const char *text)
{
    char field[64];
    std::snprintf(field, sizeof field, "%*.*s", static_cast<int>(width), static_cast<int>(width),
                  text);
    std::memcpy(buffer + pos, field, width + 1);
}

} // namespace

int32_t DeviceIdentity(const char *imagePath, uint8_t *buffer)
{
    LibraryState &state = State();
    if (!state.image)
        return kDsrDeviceError;
    if (!buffer)
        return kDsrIllegalOperation;
    buffer[0] = 0x04;
    buffer[1] = 0x8A;
    buffer[11] = 2;
    buffer[43] = 2;
    buffer[98] = 2;
    char model[32];
    std::snprintf(model, sizeof model, "Marlock %d.%d%c", 10, 1, 'a');
    PutText(buffer, 20, 20, model);
    char firmware[16];
    std::snprintf(firmware, sizeof firmware, "ZubDsr%02u", 14u);
    std::memcpy(buffer + 46, firmware, 9);
    const std::string name = BaseName(imagePath ? imagePath : state.imagePath.c_str());
    PutText(buffer, 54, 40, name.c_str());

    const VolumeDescriptor &volume = CurrentVolume();
    uint64_t capacity = 0;
    if ((volume.firstSector & kSectorMask) > 0)
        capacity = volume.length / 2;
    else
        capacity = ImageFileSize() / 512;
    if (capacity > kMaxCapacity)
        capacity = kMaxCapacity;
    PutLongBE(buffer, 114, static_cast<uint32_t>(capacity));
    PutLongBE(buffer, 120, static_cast<uint32_t>(capacity));
    return kDsrOk;
}

} // namespace kestrel::hdlib
