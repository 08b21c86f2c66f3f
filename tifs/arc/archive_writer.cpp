#include "tifs/arc/archive_writer.h"

#include <cstring>
#include <string>

#include "tifs/arc/archive_directory.h"
#include "tifs/byte_order.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr uint8_t kArchiveRecordLength = 128;
constexpr uint8_t kArchiveRecordsPerSector = 2;

size_t DirectoryBlocks(size_t members)
{
    return members == 0 ? 1 : (members + kArcRecordsPerBlock - 1) / kArcRecordsPerBlock;
}

} // namespace

void EncodeArchiveRecord(const TiFileDescriptor &member, bool compressed, uint8_t *record)
{
    std::memset(record, 0, arcrec::kSize);
    const std::string name = PadTiName(member.tiName);
    std::memcpy(record + arcrec::kName, name.data(), 10);
    record[arcrec::kFlags] = static_cast<uint8_t>(member.flags);
    record[arcrec::kRecordsPerSector] = member.recordsPerSector;
    PutWordBE(record, arcrec::kSectors, member.sectors);
    record[arcrec::kEofOffset] = member.eofOffset;
    const bool program = (member.flags & kFlagTypeMask) == kFlagProgram;
    record[arcrec::kRecordLength] = program ? 0 : static_cast<uint8_t>(member.recordLength);
    if (compressed) {
        PutWordLE(record, arcrec::kLevel3, member.level3Count);
    } else {
        PutWordBE(record, arcrec::kLevel3, member.level3Count);
    }
}

std::vector<uint8_t> ArchivePlainSectors(const std::vector<ArcMember> &members, bool compressed)
{
    const size_t blocks = DirectoryBlocks(members.size());
    size_t total = blocks * kSectorSize;
    for (const ArcMember &member : members) {
        total += size_t{member.ti.sectors} * kSectorSize;
    }
    std::vector<uint8_t> out(blocks * kSectorSize, 0);
    out.reserve(total);
    for (size_t i = 0; i < members.size(); ++i) {
        uint8_t *block = out.data() + (i / kArcRecordsPerBlock) * kSectorSize;
        EncodeArchiveRecord(members[i].ti, compressed,
                            block + (i % kArcRecordsPerBlock) * arcrec::kSize);
    }
    std::memcpy(out.data() + (blocks - 1) * kSectorSize + kArcEndMarkOffset, kArcEndMark,
                sizeof kArcEndMark);
    for (const ArcMember &member : members) {
        // The directory promises ti.sectors sectors: exactly that many go in,
        // so that every later member starts where the reader looks for it.
        const size_t bytes = size_t{member.ti.sectors} * kSectorSize;
        const size_t have = member.data.size() < bytes ? member.data.size() : bytes;
        out.insert(out.end(), member.data.begin(), member.data.begin() + have);
        out.resize(out.size() + (bytes - have), 0);
    }
    return out;
}

ArchiveBuild BuildArchiveSectors(const std::vector<ArcMember> &members, bool compressed,
                                 std::vector<uint8_t> &sectors, LzwEncodeOptions options)
{
    sectors.clear();
    if (members.size() > kArcMaxMembers) {
        return ArchiveBuild::TooManyMembers;
    }
    size_t plainSectors = DirectoryBlocks(members.size());
    for (const ArcMember &member : members) {
        plainSectors += member.ti.sectors;
    }
    if (!compressed && plainSectors > kArcMaxSectors) {
        return ArchiveBuild::TooLarge;
    }
    std::vector<uint8_t> plain = ArchivePlainSectors(members, compressed);
    if (!compressed) {
        sectors = std::move(plain);
        return ArchiveBuild::Done;
    }
    std::vector<uint8_t> stream = LzwCompress(plain, options);
    if (stream.size() / kSectorSize > kArcMaxSectors) {
        return ArchiveBuild::TooLarge;
    }
    sectors = std::move(stream);
    return ArchiveBuild::Done;
}

TiFileDescriptor ArchiveFileDescriptor(const std::string &tiName, size_t sectors, bool compressed)
{
    TiFileDescriptor d;
    d.tiName = PadTiName(tiName);
    d.flags = compressed ? kFlagInternal : 0;
    d.kind = compressed ? kKindIntFix : kKindDisFix;
    d.recordLength = kArchiveRecordLength;
    d.recordsPerSector = kArchiveRecordsPerSector;
    d.sectors = static_cast<uint16_t>(sectors);
    d.level3Count = static_cast<uint16_t>(sectors * kArchiveRecordsPerSector);
    d.eofOffset = 0;
    d.headerKind = kHeaderTifiles;
    return d;
}

} // namespace kestrel
