#include "tests/support/arc_writer.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "tifs/byte_order.h"
#include "tifs/ti_header.h"

namespace kestrel::testing
{

ArcMember ArcMemberFrom(const std::string &tiName, uint8_t flags, uint8_t recordLength,
                        uint8_t recordsPerSector, uint8_t eofOffset, uint16_t level3,
                        std::vector<uint8_t> data)
{
    ArcMember member;
    member.data = std::move(data);
    member.data.resize((member.data.size() + kSectorSize - 1) / kSectorSize * kSectorSize, 0);
    member.ti.tiName = PadTiName(tiName);
    member.ti.flags = flags;
    member.ti.recordLength = recordLength;
    member.ti.recordsPerSector = recordsPerSector;
    member.ti.eofOffset = eofOffset;
    member.ti.level3Count = level3;
    member.ti.sectors = static_cast<uint16_t>(member.data.size() / kSectorSize);
    return member;
}

bool ReadTiFileMember(const std::string &path, ArcMember &member)
{
    std::vector<uint8_t> bytes;
    if (!ReadArcTestFile(path, bytes) || bytes.size() < kHeaderSize) {
        return false;
    }
    std::string name = path.substr(path.find_last_of('/') + 1);
    TiFileDescriptor d;
    if (!DecodeHeader(bytes.data(), name, false, d)) {
        return false;
    }
    member.ti = d;
    if ((d.flags & kFlagTypeMask) == kFlagProgram) {
        member.ti.recordLength = 0;
    }
    member.ti.tiName = PadTiName(d.tiName);
    member.data.assign(bytes.begin() + kHeaderSize, bytes.end());
    member.data.resize(size_t{d.sectors} * kSectorSize, 0);
    return true;
}

void EncodeArcRecord(const TiFileDescriptor &ti, bool compressed, uint8_t *record)
{
    EncodeArchiveRecord(ti, compressed, record);
}

std::vector<uint8_t> ArcPlainSectors(const std::vector<ArcMember> &members, bool compressed)
{
    return ArchivePlainSectors(members, compressed);
}

std::vector<uint8_t> BuildArcSectors(const std::vector<ArcMember> &members, bool compressed,
                                     LzwOptions options)
{
    // Tests build archives beyond what the program would write (more than
    // 127 members, for the reader's limits), so no limit applies here.
    std::vector<uint8_t> plain = ArchivePlainSectors(members, compressed);
    return compressed ? kestrel::LzwCompress(plain.data(), plain.size(), options) : plain;
}

std::vector<uint8_t> TiFileBytes(uint8_t flags, uint8_t recordLength, uint8_t recordsPerSector,
                                 uint16_t level3, const std::vector<uint8_t> &data,
                                 uint8_t eofOffset)
{
    TiFileDescriptor d;
    d.flags = flags;
    d.recordLength = recordLength;
    d.recordsPerSector = recordsPerSector;
    d.level3Count = level3;
    d.eofOffset = eofOffset;
    d.sectors = static_cast<uint16_t>((data.size() + kSectorSize - 1) / kSectorSize);
    std::vector<uint8_t> bytes(kHeaderSize);
    MakeTifilesHeader(d, bytes.data());
    bytes.insert(bytes.end(), data.begin(), data.end());
    bytes.resize(kHeaderSize + size_t{d.sectors} * kSectorSize, 0);
    return bytes;
}

std::vector<uint8_t> ArcFileBytes(const std::vector<uint8_t> &sectors, bool compressed)
{
    uint16_t count = static_cast<uint16_t>(sectors.size() / kSectorSize);
    return TiFileBytes(compressed ? kFlagInternal : 0, 128, 2, static_cast<uint16_t>(count * 2),
                       sectors);
}

bool WriteArcTestFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool ReadArcTestFile(const std::string &path, std::vector<uint8_t> &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace kestrel::testing
