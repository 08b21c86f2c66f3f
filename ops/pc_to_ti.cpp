#include "ops/pc_to_ti.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ops/conversion_rules.h"
#include "ops/safe_replace.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantRead = 4;
constexpr int kMsgCantWrite = 5;
constexpr int kMsgToItself = 38;
constexpr size_t kMaxSectors = 0xFFFF;
constexpr size_t kMaxRecords = 0xFFFF;

bool IsVariable(uint8_t flags)
{
    return (flags & kFlagVariable) != 0;
}
bool IsProgram(uint8_t flags)
{
    return (flags & kFlagProgram) != 0;
}

// Accumulates whole sectors.
class SectorSink
{
public:
    explicit SectorSink(std::vector<uint8_t> &out) : m_out(out) {}
    uint8_t *Current() { return m_sector; }
    void Flush()
    {
        m_out.insert(m_out.end(), m_sector, m_sector + kSectorSize);
        std::memset(m_sector, 0, sizeof m_sector);
        ++m_count;
    }
    size_t Count() const { return m_count; }

private:
    std::vector<uint8_t> &m_out;
    uint8_t m_sector[kSectorSize] = {};
    size_t m_count = 0;
};

// Feeds every line (or raw block) the method gives to emit.
template <typename Emit>
void ForEachPiece(const uint8_t *data, size_t size, int method, int tabWidth, size_t blockSize,
                  Emit emit)
{
    if (method == kPcTiBinary) {
        for (size_t at = 0; at < size; at += blockSize) {
            const size_t n = size - at < blockSize ? size - at : blockSize;
            emit(reinterpret_cast<const char *>(data + at), n);
        }
        return;
    }
    LineReader reader(data, size, tabWidth);
    TextLine line;
    while (reader.Next(line)) {
        const std::string text = ApplyLineEndMethod(line, method);
        emit(text.data(), text.size());
    }
}

bool EncodeVariable(const uint8_t *pcData, size_t size, const PcToTiOptions &options,
                    TiFileImage &image)
{
    const size_t r = static_cast<size_t>(options.recordLength);
    SectorSink sink(image.data);
    size_t position = 0;
    auto putRecord = [&](const char *bytes, size_t length) {
        // A record of 255 bytes fills a sector alone: it is written without
        // the end marker rather than opening empty sectors forever.
        if (position + length + 2 > kSectorSize && position > 0) {
            if (position < kSectorSize) {
                sink.Current()[position] = 0xFF;
            }
            sink.Flush();
            position = 0;
        }
        uint8_t *sector = sink.Current();
        sector[position] = static_cast<uint8_t>(length);
        std::memcpy(sector + position + 1, bytes, length);
        position += length + 1;
    };
    ForEachPiece(pcData, size, options.method, options.tabWidth, r,
                 [&](const char *bytes, size_t length) {
                     while (length > r) {
                         putRecord(bytes, r);
                         bytes += r;
                         length -= r;
                     }
                     putRecord(bytes, length);
                 });
    uint8_t eof = 0;
    if (position > 0) {
        if (position < kSectorSize) {
            sink.Current()[position] = 0xFF;
            eof = static_cast<uint8_t>(position);
        }
        sink.Flush();
    }
    if (sink.Count() > kMaxSectors) {
        return false;
    }
    TiFileDescriptor &d = image.descriptor;
    d.recordsPerSector = static_cast<uint8_t>(r >= 255 ? 1 : 255 / (r + 1));
    d.sectors = static_cast<uint16_t>(sink.Count());
    d.eofOffset = eof;
    d.level3Count = d.sectors;
    return true;
}

bool EncodeFixed(const uint8_t *pcData, size_t size, const PcToTiOptions &options,
                 TiFileImage &image)
{
    const size_t r = static_cast<size_t>(options.recordLength);
    const size_t perSector = kSectorSize / r;
    SectorSink sink(image.data);
    size_t inSector = 0;
    size_t records = 0;
    ForEachPiece(pcData, size, options.method, options.tabWidth, kSectorSize,
                 [&](const char *bytes, size_t length) {
                     for (size_t at = 0; at < length; at += r) {
                         const size_t n = length - at < r ? length - at : r;
                         std::memcpy(sink.Current() + inSector * r, bytes + at, n);
                         ++records;
                         if (++inSector == perSector) {
                             sink.Flush();
                             inSector = 0;
                         }
                     }
                 });
    if (inSector > 0) {
        sink.Flush();
    }
    if (sink.Count() > kMaxSectors || records > kMaxRecords) {
        return false;
    }
    TiFileDescriptor &d = image.descriptor;
    d.recordsPerSector = static_cast<uint8_t>(perSector);
    d.sectors = static_cast<uint16_t>(sink.Count());
    d.eofOffset = static_cast<uint8_t>(inSector * r);
    d.level3Count = static_cast<uint16_t>(records);
    return true;
}

bool EncodeProgram(const uint8_t *pcData, size_t size, const PcToTiOptions &options,
                   TiFileImage &image)
{
    std::vector<uint8_t> &out = image.data;
    if (options.dataHeader) {
        uint16_t words[3] = {};
        if (!ParseDataHeader(options.dataHeaderText, words)) {
            return false;
        }
        for (uint16_t w : words) {
            out.push_back(static_cast<uint8_t>(w >> 8));
            out.push_back(static_cast<uint8_t>(w & 0xFF));
        }
    }
    out.insert(out.end(), pcData, pcData + size);
    const size_t total = out.size();
    const size_t sectors = (total + kSectorSize - 1) / kSectorSize;
    if (sectors > kMaxSectors) {
        return false;
    }
    out.resize(sectors * kSectorSize, 0);
    TiFileDescriptor &d = image.descriptor;
    d.recordsPerSector = 0;
    d.sectors = static_cast<uint16_t>(sectors);
    d.eofOffset = static_cast<uint8_t>(total % kSectorSize);
    d.level3Count = 0;
    return true;
}

bool ReadWholeFile(const std::string &path, std::vector<uint8_t> &bytes, Ui &ui)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"),
                                                          std::fclose);
    if (!file) {
        ReportError(ui, kMsgCantOpenRead, {path});
        return false;
    }
    uint8_t buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    if (std::ferror(file.get())) {
        ReportError(ui, kMsgCantRead, {path});
        return false;
    }
    return true;
}

} // namespace

bool ParseDataHeader(const std::array<std::string, 3> &text, uint16_t words[3])
{
    for (size_t i = 0; i < 3; ++i) {
        const std::string &t = text[i];
        if (t.empty() || t.size() > 4) {
            return false;
        }
        unsigned value = 0;
        for (char c : t) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                return false;
            }
            value = value * 16 + (std::isdigit(static_cast<unsigned char>(c))
                                      ? c - '0'
                                      : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
        }
        words[i] = static_cast<uint16_t>(value);
    }
    return true;
}

std::string PcToTiOptionsProblem(const PcToTiOptions &options)
{
    if (options.name.empty()) {
        return "Please enter a filename";
    }
    bool knownType = false;
    for (const auto &type : kTiFileTypes) {
        knownType = knownType || type.flags == options.typeFlags;
    }
    if (!knownType) {
        return "Please select a filetype";
    }
    const bool program = IsProgram(options.typeFlags);
    if (!program) {
        if (options.recordLength < 1 || options.recordLength > 255) {
            return "Please select a recordlength";
        }
        if (options.typeFlags == 0x80 && options.recordLength == 255) {
            return "Record length for a DIS/VAR file\nmust be in the range of 1 and 254 bytes";
        }
        if (options.method < kPcTiRemoveLineEnd || options.method > kPcTiBinary) {
            return "Please select a conversion methode";
        }
    } else if (options.dataHeader) {
        uint16_t words[3] = {};
        if (!ParseDataHeader(options.dataHeaderText, words)) {
            return "Please enter a hexadecimal value header value";
        }
    }
    return std::string();
}

bool EncodeTiFile(const uint8_t *pcData, size_t size, const PcToTiOptions &options,
                  const std::string &tiName, bool tifiles, TiFileImage &image)
{
    image = TiFileImage{};
    if (!PcToTiOptionsProblem(options).empty()) {
        return false;
    }
    TiFileDescriptor &d = image.descriptor;
    d.tiName = PadTiName(tiName);
    d.flags = options.typeFlags;
    d.recordLength = IsProgram(options.typeFlags) ? 0 : static_cast<uint16_t>(options.recordLength);
    bool ok = false;
    if (IsProgram(options.typeFlags)) {
        ok = EncodeProgram(pcData, size, options, image);
    } else if (IsVariable(options.typeFlags)) {
        ok = EncodeVariable(pcData, size, options, image);
    } else {
        ok = EncodeFixed(pcData, size, options, image);
    }
    if (!ok) {
        return false;
    }
    d.headerKind = tifiles ? kHeaderTifiles : kHeaderV9t9;
    if (tifiles) {
        MakeTifilesHeader(d, image.header);
    } else {
        MakeV9t9Header(d, image.header);
    }
    DecodeFileType(d);
    return true;
}

std::string DefaultTiFileName(const std::string &pcName)
{
    std::string tiName = PcNameToTiName(pcName);
    while (!tiName.empty() && tiName.back() == ' ') {
        tiName.pop_back();
    }
    return TiNameToPcName(tiName, ProgramSettings().zubCompatible);
}

int ConvertPcFile(Ui &ui, const Location &destination, const Location &source,
                  const CatalogEntry &entry, const PcToTiOptions &options, PcToTiBatch &batch)
{
    const std::string sourcePath = JoinPcPath(source.path, entry.pcName);
    const bool toDirectory = destination.kind == kLocPcDirectory;
    std::string target;
    if (toDirectory) {
        if (options.name.find('/') != std::string::npos || options.name == "." ||
            options.name == "..") {
            ReportError(ui, 16, {options.name});
            return kConversionFailed;
        }
        target = JoinPcPath(destination.path, options.name);
    } else {
        target = ConversionTempFile(ui);
        if (target.empty()) {
            return kConversionFailed;
        }
    }
    if (SamePcFile(sourcePath, target)) {
        ReportError(ui, kMsgToItself);
        return kConversionFailed;
    }
    std::vector<uint8_t> pcData;
    if (!ReadWholeFile(sourcePath, pcData, ui)) {
        return kConversionFailed;
    }
    ui.SetProgressRange(
        static_cast<uint32_t>(pcData.size() > 0xFFFFFFFFu ? 0xFFFFFFFFu : pcData.size()));
    ui.SetProgressPosition(0);

    ReplacingFile out;
    if (!out.Open(target)) {
        ReportSystemError(ui, out.Error(), kMsgCantOpenWrite, {target});
        return kConversionFailed;
    }
    const std::string tiName = PcNameToTiName(options.name);
    TiFileImage image;
    if (!EncodeTiFile(pcData.data(), pcData.size(), options, tiName,
                      ProgramSettings().extractTiFiles, image) ||
        !out.Write(image.header, kHeaderSize) || !out.Write(image.data.data(), image.data.size())) {
        out.Abandon(false);
        ReportError(ui, kMsgCantWrite, {target});
        return kConversionFailed;
    }
    if (!out.Commit()) {
        ReportSystemError(ui, out.Error(), kMsgCantWrite, {target});
        return kConversionFailed;
    }
    ui.SetProgressPosition(
        static_cast<uint32_t>(pcData.size() > 0xFFFFFFFFu ? 0xFFFFFFFFu : pcData.size()));
    if (toDirectory) {
        return kConversionDone;
    }

    CatalogEntry converted;
    converted.pcName = options.name;
    converted.ti = image.descriptor;
    converted.ti.tiName = tiName;
    if (destination.kind == kLocDskImage || destination.kind == kLocCf7Volume) {
        FloppyTarget image;
        if (!ConversionImageTarget(destination, image)) {
            ReportError(ui, 49);
            return kConversionFailed;
        }
        AddFileResult added = AddFileToImage(image, converted, target, batch.image, ui);
        if (added == kAddStopped) {
            return kConversionStop;
        }
        return ui.LastMessage() != 0 ? kConversionFailed : kConversionDone;
    }
    if (destination.kind == kLocHdImage || destination.kind == kLocHdPartition) {
        ui.SetLastMessage(0);
        int result = CopyEntryToHd(ui, destination, source, converted, target, batch.hd);
        if (result == 2) {
            return kConversionStop;
        }
        return ui.LastMessage() != 0 ? kConversionFailed : kConversionDone;
    }
    ReportError(ui, 49);
    return kConversionFailed;
}

} // namespace kestrel
