#include "ops/file_attributes.h"
#include "platform/fault_injection.h"

#include <cstdio>
#include <memory>

#include "drives/hd_file_ops.h"
#include "ops/safe_replace.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgCantReadDiskinfo = 9;
constexpr int kMsgOnlyInDirectory = 56;

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

bool IsHdDirectory(const Location &location)
{
    // At a partitioned image's partition list only the image is on the name
    // stack; its entries are volumes, not files.
    const bool hd = location.kind == kLocHdImage || location.kind == kLocHdPartition;
    return hd && !location.containerEntries.empty() &&
           !(location.containerEntries.size() == 1 &&
             location.containerEntries[0].ti.kind == kKindPartitionedImage);
}

void ApplyOne(uint8_t &flags, uint8_t bit, int state, int &changed)
{
    const uint8_t before = flags;
    if (state == kAttrClear) {
        flags &= static_cast<uint8_t>(~bit);
    } else if (state == kAttrSet) {
        flags |= bit;
    }
    changed += before != flags ? 1 : 0;
}

} // namespace

AttributeOptions InitialAttributeOptions(const CatalogEntry *single)
{
    AttributeOptions options;
    if (single != nullptr) {
        options.protect = (single->ti.flags & kFlagProtected) ? kAttrSet : kAttrClear;
        options.archive = (single->ti.flags & kFlagArchive) ? kAttrSet : kAttrClear;
    }
    return options;
}

int ApplyAttributes(uint8_t &flags, const AttributeOptions &options)
{
    int changed = 0;
    ApplyOne(flags, kFlagProtected, options.protect, changed);
    ApplyOne(flags, kFlagArchive, options.archive, changed);
    return changed;
}

size_t FlagOffsetInHeader(uint16_t headerKind)
{
    return headerKind == kHeaderV9t9 ? fdr::kFlags : tifiles::kFlags;
}

bool SetEntryAttributes(Ui &ui, const Location &location, CatalogEntry &entry,
                        const AttributeOptions &options)
{
    if (options.protect == kAttrKeep && options.archive == kAttrKeep) {
        return true;
    }
    if (location.kind != kLocPcDirectory) {
        // The library stores only the protection; an archive bit changed here
        // would show in the pane without ever reaching the image.
        AttributeOptions stored = options;
        stored.archive = kAttrKeep;
        uint8_t flags = static_cast<uint8_t>(entry.ti.flags);
        if (ApplyAttributes(flags, stored) == 0) {
            return true;
        }
        CatalogEntry changed = entry;
        changed.ti.flags = flags;
        if (!SetHdProtection(ui, location, changed)) {
            return false;
        }
        entry.ti.flags = flags;
        return true;
    }
    const std::string path = JoinPcPath(location.path, entry.pcName);
    FilePtr file(std::fopen(path.c_str(), "r+b"), std::fclose);
    if (!file) {
        ReportError(ui, kMsgCantOpenRead, {path});
        return false;
    }
    uint8_t header[kHeaderSize];
    if (std::fread(header, 1, kHeaderSize, file.get()) != kHeaderSize) {
        ReportError(ui, kMsgCantReadDiskinfo, {path});
        return false;
    }
    // The header on disk is the truth: the catalog may be older than the file.
    const size_t offset = FlagOffsetInHeader(entry.ti.headerKind);
    uint8_t flags = header[offset];
    if (ApplyAttributes(flags, options) == 0) {
        return true;
    }
    header[offset] = flags;
    if (std::fseek(file.get(), 0, SEEK_SET) != 0 ||
        platform::io::Fwrite(header, 1, kHeaderSize, file.get()) != kHeaderSize ||
        platform::io::Fclose(file.release()) != 0) {
        ReportError(ui, kMsgCantWriteSector, {0, path});
        return false;
    }
    entry.ti.flags = flags;
    return true;
}

int SetAttributes(Ui &ui, const Location &location, const std::vector<CatalogEntry *> &entries,
                  const AttributeOptions &options)
{
    const bool allowed = location.kind == kLocPcDirectory || IsHdDirectory(location);
    const bool badSingle = entries.size() == 1 && (entries[0]->ti.kind == kKindSubdir ||
                                                   entries[0]->ti.kind == kKindUpDir);
    if (!allowed || badSingle) {
        ReportError(ui, kMsgOnlyInDirectory);
        return -1;
    }
    ui.SetProgressRange(static_cast<uint32_t>(entries.size()));
    int handled = 0;
    uint32_t position = 0;
    for (CatalogEntry *entry : entries) {
        ui.SetProgressPosition(++position);
        if (IsTiFileKind(entry->ti.kind)) {
            ui.SetStatusText("Set attributes <" +
                             TiNameToPcName(entry->ti.tiName, ProgramSettings().zubCompatible) +
                             ">");
            if (SetEntryAttributes(ui, location, *entry, options)) {
                ++handled;
            }
        }
        entry->marked = false;
        ui.PumpPendingMessages();
    }
    return handled;
}

} // namespace kestrel
