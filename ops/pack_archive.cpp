#include "ops/pack_archive.h"

#include <cstdio>
#include <filesystem>

#include "drives/hd_file_ops.h"
#include "ops/conversion_result.h"
#include "ops/copy.h"
#include "ops/relist.h"
#include "ops/safe_replace.h"
#include "tifs/arc/archive_directory.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantWrite = 5;
constexpr int kMsgInvalidName = 16;
constexpr int kMsgTooManyMembers = 144;
constexpr int kMsgTooLarge = 145;
constexpr int kMsgNotTiFile = 146;
constexpr int kMsgCantPackHere = 147;
constexpr int kMsgNothingToPack = 148;

bool HdShowsDirectory(const Location &location)
{
    bool hd = location.kind == kLocHdImage || location.kind == kLocHdPartition;
    return hd && !location.containerEntries.empty() &&
           !(location.containerEntries.size() == 1 &&
             location.containerEntries[0].ti.kind == kKindPartitionedImage);
}

std::string Trimmed(const std::string &text)
{
    size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string MemberName(const CatalogEntry &entry)
{
    std::string name = PadTiName(entry.ti.tiName);
    if (name == std::string(10, ' ') || entry.ti.tiName == "no_name!! ") {
        name = PcNameToTiName(entry.pcName);
    }
    return name;
}

bool ReadFileBytes(const std::string &path, std::vector<uint8_t> &bytes, Ui &ui)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        ReportError(ui, kMsgCantOpenRead, {path});
        return false;
    }
    bytes.clear();
    uint8_t buffer[64 * 1024];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        ReportError(ui, kMsgCantOpenRead, {path});
        return false;
    }
    return true;
}

// The archive as a PC file: a TIFILES header, then its sectors.
bool WriteArchiveFile(const std::string &path, const TiFileDescriptor &archive,
                      const std::vector<uint8_t> &sectors, Ui &ui)
{
    uint8_t header[kHeaderSize];
    MakeTifilesHeader(archive, header);
    ReplacingFile out;
    if (!out.Open(path)) {
        ReportSystemError(ui, out.Error(), kMsgCantOpenWrite, {path});
        return false;
    }
    if (!out.Write(header, sizeof header) || !out.Write(sectors.data(), sectors.size())) {
        out.Abandon(false);
        ReportError(ui, kMsgCantWrite, {path});
        return false;
    }
    if (!out.Commit()) {
        ReportSystemError(ui, out.Error(), kMsgCantWrite, {path});
        return false;
    }
    return true;
}

} // namespace

bool CheckPack(const Location &destination, Ui &ui)
{
    FloppyTarget target;
    const bool floppy = (destination.kind == kLocDskImage || destination.kind == kLocCf7Volume) &&
                        ConversionImageTarget(destination, target);
    if (destination.kind == kLocPcDirectory || floppy || HdShowsDirectory(destination)) {
        return true;
    }
    ReportError(ui, kMsgCantPackHere);
    return false;
}

bool ReadPackMember(const Location &location, const CatalogEntry &entry, ArcMember &member, Ui &ui)
{
    if (!IsTiFileKind(entry.ti.kind)) {
        ReportError(ui, kMsgNotTiFile,
                    {entry.ti.kind == kKindDos ? entry.pcName : entry.ti.tiName});
        return false;
    }
    std::string path;
    if (location.kind == kLocPcDirectory) {
        path = JoinPcPath(location.path, entry.pcName);
    } else {
        EntrySaver saver = FindEntrySaver(location.kind);
        path = ConversionTempFile(ui);
        if (path.empty()) {
            return false;
        }
        if (saver == nullptr) {
            ReportError(ui, kMsgNotTiFile, {entry.ti.tiName});
            return false;
        }
        ui.SetLastMessage(0);
        if (!saver(location, entry, path, ui) || ui.LastMessage() != 0) {
            return false;
        }
    }
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, bytes, ui)) {
        return false;
    }
    if (bytes.size() < kHeaderSize) {
        ReportError(ui, kMsgNotTiFile, {path});
        return false;
    }
    // The listing's descriptor is the one to keep: it already carries the
    // sizes corrected for a short (Classic99) file and the TI name.
    member.ti = entry.ti;
    member.ti.tiName = MemberName(entry);
    const size_t wanted = size_t{entry.ti.sectors} * kSectorSize;
    const size_t have = bytes.size() - kHeaderSize < wanted ? bytes.size() - kHeaderSize : wanted;
    member.data.assign(bytes.begin() + kHeaderSize, bytes.begin() + kHeaderSize + have);
    member.data.resize(wanted, 0);
    return true;
}

int PackEntries(Location &destination, const std::vector<PackSource> &sources,
                const PackOptions &options, Ui &ui)
{
    if (options.name.empty()) {
        ui.ShowWarning("Please enter a name for the archive");
        return kConversionFailed;
    }
    if (options.name.find('/') != std::string::npos || options.name == "." ||
        options.name == "..") {
        ReportError(ui, kMsgInvalidName, {options.name});
        return kConversionFailed;
    }
    if (!CheckPack(destination, ui)) {
        return kConversionFailed;
    }
    if (sources.size() > kArcMaxMembers) {
        ReportError(ui, kMsgTooManyMembers);
        return kConversionFailed;
    }
    std::vector<ArcMember> members;
    members.reserve(sources.size());
    ui.SetProgressRange(static_cast<uint32_t>(sources.size()));
    for (const PackSource &source : sources) {
        ui.SetStatusText(FormatText("Packing <%s>", {Trimmed(source.entry->ti.tiName)}));
        ui.PumpPendingMessages();
        if (ui.CancelPressed()) {
            return kConversionStop;
        }
        ArcMember member;
        if (!ReadPackMember(*source.location, *source.entry, member, ui)) {
            return kConversionFailed;
        }
        members.push_back(std::move(member));
        ui.SetProgressPosition(static_cast<uint32_t>(members.size()));
    }

    const bool compressed = !options.plain;
    std::vector<uint8_t> sectors;
    switch (BuildArchiveSectors(members, compressed, sectors)) {
    case ArchiveBuild::TooManyMembers:
        ReportError(ui, kMsgTooManyMembers);
        return kConversionFailed;
    case ArchiveBuild::TooLarge:
        ReportError(ui, kMsgTooLarge, {options.name});
        return kConversionFailed;
    case ArchiveBuild::Done:
        break;
    }
    const std::string tiName = PcNameToTiName(options.name);
    const TiFileDescriptor archive =
        ArchiveFileDescriptor(tiName, sectors.size() / kSectorSize, compressed);

    if (destination.kind == kLocPcDirectory) {
        const std::string target = JoinPcPath(destination.path, options.name);
        std::error_code error;
        if (std::filesystem::exists(target, error)) {
            bool all = false;
            Answer answer = AskConversionOverwrite(ui, "TI file", options.name, all);
            if (answer == Answer::Cancel) {
                return kConversionStop;
            }
            if (answer != Answer::Yes) {
                return kConversionDone;
            }
        }
        return WriteArchiveFile(target, archive, sectors, ui) ? kConversionDone : kConversionFailed;
    }

    const std::string temp = ConversionTempFile(ui);
    if (temp.empty() || !WriteArchiveFile(temp, archive, sectors, ui)) {
        return kConversionFailed;
    }
    CatalogEntry packed;
    packed.pcName = options.name;
    packed.ti = archive;
    FloppyTarget image;
    if ((destination.kind == kLocDskImage || destination.kind == kLocCf7Volume) &&
        ConversionImageTarget(destination, image)) {
        AddFileState state;
        AddFileResult added = AddFileToImage(image, packed, temp, state, ui);
        if (added == kAddStopped) {
            return ui.LastMessage() != 0 ? kConversionFailed : kConversionStop;
        }
        return ui.LastMessage() != 0 ? kConversionFailed : kConversionDone;
    }
    ui.SetLastMessage(0);
    Location pcSide;
    pcSide.kind = kLocPcDirectory;
    HdCopyBatch batch;
    if (CopyEntryToHd(ui, destination, pcSide, packed, temp, batch) == 2) {
        return ui.LastMessage() != 0 ? kConversionFailed : kConversionStop;
    }
    return ui.LastMessage() != 0 ? kConversionFailed : kConversionDone;
}

int PackMarked(Location &destination, Location &source, CatalogEntry *cursor,
               const PackOptions &options, Ui &ui)
{
    std::vector<CatalogEntry *> entries = EntriesToHandle(source, cursor);
    std::vector<PackSource> sources;
    for (CatalogEntry *entry : entries) {
        if (IsTiFileKind(entry->ti.kind)) {
            sources.push_back({&source, entry});
        }
    }
    if (sources.empty()) {
        ReportError(ui, kMsgNothingToPack);
        return kConversionFailed;
    }
    int result = PackEntries(destination, sources, options, ui);
    if (result == kConversionDone) {
        for (const PackSource &packed : sources) {
            const_cast<CatalogEntry *>(packed.entry)->marked = false;
        }
    }
    RelistLocation(destination, ui);
    return result;
}

} // namespace kestrel
