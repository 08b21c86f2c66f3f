#include "ops/copy.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "drives/cf7_card.h"
#include "drives/cf7_layout.h"
#include "drives/cf7_listing.h"
#include "drives/cf7_volume.h"
#include "drives/hd_binding.h"
#include "drives/hd_file_ops.h"
#include "ops/conversion_result.h"
#include "ops/conversion_rules.h"
#include "ops/relist.h"
#include "ops/safe_replace.h"
#include "tifs/arc/archive_extract.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantCopyFile = 37;
constexpr int kMsgCopyToItself = 38;
constexpr int kMsgNotToArcOrPc99 = 39;
constexpr int kMsgOnlyTiToDsk = 40;
constexpr int kMsgOnlyDskToCf7 = 41;
constexpr int kMsgOnlyToDirectory = 42;
constexpr int kMsgCantWritePcFiles = 49;
constexpr int kMsgCantCopyPartitions = 60;

bool AllowedIntoDirectory(uint16_t kind)
{
    return (kind >= kKindDisFix && kind <= kKindProgram) ||
           (kind >= kKindDsk && kind <= kKindDos) || kind == kKindHfe;
}

bool AllowedIntoCf7Card(uint16_t kind)
{
    return kind >= kKindDsk && kind <= 11;
}

bool AllowedIntoDiskImage(uint16_t kind)
{
    return IsTiFileKind(kind) || kind == kKindDos;
}

bool IsHdLocation(const Location &location)
{
    return location.kind == kLocHdImage || location.kind == kLocHdPartition;
}

// A partitioned image at its partition list: only the image itself is on
// the name stack.
bool ShowsPartitionList(const Location &location)
{
    return IsHdLocation(location) && location.containerEntries.size() <= 1 &&
           !location.containerEntries.empty() &&
           location.containerEntries[0].ti.kind == kKindPartitionedImage;
}

bool ShowsHdDirectory(const Location &location)
{
    return IsHdLocation(location) && !location.containerEntries.empty() &&
           !ShowsPartitionList(location);
}

// Single mode looks at the cursor entry, batch mode needs one marked entry
// of an allowed kind.
bool AnyAllowed(const Location &source, const CatalogEntry *cursor, bool (*allowed)(uint16_t))
{
    if (!IsBatch(source)) {
        return cursor != nullptr && allowed(cursor->ti.kind);
    }
    for (const auto &entry : source.entries) {
        if (entry->marked && allowed(entry->ti.kind)) {
            return true;
        }
    }
    return false;
}

bool BlankName(const std::string &tiName)
{
    return tiName.find_first_not_of(' ') == std::string::npos;
}

std::string PcFormOf(const std::string &tiName)
{
    return TiNameToPcName(tiName, ProgramSettings().zubCompatible);
}

bool CopyPcFile(const std::string &from, const std::string &to, Ui &ui)
{
    std::FILE *in = std::fopen(from.c_str(), "rb");
    int error = 0;
    bool ok = false;
    ReplacingFile out;
    if (in == nullptr) {
        error = errno;
    } else if (!out.Open(to)) {
        error = out.Error();
    } else {
        uint8_t buffer[64 * 1024];
        ok = true;
        size_t got = 0;
        while (ok && (got = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
            ok = out.Write(buffer, got);
        }
        if (ok && std::ferror(in) != 0) {
            ok = false;
            error = EIO;
        }
        if (ok) {
            ok = out.Commit();
        }
        if (!ok) {
            error = error != 0 ? error : out.Error();
            out.Abandon(false);
        }
    }
    if (in != nullptr) {
        std::fclose(in);
    }
    if (!ok) {
        ReportError(ui, kMsgCantCopyFile, {from, to, error});
    }
    return ok;
}

} // namespace

PcToTiOptions PcToTiOptionsFor(const CatalogEntry &entry, const PcToTiOptions &given)
{
    PcToTiOptions options = given;
    if (options.name.empty()) {
        options.name = DefaultTiFileName(entry.pcName);
    }
    PcToTiDefaults defaults = ReadPcToTiDefaults(entry.pcName);
    if (options.typeFlags == kNoFileType) {
        options.typeFlags = defaults.typeFlags;
    }
    if (options.recordLength == 0) {
        options.recordLength = defaults.recordLength;
    }
    if (options.method == kPcTiSelect) {
        options.method = defaults.method;
    }
    if (options.typeFlags == kFlagProgram) {
        options.method = kPcTiBinary;
        options.tabWidth = 0;
    }
    return options;
}

bool IsBatch(const Location &location)
{
    for (const auto &entry : location.entries) {
        if (entry->marked) {
            return true;
        }
    }
    return false;
}

std::vector<CatalogEntry *> EntriesToHandle(Location &location, CatalogEntry *cursor)
{
    std::vector<CatalogEntry *> result;
    for (auto &entry : location.entries) {
        if (entry->marked) {
            result.push_back(entry.get());
        }
    }
    if (result.empty() && cursor != nullptr) {
        result.push_back(cursor);
    }
    return result;
}

bool CheckCopy(const Location &destination, const Location &source, const CatalogEntry *cursor,
               Ui &ui)
{
    switch (destination.kind) {
    case kLocPcDirectory:
        if (source.kind == kLocPcDirectory && SamePcFile(destination.path, source.path)) {
            ReportError(ui, kMsgCopyToItself);
            return false;
        }
        if (!AnyAllowed(source, cursor, AllowedIntoDirectory)) {
            ReportError(ui, kMsgOnlyToDirectory);
            return false;
        }
        break;
    case kLocCf7Drive:
    case kLocCf7Image:
        if (!AnyAllowed(source, cursor, AllowedIntoCf7Card)) {
            ReportError(ui, kMsgOnlyDskToCf7);
            return false;
        }
        break;
    case kLocDskImage:
    case kLocCf7Volume:
        if (!AnyAllowed(source, cursor, AllowedIntoDiskImage)) {
            ReportError(ui, kMsgOnlyTiToDsk);
            return false;
        }
        break;
    case kLocHdImage:
    case kLocHdPartition:
        if (!ShowsHdDirectory(destination)) {
            ReportError(ui, kMsgNotToArcOrPc99);
            return false;
        }
        break;
    default:
        ReportError(ui, kMsgNotToArcOrPc99);
        return false;
    }
    if (ShowsPartitionList(source)) {
        ReportError(ui, kMsgCantCopyPartitions);
        return false;
    }
    return true;
}

std::string CopyKindWord(const Location &destination, const Location &source, bool plural)
{
    bool sourceCard = source.kind == kLocCf7Drive || source.kind == kLocCf7Image;
    bool toCard = source.kind == kLocPcDirectory &&
                  (destination.kind == kLocCf7Drive || destination.kind == kLocCf7Image);
    if (sourceCard || toCard) {
        return plural ? "DSK images" : "DSK image";
    }
    return plural ? "TI files" : "TI file";
}

std::string CopyHeading(const Location &destination, const Location &source,
                        const CatalogEntry *cursor)
{
    if (IsBatch(source)) {
        unsigned count = 0;
        for (const auto &entry : source.entries) {
            count += entry->marked ? 1 : 0;
        }
        return FormatText("Copy %u %s to", {count, CopyKindWord(destination, source, true)});
    }
    if (cursor == nullptr) {
        return std::string();
    }
    if (cursor->ti.kind == kKindDos) {
        return FormatText("Copy %s <%s> to", {std::string("file"), cursor->pcName});
    }
    return FormatText("Copy %s <%s> to",
                      {CopyKindWord(destination, source, false), PcFormOf(cursor->ti.tiName)});
}

Answer AskOverwriteQuestion(Ui &ui, const std::string &kindWord, const std::string &name)
{
    return ui.AskOverwrite(FormatText("%s <%s> allready exist. Overwrite?", {kindWord, name}));
}

int CopyEntryIntoDirectory(const Location &source, const CatalogEntry &given,
                           const Location &destination, OverwriteState &state, Ui &ui)
{
    ui.SetLastMessage(0);
    CatalogEntry entry = given;
    if (BlankName(entry.ti.tiName)) {
        entry.ti.tiName = PcNameToTiName(entry.pcName);
    }
    std::string name = source.kind == kLocPcDirectory ? entry.pcName : PcFormOf(entry.ti.tiName);
    std::string target = JoinPcPath(destination.path, name);
    std::error_code ec;
    if (!state.all && std::filesystem::exists(target, ec)) {
        switch (AskOverwriteQuestion(ui, "DSK image", PcFormOf(entry.ti.tiName))) {
        case Answer::No:
            return kCopyGoOn;
        case Answer::Cancel:
            return kCopyStop;
        case Answer::All:
            state.all = true;
            break;
        default:
            break;
        }
    }
    // The target may be the image the hard-disk library holds open: once it
    // is replaced, the library would go on reading and writing the old file.
    ForgetHdImage(target);
    // The old target is not deleted first: every writer below puts the new
    // file beside it and renames it into place once it is complete.
    if (entry.archiveMember != 0 && source.kind == kLocArchive) {
        ExtractArchiveMember(source, entry, kExtractTiFile, target, ui);
    } else if (source.kind != kLocPcDirectory) {
        EntrySaver saver = FindEntrySaver(source.kind);
        if (saver == nullptr) {
            ReportError(ui, kMsgCantCopyFile, {JoinPcPath(source.path, entry.pcName), target, 0});
        } else {
            saver(source, entry, target, ui);
        }
    } else {
        CopyPcFile(JoinPcPath(source.path, entry.pcName), target, ui);
    }
    return kCopyGoOn;
}

int CopyIntoDirectory(Location &destination, Location &source, CatalogEntry *cursor, Ui &ui)
{
    OverwriteState state;
    std::vector<CatalogEntry *> entries = EntriesToHandle(source, cursor);
    ui.SetProgressRange(static_cast<uint32_t>(entries.size()));
    int result = kCopyGoOn;
    uint32_t done = 0;
    for (CatalogEntry *entry : entries) {
        if (!AllowedIntoDirectory(entry->ti.kind)) {
            continue;
        }
        ui.SetProgressPosition(++done);
        ui.PumpPendingMessages();
        result = CopyEntryIntoDirectory(source, *entry, destination, state, ui);
        if (result == kCopyStop) {
            break;
        }
        entry->marked = false;
        if (ui.CancelPressed()) {
            result = kCopyStop;
            break;
        }
    }
    RelistLocation(destination, ui);
    return result;
}

int CopyIntoDiskImage(Location &destination, Location &source, CatalogEntry *cursor,
                      const CopyOptions &options, Ui &ui)
{
    AddFileState state;
    PcToTiBatch conversion;
    // A card volume lies at its byte base inside the card image; the plain
    // image target would write over the card's first sectors.
    FloppyTarget target;
    if (!ConversionImageTarget(destination, target)) {
        ReportError(ui, kMsgCantWritePcFiles);
        return kCopyStop;
    }
    std::vector<CatalogEntry *> entries = EntriesToHandle(source, cursor);
    ui.SetProgressRange(static_cast<uint32_t>(entries.size()));
    int result = kCopyGoOn;
    uint32_t done = 0;
    for (CatalogEntry *entry : entries) {
        int step = kCopyGoOn;
        if (entry->ti.kind == kKindDos && source.kind == kLocPcDirectory) {
            ui.SetProgressPosition(++done);
            PcToTiOptions chosen = PcToTiOptionsFor(*entry, options.pcToTi);
            std::string problem = PcToTiOptionsProblem(chosen);
            if (!problem.empty()) {
                ui.ShowWarning(problem);
                continue;
            }
            conversion.image.overwriteAll = state.overwriteAll;
            step = ConvertPcFile(ui, destination, source, *entry, chosen, conversion);
            state.overwriteAll = conversion.image.overwriteAll;
            if (step == 0 && ui.LastMessage() == 0) {
                entry->marked = false;
            }
        } else if (IsTiFileKind(entry->ti.kind)) {
            ui.SetProgressPosition(++done);
            step = AddEntryToImage(target, source, *entry, state, ui);
            if (step != kCopyStop) {
                entry->marked = false;
            }
        } else {
            continue; // passed over, stays marked
        }
        ui.PumpPendingMessages();
        if (step == kCopyStop) {
            result = kCopyStop;
            break;
        }
        if (ui.CancelPressed()) {
            result = kCopyStop;
            break;
        }
    }
    RelistLocation(destination, ui);
    return result;
}

int CopyCf7VolumesOut(Location &destination, Location &source, CatalogEntry *cursor, Ui &ui)
{
    Cf7Card card;
    if (!OpenCf7CardOf(source, card, false, ui)) {
        return kCopyStop;
    }
    bool overwriteAll = false;
    int result = kCopyGoOn;
    for (CatalogEntry *entry : EntriesToHandle(source, cursor)) {
        if (entry->ti.kind != 14 && entry->ti.kind != 16) {
            continue;
        }
        uint32_t volume = static_cast<uint32_t>(entry->baseOffset / kCf7VolumeSectors) + 1;
        std::string target = JoinPcPath(destination.path, Cf7VolumeDskName(entry->ti.tiName));
        ui.PumpPendingMessages();
        result = CopyCf7VolumeToDsk(card, volume, target, ui, &overwriteAll);
        if (result == kCopyStop) {
            break;
        }
        entry->marked = false;
        if (ui.CancelPressed()) {
            result = kCopyStop;
            break;
        }
    }
    RelistLocation(destination, ui);
    return result;
}

int CopyDsksIntoCf7Card(Location &destination, Location &source, CatalogEntry *cursor,
                        const CopyOptions &options, Ui &ui)
{
    if (source.kind != kLocPcDirectory) {
        ReportError(ui, kMsgOnlyDskToCf7);
        return kCopyStop;
    }
    Cf7Card card;
    if (!OpenCf7CardOf(destination, card, true, ui)) {
        return kCopyStop;
    }
    uint32_t volume = options.cf7Volume == 0 ? 1 : options.cf7Volume;
    int result = kCopyGoOn;
    for (CatalogEntry *entry : EntriesToHandle(source, cursor)) {
        if (!AllowedIntoCf7Card(entry->ti.kind)) {
            continue;
        }
        if (volume > card.VolumeCount()) {
            ui.ShowInfo("CF7A+ disk full");
            result = kCopyStop;
            break;
        }
        ui.PumpPendingMessages();
        result = CopyDskToCf7Volume(card, volume, JoinPcPath(source.path, entry->pcName), ui);
        entry->marked = false;
        if (result == kCopyStop || ui.CancelPressed()) {
            result = kCopyStop;
            break;
        }
        ++volume;
    }
    return result;
}

int RunCopy(Location &destination, Location &source, CatalogEntry *cursor,
            const CopyOptions &options, Ui &ui)
{
    if (!CheckCopy(destination, source, cursor, ui)) {
        return -1;
    }
    switch (destination.kind) {
    case kLocDskImage:
    case kLocCf7Volume:
        return CopyIntoDiskImage(destination, source, cursor, options, ui);
    case kLocHdImage:
    case kLocHdPartition: {
        std::vector<CatalogEntry *> handled = EntriesToHandle(source, cursor);
        std::vector<const CatalogEntry *> entries(handled.begin(), handled.end());
        CopyEntriesToHd(ui, destination, source, entries);
        return kCopyGoOn;
    }
    case kLocPcDirectory:
        if (source.kind == kLocCf7Drive || source.kind == kLocCf7Image) {
            return CopyCf7VolumesOut(destination, source, cursor, ui);
        }
        return CopyIntoDirectory(destination, source, cursor, ui);
    case kLocCf7Drive:
    case kLocCf7Image:
        return CopyDsksIntoCf7Card(destination, source, cursor, options, ui);
    default:
        return -1;
    }
}

} // namespace kestrel
