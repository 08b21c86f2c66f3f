#include "ops/delete_entries.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "drives/hd_binding.h"
#include "drives/hd_file_ops.h"
#include "ops/conversion_result.h"
#include "ops/copy.h"
#include "ops/relist.h"
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

constexpr int kMsgCantDeleteFile = 20;
constexpr int kMsgOnlyDeleteHere = 43;
constexpr int kMsgCantDeleteThisDirectory = 62;

bool IsHd(const Location &location)
{
    return location.kind == kLocHdImage || location.kind == kLocHdPartition;
}

// A hard-disk image is changed only inside a partition's directory, not at
// its partition list.
bool HdShowsDirectory(const Location &location)
{
    return IsHd(location) && !location.containerEntries.empty() &&
           !(location.containerEntries.size() == 1 &&
             location.containerEntries[0].ti.kind == kKindPartitionedImage);
}

bool DeletableInPcDirectory(uint16_t kind)
{
    return IsTiFileKind(kind) || kind == kKindSubdir || (kind >= kKindDsk && kind <= 13) ||
           kind == kKindHfe || kind == 15 || kind == kKindDos;
}

std::string PcForm(const std::string &tiName)
{
    return TiNameToPcName(tiName, ProgramSettings().zubCompatible);
}

std::string ShownName(const Location &location, const CatalogEntry &entry)
{
    if (location.kind != kLocPcDirectory) {
        return entry.ti.tiName;
    }
    if (entry.ti.kind == kKindDos || entry.ti.kind == kKindPartitionedImage ||
        entry.ti.kind == kKindHdImage) {
        return entry.pcName;
    }
    return PcForm(entry.ti.tiName);
}

} // namespace

bool CheckDelete(const Location &location, const CatalogEntry *cursor, Ui &ui)
{
    bool allowed = location.kind == kLocPcDirectory || location.kind == kLocDskImage ||
                   location.kind == kLocCf7Volume || HdShowsDirectory(location);
    if (!allowed) {
        ReportError(ui, kMsgOnlyDeleteHere);
        return false;
    }
    if (cursor != nullptr && cursor->ti.kind == kKindUpDir) {
        ReportError(ui, kMsgCantDeleteThisDirectory);
        return false;
    }
    return true;
}

std::string DeleteQuestion(const Location &location, const CatalogEntry *cursor)
{
    std::vector<const CatalogEntry *> marked;
    for (const auto &entry : location.entries) {
        if (entry->marked) {
            marked.push_back(entry.get());
        }
    }
    if (marked.empty()) {
        return cursor == nullptr ? std::string()
                                 : FormatText("Do you really wish to delete <%s>",
                                              {ShownName(location, *cursor)});
    }
    std::string text = FormatText("Do you really wish to delete %u files?",
                                  {static_cast<unsigned>(marked.size())});
    for (size_t i = 0; i < marked.size() && i < 4; ++i) {
        const CatalogEntry &entry = *marked[i];
        text += "\n    " + (entry.ti.kind == kKindDos ? entry.pcName : PcForm(entry.ti.tiName));
    }
    if (marked.size() > 4) {
        text += "  ...";
    }
    return text;
}

bool DeletePcEntry(const Location &location, const CatalogEntry &entry, Ui &ui)
{
    std::string path = JoinPcPath(location.path, entry.pcName);
    int failure = 0;
    if (entry.ti.kind == kKindSubdir) {
        std::error_code ec;
        if (!std::filesystem::remove(path, ec)) {
            failure = ec ? ec.value() : ENOENT;
        }
    } else {
        if (entry.ti.kind == kKindPartitionedImage || entry.ti.kind == kKindHdImage) {
            // The library may hold this image open; left cached, a later image
            // of the same name would be read and written through the old one.
            ForgetHdImage(path);
        }
        if (std::remove(path.c_str()) != 0) {
            failure = errno;
        }
    }
    if (failure != 0) {
        ReportSystemError(ui, failure, kMsgCantDeleteFile, {path});
        return false;
    }
    return true;
}

int DeleteEntries(Location &location, CatalogEntry *cursor, const DeleteOptions &options, Ui &ui)
{
    (void)options;
    std::vector<CatalogEntry *> entries = EntriesToHandle(location, cursor);
    int deleted = 0;
    if (location.kind == kLocPcDirectory) {
        ui.SetProgressRange(IsBatch(location) ? static_cast<uint32_t>(entries.size()) : 2);
        uint32_t position = 0;
        for (CatalogEntry *entry : entries) {
            if (!DeletableInPcDirectory(entry->ti.kind)) {
                continue;
            }
            ui.SetProgressPosition(++position);
            ui.SetStatusText(FormatText("Deleting <%s>", {entry->pcName}));
            ui.PumpPendingMessages();
            if (!DeletePcEntry(location, *entry, ui)) {
                break;
            }
            ++deleted;
        }
        RelistLocation(location, ui);
    } else if (location.kind == kLocDskImage || location.kind == kLocCf7Volume) {
        FloppyTarget target;
        if (!ConversionImageTarget(location, target)) {
            ReportError(ui, kMsgOnlyDeleteHere);
            return 0;
        }
        for (CatalogEntry *entry : entries) {
            const bool subdirectory = entry->ti.kind == kKindSubdir;
            if (!IsTiFileKind(entry->ti.kind) && !subdirectory) {
                continue;
            }
            ui.SetStatusText(FormatText("Deleting <%s>", {entry->ti.tiName}));
            ui.PumpPendingMessages();
            if (subdirectory ? DeleteFloppySubdirectory(target, *entry, ui)
                             : DeleteFileFromImage(target, *entry, ui)) {
                ++deleted;
            }
            entry->marked = false;
        }
        if (deleted > 0) {
            RelistLocation(location, ui);
        }
    } else if (HdShowsDirectory(location)) {
        std::vector<const CatalogEntry *> list(entries.begin(), entries.end());
        deleted = DeleteHdEntries(ui, location, list);
    }
    return deleted;
}

} // namespace kestrel
