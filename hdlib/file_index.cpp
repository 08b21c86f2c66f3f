#include "hdlib/file_index.h"

#include "hdlib/vib.h"
#include "tifs/byte_order.h"

#include <algorithm>

namespace kestrel::hdlib
{

PointerList FileIndexList(uint8_t *fileIndex)
{
    return {fileIndex, 0, kMaxFiles};
}

PointerList SubdirectoryList(uint8_t *record)
{
    return {record, kDirSubdirList, kMaxSubdirs};
}

uint16_t ListWord(const PointerList &list, int k)
{
    return GetWordBE(list.data, list.offset + 2 * k);
}

static void PutListWord(const PointerList &list, int k, uint16_t value)
{
    PutWordBE(list.data, list.offset + 2 * k, value);
}

int EffectiveCount(const PointerList &list, int count)
{
    const int limit = std::clamp(count, 0, list.capacity);
    int k = 0;
    while (k < limit && ListWord(list, k) != 0)
        ++k;
    return k;
}

void InsertWord(const PointerList &list, int count, int i, uint16_t au)
{
    count = std::clamp(count, 0, list.capacity);
    i = std::clamp(i, 0, count);
    if (i >= list.capacity)
        return;
    const int last = std::min(count, list.capacity - 1);
    for (int k = last; k > i; --k)
        PutListWord(list, k, ListWord(list, k - 1));
    PutListWord(list, i, au);
}

void RemoveWord(const PointerList &list, int count, int i)
{
    count = std::clamp(count, 0, list.capacity);
    if (i < 0 || i >= count)
        return;
    for (int k = i; k + 1 < count; ++k)
        PutListWord(list, k, ListWord(list, k + 1));
    PutListWord(list, count - 1, 0);
}

} // namespace kestrel::hdlib
