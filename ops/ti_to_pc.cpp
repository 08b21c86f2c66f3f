#include "ops/ti_to_pc.h"

#include <cstdio>
#include <memory>

#include "ops/conversion_rules.h"
#include "ops/safe_replace.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgOnlyTiToPc = 12;
constexpr int kMsgNotTiFile = 64;
constexpr int kMsgToItself = 38;
constexpr int kMsgNoPcFilesThere = 49;

void AppendLineEnd(int method, std::vector<uint8_t> &out)
{
    if (method == kTiPcAddCrLf) {
        out.push_back('\r');
        out.push_back('\n');
    } else if (method == kTiPcAddLf) {
        out.push_back('\n');
    }
}

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

} // namespace

TiToPcOptions TiToPcOptionsFromSettings(const TiFileDescriptor &d)
{
    const TiToPcDefaults defaults = ReadTiToPcDefaults(d);
    std::string tiName = d.tiName;
    while (!tiName.empty() && tiName.back() == ' ') {
        tiName.pop_back();
    }
    TiToPcOptions options;
    options.pcName = TiNameToPcName(tiName, ProgramSettings().zubCompatible) + defaults.extension;
    options.method = defaults.method;
    return options;
}

std::string TiToPcOptionsProblem(const TiToPcOptions &options)
{
    if (options.pcName.empty()) {
        return "Please enter a filename";
    }
    if (options.method < kTiPcAddCrLf || options.method > kTiPcBinary) {
        return "Please select a conversion methode";
    }
    return std::string();
}

void ConvertTiSector(const uint8_t *sector, const TiFileDescriptor &d, int method,
                     uint32_t &recordsDone, std::vector<uint8_t> &out)
{
    if ((d.flags & kFlagProgram) != 0) {
        out.insert(out.end(), sector, sector + kSectorSize);
        return;
    }
    if ((d.flags & kFlagVariable) != 0) {
        size_t at = 0;
        while (at < kSectorSize && sector[at] != 0xFF) {
            const size_t length = sector[at++];
            const size_t n = at + length > kSectorSize ? kSectorSize - at : length;
            out.insert(out.end(), sector + at, sector + at + n);
            AppendLineEnd(method, out);
            at += n;
            ++recordsDone;
        }
        return;
    }
    // Fixed records: a hostile records-per-sector never reads past the sector.
    const size_t r = d.recordLength;
    if (r == 0 || r > kSectorSize) {
        return;
    }
    size_t perSector = d.recordsPerSector;
    if (perSector == 0 || perSector * r > kSectorSize) {
        perSector = kSectorSize / r;
    }
    for (size_t i = 0; i < perSector && recordsDone < d.level3Count; ++i) {
        out.insert(out.end(), sector + i * r, sector + (i + 1) * r);
        AppendLineEnd(method, out);
        ++recordsDone;
    }
}

std::vector<uint8_t> ConvertTiData(const uint8_t *data, size_t size, const TiFileDescriptor &d,
                                   int method)
{
    std::vector<uint8_t> out;
    uint32_t records = 0;
    for (size_t s = 0; s < d.sectors && (s + 1) * kSectorSize <= size; ++s) {
        ConvertTiSector(data + s * kSectorSize, d, method, records, out);
    }
    return out;
}

int ConvertTiFile(Ui &ui, const Location &destination, const Location &source,
                  const CatalogEntry &entry, const TiToPcOptions &options, TiToPcBatch &batch)
{
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, kMsgNoPcFilesThere);
        ReportError(ui, kMsgOnlyTiToPc);
        return kConversionFailed;
    }
    if (options.pcName.empty() || options.pcName.find('/') != std::string::npos ||
        options.pcName == "." || options.pcName == "..") {
        ReportError(ui, 16, {options.pcName});
        return kConversionFailed;
    }
    std::string sourcePath;
    if (source.kind == kLocPcDirectory) {
        sourcePath = JoinPcPath(source.path, entry.pcName);
    } else {
        EntrySaver saver = FindEntrySaver(source.kind);
        sourcePath = ConversionTempFile(ui);
        if (sourcePath.empty()) {
            return kConversionFailed;
        }
        if (saver == nullptr) {
            ReportError(ui, kMsgCantOpenRead, {entry.pcName});
            return kConversionFailed;
        }
        if (!saver(source, entry, sourcePath, ui)) {
            return kConversionFailed;
        }
    }
    const std::string target = JoinPcPath(destination.path, options.pcName);
    if (SamePcFile(sourcePath, target)) {
        ReportError(ui, kMsgToItself);
        return kConversionFailed;
    }
    std::FILE *probe = std::fopen(target.c_str(), "rb");
    if (probe != nullptr) {
        std::fclose(probe);
        Answer answer = AskConversionOverwrite(ui, "file", options.pcName, batch.overwriteAll);
        if (answer == Answer::No) {
            return kConversionDone;
        }
        if (answer != Answer::Yes) {
            return kConversionStop;
        }
    }

    FilePtr in(std::fopen(sourcePath.c_str(), "rb"), std::fclose);
    if (!in) {
        ReportError(ui, kMsgCantOpenRead, {sourcePath});
        return kConversionFailed;
    }
    uint8_t header[kHeaderSize];
    if (std::fread(header, 1, kHeaderSize, in.get()) != kHeaderSize) {
        ReportError(ui, kMsgCantReadSector, {0, sourcePath});
        return kConversionFailed;
    }
    TiFileDescriptor d;
    if (!DecodeHeader(header, entry.pcName, false, d)) {
        ReportError(ui, kMsgNotTiFile, {sourcePath});
        return kConversionFailed;
    }
    // A Classic99 file may end in a short sector; its descriptor as the
    // catalog corrected it knows the real counts.
    const bool classic99 = entry.ti.headerKind == kHeaderClassic99;
    if (classic99) {
        d = entry.ti;
    }
    ReplacingFile out;
    if (!out.Open(target)) {
        ReportSystemError(ui, out.Error(), kMsgCantOpenWrite, {target});
        return kConversionFailed;
    }
    ui.SetProgressRange(d.sectors);
    uint32_t records = 0;
    std::vector<uint8_t> text;
    for (unsigned s = 1; s <= d.sectors; ++s) {
        uint8_t sector[kSectorSize] = {};
        const size_t got = std::fread(sector, 1, kSectorSize, in.get());
        if (got != kSectorSize && !(classic99 && got > 0 && s == d.sectors)) {
            out.Abandon(true);
            ReportError(ui, kMsgCantReadSector, {s, sourcePath});
            return kConversionFailed;
        }
        text.clear();
        ConvertTiSector(sector, d, options.method, records, text);
        if (!out.Write(text.data(), text.size())) {
            out.Abandon(true);
            ReportError(ui, kMsgCantWriteSector, {s, target});
            return kConversionFailed;
        }
        ui.SetProgressPosition(s);
        const bool fixed = (d.flags & (kFlagVariable | kFlagProgram)) == 0;
        if (fixed && records >= d.level3Count) {
            break;
        }
    }
    if (!out.Commit()) {
        ReportSystemError(ui, out.Error(), kMsgCantWriteSector, {d.sectors, target});
        return kConversionFailed;
    }
    return kConversionDone;
}

} // namespace kestrel
