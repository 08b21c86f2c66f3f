// Sorted pointer lists of AUs: the file index (127 words at byte 0 of its sector) and the
// subdirectory list of a directory record (114 words at byte 28). Both end at the first zero
// word or after as many words as the directory's count says.
#pragma once

#include <cstdint>

namespace kestrel::hdlib
{

struct PointerList {
    uint8_t *data; // the sector
    int offset;    // first word
    int capacity;  // words the list can hold
};

PointerList FileIndexList(uint8_t *fileIndex);
PointerList SubdirectoryList(uint8_t *record);

// The number of words to trust: count, cut at the first zero word and at the capacity.
int EffectiveCount(const PointerList &list, int count);
uint16_t ListWord(const PointerList &list, int k);

// Inserts au at position i of a list of count words (later words move up; the last word
// falls off a full list).
void InsertWord(const PointerList &list, int count, int i, uint16_t au);
// Removes the word at i of a list of count words; the freed word at the end becomes 0.
void RemoveWord(const PointerList &list, int count, int i);

} // namespace kestrel::hdlib
