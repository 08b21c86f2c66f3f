// info IMAGE: the figures of a hard-disk image, one block per volume.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/hd_image_info.h"
#include "tifs/messages.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "info IMAGE";
constexpr int kMsgNoDiskInfo = 9;

int RunInfo(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    if (context.args.size() != 1) {
        std::fprintf(stderr, "kestrel-cli: IMAGE expected\nusage: kestrel-cli %s\n", kUsage);
        return 1;
    }
    const std::string &image = context.args[0];
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
