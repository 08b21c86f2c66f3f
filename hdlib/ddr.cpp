#include "hdlib/ddr.h"

#include "hdlib/vib.h"
#include "tifs/byte_order.h"

#include <cstring>

namespace kestrel::hdlib
{

void BuildDdr(uint8_t *ddr, const char name[10], uint16_t totalAus, uint16_t fileIndexAu,
              uint16_t parentAu)
{
    std::memset(ddr, 0, 256);
    std::memcpy(ddr + kVibName, name, 10);
    PutWordBE(ddr, kVibTotalAus, totalAus);
    std::memcpy(ddr + kDdrMarker, "DIR", 3);
    PutWordBE(ddr, kDirFileIndexAu, fileIndexAu);
    PutWordBE(ddr, kDirParentAu, parentAu);
}

} // namespace kestrel::hdlib
