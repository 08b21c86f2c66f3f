#include "drives/hd_recognizer.h"

#include "drives/partition_table.h"
#include "tifs/byte_order.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr size_t kTotalAusOffset = 10;
constexpr size_t kGeometryOffset = 12;
constexpr size_t kParametersOffset = 16;
constexpr size_t kFilesOffset = 22;
constexpr size_t kSubdirsOffset = 23;
constexpr size_t kFileIndexOffset = 24;
constexpr uint16_t kMaxAus = 0xF800;

} // namespace

bool DecodeHdVib(const uint8_t *s, HdVolumeInfo &info)
{
    info.name = CopyTiName(s);
    info.totalAus = GetWordBE(s, kTotalAusOffset);
    for (int i = 0; i < 4; ++i) {
        info.geometry[i] = s[kGeometryOffset + i];
    }
    info.parameters = GetWordBE(s, kParametersOffset);
    info.files = s[kFilesOffset];
    info.subdirectories = s[kSubdirsOffset];
    info.fileIndexAu = GetWordBE(s, kFileIndexOffset);
    info.sectorsPerAu = (info.parameters >> 12) + 1u;
    info.imageSize = info.sectorsPerAu * uint32_t(info.totalAus);
    return info.totalAus <= kMaxAus && info.files < 128 && info.subdirectories <= 114 &&
           info.sectorsPerAu * uint32_t(info.fileIndexAu) == 64;
}

int RecognizeHdImage(const uint8_t *sector0, bool fromFile, HdVolumeInfo &info)
{
    info = HdVolumeInfo();
    if (fromFile) {
        PartitionTable table;
        if (RecognizePartitionTable(sector0, table) == 12) {
            info.name = table.name;
            info.totalAus = 0xFFFF;
            info.imageSize = static_cast<uint32_t>(
                std::min<uint64_t>(uint64_t(table.totalBlocks) * 2, 0xFFFFFFFFu));
            return 12;
        }
    }
    return DecodeHdVib(sector0, info) ? 13 : 0;
}

bool RecognizeHdImageFile(const std::string &, const uint8_t *first256, uint64_t,
                          CatalogEntry &entry)
{
    HdVolumeInfo info;
    int kind = RecognizeHdImage(first256, true, info);
    if (kind == 0) {
        return false;
    }
    entry.ti.kind = static_cast<uint16_t>(kind);
    entry.ti.tiName = info.name;
    entry.ti.sectors = info.totalAus;
    entry.containerWords[2] = info.fileIndexAu;
    entry.containerWords[3] = static_cast<uint16_t>(info.sectorsPerAu);
    entry.imageSize = info.imageSize;
    return true;
}

} // namespace kestrel
