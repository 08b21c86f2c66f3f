// picture LOCATION/FILE --mode tiartist|myart256|myart512|charset --out OUT.ppm:
// draws the bitmap a picture window would show into a PPM file and prints
// the window's caption.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "tifs/catalog.h"
#include "tifs/floppy/output_file.h"
#include "tifs/messages.h"
#include "viewers/picture/raster.h"
#include "viewers/picture_views.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] =
    "picture LOCATION/FILE --mode tiartist|myart256|myart512|charset --out OUT.ppm";
constexpr int kMsgCantWrite = 2;
constexpr int kMsgCantWriteFile = 5;

int UsageError(const std::string &why)
{
    std::fprintf(stderr, "kestrel-cli: %s\nusage: kestrel-cli %s\n", why.c_str(), kUsage);
    return 1;
}

int ModeByName(const std::string &name)
{
    if (name == "tiartist") {
        return kPictureTiArtist;
    }
    if (name == "myart256") {
        return kPictureMyart256;
    }
    if (name == "myart512") {
        return kPictureMyart512;
    }
    if (name == "charset") {
        return kPictureCharset;
    }
    return -1;
}

// The picture as a PPM file, put in place only when complete.
bool WritePicture(const std::string &path, const Raster &bitmap, Ui &ui)
{
    const std::vector<uint8_t> bytes = EncodePpm(bitmap);
    OutputFile out(path);
    if (!out.Open()) {
        ReportError(ui, kMsgCantWrite, {path});
        return false;
    }
    const bool written = out.Write(bytes.data(), bytes.size());
    if (!out.Finish(written) || !written) {
        ReportError(ui, kMsgCantWriteFile, {path});
        return false;
    }
    return true;
}

int RunPicture(CommandContext &context)
{
    int mode = -1;
    std::string target;
    std::string outPath;
    const std::vector<std::string> &args = context.args;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--mode" || arg == "--out") {
            if (i + 1 >= args.size()) {
                return UsageError(arg + " needs a value");
            }
            const std::string &value = args[++i];
            if (arg == "--out") {
                outPath = value;
            } else if ((mode = ModeByName(value)) < 0) {
                return UsageError("unknown mode " + value);
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else if (!target.empty()) {
            return UsageError("one LOCATION/FILE only");
        } else {
            target = arg;
        }
    }
    if (target.empty()) {
        return UsageError("LOCATION/FILE missing");
    }
    if (mode < 0) {
        return UsageError("--mode missing");
    }
    if (outPath.empty()) {
        return UsageError("--out missing");
    }

    TerminalUi &ui = *context.ui;
    NamedEntry named;
    if (!ResolveNamedEntry(ui, target, named)) {
        return 1;
    }
    const Location &location = named.location;
    const CatalogEntry *entry = &named.entry;
    if (!PictureModeAccepts(mode, *entry)) {
        return UsageError(mode == kPictureMyart256 || mode == kPictureMyart512
                              ? "MYART pictures are DIS/FIX 128 files"
                              : "TI-Artist pictures and character sets are PROGRAM files");
    }
    PictureView view;
    ComposePictureView(location, *entry, mode, ui, view);
    if (!view.drawn) {
        return 1;
    }
    std::printf("%s\n", view.caption.c_str());
    if (!WritePicture(outPath, view.bitmap, ui)) {
        return 1;
    }
    return ui.ErrorCount() > 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("picture", kUsage, RunPicture);

} // namespace kestrel::cli
