// info IMAGE: the figures of a hard-disk image or of a CF7A+ card image,
// one block per volume.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/cf7_card.h"
#include "drives/cf7_check.h"
#include "drives/cf7_layout.h"
#include "drives/hd_image_info.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/vib.h"
#include "tifs/messages.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "info IMAGE";
constexpr int kMsgNoDiskInfo = 9;

// A card's volumes are floppy disks: their AUs and free AUs come from each
// VIB, not from a hard-disk VIB that the card's header is not.
int CardInfo(const std::string &image, TerminalUi &ui)
{
    Cf7Card card;
    if (!card.OpenImage(image, false, 1, ui)) {
        return 1;
    }
    uint8_t header[kCf7HeaderSize];
    if (!card.ReadHeader(header, ui)) {
        return 1;
    }
    std::printf("card: %.10s\n", reinterpret_cast<const char *>(header + cf7header::kName));
    std::printf("  volumes: %u\n", card.VolumeCount());
    std::printf("  TI sectors: %llu\n", static_cast<unsigned long long>(card.TiSectors()));
    for (uint32_t volume = 1; volume <= card.VolumeCount(); ++volume) {
        const uint64_t first = Cf7VolumeFirstSector(volume);
        uint8_t sector[kSectorSize];
        if (!card.ReadSector(first, sector, ui)) {
            return 1;
        }
        DiskSummary summary;
        if (DecodeVib(nullptr, sector, summary) == 0) {
            std::printf("volume %u: UNFORMATED\n", volume);
            continue;
        }
        const unsigned total = summary.totalSectors;
        const unsigned auSize = AuSize(total);
        const unsigned aus = (total + auSize - 1) / auSize;
        unsigned freeAus = 0;
        for (unsigned au = 0; au < aus && au < kBitmapAus; ++au) {
            freeAus += IsAuUsed(sector, au) ? 0 : 1;
        }
        unsigned files = 0;
        uint8_t index[kSectorSize];
        if (total > 1 && card.ReadSector(first + 1, index, ui)) {
            while (files < 127 && GetWordBE(index, files * 2) != 0) {
                ++files;
            }
        }
        unsigned subdirectories = 0;
        for (size_t slot = 0; slot < vib::kSlotCount; ++slot) {
            subdirectories += ReadSubdirSlot(sector, slot).used ? 1 : 0;
        }
        std::printf("volume %u: %s\n", volume, summary.name.c_str());
        std::printf("  total AUs: %u\n", aus);
        std::printf("  sectors per AU: %u\n", auSize);
        std::printf("  sectors: %u\n", total);
        std::printf("  free AUs: %u\n", freeAus);
        std::printf("  free sectors: %u\n", freeAus * auSize);
        std::printf("  files in root: %u\n", files);
        std::printf("  subdirectories in root: %u\n", subdirectories);
        std::printf("  sectors per track: %u\n", summary.sectorsPerTrack);
    }
    return 0;
}

int RunInfo(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    if (context.args.size() != 1) {
        std::fprintf(stderr, "kestrel-cli: IMAGE expected\nusage: kestrel-cli %s\n", kUsage);
        return 1;
    }
    const std::string &image = context.args[0];
    if (IsCardImageFile(image)) {
        return CardInfo(image, ui);
    }
    HdVolumeInfo volumes[4];
    CatalogEntry whole;
    int count = HdImageInfo(image, whole, volumes);
    if (count == 0) {
        ReportError(ui, kMsgNoDiskInfo, {image});
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        const HdVolumeInfo &v = volumes[i];
        uint32_t first = v.partitionOffset * 2;
        long freeAus = HdFreeAus(image, first);
        std::printf("volume %d: %s\n", i + 1, v.name.c_str());
        if (v.partitionOffset != 0) {
            std::printf("  partition offset: %u blocks, %u blocks\n", v.partitionOffset,
                        v.partitionBlocks);
        }
        std::printf("  total AUs: %u\n", v.totalAus);
        std::printf("  sectors per AU: %u\n", v.sectorsPerAu);
        std::printf("  sectors: %u\n", v.imageSize);
        std::printf("  free AUs: %ld\n", freeAus);
        std::printf("  free sectors: %ld\n", freeAus < 0 ? -1L : freeAus * long(v.sectorsPerAu));
        std::printf("  files in root: %u\n", v.files);
        std::printf("  subdirectories in root: %u\n", v.subdirectories);
        std::printf("  file index AU: %u\n", v.fileIndexAu);
        std::printf("  sectors per track: %u\n", v.geometry[0]);
        std::printf("  parameters: >%04X\n", v.parameters);
    }
    return 0;
}

} // namespace

KESTREL_CLI_COMMAND("info", kUsage, RunInfo);

} // namespace kestrel::cli
