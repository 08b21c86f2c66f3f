#include "ops/extract.h"

#include <cerrno>
#include <filesystem>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "ops/copy.h"
#include "ops/relist.h"
#include "ops/safe_replace.h"
#include "platform/fault_injection.h"
#include "platform/safe_write.h"
#include "platform/temp_dir.h"
#include "tifs/arc/archive_extract.h"
#include "tifs/arc/archive_open.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/floppy/pc99.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantCreateDirectory = 45;
constexpr int kMsgPc99ToItself = 50;
constexpr int kMsgPc99OnlyToDirectory = 51;
constexpr int kMsgExtractOnlyToDirectory = 52;
constexpr int kMsgArcOnlyToDirectory = 53;
constexpr int kMsgNotExtracted = 120;
constexpr int kMsgUnknownNotExtracted = 121;
constexpr int kMsgImageNotMade = 160;
constexpr unsigned kNumberLimit = 100000; // a folder full of GAMES(n) ends the search
constexpr int kPresetDssd40 = 1;
constexpr int kPresetDsdd40 = 2;

bool IsImageKind(uint16_t kind)
{
    return IsFloppyImageKind(kind);
}

bool IsPc99Kind(uint16_t kind)
{
    return kind == 10 || kind == 11;
}

std::string PcForm(const std::string &tiName)
{
    return TiNameToPcName(tiName, ProgramSettings().zubCompatible);
}

bool Exists(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

std::string WorkFile(const ExtractOptions &options)
{
    return options.archiveWorkFile.empty() ? platform::ProgramTempDir().ArchiveFile()
                                           : options.archiveWorkFile;
}

// The entries of one command: the marked ones that qualify, else the cursor
// entry when it qualifies.
std::vector<CatalogEntry *> Qualifying(Location &source, CatalogEntry *cursor,
                                       bool (*qualifies)(const CatalogEntry &))
{
    std::vector<CatalogEntry *> result;
    bool anyMarked = false;
    for (auto &entry : source.entries) {
        if (entry->marked) {
            anyMarked = true;
            if (qualifies(*entry)) {
                result.push_back(entry.get());
            }
        }
    }
    if (!anyMarked && cursor != nullptr && qualifies(*cursor)) {
        result.push_back(cursor);
    }
    return result;
}

bool IsExtractable(const CatalogEntry &entry)
{
    return (IsImageKind(entry.ti.kind) && entry.containerKind == 0) || IsArcCandidate(entry);
}

bool IsPc99Entry(const CatalogEntry &entry)
{
    return IsPc99Kind(entry.ti.kind);
}

// Lists the container into a temporary pane.
bool ListContainer(const Location &source, const CatalogEntry &entry, const ExtractOptions &options,
                   Location &pane, Ui &ui)
{
    if (IsArcCandidate(entry)) {
        CopyLocationState(pane, source);
        pane.entries.clear();
        return OpenArchive(pane, entry, false, WorkFile(options), ui);
    }
    pane = Location{};
    pane.path = JoinPcPath(source.path, entry.pcName);
    return ListFloppyImage(pane, pane.path, 1, std::string(), false, ui);
}

// The PC name a member is written under inside its new folder. The folder
// is new, so a name that is there already came from an earlier member whose
// name maps to the same PC name: numbering keeps both. Bytes that a PC name
// cannot usefully hold become '@', as the forbidden characters do; so does
// '.', which no TI name holds and which would hide the file or climb out.
std::string MemberTarget(const std::string &directory, const std::string &tiName)
{
    std::string name = PcForm(tiName);
    for (char &c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '.') {
            c = '@';
        }
    }
    return FreeNumberedPath(directory, name, "");
}

// A disk file whose name fails the TI name rules is listed with an unknown
// kind; its type is still in its flags, and its data is as good as any.
bool HasFileType(const CatalogEntry &entry)
{
    if (IsTiFileKind(entry.ti.kind)) {
        return true;
    }
    TiFileDescriptor ti = entry.ti;
    DecodeFileType(ti);
    return entry.archiveMember == 0 && IsTiFileKind(ti.kind) && (ti.flags & kFlagMustBeZero) == 0 &&
           (ti.kind == kKindProgram || ti.recordLength != 0);
}

bool SaveMember(const Location &pane, const CatalogEntry &entry, const std::string &target, Ui &ui)
{
    if (pane.kind == kLocArchive) {
        return ExtractArchiveMember(pane, entry, kExtractTiFile, target, ui);
    }
    return SaveEntryAsTiFile(pane, entry, target, ui);
}

} // namespace

bool IsArcCandidate(const CatalogEntry &entry)
{
    return (entry.ti.kind == kKindDisFix || entry.ti.kind == kKindIntFix) &&
           entry.ti.recordLength == 128 && entry.ti.sectors >= 2 && entry.archiveMember == 0 &&
           entry.containerKind == 0;
}

std::string ContainerBaseName(const CatalogEntry &entry)
{
    const std::string &name = entry.ti.tiName;
    bool blank = name.find_first_not_of(' ') == std::string::npos || name == "no_name!! ";
    return PcForm(blank ? PcNameToTiName(entry.pcName) : name);
}

std::string FreeNumberedPath(const std::string &directory, const std::string &base,
                             const std::string &suffix)
{
    std::string path = JoinPcPath(directory, base) + suffix;
    for (unsigned number = 1; Exists(path) && number < kNumberLimit; ++number) {
        path = JoinPcPath(directory, base + "(" + std::to_string(number) + ")") + suffix;
    }
    return path;
}

int ArcToDskPreset(unsigned neededSectors)
{
    if (neededSectors <= 720) {
        return kPresetDssd40;
    }
    if (neededSectors <= 1440) {
        return kPresetDsdd40;
    }
    return -1;
}

int ExtractContainers(Location &destination, Location &source, CatalogEntry *cursor,
                      const ExtractOptions &options, Ui &ui)
{
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, kMsgExtractOnlyToDirectory);
        return -1;
    }
    std::vector<CatalogEntry *> containers = Qualifying(source, cursor, IsExtractable);
    int extracted = 0;
    bool stop = false;
    for (CatalogEntry *container : containers) {
        if (stop || ui.CancelPressed()) {
            break;
        }
        std::string directory =
            FreeNumberedPath(destination.path, ContainerBaseName(*container), "");
        Location pane;
        if (!ListContainer(source, *container, options, pane, ui)) {
            continue;
        }
        if (::mkdir(directory.c_str(), 0777) != 0) {
            ReportSystemError(ui, errno, kMsgCantCreateDirectory, {directory + "/"});
            break;
        }
        ui.SetProgressRange(static_cast<uint32_t>(pane.entries.size()));
        uint32_t position = 0;
        for (const auto &entry : pane.entries) {
            ui.SetProgressPosition(++position);
            ui.PumpPendingMessages();
            if (ui.CancelPressed()) {
                stop = true;
                break;
            }
            const std::string shown = PcForm(entry->ti.tiName);
            if (entry->ti.kind == kKindSubdir || entry->ti.kind == kKindUpDir) {
                continue;
            }
            if (!HasFileType(*entry)) {
                ReportError(ui, kMsgUnknownNotExtracted, {shown, container->pcName});
            } else if (!SaveMember(pane, *entry, MemberTarget(directory, entry->ti.tiName), ui)) {
                ReportError(ui, kMsgNotExtracted, {shown, container->pcName});
            }
        }
        container->marked = false;
        ++extracted;
        RelistLocation(destination, ui);
    }
    return extracted;
}

namespace
{

// A new disk at path holding every member of the archive; false after a reported failure or a
// Cancel.
bool FillImageFromArchive(Location &members, const std::string &path, const std::string &label,
                          int preset, Ui &ui)
{
    if (WriteNewImage(*FindPreset(preset), label, path, ui) != 0) {
        return false;
    }
    Location disk;
    if (!ListFloppyImage(disk, path, 1, std::string(), false, ui)) {
        return false;
    }
    FloppyTarget floppy = TargetForLocation(disk);
    AddFileState state;
    ui.SetProgressRange(static_cast<uint32_t>(members.entries.size()));
    uint32_t position = 0;
    for (const auto &member : members.entries) {
        ui.SetProgressPosition(++position);
        ui.PumpPendingMessages();
        // A member that could not be read is reported and passed over by a copy; a disk made
        // from the archive without it would not be the archive's disk.
        if (ui.CancelPressed() ||
            AddEntryToImage(floppy, members, *member, state, ui) == kAddStopped ||
            ui.LastMessage() != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

int ConvertArcsToDsk(Location &destination, Location &source, CatalogEntry *cursor,
                     const ExtractOptions &options, Ui &ui)
{
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, kMsgArcOnlyToDirectory);
        return -1;
    }
    std::vector<CatalogEntry *> archives = Qualifying(source, cursor, IsArcCandidate);
    int written = 0;
    for (CatalogEntry *archive : archives) {
        if (ui.CancelPressed()) {
            break;
        }
        std::string base = ContainerBaseName(*archive);
        std::string target = FreeNumberedPath(destination.path, base, ".dsk");
        Location members;
        if (!ListContainer(source, *archive, options, members, ui)) {
            continue;
        }
        unsigned needed = 2;
        for (const auto &member : members.entries) {
            needed += member->ti.sectors + 1u;
        }
        int preset = ArcToDskPreset(needed);
        if (preset < 0) {
            continue; // too large for any preset: passed over quietly
        }
        // The image is made under a hidden name and takes its own only when every member is
        // in: a refused write or a Cancel never leaves a disk that looks like the archive's
        // but lacks files.
        std::string side;
        const int fd = platform::CreateSideFile(target, side);
        if (fd < 0) {
            ReportSystemError(ui, errno, kMsgCantOpenWrite, {target});
            continue;
        }
        ::close(fd);
        // Made again by the image writer, with the mode every new file gets.
        ::unlink(side.c_str());
        if (!FillImageFromArchive(members, side, base.substr(0, 10), preset, ui)) {
            ::unlink(side.c_str());
            if (ui.CancelPressed()) {
                break;
            }
            ReportError(ui, kMsgImageNotMade, {target});
            continue;
        }
        if (platform::io::Rename(side.c_str(), target.c_str()) != 0) {
            ReportSystemError(ui, errno, kMsgImageNotMade, {target});
            ::unlink(side.c_str());
            continue;
        }
        archive->marked = false;
        ++written;
        RelistLocation(destination, ui);
    }
    return written;
}

int ConvertPc99sToDsk(Location &destination, Location &source, CatalogEntry *cursor, Ui &ui)
{
    if (destination.kind == kLocPcDirectory && source.kind == kLocPcDirectory &&
        SamePcFile(destination.path, source.path)) {
        ReportError(ui, kMsgPc99ToItself);
        return -1;
    }
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, kMsgPc99OnlyToDirectory);
        return -1;
    }
    OverwriteState state;
    std::vector<CatalogEntry *> images = Qualifying(source, cursor, IsPc99Entry);
    ui.SetProgressRange(static_cast<uint32_t>(images.size()));
    uint32_t position = 0;
    int converted = 0;
    for (CatalogEntry *image : images) {
        ui.SetProgressPosition(++position);
        ui.PumpPendingMessages();
        if (ui.CancelPressed()) {
            break;
        }
        std::string target = JoinPcPath(destination.path, image->pcName);
        if (!state.all && Exists(target)) {
            Answer answer = AskOverwriteQuestion(ui, "DSK image", PcForm(image->ti.tiName));
            if (answer == Answer::Cancel) {
                break;
            }
            if (answer == Answer::No) {
                continue;
            }
            state.all = answer == Answer::All;
        }
        // The old file stays until the conversion is complete: the converter
        // writes beside it.
        if (!ConvertPc99ToDsk(JoinPcPath(source.path, image->pcName), target, ui)) {
            break;
        }
        image->marked = false;
        ++converted;
        RelistLocation(destination, ui);
    }
    return converted;
}

} // namespace kestrel
