// check IMAGE: a read-only file-system check of a DSK or PC99 image, or of
// every formatted volume of a CF7A+ card image. One line per finding, then
// a summary line per disk; the exit status is 1 when any disk is damaged.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/cf7_card.h"
#include "drives/cf7_layout.h"
#include "tifs/disk_check/disk_check.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "check IMAGE";

void Print(const std::string &prefix, const DiskCheckResult &result)
{
    for (const std::string &line : result.findings) {
        std::printf("%s%s\n", prefix.c_str(), line.c_str());
    }
    std::printf("%s%s\n", prefix.c_str(), result.summary.c_str());
}

bool IsCardImage(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    uint8_t header[kCf7HeaderSize] = {};
    const bool whole = std::fread(header, 1, sizeof header, file) == sizeof header;
    std::fclose(file);
    return whole && IsCf7ImageHeader(header);
}

int CheckCard(const std::string &path, TerminalUi &ui)
{
    Cf7Card card;
    if (!card.OpenImage(path, false, 1, ui)) {
        return 1;
    }
    bool damaged = false;
    unsigned checked = 0;
    for (uint32_t volume = 1; volume <= card.VolumeCount(); ++volume) {
        FloppyDisk disk(card.TiBytes(), Cf7VolumeFirstSector(volume) * kSectorSize, path);
        uint8_t vibSector[kSectorSize];
        if (!card.ReadSector(Cf7VolumeFirstSector(volume), vibSector, ui)) {
            damaged = true;
            continue;
        }
        if (vibSector[13] != 'D' || vibSector[14] != 'S' || vibSector[15] != 'K') {
            continue; // not formatted: nothing to check
        }
        const std::string prefix = Cf7VolumePcName(volume, false) + ": ";
        if (!disk.Open(ui) || disk.ImageKind() == 0) {
            std::printf("%sthe volume holds no readable disk\n", prefix.c_str());
            damaged = true;
            continue;
        }
        DiskCheckResult result = CheckFloppyFileSystem(disk, ui);
        Print(prefix, result);
        damaged = damaged || !result.Clean();
        ++checked;
    }
    std::printf("%u volumes checked: %s\n", checked, damaged ? "damaged" : "clean");
    return damaged ? 1 : 0;
}

int RunCheck(CommandContext &context)
{
    if (context.args.size() != 1) {
        std::fprintf(stderr, "kestrel-cli: IMAGE expected\nusage: kestrel-cli %s\n", kUsage);
        return 1;
    }
    const std::string &path = context.args[0];
    if (IsCardImage(path)) {
        return CheckCard(path, *context.ui);
    }
    DiskCheckResult result;
    const bool opened = CheckDiskImage(path, 0, result, *context.ui);
    Print(std::string(), result);
    return opened && result.Clean() ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("check", kUsage, RunCheck);

} // namespace kestrel::cli
