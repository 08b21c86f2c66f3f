#include "tifs/arc/archive_open.h"

#include "tifs/arc/archive_reader.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"

namespace kestrel
{

namespace
{

std::string TrimmedTiName(const std::string &tiName)
{
    std::string name = tiName;
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

std::string JoinPath(const std::string &dir, const std::string &name)
{
    if (dir.empty()) {
        return name;
    }
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

bool OpenArchive(Location &location, const CatalogEntry &entry, bool addParent,
                 const std::string &workFile, Ui &ui)
{
    if (entry.archiveMember != 0 || location.kind == kLocArchive) {
        ReportError(ui, 18, {TrimmedTiName(entry.ti.tiName)});
        return false;
    }
    const CatalogEntry archiveEntry = entry; // entry may be one of location.entries
    ArchiveFile archive;
    archive.ti = archiveEntry.ti;
    bool contained = location.kind != kLocPcDirectory;
    if (!contained) {
        archive.path = JoinPath(location.path, archiveEntry.pcName);
        archive.displayName = archive.path;
    } else {
        archive.displayName = location.path + "->" + TrimmedTiName(archiveEntry.ti.tiName);
        EntrySaver saver = FindEntrySaver(location.kind);
        if (saver == nullptr) {
            ReportError(ui, 17, {archive.displayName});
            return false;
        }
        if (!saver(location, archiveEntry, workFile, ui)) {
            return false;
        }
        archive.path = workFile;
    }

    ArchiveDirectory directory;
    bool compressed = false;
    if (!ReadArchiveDirectory(archive, directory, compressed, ui)) {
        return false;
    }

    Catalog entries;
    if (addParent) {
        CatalogEntry *up = AddEntry(entries);
        up->ti.kind = kKindUpDir;
        up->ti.tiName = "..";
        up->pcName = "..";
    }
    for (size_t i = 0; i < directory.members.size(); ++i) {
        CatalogEntry *member = AddEntry(entries);
        // The file that holds the archive, as the user knows it (not the work file).
        member->pcName = archive.displayName;
        member->ti = directory.members[i];
        member->archiveMember = static_cast<uint8_t>(i + 1);
        member->compressed = compressed ? 1 : 0;
    }

    location.keptPath = location.path;
    location.keptKind = location.kind;
    location.path = archive.path;
    location.kind = kLocArchive;
    location.archive = true;
    location.containerEntries.push_back(archiveEntry);
    location.entries = std::move(entries);
    return true;
}

bool LeaveArchive(Location &location, Ui &ui)
{
    if (location.kind != kLocArchive) {
        return false;
    }
    location.path = location.keptPath;
    location.kind = location.keptKind;
    location.archive = false;
    if (!location.containerEntries.empty()) {
        location.containerEntries.pop_back();
    }
    location.keptPath.clear();
    location.keptKind = kLocPcDirectory;
    location.entries.clear();
    if (location.kind == kLocDskImage || location.kind == kLocPc99Image) {
        // Back into the very directory of the image that holds the archive,
        // with its ".." entry unless the image itself is the pane's start.
        bool addParent = location.fdirSector != 1 || !location.containerEntries.empty();
        std::string image = location.path;
        return ListFloppyImage(location, image, location.fdirSector, location.subdirName, addParent,
                               ui);
    }
    // A PC directory is scanned again; other containers by their path,
    // through the path listers of their modules.
    return OpenLocation(location, ui);
}

} // namespace kestrel
