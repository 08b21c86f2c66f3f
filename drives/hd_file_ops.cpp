#include "drives/hd_file_ops.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "drives/dsr_error.h"
#include "drives/hd_binding.h"
#include "drives/hd_lister.h"
#include "drives/hd_location.h"
#include "drives/pc_source_file.h"
#include "platform/temp_dir.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgCantRename = 19;
constexpr int kMsgCantDelete = 20;
constexpr int kMsgCantChangeAttributes = 57;
constexpr int32_t kMissing = -1;
constexpr int32_t kDsrOutOfSpace = 128;

const std::string &TemporaryFile(Ui &ui)
{
    platform::TempDir &program = platform::ProgramTempDir();
    if (program.Created()) {
        return program.GeneralFile();
    }
    // Outside the program (the command line, tests) a private one of our own.
    static platform::TempDir own;
    if (!own.Created() && !own.Create()) {
        ReportSystemError(ui, own.Error(), kMsgCantOpenWrite, {std::string("ti_tmp.$$$")});
    }
    return own.GeneralFile();
}

bool IsHdLocation(const Location &location)
{
    return location.kind == kLocHdImage || location.kind == kLocHdPartition;
}

void RelistIfShown(Location &location, Ui &ui)
{
    if (IsHdLocation(location) && !location.containerEntries.empty()) {
        RereadHdLocation(location, ui);
    }
}

} // namespace

namespace
{

// Writes the TI file at path (its 128-byte header already checked) into the directory under
// name. True when the file is in whole; a file the library named but could not fill is taken
// out again (the library names a new file before its data is in, and may have named it when
// the create itself then failed). status receives the library's answer.
bool WriteHdFile(Ui &ui, HdBinding &b, const CatalogEntry &entry, const std::string &path,
                 const std::string &directoryPath, const std::string &name, int32_t &status)
{
    PcSourceFile in;
    if (!in.Open(path)) {
        ReportSystemError(ui, in.Error(), kMsgCantOpenRead, {path});
        status = 0;
        return false;
    }
    uint8_t buffer[256];
    if (in.Read(buffer, kHeaderSize) != kHeaderSize) {
        ReportError(ui, kMsgCantReadSector, {0, path});
        status = 0;
        return false;
    }
    brackenly::FileRequest request = HdRequestFromEntry(entry);
    bool shortRead = false;
    status = b.createSectorFile(&request, directoryPath.c_str(), name.c_str());
    if (status == 0) {
        // The data is read in blocks: one system call and one copy bring in what the
        // library then takes sector by sector.
        constexpr uint32_t kBlockSectors = 256;
        std::unique_ptr<uint8_t[]> block(
            new uint8_t[size_t(std::min<uint32_t>(kBlockSectors, entry.ti.sectors)) * 256]);
        size_t have = 0;
        size_t at = 0;
        for (uint32_t n = 0; n < entry.ti.sectors; ++n) {
            if (at == have) {
                const uint32_t want = std::min<uint32_t>(kBlockSectors, entry.ti.sectors - n);
                have = in.Read(block.get(), size_t(want) * 256);
                at = 0;
            }
            const uint8_t *sector = block.get() + at;
            const size_t got = std::min<size_t>(256, have - at);
            at += got;
            if (got != 256) {
                if (got > 0 && n + 1 == entry.ti.sectors &&
                    entry.ti.headerKind == kHeaderClassic99) {
                    // Classic99 files end where their data ends, inside the
                    // last sector; the rest of that sector is zero on disk.
                    std::memcpy(buffer, sector, got);
                    std::memset(buffer + got, 0, 256 - got);
                    sector = buffer;
                } else {
                    ReportError(ui, kMsgCantReadSector, {static_cast<long long>(n), path});
                    shortRead = true;
                    break;
                }
            }
            int32_t written =
                b.writeFileSector(&request, directoryPath.c_str(), name.c_str(), n, sector);
            if (written != 0) {
                ReportDsrError(ui, written, kMsgCantWriteSector,
                               {static_cast<long long>(n), directoryPath});
                status = written;
                break;
            }
        }
    } else {
        ReportDsrError(ui, status, kMsgCantWriteSector, {0, directoryPath});
    }
    const int32_t closed = b.close(&request, shortRead ? 0 : status);
    if (status == 0 && closed != 0) {
        status = closed;
    }
    const bool whole = status == 0 && !shortRead;
    if (!whole) {
        // When the image refuses this too, the message already shown is all that can be said.
        brackenly::FileRequest removal = HdRequestFromEntry(entry);
        b.deleteFile(&removal, (directoryPath + name).c_str());
    }
    return whole;
}

// A name of this directory that no file has, for a new file written beside the one it will
// replace: the name's first characters and a "$" with a number.
std::string FreeSideName(HdBinding &b, const CatalogEntry &entry, const std::string &directoryPath,
                         const std::string &name)
{
    for (int number = 0; number < 100; ++number) {
        const std::string suffix = "$" + (number == 0 ? std::string() : std::to_string(number));
        const std::string side = name.substr(0, 10 - suffix.size()) + suffix;
        brackenly::FileRequest request = HdRequestFromEntry(entry);
        uint8_t flags = 0;
        if (b.fileStatus(&request, (directoryPath + side).c_str(), &flags) == kMissing) {
            return side;
        }
    }
    return std::string();
}

} // namespace

int CopyEntryToHd(Ui &ui, const Location &destination, const Location &source,
                  const CatalogEntry &entry, const std::string &pcFile, HdCopyBatch &batch)
{
    batch.lastCopied = false;
    if (!PointHdLibrary(destination, ui)) {
        return 2;
    }
    HdBinding &b = TheHdBinding();
    const std::string name = HdName(entry.ti.tiName);
    brackenly::FileRequest request = HdRequestFromEntry(entry);
    const std::string directoryPath = HdTiPath(destination);
    const std::string filePath = HdTiPath(destination, entry.ti.tiName);

    uint8_t flags = 0;
    bool replacing = false;
    if (b.fileStatus(&request, filePath.c_str(), &flags) != kMissing) {
        if (!batch.overwriteAll) {
            std::string shown = TiNameToPcName(entry.ti.tiName, ProgramSettings().zubCompatible);
            Answer answer = ui.AskOverwrite(
                FormatText("%s <%s> allready exist. Overwrite?", {"HD image", shown}));
            if (answer == Answer::No) {
                return 0;
            }
            if (answer == Answer::Cancel) {
                return 2;
            }
            if (answer == Answer::All) {
                batch.overwriteAll = true;
            }
        }
        replacing = true;
    }

    std::string path = pcFile;
    if (path.empty()) {
        if (source.kind != kLocPcDirectory) {
            EntrySaver saver = FindEntrySaver(source.kind);
            path = TemporaryFile(ui);
            if (saver == nullptr || path.empty() || !saver(source, entry, path, ui)) {
                return 0;
            }
        } else {
            path = JoinPcPath(source.path, entry.pcName);
        }
    }

    // A file that is replaced stays until its successor is in whole beside it under a free
    // name; then it goes and the new one takes its name. Only where the volume has no room for
    // both does the old file go first, as it always did.
    int32_t status = 0;
    const std::string side = replacing ? FreeSideName(b, entry, directoryPath, name) : "";
    if (!side.empty()) {
        const int before = ui.LastMessage();
        ui.SetLastMessage(0);
        const bool whole = WriteHdFile(ui, b, entry, path, directoryPath, side, status);
        if (whole) {
            int32_t deleted = b.deleteFile(&request, filePath.c_str());
            if (deleted != 0) {
                ReportDsrError(ui, deleted, kMsgCantDelete, {name});
                b.deleteFile(&request, (directoryPath + side).c_str());
                return 2;
            }
            int32_t renamed =
                b.renameFile(&request, directoryPath.c_str(), name.c_str(), side.c_str());
            if (renamed != 0) {
                ReportDsrError(ui, renamed, kMsgCantRename, {side, name});
                return 2;
            }
            batch.lastCopied = true;
            return 0;
        }
        if (status != kDsrOutOfSpace) {
            return status != 0 ? 2 : 0;
        }
        // No room for both: the messages of the attempt give way to the replacement's own.
        ui.SetLastMessage(before);
    }
    if (replacing) {
        int32_t deleted = b.deleteFile(&request, filePath.c_str());
        if (deleted != 0) {
            ReportDsrError(ui, deleted, kMsgCantDelete, {name});
            return 2;
        }
    }
    batch.lastCopied = WriteHdFile(ui, b, entry, path, directoryPath, name, status);
    return status != 0 ? 2 : 0;
}

int CopyEntriesToHd(Ui &ui, Location &destination, Location &source,
                    const std::vector<const CatalogEntry *> &entries)
{
    HdCopyBatch batch;
    int copied = 0;
    ui.SetProgressRange(static_cast<uint32_t>(entries.size()));
    uint32_t position = 0;
    for (const CatalogEntry *e : entries) {
        if (ui.CancelPressed()) {
            break;
        }
        ui.SetProgressPosition(++position);
        ui.PumpPendingMessages();
        if (e == nullptr || !IsTiFileKind(e->ti.kind)) {
            continue;
        }
        int before = ui.LastMessage();
        ui.SetLastMessage(0);
        int result = CopyEntryToHd(ui, destination, source, *e, std::string(), batch);
        bool failed = ui.LastMessage() != 0;
        if (!failed) {
            ui.SetLastMessage(before);
        }
        if (result == 2) {
            break;
        }
        for (auto &own : source.entries) {
            if (own.get() == e) {
                own->marked = false;
            }
        }
        if (!failed && batch.lastCopied) {
            ++copied;
        }
    }
    RelistIfShown(destination, ui);
    return copied;
}

int DeleteHdEntries(Ui &ui, Location &location, const std::vector<const CatalogEntry *> &entries)
{
    if (!PointHdLibrary(location, ui)) {
        return 0;
    }
    HdBinding &b = TheHdBinding();
    const std::string directoryPath = HdTiPath(location);
    int deleted = 0;
    for (const CatalogEntry *e : entries) {
        if (e == nullptr) {
            continue;
        }
        const std::string name = HdName(e->ti.tiName);
        brackenly::FileRequest request = HdRequestFromEntry(*e);
        int32_t answer = 0;
        if (e->ti.kind == kKindSubdir) {
            answer = b.deleteDirectory(&request, directoryPath.c_str(), name.c_str());
        } else if (IsTiFileKind(e->ti.kind) || e->ti.kind == kKindUnknown) {
            const std::string filePath = HdTiPath(location, e->ti.tiName);
            answer = b.deleteFile(&request, filePath.c_str());
        } else {
            continue; // ".." and anything else that is no file stays
        }
        if (answer != 0) {
            ReportDsrError(ui, answer, kMsgCantDelete, {name});
            break;
        }
        ++deleted;
    }
    RelistIfShown(location, ui);
    return deleted;
}

bool RenameHdEntry(Ui &ui, const Location &location, CatalogEntry &entry,
                   const std::string &newName)
{
    const std::string oldName = HdName(entry.ti.tiName);
    const std::string wanted = HdName(newName);
    if (PadTiName(wanted) == PadTiName(oldName)) {
        return true; // nothing to do, and no call for it
    }
    if (!IsTiFileKind(entry.ti.kind) && entry.ti.kind != kKindSubdir) {
        ReportDsrError(ui, 96, kMsgCantRename, {oldName, wanted});
        return false;
    }
    if (!PointHdLibrary(location, ui)) {
        return false;
    }
    HdBinding &b = TheHdBinding();
    const std::string directoryPath = HdTiPath(location);
    brackenly::FileRequest request = HdRequestFromEntry(entry);
    int32_t answer =
        entry.ti.kind == kKindSubdir
            ? b.renameDirectory(&request, directoryPath.c_str(), wanted.c_str(), oldName.c_str())
            : b.renameFile(&request, directoryPath.c_str(), wanted.c_str(), oldName.c_str());
    if (answer != 0) {
        ReportDsrError(ui, answer, kMsgCantRename, {oldName, wanted});
        return false;
    }
    entry.ti.tiName = PadTiName(wanted);
    return true;
}

bool SetHdProtection(Ui &ui, const Location &location, const CatalogEntry &entry)
{
    if (!PointHdLibrary(location, ui)) {
        return false;
    }
    HdBinding &b = TheHdBinding();
    const std::string directoryPath = HdTiPath(location);
    const std::string name = HdName(entry.ti.tiName);
    brackenly::FileRequest request = HdRequestFromEntry(entry);
    int32_t answer = b.setProtection(&request, directoryPath.c_str(), name.c_str(),
                                     (entry.ti.flags & kFlagProtected) ? 1 : 0);
    if (answer != 0) {
        ReportDsrError(ui, answer, kMsgCantChangeAttributes);
        return false;
    }
    return true;
}

int CreateHdDirectory(Ui &ui, Location &location, const std::string &typedName)
{
    if (!PointHdLibrary(location, ui)) {
        return -2;
    }
    HdBinding &b = TheHdBinding();
    const std::string directoryPath = HdTiPath(location);
    // A "." inside a name would split it into two path components: the
    // directory could never be reached again, so dots are left out.
    std::string typed;
    for (char c : typedName) {
        if (c != '.') {
            typed.push_back(c);
        }
    }
    const std::string name = HdName(PcNameToTiName(typed));
    if (name.empty()) {
        return 224;
    }
    brackenly::FileRequest request = HdRequest();
    int32_t answer = b.createDirectory(&request, directoryPath.c_str(), name.c_str());
    RelistIfShown(location, ui);
    return answer;
}

} // namespace kestrel
