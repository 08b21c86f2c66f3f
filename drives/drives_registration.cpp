#include "drives/drives_registration.h"

#include <cstdio>

#include "drives/hd_lister.h"
#include "drives/hd_recognizer.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/location_listers.h"

namespace kestrel
{

namespace
{

// After the floppy recognisers: a floppy VIB is tried first, as the scan's
// order of tests says.
constexpr int kHdRecognizerPriority = 20;
constexpr int kHdPathListerPriority = 20;

bool OpenHdSubdirectory(Location &location, const CatalogEntry &entry, Ui &ui)
{
    return ListHdDirectory(location, entry, HdListMode::Enter, ui);
}

bool HdUp(Location &location, Ui &ui)
{
    return HdLevelUp(location, ui);
}

// An image named directly as a location: listed as if entered from the
// directory that holds it.
bool ListHdPath(Location &location, const std::string &path, Ui &ui, bool &reported)
{
    reported = false;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    uint8_t first[256];
    size_t got = std::fread(first, 1, sizeof first, file);
    std::fclose(file);
    CatalogEntry entry;
    if (got != sizeof first || !RecognizeHdImageFile(path, first, 0, entry)) {
        return false;
    }
    size_t slash = path.find_last_of('/');
    entry.pcName = slash == std::string::npos ? path : path.substr(slash + 1);
    location.kind = kLocPcDirectory;
    location.containerEntries.clear();
    bool ok = entry.ti.kind == kKindPartitionedImage
                  ? ListHdPartitions(location, entry, HdListMode::Enter, false, ui)
                  : ListHdDirectory(location, entry, HdListMode::Enter, ui);
    if (!ok) {
        reported = true;
    }
    return ok;
}

} // namespace

void RegisterDriveListers()
{
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    RegisterImageRecognizer(kHdRecognizerPriority, RecognizeHdImageFile);
    RegisterPathLister(kHdPathListerPriority, ListHdPath);
    RegisterEntryOpener(kKindPartitionedImage, OpenHdImageEntry);
    RegisterEntryOpener(kKindHdImage, OpenHdImageEntry);
    for (int kind : {kLocHdImage, kLocHdPartition}) {
        RegisterEntryOpenerIn(kind, kKindSubdir, OpenHdSubdirectory);
        RegisterEntryOpenerIn(kind, kKindHdImage, OpenHdImageEntry);
        RegisterLevelUp(kind, HdUp);
        // The floppy reader follows the 4-byte chains of hard-disk FDRs itself.
        RegisterEntrySaver(kind, SaveEntryAsTiFile);
    }
}

} // namespace kestrel
