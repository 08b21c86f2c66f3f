#include "ops/header_conversion.h"
#include "platform/fault_injection.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

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
constexpr int kMsgOnlyInDirectory = 55;

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

std::string ShownName(const CatalogEntry &entry)
{
    return TiNameToPcName(entry.ti.tiName, ProgramSettings().zubCompatible);
}

} // namespace

bool QualifiesForHeaderConversion(const CatalogEntry &entry, HeaderTarget target)
{
    if (!IsTiFileKind(entry.ti.kind)) {
        return false;
    }
    if (target == HeaderTarget::V9t9) {
        return entry.ti.headerKind == kHeaderTifiles || entry.ti.headerKind == kHeaderClassic99;
    }
    return entry.ti.headerKind == kHeaderV9t9;
}

std::string ConfirmationText(const std::vector<const CatalogEntry *> &qualifying, bool batch,
                             const std::string &verb)
{
    if (qualifying.empty()) {
        return "Sorry ... no file(s) of the correct type selected for this operation!";
    }
    if (!batch) {
        return "Do you really wish to " + verb + " <" + ShownName(*qualifying.front()) + ">";
    }
    std::string text = FormatText(("Do you really wish to " + verb + " %u files?").c_str(),
                                  {static_cast<unsigned>(qualifying.size())});
    for (size_t i = 0; i < qualifying.size() && i < 4; ++i) {
        text += "\n    " + ShownName(*qualifying[i]);
    }
    if (qualifying.size() > 4) {
        text += "  ...";
    }
    return text;
}

bool ConvertEntryHeader(Ui &ui, const std::string &directory, CatalogEntry &entry,
                        HeaderTarget target)
{
    const std::string path = JoinPcPath(directory, entry.pcName);
    FilePtr file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        ReportError(ui, kMsgCantOpenRead, {path});
        return false;
    }
    TiFileDescriptor d = entry.ti;
    d.flags &= static_cast<uint16_t>(~kFlagArchive);
    uint8_t header[kHeaderSize];
    if (target == HeaderTarget::V9t9) {
        if (d.tiName.empty() || d.tiName.find_first_not_of(' ') == std::string::npos) {
            d.tiName = PcNameToTiName(entry.pcName);
        }
        MakeV9t9Header(d, header);
    } else {
        MakeTifilesHeader(d, header);
    }
    // The file is written anew beside itself and takes its place only when whole: a header
    // rewritten in place would be lost half way by a refused write.
    std::vector<uint8_t> content;
    uint8_t block[16384];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file.get())) > 0;) {
        content.insert(content.end(), block, block + got);
    }
    if (std::ferror(file.get())) {
        ReportError(ui, kMsgCantOpenRead, {path});
        return false;
    }
    file.reset();
    if (content.size() < kHeaderSize) {
        content.resize(kHeaderSize, 0);
    }
    std::copy(header, header + kHeaderSize, content.begin());
    if (target == HeaderTarget::V9t9 && entry.ti.headerKind == kHeaderClassic99) {
        // The V9T9 reader expects whole sectors behind the header.
        const size_t data = content.size() - kHeaderSize;
        if (data % kSectorSize != 0) {
            content.resize(content.size() + kSectorSize - data % kSectorSize, 0);
        }
    }
    ReplacingFile out;
    if (!out.Open(path) || !out.Write(content.data(), content.size()) || !out.Commit()) {
        out.Abandon(false);
        ReportError(ui, kMsgCantWriteSector, {0, path});
        return false;
    }
    if (target == HeaderTarget::V9t9) {
        d.headerKind = kHeaderV9t9;
    } else {
        // The name now comes from the PC name, as the catalog will derive it.
        TiFileDescriptor decoded;
        DecodeHeader(header, entry.pcName, false, decoded);
        d.tiName = decoded.tiName;
        d.headerKind = kHeaderTifiles;
    }
    entry.ti = d;
    return true;
}

int ConvertHeaders(Ui &ui, const Location &pane, const std::vector<CatalogEntry *> &entries,
                   HeaderTarget target)
{
    if (pane.kind != kLocPcDirectory) {
        ReportError(ui, kMsgOnlyInDirectory);
        return -1;
    }
    ui.SetProgressRange(static_cast<uint32_t>(entries.size()));
    int converted = 0;
    uint32_t position = 0;
    for (CatalogEntry *entry : entries) {
        ui.SetProgressPosition(++position);
        if (QualifiesForHeaderConversion(*entry, target)) {
            ui.SetStatusText("Converting <" + ShownName(*entry) + ">");
            if (ConvertEntryHeader(ui, pane.path, *entry, target)) {
                ++converted;
            }
        }
        entry->marked = false;
        ui.PumpPendingMessages();
    }
    return converted;
}

} // namespace kestrel
