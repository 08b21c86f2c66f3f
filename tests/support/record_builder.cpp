#include "tests/support/record_builder.h"

#include <algorithm>
#include <cstdio>

#include "tifs/ti_file.h"

namespace kestrel::testing
{

namespace
{

constexpr size_t kSector = 256;

uint16_t SectorsFor(size_t bytes)
{
    return static_cast<uint16_t>((bytes + kSector - 1) / kSector);
}

uint16_t KindOf(uint8_t flags)
{
    switch (flags & kFlagTypeMask) {
    case 0x00:
        return kKindDisFix;
    case 0x80:
        return kKindDisVar;
    case 0x02:
        return kKindIntFix;
    case 0x82:
        return kKindIntVar;
    case 0x01:
        return kKindProgram;
    default:
        return kKindUnknown;
    }
}

} // namespace

std::vector<uint8_t> TifilesHeader(const RecordFileSpec &fileSpec)
{
    std::vector<uint8_t> h(128, 0);
    const char magic[] = "\x07TIFILES";
    std::copy(magic, magic + 8, h.begin());
    h[8] = static_cast<uint8_t>(fileSpec.sectors >> 8);
    h[9] = static_cast<uint8_t>(fileSpec.sectors);
    h[10] = fileSpec.flags;
    h[11] = fileSpec.recordsPerSector;
    h[12] = fileSpec.eofOffset;
    h[13] = fileSpec.recordLength;
    h[14] = static_cast<uint8_t>(fileSpec.level3);
    h[15] = static_cast<uint8_t>(fileSpec.level3 >> 8);
    for (size_t i = 16; i < 128; i += 2) {
        h[i] = 0xCA;
        h[i + 1] = 0x53;
    }
    if (!fileSpec.name.empty()) {
        for (size_t i = 0; i < 10; ++i) {
            h[16 + i] = i < fileSpec.name.size() ? static_cast<uint8_t>(fileSpec.name[i]) : ' ';
        }
    }
    return h;
}

std::vector<uint8_t> TiFileData::Bytes() const
{
    std::vector<uint8_t> bytes = TifilesHeader(fileSpec);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

CatalogEntry TiFileData::Entry(const std::string &pcName) const
{
    CatalogEntry e;
    e.pcName = pcName;
    std::string tiName = fileSpec.name.empty() ? pcName.substr(0, 10) : fileSpec.name;
    tiName.resize(10, ' ');
    e.ti.tiName = tiName;
    e.ti.flags = fileSpec.flags;
    e.ti.kind = KindOf(fileSpec.flags);
    e.ti.sectors = fileSpec.sectors;
    e.ti.recordLength = fileSpec.recordLength;
    e.ti.recordsPerSector = fileSpec.recordsPerSector;
    e.ti.eofOffset = fileSpec.eofOffset;
    e.ti.level3Count = fileSpec.level3;
    e.ti.headerKind = kHeaderTifiles;
    if (e.ti.kind == kKindProgram) {
        unsigned size = fileSpec.sectors * 256u;
        if (fileSpec.eofOffset != 0 && size >= 256) {
            size = size - 256 + fileSpec.eofOffset;
        }
        e.ti.recordLength = static_cast<uint16_t>(size);
    }
    return e;
}

TiFileData FixedRecordFile(bool internal, uint8_t recordLength,
                           const std::vector<std::string> &records)
{
    TiFileData f;
    f.fileSpec.flags = internal ? kFlagInternal : 0;
    f.fileSpec.recordLength = recordLength;
    f.fileSpec.recordsPerSector = static_cast<uint8_t>(std::min<size_t>(255, kSector / recordLength));
    f.fileSpec.level3 = static_cast<uint16_t>(records.size());
    const size_t perSector = f.fileSpec.recordsPerSector;
    const size_t sectors = (records.size() + perSector - 1) / perSector;
    f.data.assign(sectors * kSector, 0);
    for (size_t r = 0; r < records.size(); ++r) {
        const size_t at = (r / perSector) * kSector + (r % perSector) * recordLength;
        for (size_t i = 0; i < recordLength; ++i) {
            f.data[at + i] =
                i < records[r].size() ? static_cast<uint8_t>(records[r][i]) : (internal ? 0 : ' ');
        }
    }
    f.fileSpec.sectors = static_cast<uint16_t>(sectors);
    const size_t inLast = records.size() % perSector;
    f.fileSpec.eofOffset = static_cast<uint8_t>(inLast * recordLength);
    return f;
}

TiFileData VariableRecordFile(bool internal, uint8_t recordLength,
                              const std::vector<std::string> &records)
{
    TiFileData f;
    f.fileSpec.flags = static_cast<uint8_t>(kFlagVariable | (internal ? kFlagInternal : 0));
    f.fileSpec.recordLength = recordLength;
    f.fileSpec.recordsPerSector = static_cast<uint8_t>(255 / (recordLength + 1));
    std::vector<uint8_t> sector;
    auto close = [&] {
        f.fileSpec.eofOffset = static_cast<uint8_t>(sector.size());
        sector.push_back(0xFF);
        sector.resize(kSector, 0);
        f.data.insert(f.data.end(), sector.begin(), sector.end());
        sector.clear();
    };
    for (const std::string &record : records) {
        const size_t n = std::min<size_t>(record.size(), recordLength);
        if (sector.size() + 1 + n + 1 > kSector) {
            close();
        }
        sector.push_back(static_cast<uint8_t>(n));
        sector.insert(sector.end(), record.begin(),
                      record.begin() + static_cast<std::ptrdiff_t>(n));
    }
    if (!sector.empty() || f.data.empty()) {
        close();
    }
    f.fileSpec.sectors = SectorsFor(f.data.size());
    f.fileSpec.level3 = f.fileSpec.sectors;
    return f;
}

TiFileData ForthScreenFile(const std::vector<std::vector<std::string>> &screens,
                           unsigned extraSectors)
{
    TiFileData f;
    f.fileSpec.flags = 0;
    f.fileSpec.recordLength = 128;
    f.fileSpec.recordsPerSector = 2;
    for (const auto &screen : screens) {
        std::vector<uint8_t> block(1024, ' ');
        for (size_t l = 0; l < screen.size() && l < 16; ++l) {
            for (size_t i = 0; i < screen[l].size() && i < 64; ++i) {
                block[l * 64 + i] = static_cast<uint8_t>(screen[l][i]);
            }
        }
        f.data.insert(f.data.end(), block.begin(), block.end());
    }
    f.data.resize(f.data.size() + extraSectors * kSector, ' ');
    f.fileSpec.sectors = SectorsFor(f.data.size());
    f.fileSpec.level3 = static_cast<uint16_t>(f.fileSpec.sectors * 2);
    return f;
}

TiFileData ProgramTiFile(const std::vector<uint8_t> &programData)
{
    TiFileData f;
    f.fileSpec.flags = kFlagProgram;
    f.fileSpec.sectors = SectorsFor(programData.size());
    f.fileSpec.eofOffset = static_cast<uint8_t>(programData.size() % kSector);
    f.data = programData;
    f.data.resize(f.fileSpec.sectors * kSector, 0);
    return f;
}

TiFileData LongProgramTiFile(const std::vector<uint8_t> &sectors)
{
    TiFileData f;
    f.fileSpec.flags = kFlagInternal | kFlagVariable;
    f.fileSpec.recordLength = 254;
    f.fileSpec.recordsPerSector = 1;
    f.fileSpec.sectors = SectorsFor(sectors.size());
    f.fileSpec.level3 = f.fileSpec.sectors;
    f.data = sectors;
    return f;
}

TiFileData MergeTiFile(const std::vector<uint8_t> &sectors)
{
    TiFileData f;
    f.fileSpec.flags = kFlagVariable;
    f.fileSpec.recordLength = 163;
    f.fileSpec.recordsPerSector = 1;
    f.fileSpec.sectors = SectorsFor(sectors.size());
    f.fileSpec.level3 = f.fileSpec.sectors;
    f.data = sectors;
    return f;
}

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

} // namespace kestrel::testing
