#include "hdlib/sector_io.h"

#include "hdlib/dsr.h"

namespace kestrel::hdlib
{

namespace
{

// The image is addressed with 32-bit signed byte offsets: at most 2 GiB.
constexpr uint64_t kMaxImageBytes = 0x80000000ull;

int32_t Transfer(uint32_t imageSector, uint8_t *data, bool write)
{
    ImageFile &file = State().image;
    const uint64_t offset = static_cast<uint64_t>(imageSector) * 256;
    if (!file || offset + 256 > kMaxImageBytes)
        return kDsrDeviceError;
    const bool done = write ? file.WriteSector(offset, data) : file.ReadSector(offset, data);
    return done ? kDsrOk : kDsrDeviceError;
}

bool ImageSectorOf(uint32_t volumeSector, uint32_t &imageSector)
{
    const VolumeDescriptor &volume = CurrentVolume();
    const uint64_t sector =
        static_cast<uint64_t>(volumeSector) + (volume.firstSector & kSectorMask);
    if (sector >= volume.end)
        return false;
    imageSector = static_cast<uint32_t>(sector);
    return true;
}

} // namespace

int32_t ReadImageSector(uint32_t imageSector, uint8_t *data)
{
    return Transfer(imageSector, data, false);
}

int32_t ReadVolumeSector(SectorBuffer &buffer, uint32_t volumeSector)
{
    uint32_t imageSector = 0;
    if (!State().image || !ImageSectorOf(volumeSector, imageSector))
        return kDsrDeviceError;
    buffer.imageSector = imageSector;
    buffer.volumeSector = volumeSector;
    return Transfer(imageSector, buffer.data, false);
}

int32_t WriteVolumeSector(SectorBuffer &buffer, uint32_t volumeSector)
{
    uint32_t imageSector = 0;
    if (!State().image || !ImageSectorOf(volumeSector, imageSector))
        return kDsrDeviceError;
    buffer.imageSector = imageSector;
    buffer.volumeSector = volumeSector;
    return Transfer(imageSector, buffer.data, true);
}

int32_t WriteBack(SectorBuffer &buffer)
{
    return WriteVolumeSector(buffer, buffer.volumeSector);
}

uint64_t ImageFileSize()
{
    return State().image.Size();
}

} // namespace kestrel::hdlib
