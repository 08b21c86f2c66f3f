// Decodes, lists and saves from a fuzzed disk image: in memory for the VIB
// and the listing of the root and every subdirectory slot, and as a file for
// saving every listed entry. Whatever the bytes, the reader must report and
// return, never crash, hang, or read outside the image.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/floppy/vib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kestrel;
    using namespace kestrel::fuzzing;
    std::vector<uint8_t> bytes(data, data + size);
    QuietUi ui;

    MemoryImage memory(bytes);
    if (bytes.size() >= 256) {
        DiskSummary summary;
        DecodeVib(&memory, bytes.data(), summary);
    }
    FloppyDisk disk(memory, 0, "fuzz.dsk");
    if (disk.Open(ui)) {
        Catalog catalog;
        FloppyListing how;
        how.pcName = "fuzz.dsk";
        ListFloppyDirectory(disk, how, catalog, ui);
        for (size_t slot = 0; slot < vib::kSlotCount; ++slot) {
            SubdirSlot s = ReadSubdirSlot(disk.Vib(), slot);
            if (s.used) {
                how.fdirSector = s.fdirSector;
                ListFloppyDirectory(disk, how, catalog, ui);
            }
        }
    }

    static const std::string imagePath = ScratchPath("floppy", "image");
    static const std::string targetPath = ScratchPath("floppy", "target");
    std::FILE *file = std::fopen(imagePath.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    Location location;
    if (ListFloppyImage(location, imagePath, 1, "", true, ui)) {
        for (const auto &entry : location.entries) {
            if (IsTiFileKind(entry->ti.kind) || entry->ti.kind == kKindUnknown) {
                SaveEntryAsTiFile(location, *entry, targetPath, ui);
            }
        }
    }
    std::remove(imagePath.c_str());
    std::remove(targetPath.c_str());
    return 0;
}
