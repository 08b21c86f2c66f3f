// Decodes, lists and saves from a fuzzed disk image: in memory for the VIB
// and the listing of the root and every subdirectory slot, and as a file for
// saving every listed entry. Whatever the bytes, the reader must report and
// return, never crash, hang, or read outside the image.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/floppy/vib.h"

namespace
{

class QuietUi : public kestrel::Ui
{
public:
    void ShowError(const std::string &) override {}
    kestrel::Answer AskErrorQuestion(const std::string &) override
    {
        return kestrel::Answer::Cancel;
    }
    void ShowDsrError(const std::string &) override {}
    void ShowInfo(const std::string &) override {}
    void ShowWarning(const std::string &) override {}
    kestrel::Answer AskQuestion(const std::string &, kestrel::QuestionButtons) override
    {
        return kestrel::Answer::Cancel;
    }
    kestrel::Answer AskOverwrite(const std::string &) override { return kestrel::Answer::Cancel; }
    bool ChooseFile(bool, const std::string &, const std::string &, const std::string &,
                    const std::string &, std::string &) override
    {
        return false;
    }
};

std::string ScratchPath(const char *name)
{
    const char *base = std::getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/kestrel-floppy-fuzz-" +
           std::to_string(::getpid()) + "-" + name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kestrel;
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

    static const std::string imagePath = ScratchPath("image");
    static const std::string targetPath = ScratchPath("target");
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
