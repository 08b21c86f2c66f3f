#include "ops/basic_conversion.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "ops/conversion_result.h"
#include "ops/safe_replace.h"
#include "tifs/messages.h"
#include "tifs/ti_header.h"
#include "viewers/tokenizer_loader.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantRead = 4;
constexpr int kMsgOnlyTiToPc = 12;
constexpr int kMsgInvalidName = 16;
constexpr int kMsgToItself = 38;
constexpr int kMsgNoPcFilesThere = 49;
constexpr int kMsgNotTiAfterConversion = 64;

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

bool IsImageDestination(const Location &l)
{
    return l.kind == kLocDskImage || l.kind == kLocCf7Volume || l.kind == kLocHdImage;
}

int Result(Ui &ui)
{
    return ui.LastMessage() != 0 ? kConversionStop : kConversionDone;
}

bool FileExists(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// Reads and decodes the 128-byte header the tokenizer wrote.
bool CheckOutputHeader(Ui &ui, const std::string &output, const std::string &name,
                       TiFileDescriptor &d)
{
    FilePtr file(std::fopen(output.c_str(), "rb"), std::fclose);
    if (!file) {
        ReportError(ui, kMsgCantOpenRead, {output});
        return false;
    }
    uint8_t header[kHeaderSize];
    if (std::fread(header, 1, kHeaderSize, file.get()) != kHeaderSize) {
        ReportError(ui, kMsgCantRead, {output});
        return false;
    }
    if (!DecodeHeader(header, name, false, d)) {
        ReportError(ui, kMsgNotTiAfterConversion, {output});
        return false;
    }
    return true;
}

} // namespace

bool CheckBasicDestination(Ui &ui, const Location &destination)
{
    if (destination.kind == kLocPcDirectory || IsImageDestination(destination)) {
        return true;
    }
    ReportError(ui, kMsgNoPcFilesThere);
    ReportError(ui, kMsgOnlyTiToPc);
    return false;
}

std::string BasicNameProblem(const std::string &tiName)
{
    if (tiName.empty()) {
        return "Please enter a filename";
    }
    if (tiName.find('/') != std::string::npos || tiName.find('\0') != std::string::npos ||
        tiName == "." || tiName == "..") {
        return FormatCatalogMessage(kMsgInvalidName, {tiName});
    }
    return std::string();
}

std::string DefaultBasicName(const std::string &pcName)
{
    std::string name = PcNameToTiName(pcName);
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

std::string ImageFileDirectory(const Location &location)
{
    // A container's path may go on inside the image; the image is the
    // longest leading part that is a PC file.
    std::filesystem::path path(location.path);
    std::error_code ec;
    for (int guard = 0; guard < 64 && !path.empty(); ++guard) {
        if (std::filesystem::is_regular_file(path, ec)) {
            return path.has_parent_path() ? path.parent_path().string() : ".";
        }
        if (!path.has_parent_path() || path.parent_path() == path) {
            break;
        }
        path = path.parent_path();
    }
    return ".";
}

std::string TokenizerErrorText(const std::string &logPath, const std::string &inputPath, int code,
                               const std::string &outputPath, bool logRequested)
{
    const std::string first = FormatText("Error %02u:", {code});
    switch (code) {
    case 10:
        return FormatText("%s %s\n[%s]", {first, "Could not open XB input file", inputPath});
    case 11:
        return FormatText("%s %s\n[%s]", {first, "Error reading XB input file", inputPath});
    case 20:
        return FormatText("%s %s\nSee log file [%s]",
                          {first, "Error converting file",
                           logRequested ? logPath : std::string("no log file created")});
    case 30:
        return FormatText("%s %s\n[%s]", {first, "Error writing MERGE file", outputPath});
    case 40:
        return FormatText("%s %s\n[%s]", {first, "Error writing PROGRAM file", outputPath});
    case 50:
        return FormatText("%s %s\n[%s]", {first, "Could not open log file", logPath});
    default:
        return FormatText("%s %s", {first, "Unknown error"});
    }
}

void ShowTokenizerError(Ui &ui, const std::string &logPath, const std::string &inputPath, int code,
                        const std::string &outputPath, bool logRequested)
{
    ui.ShowKestrelError(TokenizerErrorText(logPath, inputPath, code, outputPath, logRequested));
}

int ConvertTextToBasic(Ui &ui, const Location &destination, const Location &source,
                       const CatalogEntry &entry, const std::string &tiName,
                       const BasicConversionOptions &options, BasicConversionBatch &batch)
{
    ui.SetLastMessage(0);
    if (!LoadTokenizerLibrary(ui)) {
        return -1;
    }
    XBTokenizeFunction tokenize = TokenizerEntry();
    if (tokenize == nullptr) {
        return -1;
    }
    if (!CheckBasicDestination(ui, destination)) {
        return Result(ui);
    }
    if (tiName.empty()) {
        ui.ShowWarning(BasicNameProblem(tiName));
        return kConversionStop;
    }
    if (!BasicNameProblem(tiName).empty()) {
        ReportError(ui, kMsgInvalidName, {tiName});
        return Result(ui);
    }
    const bool toDirectory = destination.kind == kLocPcDirectory;
    const std::string input = JoinPcPath(source.path, entry.pcName);
    std::string output;
    std::string logPath;
    if (toDirectory) {
        output = JoinPcPath(destination.path, tiName);
        logPath = output + ".log";
    } else {
        output = ConversionTempFile(ui);
        if (output.empty()) {
            return Result(ui);
        }
        logPath = JoinPcPath(ImageFileDirectory(destination), tiName + ".log");
    }
    if (SamePcFile(input, output)) {
        ReportError(ui, kMsgToItself);
        return Result(ui);
    }
    if (!FileExists(input)) {
        ReportError(ui, kMsgCantOpenRead, {input});
        return Result(ui);
    }
    if (toDirectory && FileExists(output)) {
        Answer answer = AskConversionOverwrite(ui, "TI/EX Basic file", tiName, batch.overwriteAll);
        if (answer == Answer::No) {
            return kConversionDone;
        }
        if (answer != Answer::Yes) {
            return kConversionStop;
        }
    }

    // The library writes its output itself: into a side file in the
    // directory, which replaces an old output only after a clean run.
    ReplacingFile side;
    std::string written = output;
    if (toDirectory) {
        if (!side.Reserve(output)) {
            ReportSystemError(ui, side.Error(), kMsgCantOpenWrite, {output});
            return Result(ui);
        }
        written = side.SidePath();
    }
    ui.SetProgressRange(10);
    ui.SetProgressPosition(5);
    const char *optionText = options.log && options.verbose ? "v=5" : "";
    const int code = tokenize(input.c_str(), options.program ? written.c_str() : nullptr,
                              options.program ? nullptr : written.c_str(),
                              options.log ? logPath.c_str() : nullptr, optionText);
    ui.SetLastMessage(code);
    if (code != 0) {
        if (toDirectory) {
            side.Abandon(true);
        }
        ShowTokenizerError(ui, logPath, input, code, output, options.log);
        return Result(ui);
    }
    if (toDirectory && !side.Commit()) {
        ReportSystemError(ui, side.Error(), kMsgCantOpenWrite, {output});
        return Result(ui);
    }
    CatalogEntry converted;
    if (!CheckOutputHeader(ui, output, tiName, converted.ti)) {
        return Result(ui);
    }
    converted.pcName = tiName;
    converted.ti.tiName = PcNameToTiName(tiName);
    ui.SetProgressPosition(10);
    if (destination.kind == kLocDskImage || destination.kind == kLocCf7Volume) {
        FloppyTarget image;
        if (!ConversionImageTarget(destination, image)) {
            ReportError(ui, kMsgNoPcFilesThere);
            return Result(ui);
        }
        if (AddFileToImage(image, converted, output, batch.image, ui) == kAddStopped) {
            return kConversionStop;
        }
    } else if (destination.kind == kLocHdImage) {
        if (CopyEntryToHd(ui, destination, source, converted, output, batch.hd) == 2) {
            return kConversionStop;
        }
    }
    return Result(ui);
}

} // namespace kestrel
