#include "tifs/floppy/floppy_registration.h"

#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/hfe_image.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/floppy/vib.h"
#include "tifs/location_listers.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

// Runs early: a file that is a disk image is never taken for a TI file.
constexpr int kRecognizerPriority = 10;
// Before the sector dumps: an HFE header is never a VIB.
constexpr int kHfeRecognizerPriority = 9;
constexpr int kPathListerPriority = 10;

bool RecognizeFloppy(const std::string &path, const uint8_t *first256, uint64_t,
                     CatalogEntry &entry)
{
    DiskSummary summary;
    if (!RecognizeFloppyImage(path, first256, summary)) {
        return false;
    }
    entry.ti.kind = summary.imageKind;
    entry.ti.tiName = summary.name;
    entry.disk = summary;
    return true;
}

// An HFE file is listed under its own kind, with the disk summary of the
// sector dump it holds; one whose VIB cannot be read is left to the others.
bool RecognizeHfe(const std::string &path, const uint8_t *first256, uint64_t, CatalogEntry &entry)
{
    if (!HasHfeSignature(first256, 256)) {
        return false;
    }
    FloppyImageFile image;
    uint8_t vibSector[256];
    DiskSummary summary;
    if (!image.Open(path, false) || !image.ReadAt(0, vibSector, sizeof vibSector) ||
        DecodeVib(&image, vibSector, summary) != 9) {
        return false;
    }
    entry.ti.kind = kKindHfe;
    entry.ti.tiName = summary.name;
    entry.disk = summary;
    return true;
}

bool OpenImageEntry(Location &location, const CatalogEntry &entry, Ui &ui)
{
    std::string imagePath =
        location.kind == kLocPcDirectory ? JoinPcPath(location.path, entry.pcName) : entry.pcName;
    return ListFloppyImage(location, imagePath, 1, std::string(), true, ui);
}

bool OpenSubdirectoryEntry(Location &location, const CatalogEntry &entry, Ui &ui)
{
    std::string name = TiNameToPcName(entry.ti.tiName, ProgramSettings().zubCompatible);
    std::string imagePath = location.path;
    return ListFloppyImage(location, imagePath, entry.ti.fdrSector, name, true, ui);
}

bool ListFloppyPath(Location &location, const std::string &path, Ui &ui, bool &reported)
{
    reported = false;
    FloppyImageFile image;
    uint8_t first[256];
    DiskSummary summary;
    if (!image.Open(path, false) || !image.ReadAt(0, first, sizeof first) ||
        DecodeVib(&image, first, summary) == 0) {
        return false;
    }
    image.Close();
    if (!ListFloppyImage(location, path, 1, std::string(), false, ui)) {
        reported = true;
        return false;
    }
    return true;
}

bool FloppyLevelUp(Location &location, Ui &ui)
{
    if (location.fdirSector == 1 || location.containerDepth <= 1) {
        return false;
    }
    return ListFloppyImage(location, location.path, 1, std::string(), true, ui);
}

} // namespace

void RegisterFloppyListers()
{
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    RegisterImageRecognizer(kHfeRecognizerPriority, RecognizeHfe);
    RegisterImageRecognizer(kRecognizerPriority, RecognizeFloppy);
    RegisterEntryOpener(kKindDsk, OpenImageEntry);
    RegisterEntryOpener(kKindPc99Sd, OpenImageEntry);
    RegisterEntryOpener(kKindPc99Dd, OpenImageEntry);
    RegisterEntryOpener(kKindHfe, OpenImageEntry);
    RegisterEntryOpenerIn(kLocDskImage, kKindSubdir, OpenSubdirectoryEntry);
    RegisterEntryOpenerIn(kLocPc99Image, kKindSubdir, OpenSubdirectoryEntry);
    RegisterPathLister(kPathListerPriority, ListFloppyPath);
    RegisterLevelUp(kLocDskImage, FloppyLevelUp);
    RegisterLevelUp(kLocPc99Image, FloppyLevelUp);
    RegisterEntrySaver(kLocDskImage, SaveEntryAsTiFile);
    RegisterEntrySaver(kLocPc99Image, SaveEntryAsTiFile);
}

} // namespace kestrel
