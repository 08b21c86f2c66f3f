#include "tifs/ti_header.h"

#include <cstring>

#include "tifs/byte_order.h"

namespace kestrel
{

namespace
{

constexpr size_t kNameLength = 10;
constexpr uint8_t kFillerHigh = 0xCA;
constexpr uint8_t kFillerLow = 0x53;
const char kNoName[] = "no_name!! ";

// The cleaning rule shared by header names and PC names: after the first
// space everything is a space, unprintable bytes and dots become spaces.
// fromPcName clears the top bit of every byte; header bytes only lose it
// when bit 6 or bit 4 is set.
std::string CleanName(const uint8_t *source, size_t available, bool fromPcName)
{
    std::string name(kNameLength, ' ');
    bool blank = false;
    for (size_t i = 0; i < kNameLength; ++i) {
        if (blank) {
            continue;
        }
        unsigned char c = i < available ? source[i] : 0;
        if (fromPcName) {
            c &= 0x7F;
        } else if (c & 0x50) {
            c &= 0x7F;
        }
        if (!IsPrintable(c) || c == '.') {
            c = ' ';
        }
        name[i] = static_cast<char>(c);
        if (c == ' ') {
            blank = true;
        }
    }
    return name;
}

bool V9t9NameIsValid(const uint8_t *buffer)
{
    size_t last = kNameLength;
    for (size_t i = 0; i < kNameLength; ++i) {
        if (buffer[i] == 0) {
            return false;
        }
        if (!IsSpaceChar(buffer[i])) {
            last = i;
        }
    }
    if (last == kNameLength) {
        return true; // all blank: shown as "no_name!! "
    }
    for (size_t i = 0; i <= last; ++i) {
        unsigned char c = buffer[i];
        if (!IsPrintable(c) || IsSpaceChar(c) || c == '.') {
            return false;
        }
    }
    return true;
}

void FillTifilesFiller(uint8_t *header)
{
    for (size_t i = tifiles::kName; i + 1 < kHeaderSize; i += 2) {
        header[i] = kFillerHigh;
        header[i + 1] = kFillerLow;
    }
}

const char kTifilesMagic[8] = {0x07, 'T', 'I', 'F', 'I', 'L', 'E', 'S'};

} // namespace

bool HasTifilesMagic(const uint8_t *buffer)
{
    return std::memcmp(buffer, kTifilesMagic, sizeof kTifilesMagic) == 0;
}

std::string CopyTiName(const uint8_t *buffer)
{
    if (buffer[0] == ' ') {
        return kNoName;
    }
    return std::string(reinterpret_cast<const char *>(buffer), kNameLength);
}

std::string FdrDescription(const uint8_t *fdr)
{
    const size_t guard = fdr::kDescriptionGuard;
    if (fdr[guard] != 0 || fdr[guard + 1] != 0 || fdr[guard + 2] != 0 ||
        !IsPrintableNonBlank(fdr[fdr::kDescription])) {
        return {};
    }
    std::string text;
    for (size_t i = fdr::kDescription; i < kSectorSize && fdr[i] != 0; ++i) {
        unsigned char c = fdr[i];
        text.push_back(IsPrintableNonBlank(c) || c == ' ' ? static_cast<char>(c) : '.');
    }
    return text;
}

void DecodeFileType(TiFileDescriptor &d)
{
    switch (d.flags & kFlagTypeMask) {
    case 0x00:
        d.kind = kKindDisFix;
        break;
    case 0x80:
        d.kind = kKindDisVar;
        break;
    case 0x02:
        d.kind = kKindIntFix;
        break;
    case 0x82:
        d.kind = kKindIntVar;
        break;
    case 0x01:
        d.kind = kKindProgram;
        break;
    default:
        d.kind = kKindUnknown;
        break;
    }
    if (d.kind == kKindProgram) {
        d.recordLength = ProgramSize(d.sectors, d.eofOffset);
    }
}

uint16_t ProgramSize(uint16_t sectors, uint8_t eofOffset)
{
    uint16_t size = static_cast<uint16_t>(sectors * 256u);
    if (eofOffset != 0) {
        if (size >= 256) {
            size = static_cast<uint16_t>(size - 256);
        }
        size = static_cast<uint16_t>(size + eofOffset);
    }
    return size;
}

bool DecodeHeader(const uint8_t *buffer, const std::string &pcName, bool withDescription,
                  TiFileDescriptor &d)
{
    d.tiName = CopyTiName(buffer);
    d.description = withDescription ? FdrDescription(buffer) : std::string();

    bool isTifiles = HasTifilesMagic(buffer);
    if (isTifiles) {
        d.headerKind = kHeaderTifiles;
        d.tiName.assign(kNameLength, ' ');
        const uint8_t *name = buffer + tifiles::kName;
        bool noName =
            (name[0] == kFillerHigh && name[1] == kFillerLow) || (name[0] == 0 && name[1] == 0);
        if (!noName) {
            d.tiName = CleanName(name, kNameLength, false);
        }
        if (d.tiName[0] == ' ') {
            d.tiName =
                CleanName(reinterpret_cast<const uint8_t *>(pcName.data()), pcName.size(), true);
        }
        d.flags = buffer[tifiles::kFlags];
        d.sectors = GetWordBE(buffer, tifiles::kSectors);
        d.eofOffset = buffer[tifiles::kEofOffset];
        d.recordLength = buffer[tifiles::kRecordLength];
        d.recordsPerSector = buffer[tifiles::kRecordsPerSector];
        d.level3Count = GetWordLE(buffer, tifiles::kLevel3);
    } else {
        d.headerKind = kHeaderV9t9;
        d.flags = buffer[fdr::kFlags];
        d.sectors = GetWordBE(buffer, fdr::kSectors);
        d.eofOffset = buffer[fdr::kEofOffset];
        d.recordLength = buffer[fdr::kRecordLength];
        d.recordsPerSector = buffer[fdr::kRecordsPerSector];
        d.level3Count = GetWordLE(buffer, fdr::kLevel3);
    }

    DecodeFileType(d);
    if (d.kind != kKindUnknown && d.kind != kKindProgram && d.recordLength == 0) {
        d.kind = kKindUnknown;
    }

    if (d.kind == kKindUnknown || (d.flags & kFlagMustBeZero) != 0) {
        return false;
    }
    return isTifiles || V9t9NameIsValid(buffer);
}

bool IsClassic99(const TiFileDescriptor &d, uint64_t dataLength)
{
    bool exact = dataLength % kSectorSize == 0 && d.sectors == dataLength / kSectorSize;
    if (exact && d.kind == kKindProgram) {
        exact = d.level3Count == 0 && d.recordsPerSector == 0;
    }
    return !exact;
}

uint64_t Classic99LastSectorOffset(uint64_t dataLength)
{
    if (dataLength == 0) {
        return kHeaderSize;
    }
    return kHeaderSize + kSectorSize * ((dataLength - 1) / kSectorSize);
}

void CorrectClassic99(TiFileDescriptor &d, uint64_t dataLength, const uint8_t *lastSector,
                      size_t lastLength)
{
    d.headerKind = kHeaderClassic99;
    uint64_t sectors = (dataLength + kSectorSize - 1) / kSectorSize;
    // The field is 16 bits wide; a huge PC file shows the largest count
    // instead of a count that wrapped around.
    d.sectors = sectors > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(sectors);
    switch (d.kind) {
    case kKindDisFix:
    case kKindIntFix:
        d.eofOffset = 0;
        break;
    case kKindDisVar:
    case kKindIntVar: {
        d.level3Count = d.sectors;
        d.eofOffset = 0;
        size_t limit = dataLength == 0 ? 0 : (lastLength < kSectorSize ? lastLength : kSectorSize);
        for (size_t i = 0; lastSector != nullptr && i < limit; ++i) {
            if (lastSector[i] == 0xFF) {
                d.eofOffset = static_cast<uint8_t>(i);
                break;
            }
        }
        break;
    }
    case kKindProgram:
        d.level3Count = 0;
        d.recordsPerSector = 0;
        break;
    default:
        break;
    }
}

void MakeTifilesHeaderFromFdr(uint8_t *header)
{
    uint8_t fdrCopy[kHeaderSize];
    std::memcpy(fdrCopy, header, kHeaderSize);
    std::memset(header, 0, kHeaderSize);
    std::memcpy(header, kTifilesMagic, sizeof kTifilesMagic);
    header[tifiles::kSectors] = fdrCopy[fdr::kSectors];
    header[tifiles::kSectors + 1] = fdrCopy[fdr::kSectors + 1];
    header[tifiles::kFlags] = fdrCopy[fdr::kFlags];
    header[tifiles::kRecordsPerSector] = fdrCopy[fdr::kRecordsPerSector];
    header[tifiles::kEofOffset] = fdrCopy[fdr::kEofOffset];
    header[tifiles::kRecordLength] = fdrCopy[fdr::kRecordLength];
    header[tifiles::kLevel3] = fdrCopy[fdr::kLevel3];
    header[tifiles::kLevel3 + 1] = fdrCopy[fdr::kLevel3 + 1];
    FillTifilesFiller(header);
}

namespace
{

// A PROGRAM file keeps its size in the descriptor's record length; on disk
// its record-length byte is zero.
uint8_t StoredRecordLength(const TiFileDescriptor &d)
{
    if ((d.flags & kFlagTypeMask) == kFlagProgram) {
        return 0;
    }
    return static_cast<uint8_t>(d.recordLength > 0xFF ? 0 : d.recordLength);
}

} // namespace

void MakeV9t9Header(const TiFileDescriptor &d, uint8_t *header)
{
    std::memset(header, 0, kHeaderSize);
    std::string name = PadTiName(d.tiName);
    std::memcpy(header + fdr::kName, name.data(), kNameLength);
    header[fdr::kFlags] = static_cast<uint8_t>(d.flags);
    header[fdr::kRecordsPerSector] = d.recordsPerSector;
    PutWordBE(header, fdr::kSectors, d.sectors);
    header[fdr::kEofOffset] = d.eofOffset;
    header[fdr::kRecordLength] = StoredRecordLength(d);
    PutWordLE(header, fdr::kLevel3, d.level3Count);
}

void MakeTifilesHeader(const TiFileDescriptor &d, uint8_t *header)
{
    std::memset(header, 0, kHeaderSize);
    std::memcpy(header, kTifilesMagic, sizeof kTifilesMagic);
    PutWordBE(header, tifiles::kSectors, d.sectors);
    header[tifiles::kFlags] = static_cast<uint8_t>(d.flags);
    header[tifiles::kRecordsPerSector] = d.recordsPerSector;
    header[tifiles::kEofOffset] = d.eofOffset;
    header[tifiles::kRecordLength] = StoredRecordLength(d);
    PutWordLE(header, tifiles::kLevel3, d.level3Count);
    FillTifilesFiller(header);
}

std::string PadTiName(const std::string &tiName)
{
    std::string name = tiName.substr(0, kNameLength);
    name.resize(kNameLength, ' ');
    return name;
}

std::string TiNameToPcName(const std::string &tiName, bool zubCompatible)
{
    static const char kForbidden[] = "\"*/:<>?\\|";
    std::string pcName;
    for (size_t i = 0; i < tiName.size() && i < kNameLength; ++i) {
        char c = tiName[i];
        if (c == ' ') {
            break;
        }
        if (c == '\0') {
            c = '@';
        } else if (std::strchr(kForbidden, c) != nullptr) {
            c = zubCompatible ? static_cast<char>(static_cast<unsigned char>(c) + 128) : '@';
        }
        pcName.push_back(c);
    }
    // A name that would refer to this directory or its parent must never
    // leave the folder it is written to.
    if (pcName.empty()) {
        pcName = "@";
    } else if (pcName == ".") {
        pcName = "@";
    } else if (pcName == "..") {
        pcName = "@@";
    }
    return pcName;
}

std::string PcNameToTiName(const std::string &pcName)
{
    std::string tiName;
    for (size_t i = 0; i < pcName.size() && i < kNameLength; ++i) {
        char c = pcName[i];
        if (c == '.') {
            break;
        }
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c == ' ') {
            c = '_';
        }
        tiName.push_back(c);
    }
    tiName.resize(kNameLength, ' ');
    return tiName;
}

} // namespace kestrel
