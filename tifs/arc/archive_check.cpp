#include "tifs/arc/archive_check.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tifs/arc/archive_directory.h"
#include "tifs/arc/archive_reader.h"
#include "tifs/arc/lzw_decoder.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr uint16_t kReservedFlags = 0x64;

std::string Line(const char *format, unsigned long long a = 0, unsigned long long b = 0,
                 unsigned long long c = 0)
{
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string Named(const TiFileDescriptor &member, const std::string &rest)
{
    std::string name = member.tiName;
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return "Member " + name + ": " + rest;
}

void CheckMembers(const ArchiveDirectory &directory, ArchiveCheckResult &result)
{
    result.members = static_cast<unsigned>(directory.members.size());
    for (const TiFileDescriptor &m : directory.members) {
        result.memberSectors += m.sectors;
        if (m.flags & kReservedFlags) {
            result.findings.push_back(
                Named(m, Line("its status flags >%02llX have reserved bits set", m.flags)));
        }
    }
}

void CheckUncompressed(const uint8_t *data, size_t length, ArchiveCheckResult &result)
{
    const ArchiveDirectory directory = ParseUncompressedDirectory(data, length);
    if (!directory.endMark) {
        result.findings.push_back("The directory ends without its \"END!\" mark");
    }
    CheckMembers(directory, result);
    const uint64_t present = length / kSectorSize;
    uint64_t at = directory.blocks;
    for (const TiFileDescriptor &m : directory.members) {
        if (at + m.sectors > present) {
            result.findings.push_back(
                Named(m, Line("its %llu sectors run past the archive's end (sector %llu of %llu)",
                              m.sectors, at + m.sectors, present)));
        }
        at += m.sectors;
    }
}

void CheckCompressed(const uint8_t *data, size_t length, ArchiveCheckResult &result)
{
    if (length == 0 || data[0] != kArcStreamStart) {
        result.findings.push_back("The compressed stream does not begin with a clear code");
        return;
    }
    MemoryByteSource source(data, length);
    LzwDecoder decoder;
    decoder.Reset(&source);
    CompressedDirectoryCollector collector;
    uint8_t block[kLzwBlockSize];
    size_t filled = 0;
    LzwStatus status = LzwStatus::Block;
    while (!collector.Complete()) {
        status = decoder.NextBlock(block, filled);
        if (status != LzwStatus::Block) {
            break;
        }
        collector.AddBlock(block);
    }
    const ArchiveDirectory directory = collector.Directory();
    if (!collector.Complete()) {
        result.findings.push_back(status == LzwStatus::Damaged
                                      ? "The compressed stream is damaged inside the directory"
                                      : "The compressed stream ends inside the directory");
        CheckMembers(directory, result);
        return;
    }
    CheckMembers(directory, result);
    uint64_t decoded = 0;
    while ((status = decoder.NextBlock(block, filled)) == LzwStatus::Block) {
        ++decoded;
        if (decoded > result.memberSectors) {
            break; // enough to know that there is more than the members
        }
    }
    if (status == LzwStatus::Damaged) {
        result.findings.push_back(
            Line("The compressed stream is damaged after %llu sectors of member data", decoded));
    } else if (decoded < result.memberSectors) {
        result.findings.push_back(
            Line("The compressed stream ends after %llu sectors, but the members need %llu",
                 decoded, result.memberSectors));
    } else if (decoded > result.memberSectors) {
        result.findings.push_back(
            Line("The compressed stream holds more than the %llu sectors the members need",
                 result.memberSectors));
    }
}

void Summarize(ArchiveCheckResult &result)
{
    result.summary = Line("%llu members, %llu sectors: ", result.members, result.memberSectors);
    if (result.Clean()) {
        result.summary += "clean";
    } else {
        result.summary += Line("%llu problem", result.findings.size());
        if (result.findings.size() != 1) {
            result.summary += "s";
        }
    }
}

bool ReadWhole(const std::string &path, std::vector<uint8_t> &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

bool DecodeArchiveHeader(const std::vector<uint8_t> &bytes, const std::string &path,
                         TiFileDescriptor &ti)
{
    return bytes.size() >= kHeaderSize && DecodeHeader(bytes.data(), path, false, ti) &&
           ArchiveFormOf(ti) != ArchiveForm::None;
}

} // namespace

ArchiveCheckResult CheckArchiveData(const uint8_t *data, size_t length, bool compressed)
{
    ArchiveCheckResult result;
    if (compressed) {
        CheckCompressed(data, length, result);
    } else {
        CheckUncompressed(data, length, result);
    }
    Summarize(result);
    return result;
}

bool IsArchiveFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> header(kHeaderSize);
    if (!in.read(reinterpret_cast<char *>(header.data()), kHeaderSize)) {
        return false;
    }
    TiFileDescriptor ti;
    return DecodeArchiveHeader(header, path, ti);
}

bool CheckArchiveFile(const std::string &path, ArchiveCheckResult &result)
{
    result = ArchiveCheckResult();
    std::vector<uint8_t> bytes;
    TiFileDescriptor ti;
    if (!ReadWhole(path, bytes) || !DecodeArchiveHeader(bytes, path, ti)) {
        result.findings.push_back("The file cannot be read as an archive");
        Summarize(result);
        return false;
    }
    const size_t length = bytes.size() - kHeaderSize;
    result = CheckArchiveData(bytes.data() + kHeaderSize, length,
                              ArchiveFormOf(ti) == ArchiveForm::Compressed);
    if (uint64_t{ti.sectors} * kSectorSize > length) {
        result.findings.insert(result.findings.begin(),
                               Line("The header says %llu sectors, but the file holds %llu",
                                    ti.sectors, length / kSectorSize));
        Summarize(result);
    }
    return true;
}

} // namespace kestrel
