#include "hdlib/volume.h"

#include "hdlib/dsr.h"
#include "hdlib/file_slots.h"
#include "hdlib/sector_io.h"
#include "hdlib/vib.h"

#include <cstring>

namespace kestrel::hdlib
{

namespace
{

// A volume without a bound: an unpartitioned image whose VIB is not initialized.
constexpr uint32_t kUnbounded = 0x0FFFFFFFu;

void SetDescriptor(VolumeDescriptor &volume, uint32_t first, uint32_t length)
{
    volume.valid = true;
    volume.firstSector = first | kVolumeMarker;
    volume.length = length;
    const uint64_t end = static_cast<uint64_t>(first) + length;
    volume.end = end > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(end);
}

void FillFromPartitionTable(LibraryState &state)
{
    PartitionEntry entries[kPartitionEntries] = {};
    const int count = DecodePartitionEntries(state.partitionTable, entries);
    for (int k = 0; k < count; ++k) {
        const uint64_t first = static_cast<uint64_t>(entries[k].startBlock) * 2;
        const uint64_t length = static_cast<uint64_t>(entries[k].lengthBlocks) * 2;
        // A start that does not fit beside the marker bits names no sector we can reach.
        if (first > kSectorMask)
            break;
        VolumeDescriptor &volume = state.volumes[k];
        SetDescriptor(volume, static_cast<uint32_t>(first),
                      length > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(length));
        uint8_t vib[256];
        if (ReadImageSector(static_cast<uint32_t>(first), vib) != kDsrOk || !IsInitializedVib(vib))
            break; // this one reports "not initialized", the following ones "does not exist"
        volume.totalAus = VibTotalAus(vib);
        volume.sectorsPerAu = static_cast<uint16_t>(VibSectorsPerAu(vib));
    }
}

void FillSingleVolume(LibraryState &state, const uint8_t *vib)
{
    VolumeDescriptor &volume = state.volumes[0];
    if (IsInitializedVib(vib)) {
        const uint16_t spa = static_cast<uint16_t>(VibSectorsPerAu(vib));
        SetDescriptor(volume, 0, static_cast<uint32_t>(spa) * VibTotalAus(vib));
        volume.totalAus = VibTotalAus(vib);
        volume.sectorsPerAu = spa;
    } else {
        SetDescriptor(volume, 0, kUnbounded);
    }
}

int32_t SelectDescriptor(int index)
{
    LibraryState &state = State();
    state.current = index;
    const VolumeDescriptor &volume = state.volumes[index];
    if (!volume.valid || volume.length == 0 || volume.end == 0)
        return kNotFound;
    if (volume.totalAus == 0 || volume.sectorsPerAu == 0)
        return 1;
    return 0;
}

} // namespace

LibraryState &State()
{
    static LibraryState state;
    return state;
}

VolumeDescriptor &CurrentVolume()
{
    return State().volumes[State().current];
}

bool VolumeHasFileSystem()
{
    const VolumeDescriptor &volume = CurrentVolume();
    return State().image && volume.valid && volume.totalAus != 0 && volume.sectorsPerAu != 0 &&
           volume.sectorsPerAu <= 16;
}

int32_t CloseImage()
{
    LibraryState &state = State();
    bool written = true;
    if (state.image) {
        // Pending sectors are kept; the requests that opened them may no longer exist, so
        // nothing is written through the pointers the slots remember.
        for (FileSlot &slot : state.slots) {
            int32_t fdrResult = 0;
            int32_t dataResult = 0;
            WriteBackSlot(slot, fdrResult, dataResult);
            written = written && fdrResult == kDsrOk && dataResult == kDsrOk;
        }
        written = state.image.Close() && written;
    }
    state.imagePath.clear();
    std::memset(state.partitionTable, 0, sizeof state.partitionTable);
    for (VolumeDescriptor &volume : state.volumes)
        volume = VolumeDescriptor{};
    state.current = 0;
    ClearAllSlots();
    return written ? kDsrOk : kDsrDeviceError;
}

int32_t OpenImage(const char *path)
{
    CloseImage();
    if (!path)
        return kDsrDeviceError;
    LibraryState &state = State();
    if (!state.image.Open(path))
        return kDsrDeviceError;
    state.imagePath = path;
    if (ReadImageSector(0, state.partitionTable) != kDsrOk) {
        CloseImage();
        return kDsrDeviceError;
    }
    if (IsPartitionTable(state.partitionTable)) {
        FillFromPartitionTable(state);
    } else {
        FillSingleVolume(state, state.partitionTable);
        std::memset(state.partitionTable, 0, sizeof state.partitionTable);
    }
    state.current = 0;
    ClearAllSlots();
    return kDsrOk;
}

int32_t SelectVolume(int32_t index)
{
    if (index < 0 || index >= kVolumeCount)
        return kNotFound;
    return SelectDescriptor(index);
}

int32_t SelectVolumeBySector(uint32_t firstSector)
{
    const LibraryState &state = State();
    for (int k = 0; k < kVolumeCount; ++k) {
        const VolumeDescriptor &volume = state.volumes[k];
        if (volume.valid && (volume.firstSector & kSectorMask) == (firstSector & kSectorMask))
            return SelectDescriptor(k);
    }
    return kNotFound;
}

} // namespace kestrel::hdlib
