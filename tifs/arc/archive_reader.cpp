#include "tifs/arc/archive_reader.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "tifs/arc/lzw_decoder.h"
#include "tifs/messages.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The compressed stream: everything after the header, as the file holds it.
class FileByteSource : public ArcByteSource
{
public:
    explicit FileByteSource(std::FILE *file) : m_file(file) {}
    size_t Read(uint8_t *buffer, size_t capacity) override
    {
        if (m_failed) {
            return 0;
        }
        size_t got = std::fread(buffer, 1, capacity, m_file);
        if (got < capacity && std::ferror(m_file)) {
            m_failed = true;
        }
        return got;
    }

private:
    std::FILE *m_file;
    bool m_failed = false;
};

// Opens the archive and checks its header. Returns null after reporting.
FilePtr OpenArchiveFile(const ArchiveFile &archive, uint8_t *header, Ui &ui)
{
    FilePtr file(std::fopen(archive.path.c_str(), "rb"));
    if (!file) {
        ReportError(ui, 1, {archive.displayName});
        return nullptr;
    }
    if (std::fread(header, 1, kHeaderSize, file.get()) != kHeaderSize ||
        ArchiveFormOf(archive.ti) == ArchiveForm::None) {
        ReportError(ui, 17, {archive.displayName});
        return nullptr;
    }
    return file;
}

bool SameMember(const TiFileDescriptor &a, const TiFileDescriptor &b)
{
    return PadTiName(a.tiName) == PadTiName(b.tiName) && a.flags == b.flags &&
           a.sectors == b.sectors;
}

// Feeds whole sectors to the sink in chunks of a fixed number of sectors.
class ChunkCollector
{
public:
    ChunkCollector(const ArchiveSectorSink &sink, size_t chunkSectors)
        : m_sink(sink), m_buffer(chunkSectors * kSectorSize), m_capacity(chunkSectors)
    {
    }
    bool Add(const uint8_t *sector)
    {
        std::memcpy(m_buffer.data() + m_count * kSectorSize, sector, kSectorSize);
        if (++m_count == m_capacity) {
            return Flush();
        }
        return true;
    }
    bool Flush()
    {
        if (m_count == 0) {
            return true;
        }
        size_t count = m_count;
        m_count = 0;
        bool go = m_sink(m_buffer.data(), count, m_delivered);
        m_delivered += count;
        return go;
    }

private:
    const ArchiveSectorSink &m_sink;
    std::vector<uint8_t> m_buffer;
    size_t m_capacity;
    size_t m_count = 0;
    size_t m_delivered = 0;
};

// Decompresses the directory blocks from the start of the stream.
LzwStatus ReadCompressedDirectory(LzwDecoder &decoder, ArchiveDirectory &directory)
{
    CompressedDirectoryCollector collector;
    uint8_t block[kLzwBlockSize];
    LzwStatus status = LzwStatus::Block;
    while (!collector.Complete()) {
        size_t filled = 0;
        status = decoder.NextBlock(block, filled);
        if (status != LzwStatus::Block) {
            break;
        }
        collector.AddBlock(block);
    }
    directory = collector.Directory();
    return status;
}

uint64_t SectorsBefore(const ArchiveDirectory &directory, size_t index)
{
    uint64_t sectors = 0;
    for (size_t i = 0; i < index && i < directory.members.size(); ++i) {
        sectors += directory.members[i].sectors;
    }
    return sectors;
}

bool ReadUncompressedMember(std::FILE *file, const ArchiveFile &archive,
                            const ArchiveDirectory &directory, size_t index,
                            const ArchiveSectorSink &sink, Ui &ui)
{
    const TiFileDescriptor &member = directory.members[index];
    uint64_t first = directory.blocks + SectorsBefore(directory, index);
    uint64_t offset = kHeaderSize + first * kSectorSize;
    if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) {
        ReportError(ui, 14, {archive.displayName});
        return false;
    }
    std::vector<uint8_t> chunk(kArcUncompressedChunkSectors * kSectorSize);
    size_t done = 0;
    while (done < member.sectors) {
        size_t count = std::min<size_t>(kArcUncompressedChunkSectors, member.sectors - done);
        size_t got = std::fread(chunk.data(), 1, count * kSectorSize, file);
        if (got != count * kSectorSize) {
            ReportError(
                ui, 6,
                {static_cast<long long>(first + done + got / kSectorSize), archive.displayName});
            return false;
        }
        if (!sink(chunk.data(), count, done)) {
            return false;
        }
        done += count;
    }
    return true;
}

bool ReadCompressedMember(LzwDecoder &decoder, const ArchiveFile &archive,
                          const ArchiveDirectory &directory, size_t index,
                          const ArchiveSectorSink &sink, Ui &ui)
{
    const TiFileDescriptor &member = directory.members[index];
    uint64_t skip = SectorsBefore(directory, index);
    uint64_t blockNumber = directory.blocks;
    uint8_t block[kLzwBlockSize];
    ChunkCollector collector(sink, kLzwChunkSectors);
    uint64_t wanted = skip + member.sectors;
    for (uint64_t n = 0; n < wanted; ++n) {
        size_t filled = 0;
        if (decoder.NextBlock(block, filled) != LzwStatus::Block) {
            ReportError(ui, 6, {static_cast<long long>(blockNumber + n), archive.displayName});
            return false;
        }
        if (n >= skip && !collector.Add(block)) {
            return false;
        }
    }
    return collector.Flush();
}

} // namespace

ArchiveForm ArchiveFormOf(const TiFileDescriptor &archive)
{
    if (archive.recordLength != 128) {
        return ArchiveForm::None;
    }
    if (archive.kind == kKindIntFix) {
        return ArchiveForm::Compressed;
    }
    if (archive.kind == kKindDisFix) {
        return ArchiveForm::Uncompressed;
    }
    return ArchiveForm::None;
}

bool ReadArchiveDirectory(const ArchiveFile &archive, ArchiveDirectory &directory, bool &compressed,
                          Ui &ui)
{
    directory = {};
    uint8_t header[kHeaderSize];
    FilePtr file = OpenArchiveFile(archive, header, ui);
    if (!file) {
        return false;
    }
    compressed = ArchiveFormOf(archive.ti) == ArchiveForm::Compressed;
    if (!compressed) {
        std::vector<uint8_t> blocks(kArcMaxDirectoryBlocks * kSectorSize);
        size_t got = std::fread(blocks.data(), 1, blocks.size(), file.get());
        if (got >= 3 && std::memcmp(blocks.data(), "GIF", 3) == 0) {
            ReportError(ui, 17, {archive.displayName});
            return false;
        }
        directory = ParseUncompressedDirectory(blocks.data(), got);
        // Every archive ends its directory with "END!"; a record file of the
        // same type without one would list its data as members.
        if (!directory.endMark) {
            directory = {};
            ReportError(ui, 17, {archive.displayName});
            return false;
        }
        return true;
    }
    int firstByte = std::fgetc(file.get());
    if (firstByte != kArcStreamStart) {
        return true; // not a stream this reader knows: an empty list, as before
    }
    std::ungetc(firstByte, file.get());
    FileByteSource source(file.get());
    auto decoder = std::make_unique<LzwDecoder>();
    decoder->Reset(&source);
    if (ReadCompressedDirectory(*decoder, directory) == LzwStatus::Damaged) {
        directory = {};
        ReportError(ui, 17, {archive.displayName});
        return false;
    }
    return true;
}

bool ReadArchiveMember(const ArchiveFile &archive, size_t index, const TiFileDescriptor &expected,
                       const ArchiveSectorSink &sink, Ui &ui)
{
    uint8_t header[kHeaderSize];
    FilePtr file = OpenArchiveFile(archive, header, ui);
    if (!file) {
        return false;
    }
    bool compressed = ArchiveFormOf(archive.ti) == ArchiveForm::Compressed;
    ArchiveDirectory directory;
    if (!compressed) {
        std::vector<uint8_t> blocks(kArcMaxDirectoryBlocks * kSectorSize);
        size_t got = std::fread(blocks.data(), 1, blocks.size(), file.get());
        directory = ParseUncompressedDirectory(blocks.data(), got);
        if (index >= directory.members.size() || !SameMember(directory.members[index], expected)) {
            ReportError(ui, 17, {archive.displayName});
            return false;
        }
        return ReadUncompressedMember(file.get(), archive, directory, index, sink, ui);
    }
    FileByteSource source(file.get());
    auto decoder = std::make_unique<LzwDecoder>();
    decoder->Reset(&source);
    if (ReadCompressedDirectory(*decoder, directory) == LzwStatus::Damaged ||
        index >= directory.members.size() || !SameMember(directory.members[index], expected)) {
        ReportError(ui, 17, {archive.displayName});
        return false;
    }
    return ReadCompressedMember(*decoder, archive, directory, index, sink, ui);
}

} // namespace kestrel
