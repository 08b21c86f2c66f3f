#include "ops/rename_entry.h"
#include "platform/fault_injection.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "drives/hd_binding.h"
#include "drives/hd_file_ops.h"
#include "ops/conversion_result.h"
#include "ops/relist.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_subdirectory.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantWrite = 5;
constexpr int kMsgCantRenameHere = 47;
constexpr int kMsgCantRename = 48;
constexpr int kMsgCantRenameThisDirectory = 61;

bool IsHd(const Location &location)
{
    return location.kind == kLocHdImage || location.kind == kLocHdPartition;
}

bool HdShowsDirectory(const Location &location)
{
    return IsHd(location) && !location.containerEntries.empty() &&
           !(location.containerEntries.size() == 1 &&
             location.containerEntries[0].ti.kind == kKindPartitionedImage);
}

std::string Extension(const std::string &pcName)
{
    size_t dot = pcName.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? std::string() : pcName.substr(dot);
}

// The V9T9 header and the VIB both begin with the 10-byte name.
bool WriteNameIntoFile(const std::string &path, const std::string &name10, Ui &ui)
{
    std::FILE *file = std::fopen(path.c_str(), "r+b");
    if (file == nullptr) {
        ReportError(ui, kMsgCantOpenWrite, {path});
        return false;
    }
    bool ok = platform::io::Fwrite(name10.data(), 1, 10, file) == 10;
    ok = platform::io::Fclose(file) == 0 && ok;
    if (!ok) {
        ReportError(ui, kMsgCantWrite, {path});
    }
    return ok;
}

bool RenameInPcDirectory(const Location &location, CatalogEntry &entry, const std::string &typed,
                         Ui &ui)
{
    bool plain = entry.ti.kind == kKindDos;
    std::string newPcName = plain ? typed : typed + Extension(entry.pcName);
    if (newPcName.find('/') != std::string::npos || newPcName == "." || newPcName == "..") {
        ReportError(ui, kMsgCantRename, {JoinPcPath(location.path, entry.pcName)});
        return false;
    }
    std::string oldPath = JoinPcPath(location.path, entry.pcName);
    std::string newPath = JoinPcPath(location.path, newPcName);
    if (newPath != oldPath) {
        // A plain rename() would silently replace an existing file (or empty
        // directory) of the new name; a rename only ever moves, never deletes.
        struct stat from {
        };
        struct stat to {
        };
        if (::lstat(newPath.c_str(), &to) == 0 &&
            !(::lstat(oldPath.c_str(), &from) == 0 && from.st_dev == to.st_dev &&
              from.st_ino == to.st_ino)) {
            ReportSystemError(ui, EEXIST, kMsgCantRename, {oldPath});
            return false;
        }
        if (entry.ti.kind == kKindPartitionedImage || entry.ti.kind == kKindHdImage) {
            ForgetHdImage(oldPath); // the library must not keep the old name open
        }
        if (platform::io::Rename(oldPath.c_str(), newPath.c_str()) != 0) {
            ReportSystemError(ui, errno, kMsgCantRename, {oldPath});
            return false;
        }
    }
    entry.pcName = newPcName;
    if (IsTiFileKind(entry.ti.kind) || entry.ti.kind == kKindDsk) {
        std::string name10 = PcNameToTiName(typed);
        entry.ti.tiName = name10;
        if (entry.ti.kind == kKindDsk || entry.ti.headerKind == kHeaderV9t9) {
            return WriteNameIntoFile(newPath, name10, ui);
        }
    } else if (entry.ti.kind == kKindSubdir) {
        std::string name;
        for (char c : newPcName.substr(0, 12)) {
            if (c != '.') {
                name += c;
            }
        }
        entry.ti.tiName = name;
    }
    return true;
}

bool SameTiName(const std::string &a, const std::string &b)
{
    return CompareNoCase(PadTiName(a), PadTiName(b)) == 0;
}

} // namespace

bool NameFilterAccepts(NameFilter filter, char c)
{
    switch (filter) {
    case NameFilter::TiName:
        return std::strchr(" \"*./:<>?\\|", c) == nullptr && c != '\0';
    case NameFilter::PcName:
        return std::strchr(" \"*/:<>?\\|", c) == nullptr && c != '\0';
    case NameFilter::Label:
        return c != ' ' && c != '.' && c != '\0';
    }
    return false;
}

size_t NameFilterLength(NameFilter filter)
{
    return filter == NameFilter::PcName ? 30 : 10;
}

std::string ApplyNameFilter(NameFilter filter, const std::string &typed)
{
    std::string text;
    for (char c : typed) {
        if (text.size() < NameFilterLength(filter) && NameFilterAccepts(filter, c)) {
            text += c;
        }
    }
    return text;
}

NameFilter RenameFilterFor(const Location &location, const CatalogEntry &entry)
{
    if (location.kind != kLocPcDirectory) {
        return NameFilter::Label;
    }
    return entry.ti.kind == kKindDos ? NameFilter::PcName : NameFilter::TiName;
}

std::string RenamePrefill(const Location &location, const CatalogEntry &entry)
{
    if (entry.ti.kind == kKindDos) {
        return entry.pcName;
    }
    if (location.kind != kLocPcDirectory) {
        return entry.ti.tiName.substr(0, entry.ti.tiName.find(' '));
    }
    return TiNameToPcName(entry.ti.tiName, ProgramSettings().zubCompatible);
}

bool CheckRename(const Location &location, const CatalogEntry *cursor, Ui &ui)
{
    bool allowed = location.kind == kLocPcDirectory || location.kind == kLocDskImage ||
                   location.kind == kLocCf7Volume || HdShowsDirectory(location);
    if (!allowed) {
        ReportError(ui, kMsgCantRenameHere);
        return false;
    }
    if (cursor != nullptr && cursor->ti.kind == kKindUpDir) {
        ReportError(ui, kMsgCantRenameThisDirectory);
        return false;
    }
    return true;
}

bool RenameEntry(Location &location, CatalogEntry &entry, const RenameOptions &options, Ui &ui,
                 int *renamedIndex)
{
    if (renamedIndex != nullptr) {
        *renamedIndex = -1;
    }
    const std::string &typed = options.newName;
    if (typed.empty()) {
        ui.ShowWarning("Please enter a name for the file or directory");
        return false;
    }
    ui.SetLastMessage(0);
    bool ok = false;
    if (location.kind == kLocPcDirectory) {
        ok = RenameInPcDirectory(location, entry, typed, ui);
    } else if (location.kind == kLocDskImage || location.kind == kLocCf7Volume) {
        std::string name10 = PcNameToTiName(typed);
        FloppyTarget target;
        if (!ConversionImageTarget(location, target)) {
            ReportError(ui, kMsgCantRenameHere);
            return false;
        }
        ok = entry.ti.kind == kKindSubdir ? RenameFloppySubdirectory(target, entry, name10, ui)
                                          : RenameFileInImage(target, entry, name10, typed, ui);
    } else if (HdShowsDirectory(location)) {
        ok = RenameHdEntry(ui, location, entry, PcNameToTiName(typed));
    } else {
        ReportError(ui, kMsgCantRenameHere);
        return false;
    }
    bool plain = entry.ti.kind == kKindDos;
    std::string pcName = entry.pcName;
    std::string tiName = entry.ti.tiName;
    if (ui.LastMessage() != 0) {
        RelistLocation(location, ui);
    } else {
        SortCatalog(location);
    }
    if (renamedIndex != nullptr) {
        for (size_t i = 0; i < location.entries.size(); ++i) {
            const CatalogEntry &listed = *location.entries[i];
            if (plain ? listed.pcName == pcName : SameTiName(listed.ti.tiName, tiName)) {
                *renamedIndex = static_cast<int>(i);
                break;
            }
        }
    }
    return ok;
}

} // namespace kestrel
