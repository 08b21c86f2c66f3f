#include "tests/support/arc_writer.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "tifs/byte_order.h"
#include "tifs/ti_header.h"

namespace kestrel::testing
{

namespace
{

constexpr size_t kRecordSize = 18;
constexpr size_t kRecordsPerBlock = 14;

class BitWriter
{
public:
    void Put(unsigned code, unsigned width)
    {
        for (unsigned bit = width; bit-- > 0;) {
            m_current = static_cast<uint8_t>((m_current << 1) | ((code >> bit) & 1));
            if (++m_bits == 8) {
                m_bytes.push_back(m_current);
                m_current = 0;
                m_bits = 0;
            }
        }
    }
    std::vector<uint8_t> Finish()
    {
        if (m_bits > 0) {
            m_bytes.push_back(static_cast<uint8_t>(m_current << (8 - m_bits)));
        }
        m_bytes.resize((m_bytes.size() + kSectorSize - 1) / kSectorSize * kSectorSize, 0);
        return m_bytes;
    }

private:
    std::vector<uint8_t> m_bytes;
    uint8_t m_current = 0;
    unsigned m_bits = 0;
};

} // namespace

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
    std::memset(record, 0, kRecordSize);
    std::string name = PadTiName(ti.tiName);
    std::memcpy(record, name.data(), 10);
    record[10] = static_cast<uint8_t>(ti.flags);
    record[11] = ti.recordsPerSector;
    PutWordBE(record, 12, ti.sectors);
    record[14] = ti.eofOffset;
    bool program = (ti.flags & kFlagTypeMask) == kFlagProgram;
    record[15] = program ? 0 : static_cast<uint8_t>(ti.recordLength);
    if (compressed) {
        PutWordLE(record, 16, ti.level3Count);
    } else {
        PutWordBE(record, 16, ti.level3Count);
    }
}

std::vector<uint8_t> ArcPlainSectors(const std::vector<ArcMember> &members, bool compressed)
{
    size_t blocks =
        members.empty() ? 1 : (members.size() + kRecordsPerBlock - 1) / kRecordsPerBlock;
    std::vector<uint8_t> out(blocks * kSectorSize, 0);
    for (size_t i = 0; i < members.size(); ++i) {
        size_t block = i / kRecordsPerBlock;
        size_t slot = i % kRecordsPerBlock;
        EncodeArcRecord(members[i].ti, compressed,
                        out.data() + block * kSectorSize + slot * kRecordSize);
    }
    std::memcpy(out.data() + (blocks - 1) * kSectorSize + 252, "END!", 4);
    for (const ArcMember &member : members) {
        out.insert(out.end(), member.data.begin(), member.data.end());
    }
    return out;
}

std::vector<uint8_t> LzwCompress(const std::vector<uint8_t> &data, LzwOptions options)
{
    constexpr unsigned kClear = 256, kEnd = 257, kFirst = 258, kTable = 4096;
    BitWriter bits;
    std::map<uint32_t, uint16_t> table; // (prefix << 8 | byte) -> code
    unsigned width = 9;
    unsigned nextFree = kFirst;
    bits.Put(kClear, width);
    // The decompressor defines a code one step after the compressor does,
    // so the compressor widens one code later than its own table grows.
    auto grow = [&]() {
        if (nextFree < kTable) {
            ++nextFree;
        }
        if (nextFree - 1 == (1u << width) && width < 12) {
            ++width;
        }
    };
    if (data.empty()) {
        bits.Put(kEnd, width);
        return bits.Finish();
    }
    unsigned w = data[0];
    for (size_t i = 1; i < data.size(); ++i) {
        uint8_t c = data[i];
        uint32_t key = (static_cast<uint32_t>(w) << 8) | c;
        auto it = table.find(key);
        if (it != table.end()) {
            w = it->second;
            continue;
        }
        bits.Put(w, width);
        if (nextFree < kTable) {
            table[key] = static_cast<uint16_t>(nextFree);
        }
        grow();
        if (nextFree == kTable && options.clearWhenFull) {
            bits.Put(kClear, width);
            table.clear();
            width = 9;
            nextFree = kFirst;
        }
        w = c;
    }
    bits.Put(w, width);
    grow();
    bits.Put(kEnd, width);
    return bits.Finish();
}

std::vector<uint8_t> BuildArcSectors(const std::vector<ArcMember> &members, bool compressed,
                                     LzwOptions options)
{
    std::vector<uint8_t> plain = ArcPlainSectors(members, compressed);
    return compressed ? LzwCompress(plain, options) : plain;
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
