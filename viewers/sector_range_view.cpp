#include "viewers/sector_range_view.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>

#include "tifs/messages.h"
#include "tifs/ti_file.h"
#include "viewers/hex_dump.h"
#include "viewers/view_caption.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpen = 1;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgNoMemory = 13;
constexpr int kMsgSeek = 14;
constexpr size_t kTextPerSector = 1300;

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

} // namespace

bool ComposeSectorRangeView(const SectorRange &range, Ui &ui, TextView &view)
{
    view = TextView();
    view.recordName = range.label;

    const uint64_t firstSector = static_cast<uint64_t>(range.firstAu) * range.sectorsPerAu;
    const uint64_t sectorCount = static_cast<uint64_t>(range.auCount) * range.sectorsPerAu;

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(range.imagePath.c_str(), "rb"));
    if (!file) {
        ReportError(ui, kMsgCantOpen, {range.imagePath});
        return false;
    }
    const uint64_t position = range.offsetInBytes ? range.baseOffset + firstSector * kSectorSize
                                                  : (range.baseOffset + firstSector) * kSectorSize;
    if (position > static_cast<uint64_t>(INT64_MAX) ||
        fseeko(file.get(), static_cast<off_t>(position), SEEK_SET) != 0) {
        ReportError(ui, kMsgSeek, {range.imagePath});
        return false;
    }

    std::string text;
    try {
        // Text past the cut is never shown, so it is not kept either; the
        // sectors are still read so that an image ending early is reported.
        const uint64_t wanted = sectorCount * kTextPerSector;
        const uint64_t keep = kViewTextLimit + kTextPerSector;
        text.reserve(static_cast<size_t>(wanted < keep ? wanted : keep));
    } catch (const std::exception &) {
        ReportError(ui, kMsgNoMemory);
        return false;
    }
    char line[kTextPerSector];
    uint8_t sector[kSectorSize];
    for (uint64_t s = 0; s < sectorCount; ++s) {
        if (std::fread(sector, 1, kSectorSize, file.get()) != kSectorSize) {
            ReportError(ui, kMsgCantReadSector,
                        {static_cast<long long>(firstSector + s), range.imagePath});
            break;
        }
        char *end = HexDumpLines(sector, kSectorSize, static_cast<uint32_t>(s * kSectorSize), line,
                                 line + sizeof line);
        if (text.size() <= kViewTextLimit) {
            text.append(line, static_cast<size_t>(end - line));
        }
    }

    bool cut = false;
    if (text.size() > kViewTextLimit) {
        text.resize(kViewTextLimit);
        text += "\r\n";
        text += kTruncatedSuffix;
        cut = true;
    }
    view.text = std::move(text);
    view.caption = FormatText(
        "%s: FirstSector: >%04X  NumberOfSectors: >%04X",
        {range.label, static_cast<long long>(firstSector), static_cast<long long>(sectorCount)});
    if (cut) {
        view.caption += kTruncatedSuffix;
    }
    view.hasText = true;
    return true;
}

} // namespace kestrel
