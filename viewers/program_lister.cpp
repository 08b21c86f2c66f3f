#include "viewers/program_lister.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string_view>
#include <vector>

#include "tifs/byte_order.h"
#include "tifs/messages.h"
#include "tifs/ti_file.h"
#include "viewers/detokenize_line.h"

namespace kestrel
{

namespace
{

constexpr long kDataStart = 128; // behind the PC header

// PROGRAM image header.
constexpr size_t kProgramCheck = 0;
constexpr size_t kProgramTableEnd = 2;
constexpr size_t kProgramTableStart = 4;
constexpr size_t kProgramTop = 6;
constexpr size_t kProgramHeaderSize = 8;
// Addresses are 16-bit, so no line of an image can lie further out than
// this: the whole address space behind the header and one line's bytes.
constexpr size_t kProgramReadLimit = kProgramHeaderSize + 0x10000 + 256;

// Long-format header record (byte 0 is the record's length byte).
constexpr size_t kLongMagic = 1; // 0xAB 0xCD
constexpr size_t kLongTableStart = 3;
constexpr size_t kLongTableEnd = 5;
constexpr size_t kLongCheck = 7;
constexpr size_t kLongTop = 9;

constexpr uint16_t kMergeEndLine = 0xFFFF;

// Message numbers of the catalog.
constexpr int kMsgCantRead = 4;
constexpr int kMsgNoMemory = 13;

// The check word is the XOR of the two table addresses, or its negation;
// both occur in real files and are not told apart.
bool HeaderIsValid(uint16_t check, uint16_t tableEnd, uint16_t tableStart, uint16_t top)
{
    const uint16_t x = static_cast<uint16_t>(tableEnd ^ tableStart);
    const uint16_t negated = static_cast<uint16_t>(0x10000 - x);
    return tableEnd != tableStart && (check == x || check == negated) && tableEnd >= tableStart &&
           top >= tableEnd && top >= tableStart;
}

void Rewind(std::FILE *file)
{
    std::fseek(file, kDataStart, SEEK_SET);
}

size_t ReadUpTo(std::FILE *file, uint8_t *buffer, size_t size)
{
    size_t got = 0;
    while (got < size) {
        const size_t n = std::fread(buffer + got, 1, size - got, file);
        if (n == 0) {
            break;
        }
        got += n;
    }
    return got;
}

// "%d " and the decoded tokens, appended as one line.
bool AppendLine(TextBlock &text, uint16_t lineNumber, uint8_t length, const uint8_t *tokens)
{
    char line[kListingLineSize];
    const int prefix = std::snprintf(line, sizeof line, "%u ", static_cast<unsigned>(lineNumber));
    const char *end = DetokenizeLine(line + prefix, length, tokens);
    return text.Append(std::string_view(line, static_cast<size_t>(end - line)));
}

// Lists the lines of a memory image that begins at address tableStart with
// its line-number table. The table is visited from its last entry to its
// first, which lists the lines in ascending order since the table is kept
// in descending order.
int ListImageLines(const uint8_t *image, size_t size, uint16_t tableStart, uint16_t tableEnd,
                   TextBlock &text, Ui &ui)
{
    const size_t tableSize = static_cast<size_t>(tableEnd - tableStart) + 1;
    bool listedAny = false;
    for (size_t remaining = tableSize; remaining >= 4; remaining -= 4) {
        const size_t entry = remaining - 4;
        if (entry + 4 > size) {
            break;
        }
        const uint16_t lineNumber = GetWordBE(image, entry);
        const uint16_t pointer = GetWordBE(image, entry + 2);
        if (pointer <= tableStart) {
            break; // the length byte would lie in front of the image
        }
        const size_t lengthPos = static_cast<size_t>(pointer - tableStart) - 1;
        if (lengthPos >= size) {
            break;
        }
        const uint8_t length = image[lengthPos];
        if (lengthPos + 1 + length > size) {
            break;
        }
        if (!AppendLine(text, lineNumber, length, image + lengthPos + 1)) {
            ReportError(ui, kMsgNoMemory);
            return kListReported;
        }
        listedAny = true;
    }
    return listedAny ? kListed : kListNotProgram;
}

// Collects the records of a long-format file into the program image.
class LongImage
{
public:
    bool Allocate()
    {
        try {
            m_bytes.reserve(kLongImageCapacity);
        } catch (const std::bad_alloc &) {
            return false;
        }
        return true;
    }

    // Adds the record of one sector of which `got` bytes were read. False
    // when no further record can be taken (image full, record cut short).
    bool AddSector(const uint8_t *sector, size_t got)
    {
        if (got == 0) {
            return false;
        }
        const size_t length = sector[0];
        const size_t available = std::min(length, got - 1);
        const size_t room = kLongImageCapacity - m_bytes.size();
        const size_t take = std::min(available, room);
        m_bytes.insert(m_bytes.end(), sector + 1, sector + 1 + take);
        return take == length && m_bytes.size() < kLongImageCapacity;
    }

    const uint8_t *Data() const { return m_bytes.data(); }
    size_t Size() const { return m_bytes.size(); }

private:
    std::vector<uint8_t> m_bytes;
};

bool DecodeLongHeader(const uint8_t *sector, uint16_t &tableStart, uint16_t &tableEnd)
{
    if (sector[kLongMagic] != 0xAB || sector[kLongMagic + 1] != 0xCD) {
        return false;
    }
    tableStart = GetWordBE(sector, kLongTableStart);
    tableEnd = GetWordBE(sector, kLongTableEnd);
    return HeaderIsValid(GetWordBE(sector, kLongCheck), tableEnd, tableStart,
                         GetWordBE(sector, kLongTop));
}

// Walks the records of MERGE sectors, one sector at a time.
class MergeWalker
{
public:
    enum Step { kNextSector, kDone, kFailed };

    MergeWalker(TextBlock &text, Ui &ui) : m_text(text), m_ui(ui) {}

    // The block exists even when no line follows: an empty MERGE file is an
    // empty listing, not a file to be shown another way.
    bool Start()
    {
        if (!m_text.Append("")) {
            ReportError(m_ui, kMsgNoMemory);
            return false;
        }
        return true;
    }

    Step AddSector(const uint8_t *sector, size_t got)
    {
        size_t pos = 0;
        while (pos < got) {
            const uint8_t length = sector[pos];
            if (length == 0 || length == 0xFF) {
                return kNextSector; // end of this sector's records
            }
            if (length < 2 || pos + 1 + length > got) {
                return kDone; // a record that does not fit ends the listing
            }
            const uint16_t lineNumber = GetWordBE(sector, pos + 1);
            if (lineNumber == kMergeEndLine) {
                return kDone;
            }
            if (!AppendLine(m_text, lineNumber, static_cast<uint8_t>(length - 2),
                            sector + pos + 3)) {
                ReportError(m_ui, kMsgNoMemory);
                return kFailed;
            }
            pos += 1 + length;
        }
        return got == kSectorSize ? kNextSector : kDone;
    }

private:
    TextBlock &m_text;
    Ui &m_ui;
};

} // namespace

int ListProgramImageData(const uint8_t *data, size_t size, const std::string &path, TextBlock &text,
                         Ui &ui)
{
    if (size < kProgramHeaderSize) {
        ReportError(ui, kMsgCantRead, {path});
        return kListReported;
    }
    const uint16_t tableEnd = GetWordBE(data, kProgramTableEnd);
    const uint16_t tableStart = GetWordBE(data, kProgramTableStart);
    if (!HeaderIsValid(GetWordBE(data, kProgramCheck), tableEnd, tableStart,
                       GetWordBE(data, kProgramTop))) {
        return kListNotProgram;
    }
    return ListImageLines(data + kProgramHeaderSize, size - kProgramHeaderSize, tableStart,
                          tableEnd, text, ui);
}

int ListProgramImage(std::FILE *file, const std::string &path, TextBlock &text, Ui &ui)
{
    std::vector<uint8_t> data;
    try {
        data.resize(kProgramReadLimit);
    } catch (const std::bad_alloc &) {
        Rewind(file);
        ReportError(ui, kMsgNoMemory);
        return kListReported;
    }
    const size_t got = ReadUpTo(file, data.data(), data.size());
    const int result = ListProgramImageData(data.data(), got, path, text, ui);
    if (result != kListed) {
        Rewind(file);
    }
    return result;
}

int ListLongProgramData(const uint8_t *data, size_t size, uint16_t recordCount,
                        const std::string &path, TextBlock &text, Ui &ui)
{
    if (size < kSectorSize) {
        ReportError(ui, kMsgCantRead, {path});
        return kListReported;
    }
    uint16_t tableStart = 0;
    uint16_t tableEnd = 0;
    if (!DecodeLongHeader(data, tableStart, tableEnd)) {
        return kListNotProgram;
    }
    LongImage image;
    if (!image.Allocate()) {
        ReportError(ui, kMsgNoMemory);
        return kListReported;
    }
    for (size_t record = 1; record <= recordCount; ++record) {
        const size_t offset = record * kSectorSize;
        if (offset >= size) {
            break;
        }
        if (!image.AddSector(data + offset, std::min(kSectorSize, size - offset))) {
            break;
        }
    }
    return ListImageLines(image.Data(), image.Size(), tableStart, tableEnd, text, ui);
}

int ListLongProgram(std::FILE *file, const std::string &path, uint16_t recordCount, TextBlock &text,
                    Ui &ui)
{
    uint8_t sector[kSectorSize];
    if (ReadUpTo(file, sector, kSectorSize) < kSectorSize) {
        Rewind(file);
        ReportError(ui, kMsgCantRead, {path});
        return kListReported;
    }
    uint16_t tableStart = 0;
    uint16_t tableEnd = 0;
    if (!DecodeLongHeader(sector, tableStart, tableEnd)) {
        Rewind(file);
        return kListNotProgram;
    }
    LongImage image;
    if (!image.Allocate()) {
        Rewind(file);
        ReportError(ui, kMsgNoMemory);
        return kListReported;
    }
    for (unsigned record = 1; record <= recordCount; ++record) {
        const size_t got = ReadUpTo(file, sector, kSectorSize);
        if (!image.AddSector(sector, got) || got < kSectorSize) {
            break;
        }
    }
    const int result = ListImageLines(image.Data(), image.Size(), tableStart, tableEnd, text, ui);
    if (result != kListed) {
        Rewind(file);
    }
    return result;
}

int ListMergeData(const uint8_t *data, size_t size, uint16_t sectorCount, const std::string &path,
                  TextBlock &text, Ui &ui)
{
    (void)path; // nothing in a MERGE listing is reported against the file
    MergeWalker walker(text, ui);
    if (!walker.Start()) {
        return kListReported;
    }
    for (size_t s = 0; s < sectorCount; ++s) {
        const size_t offset = s * kSectorSize;
        if (offset >= size) {
            break;
        }
        const MergeWalker::Step step =
            walker.AddSector(data + offset, std::min(kSectorSize, size - offset));
        if (step == MergeWalker::kFailed) {
            return kListReported;
        }
        if (step == MergeWalker::kDone) {
            break;
        }
    }
    return kListed;
}

int ListMergeFile(std::FILE *file, const std::string &path, uint16_t sectorCount, TextBlock &text,
                  Ui &ui)
{
    (void)path;
    MergeWalker walker(text, ui);
    if (!walker.Start()) {
        Rewind(file);
        return kListReported;
    }
    uint8_t sector[kSectorSize];
    for (unsigned s = 0; s < sectorCount; ++s) {
        const size_t got = ReadUpTo(file, sector, kSectorSize);
        if (got == 0) {
            break;
        }
        const MergeWalker::Step step = walker.AddSector(sector, got);
        if (step == MergeWalker::kFailed) {
            Rewind(file);
            return kListReported;
        }
        if (step == MergeWalker::kDone) {
            break;
        }
    }
    return kListed;
}

} // namespace kestrel
