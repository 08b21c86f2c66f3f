// Opening a pane's path and moving between levels: PC subdirectories here,
// containers through the openers and level-up functions their modules
// register.
#include <cerrno>

#include "platform/paths.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantRead = 0;
constexpr int kMsgDskNotInitialized = 32;

bool IsContainerEntryKind(uint16_t kind)
{
    switch (kind) {
    case kKindDsk:
    case kKindPc99Sd:
    case kKindPc99Dd:
    case kKindHfe:
    case kKindHdImage:
    case kKindCf7Image:
    case kKindCf7DriveVolume:
    case kKindCf7ImageVolume:
        return true;
    default:
        return false;
    }
}

// Runs the registered opener of a container entry; false (nothing
// reported) when no module handles the kind.
bool RunOpener(Location &location, const CatalogEntry &entry, Ui &ui)
{
    EntryOpener opener = FindEntryOpenerIn(location.kind, entry.ti.kind);
    if (opener == nullptr) {
        return false;
    }
    return opener(location, entry, ui);
}

bool OpenArchiveCandidate(Location &location, const CatalogEntry &entry, Ui &ui)
{
    if (entry.ti.recordLength != 128 || entry.ti.sectors < 1) {
        return false;
    }
    EntryOpener opener = FindEntryOpenerIn(location.kind, kKindIntFix);
    return opener != nullptr && opener(location, entry, ui);
}

} // namespace

void ResetContainerState(Location &location)
{
    location.kind = kLocPcDirectory;
    location.containerDepth = 0;
    location.hdLevel = 0;
    location.cf7Volume = 0;
    location.archive = false;
    location.insideContainer = false;
    location.containerEntries.clear();
    location.innerPath.clear();
    location.nestedName.clear();
    location.keptPath.clear();
    location.keptKind = kLocPcDirectory;
    location.fdirSector = 1;
    location.subdirName.clear();
}

bool OpenLocation(Location &location, Ui &ui)
{
    location.entries.clear();
    const std::string &path = location.path;
    if (path.find('*') != std::string::npos) {
        return ScanPcDirectory(location, path, ui) == 0;
    }
    int error = 0;
    int pathKind = PcPathKind(path, &error);
    if (pathKind == 2) {
        bool reported = false;
        if (ListImagePath(location, path, ui, reported)) {
            return true;
        }
        if (!reported) {
            // No module took the file: it is no image this build can list.
            location.entries.clear();
            ReportSystemError(ui, 0, kMsgCantRead, {path});
        }
        return false;
    }
    location.path = StripTrailingSeparator(path);
    if (pathKind == 0) {
        // The search of "<path>/*.*" would fail on the first match.
        ReportSystemError(ui, error, kMsgCantRead, {location.path});
        return false;
    }
    return ScanPcDirectory(location, JoinPcPath(location.path, "*.*"), ui) == 0;
}

bool EnterPcSubdirectory(Location &location, const CatalogEntry &entry, Ui &ui)
{
    location.pcLevelsEntered += 1;
    std::string base = StripTrailingSeparator(location.path);
    if (platform::LastComponent(base).find('*') != std::string::npos) {
        // A listing by pattern: the subdirectory lies in the searched folder.
        base = ParentPcPath(base);
    }
    location.path = JoinPcPath(base, entry.pcName);
    location.entries.clear();
    return OpenLocation(location, ui);
}

bool GoUp(Location &location, Ui &ui)
{
    if (location.kind != kLocPcDirectory) {
        LevelUp up = FindLevelUp(location.kind);
        if (up != nullptr && up(location, ui)) {
            return true;
        }
        if (!location.keptPath.empty()) {
            // The container lives in a temporary file; the way back is the
            // location it was taken from.
            location.path = location.keptPath;
            location.kind = location.keptKind;
            location.keptPath.clear();
            location.keptKind = kLocPcDirectory;
            location.archive = false;
            location.nestedName.clear();
            if (!location.containerEntries.empty()) {
                location.containerEntries.pop_back();
            }
            location.insideContainer = !location.containerEntries.empty();
            return OpenLocation(location, ui);
        }
        std::string parent = ParentPcPath(location.path);
        ResetContainerState(location);
        location.path = parent;
        return OpenLocation(location, ui);
    }
    if (location.pcLevelsEntered <= 0) {
        return false;
    }
    location.pcLevelsEntered -= 1;
    location.path = ParentPcPath(location.path);
    return OpenLocation(location, ui);
}

bool OpenEntry(Location &location, const CatalogEntry &original, Ui &ui)
{
    const CatalogEntry entry = original; // the listing below frees the original
    bool pushed = false;
    bool wasInside = location.insideContainer;
    if (IsContainerEntryKind(entry.ti.kind)) {
        location.containerEntries.push_back(entry);
        location.insideContainer = true;
        pushed = true;
    }

    bool listed = false;
    switch (entry.ti.kind) {
    case kKindDisFix:
        if (location.kind == kLocPcDirectory && entry.ti.recordLength != 128) {
            break;
        }
        // A registered DIS/FIX opener decides about pictures first and
        // continues as an archive itself.
        if (EntryOpener opener = FindEntryOpenerIn(location.kind, kKindDisFix)) {
            listed = opener(location, entry, ui);
        } else {
            listed = OpenArchiveCandidate(location, entry, ui);
        }
        break;
    case kKindIntFix:
        listed = OpenArchiveCandidate(location, entry, ui);
        break;
    case kKindSubdir:
        if (location.kind == kLocPcDirectory) {
            listed = EnterPcSubdirectory(location, entry, ui);
        } else {
            listed = RunOpener(location, entry, ui);
        }
        break;
    case kKindUpDir:
        if (location.kind != kLocPcDirectory && FindEntryOpenerIn(location.kind, kKindUpDir)) {
            listed = RunOpener(location, entry, ui);
        } else {
            listed = GoUp(location, ui);
        }
        break;
    case kKindCf7DriveVolume:
    case kKindCf7ImageVolume:
        if (entry.disk.Get().totalSectors == 0) {
            ReportError(ui, kMsgDskNotInitialized);
            break;
        }
        listed = RunOpener(location, entry, ui);
        break;
    case kKindDsk:
    case kKindPc99Sd:
    case kKindPc99Dd:
    case kKindHfe:
    case kKindPartitionedImage:
    case kKindHdImage:
    case kKindCf7Image:
        listed = RunOpener(location, entry, ui);
        break;
    default:
        break;
    }

    if (!listed && pushed) {
        if (!location.containerEntries.empty()) {
            location.containerEntries.pop_back();
        }
        location.insideContainer = wasInside;
    }
    if (listed) {
        SortCatalog(location);
    }
    return listed;
}

} // namespace kestrel
