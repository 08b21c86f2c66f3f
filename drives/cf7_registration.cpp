#include "drives/cf7_registration.h"

#include <cstdio>

#include "drives/cf7_card.h"
#include "drives/cf7_layout.h"
#include "drives/cf7_listing.h"
#include "drives/cf7_volume.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kRecognizerPriority = 40;
constexpr int kMsgDskNotInitialized = 32;

bool OpenCardImage(Location &location, const CatalogEntry &entry, Ui &ui)
{
    std::string path =
        location.kind == kLocPcDirectory ? JoinPcPath(location.path, entry.pcName) : location.path;
    return ListCf7Image(location, path, true, ui);
}

bool OpenVolume(Location &location, const CatalogEntry &entry, Ui &ui)
{
    if (entry.disk.Get().totalSectors == 0) {
        ReportError(ui, kMsgDskNotInitialized);
        return false;
    }
    // A drive's volume is no container entry of the catalog: keep it here so
    // that the way up knows which card it came from.
    bool pushed = false;
    if (entry.ti.kind == kKindCf7DriveVolume) {
        location.containerEntries.push_back(entry);
        location.insideContainer = true;
        pushed = true;
    }
    if (!ListCf7Volume(location, entry, true, ui)) {
        if (pushed) {
            location.containerEntries.pop_back();
            location.insideContainer = !location.containerEntries.empty();
        }
        return false;
    }
    return true;
}

// A subdirectory of a volume of a card image; the volume entry is the
// container entry the volume was opened from.
bool OpenVolumeSubdirectory(Location &location, const CatalogEntry &entry, Ui &ui)
{
    if (location.containerEntries.empty()) {
        return false;
    }
    const CatalogEntry volume = location.containerEntries.back();
    std::string name = TiNameToPcName(entry.ti.tiName, ProgramSettings().zubCompatible);
    return ListCf7Volume(location, volume, true, ui, entry.ti.fdrSector, name);
}

bool UpFromVolume(Location &location, Ui &ui)
{
    if (location.kind != kLocCf7Volume) {
        return false;
    }
    if (location.fdirSector > 1 && !location.containerEntries.empty()) {
        const CatalogEntry volume = location.containerEntries.back();
        return ListCf7Volume(location, volume, true, ui);
    }
    char letter = Cf7LocationDrive(location);
    if (!location.containerEntries.empty()) {
        location.containerEntries.pop_back();
    }
    location.insideContainer = !location.containerEntries.empty();
    location.cf7Volume = 0;
    location.innerPath.clear();
    if (letter != 0) {
        return ListCf7Drive(location, letter, ui);
    }
    return ListCf7Image(location, location.path, true, ui);
}

// A file of a volume as a TI file: from a card image directly at the
// volume's byte base; from a drive through a copy of the volume as a DSK
// image beside the target, removed afterwards.
bool SaveVolumeFile(const Location &location, const CatalogEntry &entry, const std::string &target,
                    Ui &ui)
{
    char letter = Cf7LocationDrive(location);
    if (letter == 0) {
        return SaveEntryAsTiFile(location, entry, target, ui);
    }
    Cf7Card card;
    if (!card.OpenDrive(letter, false, ui)) {
        return false;
    }
    const std::string volumeCopy = target + ".vol";
    std::remove(volumeCopy.c_str());
    bool copied =
        CopyCf7VolumeToDsk(card, static_cast<uint32_t>(location.cf7Volume), volumeCopy, ui) == 0;
    card.Close();
    bool saved = false;
    if (copied) {
        Location dsk;
        dsk.kind = kLocDskImage;
        dsk.path = volumeCopy;
        CatalogEntry inDsk = entry;
        inDsk.containerKind = kKindDsk;
        inDsk.baseOffset = 0;
        saved = SaveEntryAsTiFile(dsk, inDsk, target, ui);
    }
    std::remove(volumeCopy.c_str());
    return saved;
}

bool ListCardImagePath(Location &location, const std::string &path, Ui &ui, bool &reported)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    uint8_t header[kCf7HeaderSize];
    size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (got != sizeof header || !IsCf7ImageHeader(header)) {
        return false;
    }
    location.kind = kLocPcDirectory;
    if (!ListCf7Image(location, path, false, ui)) {
        reported = true;
        return false;
    }
    return true;
}

} // namespace

void RegisterCf7Listers()
{
    static bool registered = false;
    if (registered) {
        return;
    }
    registered = true;
    RegisterImageRecognizer(kRecognizerPriority, RecognizeCf7Image);
    RegisterEntryOpener(kKindCf7Image, OpenCardImage);
    RegisterEntryOpener(kKindCf7ImageVolume, OpenVolume);
    RegisterEntryOpener(kKindCf7DriveVolume, OpenVolume);
    RegisterPathLister(kRecognizerPriority, ListCardImagePath);
    RegisterEntryOpenerIn(kLocCf7Volume, kKindSubdir, OpenVolumeSubdirectory);
    RegisterLevelUp(kLocCf7Volume, UpFromVolume);
    RegisterEntrySaver(kLocCf7Volume, SaveVolumeFile);
}

} // namespace kestrel
