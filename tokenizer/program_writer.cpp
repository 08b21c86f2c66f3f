#include "tokenizer/program_writer.h"

#include "tifs/byte_order.h"
#include "tokenizer/file_output.h"
#include "tokenizer/tifiles_header.h"
#include "tokenizer/work_buffer.h"

namespace kestrel::tokenizer
{

namespace
{

constexpr size_t kImageHeader = 8;
constexpr size_t kMaxProgramTokens = 253;

// One sector of the long format: length byte, record, 0xFF, zero fill.
void PutLongRecord(std::vector<uint8_t> &file, const uint8_t *bytes, size_t count)
{
    const size_t start = file.size();
    file.push_back(static_cast<uint8_t>(count));
    file.insert(file.end(), bytes, bytes + count);
    file.push_back(0xFF);
    file.resize(start + 256, 0);
}

} // namespace

bool BuildProgramImage(const LineTable &table, std::vector<uint8_t> &image)
{
    const size_t n = table.lines.size();
    if (n == 0)
        return false;
    size_t programSize = 0;
    for (const ProgramLine &line : table.lines) {
        if (line.number < 0 || line.number > 0xFFFF || line.tokens.size() > kMaxProgramTokens)
            return false;
        programSize += line.tokens.size() + 6;
    }
    if (kImageHeader + programSize > kWorkBufferSize)
        return false;
    const uint16_t top = programSize <= kVdpLimit ? kVdpTop : kCpuTop;

    WorkBuffer body;
    for (size_t i = 0; i < kImageHeader + 4 * n; ++i)
        body.Put(0);
    // Texts from the last line to the first, so the first line ends at top.
    std::vector<uint16_t> textSize(n);
    for (size_t i = n; i-- > 0;) {
        const ProgramLine &line = table.lines[i];
        body.Put(static_cast<uint8_t>(line.tokens.size() + 1));
        body.PutText(line.tokens);
        body.Put(0);
        textSize[n - 1 - i] = static_cast<uint16_t>(line.tokens.size() + 2);
    }
    if (!body.Ok())
        return false;
    std::vector<uint16_t> pointer(n);
    uint16_t a = top;
    for (size_t e = n; e-- > 0;) {
        a = static_cast<uint16_t>(a - textSize[e]);
        pointer[e] = static_cast<uint16_t>(a + 2);
    }
    for (size_t e = 0; e < n; ++e) {
        const ProgramLine &line = table.lines[n - 1 - e];
        body.SetWord(kImageHeader + 4 * e, static_cast<uint16_t>(line.number));
        body.SetWord(kImageHeader + 4 * e + 2, pointer[e]);
    }
    const auto tableEnd = static_cast<uint16_t>(pointer[0] - 2);
    const auto tableStart = static_cast<uint16_t>(pointer[0] - 1 - 4 * n);
    body.SetWord(0, static_cast<uint16_t>(tableEnd ^ tableStart));
    body.SetWord(2, tableEnd);
    body.SetWord(4, tableStart);
    body.SetWord(6, top);
    image = body.Bytes();
    return true;
}

bool BuildProgramFile(const LineTable &table, const Logger &log, std::vector<uint8_t> &file)
{
    std::vector<uint8_t> image;
    if (!BuildProgramImage(table, image))
        return false;
    const size_t programSize = image.size() - kImageHeader;
    if (programSize <= kVdpLimit) {
        WrittenHeader h;
        h.sectors = static_cast<uint16_t>((image.size() + 255) / 256);
        h.flags = 0x01;
        h.eofOffset = static_cast<uint8_t>(image.size() % 256);
        const auto header = EncodeHeader(h);
        file.assign(header.begin(), header.end());
        file.insert(file.end(), image.begin(), image.end());
        file.resize(kHeaderSize + h.sectors * 256, 0);
        return true;
    }

    log(1, "Warning: Program too large for VDP RAM, use Long Format for CPU RAM");
    log(2, "Program requires 32k Extension to load.");
    const size_t fullRecords = programSize / kLongRecordLength;
    const size_t lastLength = programSize % kLongRecordLength;
    WrittenHeader h;
    h.sectors = static_cast<uint16_t>(fullRecords + 2);
    h.flags = 0x82;
    h.recordsPerSector = 1;
    h.eofOffset = static_cast<uint8_t>(lastLength + 1);
    h.recordLength = static_cast<uint8_t>(kLongRecordLength);
    h.level3Records = h.sectors;
    const auto header = EncodeHeader(h);
    file.assign(header.begin(), header.end());

    // The long format's own header names start before end, unlike the image.
    uint8_t first[10] = {0xAB, 0xCD};
    PutWordBE(first, 2, GetWordBE(image.data(), 4)); // tableStart
    PutWordBE(first, 4, GetWordBE(image.data(), 2)); // tableEnd
    PutWordBE(first, 6, GetWordBE(image.data(), 0)); // check
    PutWordBE(first, 8, GetWordBE(image.data(), 6)); // top
    PutLongRecord(file, first, sizeof first);
    const uint8_t *data = image.data() + kImageHeader;
    for (size_t r = 0; r < fullRecords; ++r)
        PutLongRecord(file, data + r * kLongRecordLength, kLongRecordLength);
    PutLongRecord(file, data + fullRecords * kLongRecordLength, lastLength);
    return true;
}

bool WriteProgramFile(std::FILE *out, const LineTable &table, const Logger &log)
{
    std::vector<uint8_t> file;
    return BuildProgramFile(table, log, file) && WriteAll(out, file);
}

} // namespace kestrel::tokenizer
