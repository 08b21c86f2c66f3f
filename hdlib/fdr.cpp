#include "hdlib/fdr.h"

#include "tifs/byte_order.h"

#include <cstring>

namespace kestrel::hdlib
{

ChainEntry GetChainEntry(const uint8_t *fdr, int k)
{
    return {GetWordBE(fdr, kFdrChain + 4 * k), GetWordBE(fdr, kFdrChain + 4 * k + 2)};
}

void PutChainEntry(uint8_t *fdr, int k, ChainEntry entry)
{
    PutWordBE(fdr, kFdrChain + 4 * k, entry.first);
    PutWordBE(fdr, kFdrChain + 4 * k + 2, entry.last);
}

int UsedChainEntries(const uint8_t *fdr)
{
    int k = 0;
    while (k < kChainEntries && GetChainEntry(fdr, k).first != 0)
        ++k;
    return k;
}

void BuildFdr(uint8_t *fdr, const char name[10], uint16_t fileIndexAu)
{
    std::memset(fdr, 0, 256);
    std::memcpy(fdr + kFdrName, name, 10);
    fdr[kFdrMarker] = 'F';
    fdr[kFdrMarker + 1] = 'I';
    PutWordBE(fdr, kFdrFileIndexAu, fileIndexAu);
}

uint32_t ProgramSize(uint32_t sectors, uint32_t endOfFile)
{
    if (sectors == 0)
        return endOfFile;
    if (endOfFile == 0)
        return sectors * 256;
    return (sectors - 1) * 256 + endOfFile;
}

uint8_t CatalogKind(uint8_t flags)
{
    switch (flags & kFlagTypeMask) {
    case 0x00:
        return 1;
    case 0x80:
        return 2;
    case 0x02:
        return 3;
    case 0x82:
        return 4;
    case 0x01:
        return 5;
    default:
        return 0;
    }
}

} // namespace kestrel::hdlib
