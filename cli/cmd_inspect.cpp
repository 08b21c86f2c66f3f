// inspect IMAGE [--kind K] [--au N] [--volume N] [--partition N]: one
// structure window of an image as text: its caption, the fields with their
// byte offsets, then its list. Links show as ">>" (or "(>>)" when they lead
// nowhere). Without options it is the window the program opens first for the
// image: the VIB of a floppy or hard disk, the partition table, or a card's
// volume list.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/cf7_layout.h"
#include "drives/inspector/inspector_view.h"
#include "tifs/byte_order.h"
#include "tifs/location_listers.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "inspect IMAGE [--kind vib|ddr|fdir|fdr|pti|volumes] [--au N] "
                      "[--volume N] [--partition N]";

int UsageError(const char *why)
{
    std::fprintf(stderr, "kestrel-cli: %s\nusage: kestrel-cli %s\n", why, kUsage);
    return 1;
}

// Decimal, or hexadecimal with ">" or "0x" in front.
bool ParseNumber(const std::string &text, uint32_t &value)
{
    std::string digits = text;
    int base = 10;
    if (!digits.empty() && digits[0] == '>') {
        digits.erase(0, 1);
        base = 16;
    } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.erase(0, 2);
        base = 16;
    }
    if (digits.empty() || digits[0] == '-' || digits[0] == '+')
        return false;
    char *end = nullptr;
    const unsigned long long v = std::strtoull(digits.c_str(), &end, base);
    if (*end != '\0' || v > 0xFFFFFFFFull)
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

struct Options {
    std::string image;
    std::string kind;
    bool haveAu = false;
    uint32_t au = 0;
    uint32_t volume = 0;
    uint32_t partition = 0;
};

const char *ParseOptions(const std::vector<std::string> &args, Options &options)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--kind" || arg == "--au" || arg == "--volume" || arg == "--partition") {
            if (i + 1 >= args.size())
                return "an option without its value";
            const std::string &value = args[++i];
            if (arg == "--kind") {
                options.kind = value;
                continue;
            }
            uint32_t number = 0;
            if (!ParseNumber(value, number))
                return "--au, --volume and --partition take numbers";
            if (arg == "--au") {
                options.au = number;
                options.haveAu = true;
            } else if (arg == "--volume") {
                options.volume = number;
            } else {
                options.partition = number;
            }
        } else if (options.image.empty() && !arg.empty() && arg[0] != '-') {
            options.image = arg;
        } else {
            return "unknown argument";
        }
    }
    return options.image.empty() ? "IMAGE expected" : nullptr;
}

std::string LinkMark(const InspectorLink &link)
{
    if (link.target == InspectorLink::kNone)
        return std::string();
    return link.enabled ? "  >>" : "  (>>)";
}

void Print(const InspectorView &view)
{
    std::printf("%s\n", view.caption.c_str());
    for (const InspectorField &field : view.fields) {
        if (field.offset >= 0)
            std::printf("%3d  ", field.offset);
        else
            std::printf("     ");
        if (!field.choices.empty()) {
            std::printf("%s\n", field.label.c_str());
            for (const std::string &choice : field.choices)
                std::printf("       %s\n", choice.c_str());
            continue;
        }
        std::printf("%-36s %s%s\n", field.label.c_str(), field.value.c_str(),
                    LinkMark(field.link).c_str());
    }
    if (view.listLabel.empty())
        return;
    if (view.listOffset >= 0)
        std::printf("%3d  %s\n", view.listOffset, view.listLabel.c_str());
    else
        std::printf("     %s\n", view.listLabel.c_str());
    for (const InspectorLine &line : view.lines)
        std::printf("     %s%s\n", line.text.c_str(), LinkMark(line.link).c_str());
}

// The structure kind a --kind name stands for on this image: the floppy forms
// for floppies and card volumes, the hard-disk forms otherwise.
bool KindByName(const std::string &name, bool floppy, uint16_t entryKind, InspectorKind &kind)
{
    if (name == "vib")
        kind = floppy ? InspectorKind::FloppyVib : InspectorKind::HdVib;
    else if (name == "fdir")
        kind = floppy ? InspectorKind::FloppyFdir : InspectorKind::HdFdir;
    else if (name == "fdr")
        kind = floppy ? InspectorKind::FloppyFdr : InspectorKind::HdFdr;
    else if (name == "ddr" && !floppy)
        kind = InspectorKind::HdDdr;
    else if (name == "pti" && entryKind == kKindPartitionedImage)
        kind = InspectorKind::PartitionTable;
    else if (name == "volumes" && entryKind == kKindCf7Image)
        kind = InspectorKind::Cf7VolumeList;
    else
        return false;
    return true;
}

int RunInspect(CommandContext &context)
{
    Options options;
    if (const char *why = ParseOptions(context.args, options))
        return UsageError(why);
    Ui &ui = *context.ui;
    const std::filesystem::path path(options.image);

    // The image is recognised as a PC-directory pane would list it.
    CatalogEntry entry;
    entry.pcName = path.filename().string();
    {
        FileImage file;
        uint8_t first[kSectorSize];
        if (file.Open(options.image, false) && file.ReadAt(0, first, kSectorSize))
            RecognizeImage(options.image, first, file.Size(), entry);
    }
    InspectorKind firstKind;
    if (!InspectorKindForEntry(entry.ti.kind, firstKind))
        return UsageError("IMAGE is no floppy, hard-disk or card image");
    InspectorView view;
    const std::string dir = path.has_parent_path() ? path.parent_path().string() : ".";
    if (!OpenInspectorView(dir, entry, ui, view))
        return 1;

    const bool card = entry.ti.kind == kKindCf7Image;
    const bool partitioned = entry.ti.kind == kKindPartitionedImage;
    if (options.volume != 0 && !card)
        return UsageError("--volume is for card images");
    if (options.partition != 0 && !partitioned)
        return UsageError("--partition is for partitioned hard-disk images");
    if (options.partition > 4)
        return UsageError("--partition takes 1 to 4");

    // Step into the volume the options name, as its window would be opened.
    if (options.volume != 0) {
        if (options.volume > view.lines.size())
            return UsageError("no such volume");
        if (!FollowInspectorLink(view.lines[options.volume - 1].link, ui, view))
            return 1;
    } else if (options.partition != 0) {
        const InspectorLink *link = nullptr;
        for (const InspectorField &field : view.fields)
            if (field.offset == static_cast<int>(24 + 8 * (options.partition - 1)))
                link = &field.link;
        if (!link || !link->Followable())
            return UsageError("that partition has no offset or size");
        if (!FollowInspectorLink(*link, ui, view))
            return 1;
    }
    if (options.kind.empty() && !options.haveAu) {
        Print(view);
        return 0;
    }

    const bool floppy = entry.ti.kind == kKindDsk || options.volume != 0;
    InspectorLink link;
    link.target = InspectorLink::kStructure;
    link.context = view.context;
    if (!KindByName(options.kind.empty() ? "vib" : options.kind, floppy, entry.ti.kind, link.kind))
        return UsageError("that --kind does not exist on this image");
    const bool whole =
        link.kind == InspectorKind::PartitionTable || link.kind == InspectorKind::Cf7VolumeList;
    if (!whole && card && options.volume == 0)
        return UsageError("--volume names the card's volume");
    if (!whole && partitioned && options.partition == 0)
        return UsageError("--partition names the partition");
    if (options.haveAu) {
        link.context.au = options.au;
    } else if (link.kind == InspectorKind::FloppyFdir) {
        link.context.au = 1;
    } else if (link.kind == InspectorKind::HdFdir && view.kind == InspectorKind::HdVib) {
        link.context.au = GetWordBE(view.sector, 24);
    } else if (link.kind == InspectorKind::FloppyFdr || link.kind == InspectorKind::HdFdr ||
               link.kind == InspectorKind::HdDdr) {
        return UsageError("--au names the record to show");
    } else {
        link.context.au = 0;
    }
    if (whole)
        link.context = InspectorContext{view.context.imagePath};
    if (!FollowInspectorLink(link, ui, view))
        return 1;
    Print(view);
    return 0;
}

} // namespace

KESTREL_CLI_COMMAND("inspect", kUsage, RunInspect);

} // namespace kestrel::cli
