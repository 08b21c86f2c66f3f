#include "app/shell/directory_report.h"

#include <cstdarg>
#include <cstdio>

#include "tifs/catalog.h"
#include "tifs/settings.h"
#include "tifs/ti_file.h"

namespace kestrel
{

namespace
{

std::string Format(const char *format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char *format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0)
        return {};
    return std::string(buffer, static_cast<size_t>(length) < sizeof buffer
                                   ? static_cast<size_t>(length)
                                   : sizeof buffer - 1);
}

bool ShowsProtection(uint16_t kind)
{
    return kind <= kKindProgram || (kind >= kKindUnknown && kind <= kKindPc99Dd) ||
           kind == kKindHfe || kind == kKindCf7ImageVolume;
}

const char *HeaderKindText(const CatalogEntry &entry, const Location &location)
{
    if (location.kind == kLocPcDirectory && IsTiFileKind(entry.ti.kind)) {
        switch (entry.ti.headerKind) {
        case kHeaderV9t9:
            return "v9t9   ";
        case kHeaderTifiles:
            return "tifiles";
        case kHeaderClassic99:
            return "classic99";
        default:
            break;
        }
    }
    return "       ";
}

std::string EntryLine(const CatalogEntry &e, const Location &location)
{
    const uint16_t kind = e.ti.kind;
    if (kind == kKindDos)
        return Format("%-15s         %-8s\r\n", e.pcName.c_str(), "DOS");
    std::string line = Format("%-15s", e.ti.tiName.c_str());
    if (kind == kKindSubdir || kind == kKindUpDir)
        line += "      ";
    else if (kind == kKindPartitionedImage || kind == kKindHdImage || kind == kKindCf7Image)
        line += Format("%6ld", static_cast<long>(e.imageSize));
    else if (IsFloppyImageKind(kind) || kind == kKindCf7DriveVolume ||
             kind == kKindCf7ImageVolume)
        line += Format("%6d", static_cast<int>(e.disk.Get().totalSectors));
    else
        line += Format("%6d", static_cast<int>(e.ti.sectors));
    if (e.ti.recordLength != 0 && kind <= kKindProgram)
        line += Format("   %-8s %5d", EntryKindName(kind), static_cast<int>(e.ti.recordLength));
    else
        line += Format("   %-8s      ", EntryKindName(kind));
    const char protection =
        ShowsProtection(kind) ? ((e.ti.flags & kFlagProtected) ? 'P' : 'U') : ' ';
    line += Format("  %c %s  %s\r\n", protection, HeaderKindText(e, location),
                   e.ti.description.c_str());
    return line;
}

} // namespace

DirectoryReport BuildDirectoryReport(const Location &location)
{
    const std::string pathLine = PathLineText(location);
    DirectoryReport report;
    report.caption = std::string(kProgramName) + " - " + pathLine;

    // Room for the text and its terminating NUL, as the buffer always had.
    const size_t capacity = location.entries.size() * 60 + 500;
    std::string &text = report.text;
    text = "Directory of " + pathLine + "\r\n\r\n";
    text += "Name             Size   Type            Attr       Description\r\n";
    text += std::string(87, '-') + "\r\n";
    for (const auto &item : location.entries) {
        if (!item || item->ti.kind == kKindUpDir)
            continue;
        const std::string line = EntryLine(*item, location);
        if (text.size() + line.size() + 1 > capacity)
            break;
        text += line;
    }
    return report;
}

} // namespace kestrel
