// TI path names inside the current volume: "." is the root; ".A.B." is directory B inside
// directory A; ".A.B" is file B inside A. Names are 1 to 10 characters from "!" to "}",
// compared without regard to ASCII letter case.
#pragma once

#include "hdlib/volume.h"

#include <cstddef>

namespace kestrel::hdlib
{

constexpr size_t kRequestPathLength = sizeof(FileRequest::path);
constexpr size_t kArgumentPathLength = 256;

struct Resolved {
    bool isDirectory = false; // the path ends in "." (the root included)
    bool isRoot = false;
    char name[10] = {}; // last component, space padded
    uint16_t index = 0; // position found, or where the name would be inserted
    uint16_t au = 0;    // AU of the FDR or DDR found
};

// True when text has a NUL within maxLength bytes and its last character is ".".
bool EndsWithDot(const char *text, size_t maxLength);

// A plain name argument: its characters up to the first space or the end, 1 to 10 of them,
// each from "!" to "}" and none a "."; 0 with the padded name, else 224.
int32_t ParseTiName(const char *text, char name[10]);

// Walks path from the VIB. The working directory (State().work) ends as the record of the
// directory that holds the last component, or of the directory reached when that is found.
// A file found is read into slot.fdr. Answers 0 found, -1 when only the last component is
// missing (with its insertion position), 224 for a bad path or a missing directory on the
// way, 192 for a read failure or a volume without a file system. The slot's index field
// follows the lookup.
int32_t ResolvePath(FileSlot &slot, const char *path, size_t maxLength, Resolved &out);

// A directory path: 64 when it does not end in "." (checked before anything is read),
// 224 when it is bad or missing, 192 on read failures; 0 with the directory as working one.
int32_t ResolveDirectory(FileSlot &slot, const char *path, size_t maxLength);

// AU and volume sector helpers of the current volume.
bool ValidRecordAu(uint32_t au);
uint32_t AuSector(uint32_t au);
uint16_t WorkDirectoryAu();

// Reads the working directory's file index into State().work.fileIndex.
int32_t LoadWorkFileIndex();
// The working directory's counts, cut to what the lists can hold.
int WorkFileCount();
int WorkSubdirCount();

// Looks a name up in the working directory: the file index (the FDR found lands in
// slot.fdr, the index is loaded first when needed) or the subdirectory list (the DDR found
// lands in probe). 0 found, -1 missing (index = insertion position), 192 on read failures.
int32_t LookupFile(FileSlot &slot, const char name[10], uint16_t &index, uint16_t &au);
int32_t LookupSubdirectory(const char name[10], SectorBuffer &probe, uint16_t &index, uint16_t &au);

// Letter case ignored, byte order otherwise: <0, 0, >0.
int CompareTiNames(const char *a, const uint8_t *b);

} // namespace kestrel::hdlib
