// The texts of a pane: the six cells of a row, the status line and the path
// line, formatted as the pane draws them (padding included, since the
// command line prints them unchanged).
#include <cstdio>

#include "tifs/catalog.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

// Stored names may hold a NUL byte; what is drawn ends there.
std::string DrawnText(const std::string &text)
{
    return std::string(text.c_str());
}

std::string Format6d(long value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%6ld", value);
    return buffer;
}

std::string SizeCell(const CatalogEntry &entry)
{
    switch (entry.ti.kind) {
    case kKindVolume:
    case kKindDisFix:
    case kKindDisVar:
    case kKindIntFix:
    case kKindIntVar:
    case kKindProgram:
    case kKindUnknown:
        return Format6d(entry.ti.sectors);
    case kKindPartitionedImage:
    case kKindHdImage:
    case kKindCf7Image:
        return Format6d(static_cast<long>(entry.imageSize));
    case kKindDsk:
    case kKindPc99Sd:
    case kKindPc99Dd:
    case kKindHfe:
    case kKindCf7DriveVolume:
    case kKindCf7ImageVolume:
        return Format6d(entry.disk.Get().totalSectors);
    default:
        return {};
    }
}

std::string TypeCell(const CatalogEntry &entry)
{
    char buffer[40];
    const char *name = EntryKindName(entry.ti.kind);
    if (IsTiFileKind(entry.ti.kind) && entry.ti.recordLength != 0) {
        std::snprintf(buffer, sizeof buffer, "%-8s %5d", name, entry.ti.recordLength);
    } else {
        std::snprintf(buffer, sizeof buffer, "%-8s", name);
    }
    return buffer;
}

bool ShowsAttributes(uint16_t kind)
{
    return kind <= kKindProgram || kind == kKindUnknown ||
           IsFloppyImageKind(kind) || kind == kKindCf7ImageVolume;
}

std::string AttributeCell(const CatalogEntry &entry, const Location &location)
{
    if (!ShowsAttributes(entry.ti.kind)) {
        return {};
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, " %c%c", (entry.ti.flags & kFlagProtected) ? 'P' : '-',
                  (entry.ti.flags & kFlagArchive) ? 'A' : '-');
    std::string text = buffer;
    if (location.kind == kLocPcDirectory && IsTiFileKind(entry.ti.kind)) {
        switch (entry.ti.headerKind) {
        case kHeaderV9t9:
            text += " v9t9";
            break;
        case kHeaderTifiles:
            text += " tifiles";
            break;
        case kHeaderClassic99:
            text += " classic99";
            break;
        default:
            break;
        }
    }
    return text;
}

// Inside a container every entry's stored PC name is the container's own
// path, which the path line shows already. The column shows instead the name
// a file gets when it is saved to the PC, and nothing for what is not a file.
std::string PcNameCell(const CatalogEntry &entry, const Location &location)
{
    if (location.kind == kLocPcDirectory) {
        return DrawnText(entry.pcName);
    }
    if (entry.ti.kind == kKindUpDir) {
        return "..";
    }
    if (IsTiFileKind(entry.ti.kind)) {
        return TiNameToPcName(DrawnText(entry.ti.tiName), ProgramSettings().zubCompatible);
    }
    return {};
}

} // namespace

std::string EntryCell(const CatalogEntry &entry, const Location &location, int column)
{
    const bool dos = entry.ti.kind == kKindDos;
    switch (column) {
    case 0:
        return PcNameCell(entry, location);
    case 1:
        return dos ? std::string() : DrawnText(entry.ti.tiName);
    case 2:
        return dos ? std::string() : SizeCell(entry);
    case 3:
        return TypeCell(entry);
    case 4:
        return dos ? std::string() : AttributeCell(entry, location);
    case 5:
        return dos ? std::string() : DrawnText(entry.ti.description);
    default:
        return {};
    }
}

std::array<std::string, 6> EntryCells(const CatalogEntry &entry, const Location &location)
{
    std::array<std::string, 6> cells;
    for (int column = 0; column < 6; ++column) {
        cells[column] = EntryCell(entry, location, column);
    }
    return cells;
}

std::string StatusLine(const Location &location)
{
    unsigned sectors = 0;
    unsigned markedSectors = 0;
    unsigned files = 0;
    unsigned markedFiles = 0;
    for (const auto &item : location.entries) {
        const CatalogEntry &e = *item;
        unsigned entrySectors = 0;
        bool isFile = false;
        uint16_t kind = e.ti.kind;
        if (IsTiFileKind(kind) || kind == kKindCf7DriveVolume) {
            entrySectors = e.ti.sectors;
            isFile = true;
        } else if (IsFloppyImageKind(kind)) {
            entrySectors = e.disk.Get().totalSectors;
            isFile = true;
        } else if (kind == kKindDos) {
            isFile = true;
        }
        sectors += entrySectors;
        files += isFile ? 1 : 0;
        if (e.marked) {
            markedSectors += entrySectors;
            markedFiles += isFile ? 1 : 0;
        }
    }
    const char *format = location.kind == kLocCf7Drive ? "%u / %u sectors of %u / %u DSK-image(s)"
                                                       : "%u / %u sectors in %u / %u TI-file(s)";
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, markedSectors, sectors, markedFiles, files);
    return buffer;
}

std::string PathLineText(const Location &location)
{
    if (location.archive) {
        std::string tiName = location.nestedName;
        if (tiName.empty() && !location.containerEntries.empty()) {
            tiName = location.containerEntries.back().ti.tiName;
        }
        std::string name = TiNameToPcName(tiName, ProgramSettings().zubCompatible);
        // The archive's own file may be the current path; the place that
        // holds it is then the kept way back.
        const std::string &holder = location.keptPath.empty() ? location.path : location.keptPath;
        if (location.containerDepth > 1 || location.hdLevel > 2 || location.cf7Volume != 0) {
            return " " + holder + "->" + location.innerPath + "->" + name;
        }
        return " " + holder + "->" + name;
    }
    if (location.kind == kLocCf7Drive ||
        (location.kind != kLocCf7Volume && location.containerDepth <= 1 && location.hdLevel < 3)) {
        return " " + location.path;
    }
    return " " + location.path + "->" + location.innerPath;
}

} // namespace kestrel
