#include "cli/hd_cli.h"

#include <cctype>
#include <cstdio>

#include "drives/hd_file_ops.h"
#include "drives/hd_recognizer.h"
#include "ops/register_all.h"
#include "platform/paths.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/ti_header.h"

namespace kestrel::cli
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgFileMissing = 35;
constexpr int kMsgNotTiFile = 64;
constexpr int kMsgInvalidName = 16;

bool IsHdLocation(const Location &location)
{
    return location.kind == kLocHdImage || location.kind == kLocHdPartition;
}

bool ResolveHd(const std::string &path, Location &location, TerminalUi &ui)
{
    RegisterAllListers();
    return ResolveLocationPath(location, path, ui) && IsHdLocation(location);
}

bool SplitAtLast(const std::string &path, std::string &container, std::string &leaf)
{
    size_t cut = path.find_last_of('/');
    if (cut == std::string::npos || cut + 1 >= path.size()) {
        return false;
    }
    container = path.substr(0, cut);
    leaf = path.substr(cut + 1);
    return true;
}

} // namespace

bool IsHdPath(const std::string &path)
{
    std::string part = !path.empty() && path[0] == '/' ? "/" : "";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            part = JoinPcPath(part.empty() ? std::string() : part, path.substr(start, end - start));
            if (part.size() > 1 && part[0] == '/' && part[1] == '/') {
                part.erase(0, 1);
            }
            int kind = PcPathKind(part);
            if (kind == 0) {
                return false;
            }
            if (kind == 2) {
                std::FILE *f = std::fopen(part.c_str(), "rb");
                uint8_t first[256];
                size_t got = f != nullptr ? std::fread(first, 1, sizeof first, f) : 0;
                if (f != nullptr) {
                    std::fclose(f);
                }
                HdVolumeInfo info;
                return got == sizeof first && RecognizeHdImage(first, true, info) != 0;
            }
        }
        start = end + 1;
    }
    return false;
}

int PutIntoHd(const std::string &target, const std::vector<std::string> &pcFiles, TerminalUi &ui)
{
    Location location;
    if (!ResolveHd(target, location, ui)) {
        return 1;
    }
    HdCopyBatch batch;
    Location none;
    bool failed = false;
    for (const std::string &pcPath : pcFiles) {
        std::FILE *f = std::fopen(pcPath.c_str(), "rb");
        if (f == nullptr) {
            ReportError(ui, kMsgCantOpenRead, {pcPath});
            failed = true;
            continue;
        }
        uint8_t header[kHeaderSize] = {};
        size_t got = std::fread(header, 1, sizeof header, f);
        long size = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : 0;
        std::fclose(f);
        CatalogEntry entry;
        entry.pcName = platform::LastComponent(pcPath);
        if (got != sizeof header || !DecodeHeader(header, entry.pcName, false, entry.ti)) {
            ReportError(ui, kMsgNotTiFile, {pcPath});
            failed = true;
            continue;
        }
        if (entry.ti.headerKind == kHeaderTifiles && size >= 128 &&
            IsClassic99(entry.ti, static_cast<uint64_t>(size) - 128)) {
            entry.ti.headerKind = kHeaderClassic99;
            entry.ti.sectors = static_cast<uint16_t>((size - 128 + 255) / 256);
        }
        ui.SetLastMessage(0);
        if (CopyEntryToHd(ui, location, none, entry, pcPath, batch) == 2) {
            failed = true;
            break;
        }
        failed = failed || ui.LastMessage() != 0;
    }
    return failed || ui.ErrorCount() != 0 ? 1 : 0;
}

bool RemoveFromHd(const std::string &path, TerminalUi &ui)
{
    std::string container, leaf;
    Location location;
    if (!SplitAtLast(path, container, leaf)) {
        ReportError(ui, kMsgFileMissing, {path});
        return false;
    }
    if (!ResolveHd(container, location, ui)) {
        return false;
    }
    const CatalogEntry *entry = FindEntryByName(location, leaf);
    if (entry == nullptr || (!IsTiFileKind(entry->ti.kind) && entry->ti.kind != kKindSubdir)) {
        ReportError(ui, kMsgFileMissing, {leaf});
        return false;
    }
    return DeleteHdEntries(ui, location, {entry}) == 1;
}

int RenameInHd(const std::string &path, const std::string &newName, TerminalUi &ui)
{
    std::string container, leaf;
    Location location;
    if (!SplitAtLast(path, container, leaf)) {
        ReportError(ui, kMsgFileMissing, {path});
        return 1;
    }
    if (!ResolveHd(container, location, ui)) {
        return 1;
    }
    const CatalogEntry *found = FindEntryByName(location, leaf);
    if (found == nullptr) {
        ReportError(ui, kMsgFileMissing, {leaf});
        return 1;
    }
    CatalogEntry entry = *found;
    bool valid = !newName.empty() && newName.size() <= 10;
    std::string upper;
    for (char c : newName) {
        unsigned char u = static_cast<unsigned char>(c);
        valid = valid && u > 0x20 && u < 0x7F && c != '.';
        upper.push_back(static_cast<char>(std::toupper(u)));
    }
    if (!valid) {
        ReportError(ui, kMsgInvalidName, {newName});
        return 1;
    }
    return RenameHdEntry(ui, location, entry, upper) && ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace kestrel::cli
