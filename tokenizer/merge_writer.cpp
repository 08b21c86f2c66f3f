#include "tokenizer/merge_writer.h"

#include "tokenizer/file_output.h"
#include "tokenizer/tifiles_header.h"
#include "tokenizer/work_buffer.h"

namespace kestrel::tokenizer
{

namespace
{

// A record (with its length byte) needs room for the 0xFF mark behind it.
void MakeRoom(WorkBuffer &body, size_t recordSize)
{
    const size_t room = 256 - body.Size() % 256;
    if (room <= recordSize) {
        body.Put(0xFF);
        body.FillSector();
    }
}

} // namespace

bool BuildMergeFile(const LineTable &table, std::vector<uint8_t> &file)
{
    WorkBuffer body;
    for (const ProgramLine &line : table.lines) {
        const size_t length = line.tokens.size() + 3;
        if (line.number < 0 || line.number > 0xFFFF || length > kMergeRecordLength)
            return false;
        MakeRoom(body, length + 1);
        body.Put(static_cast<uint8_t>(length));
        body.PutWord(static_cast<uint16_t>(line.number));
        body.PutText(line.tokens);
        body.Put(0);
    }
    // The end record follows the same rule, so the last sector still ends
    // with its 0xFF mark.
    MakeRoom(body, 3);
    body.Put(0x02);
    body.PutWord(0xFFFF);
    body.Put(0xFF);
    if (!body.Ok())
        return false;
    const size_t length = body.Size();
    WrittenHeader h;
    h.sectors = static_cast<uint16_t>((length - 1) / 256 + 1);
    h.flags = 0x80;
    h.recordsPerSector = 1;
    h.eofOffset = static_cast<uint8_t>((length - 1) % 256);
    h.recordLength = static_cast<uint8_t>(kMergeRecordLength);
    h.level3Records = h.sectors;
    body.FillSector();
    if (!body.Ok())
        return false;
    const auto header = EncodeHeader(h);
    file.assign(header.begin(), header.end());
    file.insert(file.end(), body.Bytes().begin(), body.Bytes().end());
    return true;
}

bool WriteMergeFile(std::FILE *out, const LineTable &table)
{
    std::vector<uint8_t> file;
    return BuildMergeFile(table, file) && WriteAll(out, file);
}

} // namespace kestrel::tokenizer
