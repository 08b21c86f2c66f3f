#include "tifs/arc/archive_directory.h"

#include <algorithm>
#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/ti_header.h"

namespace kestrel
{

bool HasEndMark(const uint8_t *block)
{
    return std::memcmp(block + kArcEndMarkOffset, kArcEndMark, sizeof kArcEndMark) == 0;
}

TiFileDescriptor DecodeArchiveRecord(const uint8_t *record, bool compressed)
{
    TiFileDescriptor d;
    d.tiName = CopyTiName(record + arcrec::kName);
    d.flags = record[arcrec::kFlags];
    d.recordsPerSector = record[arcrec::kRecordsPerSector];
    d.sectors = GetWordBE(record, arcrec::kSectors);
    d.eofOffset = record[arcrec::kEofOffset];
    d.recordLength = record[arcrec::kRecordLength];
    d.level3Count =
        compressed ? GetWordLE(record, arcrec::kLevel3) : GetWordBE(record, arcrec::kLevel3);
    d.headerKind = kHeaderV9t9;
    DecodeFileType(d);
    return d;
}

ArchiveDirectory ParseUncompressedDirectory(const uint8_t *data, size_t length)
{
    ArchiveDirectory directory;
    size_t blocks = std::min(length / kSectorSize, kArcMaxDirectoryBlocks);
    for (size_t b = 0; b < blocks; ++b) {
        const uint8_t *block = data + b * kSectorSize;
        directory.blocks = b + 1;
        for (size_t r = 0; r < kArcRecordsPerBlock; ++r) {
            const uint8_t *record = block + r * arcrec::kSize;
            if (directory.members.size() >= kArcMaxMembers || (record[0] == 0 && record[1] == 0)) {
                directory.endMark = HasEndMark(block);
                return directory;
            }
            directory.members.push_back(DecodeArchiveRecord(record, false));
        }
        if (HasEndMark(block)) {
            directory.endMark = true;
            break;
        }
    }
    return directory;
}

bool CompressedDirectoryCollector::AddBlock(const uint8_t *block)
{
    if (m_complete) {
        return true;
    }
    size_t take = std::min(kArcRecordBytesPerBlock, kArcDirectoryBytes - m_stored);
    std::memcpy(m_records + m_stored, block, take);
    m_stored += take;
    ++m_blocks;
    if (HasEndMark(block) || m_blocks >= kArcMaxDirectoryBlocks) {
        m_complete = true;
    }
    return m_complete;
}

ArchiveDirectory CompressedDirectoryCollector::Directory() const
{
    ArchiveDirectory directory;
    directory.blocks = m_blocks;
    for (size_t pos = 0; pos + arcrec::kSize <= m_stored; pos += arcrec::kSize) {
        if (m_records[pos] == 0) {
            break;
        }
        directory.members.push_back(DecodeArchiveRecord(m_records + pos, true));
    }
    return directory;
}

} // namespace kestrel
