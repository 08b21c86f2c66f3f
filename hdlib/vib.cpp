#include "hdlib/vib.h"

#include "tifs/byte_order.h"

namespace kestrel::hdlib
{

unsigned VibSectorsPerAu(const uint8_t *vib)
{
    return (vib[kVibHardDiskParams] >> 4) + 1u;
}

uint16_t VibTotalAus(const uint8_t *vib)
{
    return GetWordBE(vib, kVibTotalAus);
}

bool IsInitializedVib(const uint8_t *vib)
{
    return vib[kDirFileIndexAu] == 0 && vib[kDirFileIndexAu + 1] == 64 / VibSectorsPerAu(vib);
}

} // namespace kestrel::hdlib
