// The CF7A+ volume commands. CARD is a card image file or a drive letter
// ("E" or "E:") of a card in a drive; VOLUME counts from 1.
//   cf7-init [--yes] CARD VOLUME LABEL   an empty volume
//   cf7-get  [--yes] CARD VOLUME TARGET.dsk   a volume out as a DSK image
//   cf7-put  [--yes] CARD VOLUME SOURCE.dsk   a DSK image into a volume
//   cf7-mount [--yes] CARD [DSK1 DSK2 DSK3]   show or set the mount record
// Writing to a drive asks first; --yes answers for a script.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/cf7_card.h"
#include "drives/cf7_registration.h"
#include "drives/cf7_volume.h"
#include "tifs/floppy/vib.h"

namespace kestrel::cli
{

namespace
{

int UsageError(const char *usage, const char *why)
{
    std::fprintf(stderr, "kestrel-cli: %s\nusage: kestrel-cli %s\n", why, usage);
    return 1;
}

bool ParseLetter(const std::string &text, char &letter)
{
    if ((text.size() == 1 || (text.size() == 2 && text[1] == ':')) &&
        ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) {
        letter = static_cast<char>(text[0] & ~0x20);
        return true;
    }
    return false;
}

bool ParseNumber(const std::string &text, uint32_t &value)
{
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return false;
    }
    char *end = nullptr;
    unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (*end != '\0' || v > 0xFFFF) {
        return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

// Opens CARD; a drive opened for writing is confirmed first.
bool OpenCard(const std::string &text, bool writable, Cf7Card &card, TerminalUi &ui)
{
    char letter = 0;
    if (ParseLetter(text, letter)) {
        if (writable) {
            std::string question = "Write to the CF7A+ card in drive " + std::string(1, letter) +
                                   ":?\n\nDo you really wish to continue ?\n";
            if (ui.AskQuestion(question, QuestionButtons::YesNo) != Answer::Yes) {
                std::fprintf(stderr, "kestrel-cli: nothing written\n");
                return false;
            }
        }
        return card.OpenDrive(letter, writable, ui);
    }
    return card.OpenImage(text, writable, writable ? 2 : 1, ui);
}

int Status(TerminalUi &ui, bool ok)
{
    return ok && ui.ErrorCount() == 0 ? 0 : 1;
}

const char kInitUsage[] = "cf7-init [--yes] CARD VOLUME LABEL";

int RunInit(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    ui.TakeAnswerFlags(args);
    uint32_t volume = 0;
    if (args.size() != 3 || !ParseNumber(args[1], volume)) {
        return UsageError(kInitUsage, "CARD, VOLUME and LABEL expected");
    }
    const std::string &label = args[2];
    if (label.empty()) {
        ui.ShowWarning("Please enter a volume label");
        return 1;
    }
    if (label.size() > 10 || label.find_first_of(". ") != std::string::npos) {
        return UsageError(kInitUsage, "LABEL has at most 10 characters, no '.' or ' '");
    }
    Cf7Card card;
    if (!OpenCard(args[0], true, card, ui)) {
        return 1;
    }
    DiskSummary summary;
    bool ok = InitializeCf7Volume(card, volume, label, ui, summary);
    ok = card.Finish(ui) && ok;
    if (ok) {
        std::printf("%s: %s\n", Cf7VolumePcName(volume, card.Physical()).c_str(),
                    summary.name.c_str());
    }
    return Status(ui, ok);
}

const char kGetUsage[] = "cf7-get [--yes] CARD VOLUME TARGET.dsk";

int RunGet(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    ui.TakeAnswerFlags(args);
    uint32_t volume = 0;
    if (args.size() != 3 || !ParseNumber(args[1], volume)) {
        return UsageError(kGetUsage, "CARD, VOLUME and TARGET expected");
    }
    Cf7Card card;
    if (!OpenCard(args[0], false, card, ui)) {
        return 1;
    }
    int result = CopyCf7VolumeToDsk(card, volume, args[2], ui);
    card.Close();
    return Status(ui, result == 0);
}

const char kPutUsage[] = "cf7-put [--yes] CARD VOLUME SOURCE.dsk";

int RunPut(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    ui.TakeAnswerFlags(args);
    uint32_t volume = 0;
    if (args.size() != 3 || !ParseNumber(args[1], volume)) {
        return UsageError(kPutUsage, "CARD, VOLUME and SOURCE expected");
    }
    Cf7Card card;
    if (!OpenCard(args[0], true, card, ui)) {
        return 1;
    }
    DiskSummary summary;
    int result = CopyDskToCf7Volume(card, volume, args[2], ui, &summary);
    bool ok = card.Finish(ui) && result == 0;
    if (ok) {
        std::printf("%s: %s\n", Cf7VolumePcName(volume, card.Physical()).c_str(),
                    summary.name.empty() ? "UNFORMATED" : summary.name.c_str());
    }
    return Status(ui, ok);
}

const char kMountUsage[] = "cf7-mount [--yes] CARD [DSK1 DSK2 DSK3]";

int RunMount(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    ui.TakeAnswerFlags(args);
    if (args.size() != 1 && args.size() != 4) {
        return UsageError(kMountUsage, "CARD and three volume numbers (0: none) expected");
    }
    MountRecord wanted;
    for (size_t i = 1; i < args.size(); ++i) {
        uint32_t v = 0;
        if (!ParseNumber(args[i], v)) {
            return UsageError(kMountUsage, "volume numbers expected (0: none)");
        }
        wanted.dsk[i - 1] = static_cast<uint16_t>(v);
    }
    Cf7Card card;
    if (!OpenCard(args[0], args.size() == 4, card, ui)) {
        return 1;
    }
    for (uint16_t v : wanted.dsk) {
        if (v > card.VolumeCount()) {
            std::fprintf(stderr, "kestrel-cli: the card has %u volumes\n", card.VolumeCount());
            return 1;
        }
    }
    MountRecord mount;
    bool valid = false;
    if (!ReadCf7MountRecord(card, mount, valid, ui)) {
        return 1;
    }
    bool ok = true;
    if (args.size() == 4 && !(valid && mount == wanted)) {
        ok = WriteCf7MountRecord(card, wanted, ui);
        mount = wanted;
    }
    // The names of the mounted volumes, as the mount dialog shows its lines.
    for (int i = 0; ok && i < 3; ++i) {
        std::string line = "--UNDEFINED--";
        if (mount.dsk[i] != 0) {
            uint8_t sector[256];
            if (!card.ReadSector(Cf7VolumeFirstSector(mount.dsk[i]), sector, ui)) {
                ok = false;
                break;
            }
            DiskSummary summary;
            line = Cf7MountLine(mount.dsk[i], DecodeVib(nullptr, sector, summary) != 0
                                                  ? summary.name
                                                  : std::string("UNFORMATED"));
        }
        std::printf("DSK%d: %s\n", i + 1, line.c_str());
    }
    ok = card.Finish(ui) && ok;
    return Status(ui, ok);
}

} // namespace

KESTREL_CLI_COMMAND("cf7-init", kInitUsage, RunInit);
KESTREL_CLI_COMMAND("cf7-get", kGetUsage, RunGet);
KESTREL_CLI_COMMAND("cf7-put", kPutUsage, RunPut);
KESTREL_CLI_COMMAND("cf7-mount", kMountUsage, RunMount);

} // namespace kestrel::cli
