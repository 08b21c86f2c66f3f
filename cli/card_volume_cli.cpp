#include "cli/card_volume_cli.h"

#include <cstdio>

#include "cli/pc_directory_cli.h"
#include "drives/cf7_listing.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"

namespace kestrel::cli {

namespace {

constexpr int kMsgFileMissing = 35;

// Walks to the volume that holds the file and finds the file in it; null after a message.
CatalogEntry *FindInVolume(const std::string &path, Location &location, Ui &ui)
{
    std::string leaf;
    if (!ResolveLocationPath(location, path, ui, &leaf))
        return nullptr;
    if (location.kind != kLocCf7Volume) {
        ReportError(ui, kMsgFileMissing, {path});
        return nullptr;
    }
    const CatalogEntry *found = FindEntryByName(location, leaf);
    for (auto &entry : location.entries)
        if (entry.get() == found && IsTiFileKind(entry->ti.kind))
            return entry.get();
    ReportError(ui, kMsgFileMissing, {leaf});
    return nullptr;
}

} // namespace

bool IsCardVolumeItem(const std::string &path)
{
    std::string part = !path.empty() && path[0] == '/' ? "/" : "";
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start) {
            part = part.empty() ? path.substr(start, end - start)
                                : JoinPcPath(part, path.substr(start, end - start));
            const int kind = PcPathKind(part);
            if (kind == 0)
                return false;
            if (kind == 2) {
                uint8_t first[256] = {};
                std::FILE *f = std::fopen(part.c_str(), "rb");
                if (f == nullptr)
                    return false;
                const size_t got = std::fread(first, 1, sizeof first, f);
                std::fseek(f, 0, SEEK_END);
                const long size = std::ftell(f);
                std::fclose(f);
                CatalogEntry probe;
                return got == sizeof first && size > 0 &&
                       RecognizeCf7Image(part, first, static_cast<uint64_t>(size), probe);
            }
        }
        start = end + 1;
    }
    return false;
}

int RemoveFromCardVolume(const std::string &path, Ui &ui)
{
    Location location;
    CatalogEntry *entry = FindInVolume(path, location, ui);
    return RemoveFoundEntry(location, entry, ui);
}

int RenameInCardVolume(const std::string &path, const std::string &newName, Ui &ui)
{
    Location location;
    CatalogEntry *entry = FindInVolume(path, location, ui);
    return RenameFoundEntry(location, entry, newName, ui);
}

} // namespace kestrel::cli
