#include "hdlib/path_resolve.h"

#include "hdlib/dsr.h"
#include "hdlib/file_index.h"
#include "hdlib/sector_io.h"
#include "hdlib/vib.h"
#include "tifs/byte_order.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kestrel::hdlib
{

namespace
{

bool NameCharacter(char c)
{
    return c >= '!' && c <= '}';
}

uint8_t Upper(uint8_t c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 'a' + 'A') : c;
}

struct Component {
    char name[10];
    bool directory;
};

// Splits the path after its leading "." into components; 224 for any bad form.
int32_t SplitPath(const char *path, size_t length, std::vector<Component> &components)
{
    if (length == 0 || path[0] != '.')
        return kDsrFileError;
    size_t pos = 1;
    while (pos < length) {
        Component component;
        std::memset(component.name, ' ', sizeof component.name);
        size_t count = 0;
        while (pos < length && path[pos] != '.') {
            if (count == kNameLength || !NameCharacter(path[pos]))
                return kDsrFileError;
            component.name[count++] = path[pos++];
        }
        if (count == 0)
            return kDsrFileError;
        component.directory = pos < length; // stopped at a "."
        if (component.directory)
            ++pos;
        components.push_back(component);
    }
    return kDsrOk;
}

bool PathLength(const char *text, size_t maxLength, size_t &length)
{
    if (!text)
        return false;
    const void *nul = std::memchr(text, 0, maxLength);
    if (!nul)
        return false;
    length = static_cast<size_t>(static_cast<const char *>(nul) - text);
    return true;
}

// Binary search of the sorted list, reading each probe into probe.
int32_t Lookup(const uint8_t *listSector, int listOffset, int count, const char name[10],
               SectorBuffer &probe, uint16_t &index, uint16_t &au)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const uint16_t candidate = GetWordBE(listSector, listOffset + 2 * mid);
        if (!ValidRecordAu(candidate) || ReadVolumeSector(probe, AuSector(candidate)) != kDsrOk)
            return kDsrDeviceError;
        const int order = CompareTiNames(name, probe.data);
        if (order == 0) {
            index = static_cast<uint16_t>(mid);
            au = candidate;
            return kDsrOk;
        }
        if (order < 0)
            high = mid;
        else
            low = mid + 1;
    }
    index = static_cast<uint16_t>(low);
    au = 0;
    return kNotFound;
}

} // namespace

int CompareTiNames(const char *a, const uint8_t *b)
{
    for (int i = 0; i < kNameLength; ++i) {
        const uint8_t x = Upper(static_cast<uint8_t>(a[i]));
        const uint8_t y = Upper(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

bool EndsWithDot(const char *text, size_t maxLength)
{
    size_t length = 0;
    return PathLength(text, maxLength, length) && length > 0 && text[length - 1] == '.';
}

int32_t ParseTiName(const char *text, char name[10])
{
    if (!text)
        return kDsrFileError;
    std::memset(name, ' ', 10);
    size_t count = 0;
    for (size_t i = 0; i < 64 && text[i] != 0 && text[i] != ' '; ++i) {
        if (count == kNameLength || text[i] == '.' || !NameCharacter(text[i]))
            return kDsrFileError;
        name[count++] = text[i];
    }
    return count == 0 ? kDsrFileError : kDsrOk;
}

bool ValidRecordAu(uint32_t au)
{
    const VolumeDescriptor &volume = CurrentVolume();
    return au != 0 && au < volume.totalAus;
}

uint32_t AuSector(uint32_t au)
{
    return au * CurrentVolume().sectorsPerAu;
}

uint16_t WorkDirectoryAu()
{
    const unsigned spa = CurrentVolume().sectorsPerAu;
    return spa == 0 ? 0 : static_cast<uint16_t>(State().work.record.volumeSector / spa);
}

int WorkFileCount()
{
    return std::min<int>(State().work.record.data[kDirFileCount], kMaxFiles);
}

int WorkSubdirCount()
{
    return std::min<int>(State().work.record.data[kDirSubdirCount], kMaxSubdirs);
}

int32_t LoadWorkFileIndex()
{
    WorkDirectory &work = State().work;
    if (work.fileIndexLoaded)
        return kDsrOk;
    if (!VolumeHasFileSystem())
        return kDsrDeviceError;
    const uint16_t au = GetWordBE(work.record.data, kDirFileIndexAu);
    if (!ValidRecordAu(au) || ReadVolumeSector(work.fileIndex, AuSector(au)) != kDsrOk)
        return kDsrDeviceError;
    work.fileIndexLoaded = true;
    return kDsrOk;
}

int32_t LookupFile(FileSlot &slot, const char name[10], uint16_t &index, uint16_t &au)
{
    index = 0;
    au = 0;
    if (const int32_t result = LoadWorkFileIndex(); result != kDsrOk)
        return result;
    WorkDirectory &work = State().work;
    const PointerList list = FileIndexList(work.fileIndex.data);
    const int count = EffectiveCount(list, WorkFileCount());
    const int32_t result = Lookup(work.fileIndex.data, 0, count, name, slot.fdr, index, au);
    slot.head.index = index;
    return result;
}

int32_t LookupSubdirectory(const char name[10], SectorBuffer &probe, uint16_t &index, uint16_t &au)
{
    index = 0;
    au = 0;
    if (!VolumeHasFileSystem())
        return kDsrDeviceError;
    WorkDirectory &work = State().work;
    const PointerList list = SubdirectoryList(work.record.data);
    const int count = EffectiveCount(list, WorkSubdirCount());
    return Lookup(work.record.data, kDirSubdirList, count, name, probe, index, au);
}

int32_t ResolvePath(FileSlot &slot, const char *path, size_t maxLength, Resolved &out)
{
    out = Resolved{};
    size_t length = 0;
    if (!PathLength(path, maxLength, length))
        return kDsrFileError;
    std::vector<Component> components;
    if (const int32_t result = SplitPath(path, length, components); result != kDsrOk)
        return result;

    WorkDirectory &work = State().work;
    work.fileIndexLoaded = false;
    if (ReadVolumeSector(work.record, 0) != kDsrOk)
        return kDsrDeviceError;
    if (components.empty()) {
        out.isDirectory = true;
        out.isRoot = true;
        return kDsrOk;
    }
    for (size_t c = 0; c < components.size(); ++c) {
        const Component &component = components[c];
        const bool last = c + 1 == components.size();
        std::memcpy(out.name, component.name, 10);
        out.isDirectory = component.directory;
        if (!component.directory) {
            const int32_t result = LookupFile(slot, component.name, out.index, out.au);
            slot.head.index = out.index;
            return result;
        }
        SectorBuffer probe;
        const int32_t result = LookupSubdirectory(component.name, probe, out.index, out.au);
        slot.head.index = out.index;
        if (result == kNotFound)
            return last ? kNotFound : kDsrFileError;
        if (result != kDsrOk)
            return result;
        work.record = probe;
        work.fileIndexLoaded = false;
    }
    return kDsrOk;
}

int32_t ResolveDirectory(FileSlot &slot, const char *path, size_t maxLength)
{
    if (!EndsWithDot(path, maxLength))
        return kDsrBadAttribute;
    Resolved resolved;
    const int32_t result = ResolvePath(slot, path, maxLength, resolved);
    if (result == kNotFound)
        return kDsrFileError;
    return result;
}

} // namespace kestrel::hdlib
