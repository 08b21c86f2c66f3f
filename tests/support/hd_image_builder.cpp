#include "tests/support/hd_image_builder.h"

#include "tifs/byte_order.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

namespace kestrel::testing
{

namespace
{

constexpr uint32_t kBitmapAus = 31 * 2048;

int CompareUpper(const uint8_t *a, const std::string &b)
{
    for (int i = 0; i < 10; ++i) {
        const int x = std::toupper(a[i]);
        const int y = std::toupper(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

void SetBit(uint8_t *image, uint32_t volumeBase, uint32_t au, bool used)
{
    uint8_t *sector = image + (volumeBase + 1 + au / 2048) * 256;
    const uint8_t mask = static_cast<uint8_t>(0x80 >> (au % 8));
    uint8_t &byte = sector[(au % 2048) / 8];
    byte = used ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

} // namespace

std::string PaddedTiName(const std::string &name)
{
    std::string padded = name.substr(0, 10);
    padded.resize(10, ' ');
    return padded;
}

unsigned DefaultSectorsPerAu(uint32_t sectors)
{
    const uint32_t q = (sectors + 0xF7FF) / 0xF800;
    if (q <= 1)
        return 1;
    if (q == 2)
        return 2;
    if (q <= 4)
        return 4;
    if (q <= 8)
        return 8;
    return 16;
}

void FormatHdVolume(std::vector<uint8_t> &image, uint32_t firstSector, const HdVolumeLayout &layout)
{
    const unsigned spa =
        layout.sectorsPerAu ? layout.sectorsPerAu : DefaultSectorsPerAu(layout.sectors);
    // The system area is written even for a volume too small to hold it.
    const uint32_t systemSectors = 64 + spa;
    const size_t end =
        (static_cast<size_t>(firstSector) + std::max(layout.sectors, systemSectors)) * 256;
    if (image.size() < end)
        image.resize(end, 0);
    const uint32_t totalAus = std::min<uint32_t>(layout.sectors / spa, 0xFFFF);
    uint8_t *volume = image.data() + static_cast<size_t>(firstSector) * 256;
    std::memset(volume, 0, systemSectors * 256);
    const std::string label = PaddedTiName(layout.label);
    std::memcpy(volume, label.data(), 10);
    PutWordBE(volume, 10, static_cast<uint16_t>(totalAus));
    volume[13] = 100;
    PutWordBE(volume, 16, static_cast<uint16_t>((spa - 1) * 4096));
    PutWordBE(volume, 24, static_cast<uint16_t>(layout.initialized ? 64 / spa : 0x0101));
    for (uint32_t sector = 0; sector < systemSectors; ++sector)
        SetBit(image.data(), firstSector, sector / spa, true);
    for (uint32_t au = totalAus; au < kBitmapAus; ++au)
        SetBit(image.data(), firstSector, au, true);
    std::memcpy(volume + 32 * 256, volume, 32 * 256);
}

std::vector<uint8_t> MakeHdImage(const HdVolumeLayout &layout)
{
    std::vector<uint8_t> image;
    FormatHdVolume(image, 0, layout);
    return image;
}

void WritePartitionTable(std::vector<uint8_t> &image,
                         const std::vector<std::pair<uint32_t, uint32_t>> &entries,
                         uint32_t totalBlocks)
{
    if (image.size() < 512)
        image.resize(512, 0);
    uint8_t *table = image.data();
    std::memset(table, 0, 512);
    std::memcpy(table, "*TI99FSPT*", 10);
    table[10] = 0xFF;
    table[11] = 0xFF;
    table[14] = 'P';
    table[15] = 'T';
    PutLongBE(table, 20, totalBlocks);
    for (size_t k = 0; k < entries.size() && k < 4; ++k) {
        PutLongBE(table, 24 + 8 * k, entries[k].first);
        PutLongBE(table, 28 + 8 * k, entries[k].second);
    }
    table[254] = 0x5A;
    table[255] = 0xA5;
}

std::vector<uint8_t> MakePartitionedHdImage(const std::vector<HdVolumeLayout> &volumes)
{
    std::vector<uint8_t> image(512, 0);
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    uint32_t sector = 2;
    for (const HdVolumeLayout &layout : volumes) {
        FormatHdVolume(image, sector, layout);
        entries.emplace_back(sector / 2, layout.sectors / 2);
        sector += layout.sectors;
    }
    WritePartitionTable(image, entries, sector / 2);
    return image;
}

bool WriteHdImageFile(const std::string &path, const std::vector<uint8_t> &image)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(image.data()),
              static_cast<std::streamsize>(image.size()));
    return static_cast<bool>(out);
}

std::vector<uint8_t> ReadHdImageFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

HdVolumeView::HdVolumeView(std::vector<uint8_t> &image, uint32_t firstSector)
    : m_image(image), m_first(firstSector)
{
}

uint8_t *HdVolumeView::Sector(uint32_t volumeSector)
{
    const size_t offset = (static_cast<size_t>(m_first) + volumeSector) * 256;
    return offset + 256 <= m_image.size() ? m_image.data() + offset : nullptr;
}

unsigned HdVolumeView::SectorsPerAu() const
{
    return (m_image[static_cast<size_t>(m_first) * 256 + 16] >> 4) + 1u;
}

uint16_t HdVolumeView::TotalAus() const
{
    return GetWordBE(m_image.data(), static_cast<size_t>(m_first) * 256 + 10);
}

bool HdVolumeView::AuUsed(uint32_t au) const
{
    const size_t offset = (static_cast<size_t>(m_first) + 1 + au / 2048) * 256 + (au % 2048) / 8;
    return (m_image[offset] & (0x80 >> (au % 8))) != 0;
}

void HdVolumeView::SetAuUsed(uint32_t au, bool used)
{
    SetBit(m_image.data(), m_first, au, used);
}

void HdVolumeView::SetAusUsed(uint32_t first, uint32_t count, bool used)
{
    for (uint32_t au = first; au < first + count; ++au)
        SetAuUsed(au, used);
}

uint32_t HdVolumeView::FreeAus() const
{
    uint32_t count = 0;
    const uint32_t limit = std::min<uint32_t>(TotalAus(), kBitmapAus);
    for (uint32_t au = 0; au < limit; ++au)
        count += AuUsed(au) ? 0 : 1;
    return count;
}

uint8_t *HdVolumeView::DirectoryRecord(uint16_t dirAu)
{
    return dirAu == 0 ? Sector(0) : Au(dirAu);
}

uint8_t *HdVolumeView::FileIndex(uint16_t dirAu)
{
    return Au(GetWordBE(DirectoryRecord(dirAu), 24));
}

void HdVolumeView::AddFile(uint16_t dirAu, uint16_t fdrAu, const std::string &name, uint8_t flags,
                           uint8_t recordLength, uint8_t recordsPerSector, uint16_t sectors,
                           uint8_t endOfFile, uint16_t level3, const std::vector<HdChainRun> &chain,
                           const std::vector<uint8_t> &data)
{
    uint8_t *record = DirectoryRecord(dirAu);
    const uint16_t indexAu = GetWordBE(record, 24);
    uint8_t *fdr = Au(fdrAu);
    std::memset(fdr, 0, 256);
    const std::string padded = PaddedTiName(name);
    std::memcpy(fdr, padded.data(), 10);
    fdr[12] = flags;
    fdr[13] = recordsPerSector;
    PutWordBE(fdr, 14, sectors);
    fdr[16] = endOfFile;
    fdr[17] = recordLength;
    PutWordLE(fdr, 18, level3);
    fdr[28] = 'F';
    fdr[29] = 'I';
    PutWordBE(fdr, 36, indexAu);
    SetAuUsed(fdrAu, true);
    uint32_t allocated = 0;
    size_t written = 0;
    const unsigned spa = SectorsPerAu();
    for (size_t k = 0; k < chain.size() && k < 54; ++k) {
        PutWordBE(fdr, 40 + 4 * k, chain[k].first);
        PutWordBE(fdr, 42 + 4 * k, chain[k].last);
        for (uint32_t au = chain[k].first; au <= chain[k].last && au < kBitmapAus; ++au) {
            SetAuUsed(au, true);
            ++allocated;
            for (unsigned s = 0; s < spa && written < data.size(); ++s) {
                uint8_t *sector = Sector(au * spa + s);
                if (!sector)
                    break;
                const size_t chunk = std::min<size_t>(256, data.size() - written);
                std::memcpy(sector, data.data() + written, chunk);
                written += chunk;
            }
        }
    }
    PutWordBE(fdr, 34, static_cast<uint16_t>(allocated));

    uint8_t *index = Au(indexAu);
    const int count = record[22];
    int position = 0;
    while (position < count && CompareUpper(Au(GetWordBE(index, 2 * position)), padded) < 0)
        ++position;
    for (int k = count; k > position; --k)
        PutWordBE(index, 2 * k, GetWordBE(index, 2 * (k - 1)));
    PutWordBE(index, 2 * position, fdrAu);
    record[22] = static_cast<uint8_t>(count + 1);
}

void HdVolumeView::AddProgram(uint16_t dirAu, uint16_t fdrAu, const std::string &name,
                              uint16_t firstDataAu, const std::vector<uint8_t> &bytes)
{
    const unsigned spa = SectorsPerAu();
    const uint16_t sectors = static_cast<uint16_t>((bytes.size() + 255) / 256);
    std::vector<HdChainRun> chain;
    if (sectors > 0) {
        const uint16_t aus = static_cast<uint16_t>((sectors + spa - 1) / spa);
        chain.push_back({firstDataAu, static_cast<uint16_t>(firstDataAu + aus - 1)});
    }
    AddFile(dirAu, fdrAu, name, 0x01, 0, 0, sectors, static_cast<uint8_t>(bytes.size() % 256), 0,
            chain, bytes);
}

void HdVolumeView::AddSubdirectory(uint16_t parentAu, uint16_t ddrAu, uint16_t fileIndexAu,
                                   const std::string &name)
{
    uint8_t *record = DirectoryRecord(parentAu);
    uint8_t *ddr = Au(ddrAu);
    std::memset(ddr, 0, 256);
    const std::string padded = PaddedTiName(name);
    std::memcpy(ddr, padded.data(), 10);
    PutWordBE(ddr, 10, TotalAus());
    std::memcpy(ddr + 13, "DIR", 3);
    PutWordBE(ddr, 24, fileIndexAu);
    PutWordBE(ddr, 26, parentAu);
    std::memset(Au(fileIndexAu), 0, 256);
    SetAuUsed(ddrAu, true);
    SetAuUsed(fileIndexAu, true);
    const int count = record[23];
    int position = 0;
    while (position < count && CompareUpper(Au(GetWordBE(record, 28 + 2 * position)), padded) < 0)
        ++position;
    for (int k = count; k > position; --k)
        PutWordBE(record, 28 + 2 * k, GetWordBE(record, 28 + 2 * (k - 1)));
    PutWordBE(record, 28 + 2 * position, ddrAu);
    record[23] = static_cast<uint8_t>(count + 1);
}

std::vector<uint32_t> HdVolumeView::FileAus(uint16_t fdrAu)
{
    std::vector<uint32_t> aus{fdrAu};
    const uint8_t *fdr = Au(fdrAu);
    for (int k = 0; k < 54; ++k) {
        const uint16_t first = GetWordBE(fdr, 40 + 4 * k);
        const uint16_t last = GetWordBE(fdr, 42 + 4 * k);
        if (first == 0 || last < first)
            break;
        for (uint32_t au = first; au <= last; ++au)
            aus.push_back(au);
    }
    return aus;
}

} // namespace kestrel::testing
