// Lists a fuzzed archive and extracts every member it claims, in both forms:
// whatever the bytes, the reader must report and return, never crash, hang
// or touch memory outside its buffers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tifs/arc/archive_extract.h"
#include "tifs/arc/archive_reader.h"
#include "tifs/arc/lzw_decoder.h"
#include "tifs/ti_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kestrel;
    using namespace kestrel::fuzzing;
    if (size < 1) {
        return 0;
    }
    bool compressed = (data[0] & 1) != 0;
    const uint8_t *body = data + 1;
    size_t bodySize = size - 1;

    // The decoder alone, straight from memory.
    {
        MemoryByteSource source(body, bodySize);
        LzwDecoder decoder;
        decoder.Reset(&source);
        uint8_t block[kLzwBlockSize];
        size_t filled = 0;
        while (decoder.NextBlock(block, filled) == LzwStatus::Block) {
        }
    }

    // The whole archive as a PC file behind its header.
    static const std::string archivePath = ScratchPath("arc", "archive");
    static const std::string targetPath = ScratchPath("arc", "member");
    TiFileDescriptor ti;
    ti.flags = compressed ? kFlagInternal : 0;
    ti.recordLength = 128;
    ti.recordsPerSector = 2;
    ti.sectors = static_cast<uint16_t>((bodySize + 255) / 256);
    DecodeFileType(ti);
    uint8_t header[kHeaderSize];
    MakeTifilesHeader(ti, header);
    std::FILE *file = std::fopen(archivePath.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(header, 1, sizeof header, file);
    std::fwrite(body, 1, bodySize, file);
    std::fclose(file);

    QuietUi ui;
    ArchiveFile archive{archivePath, ti, "fuzz.ark"};
    ArchiveDirectory directory;
    bool isCompressed = false;
    if (ReadArchiveDirectory(archive, directory, isCompressed, ui)) {
        for (size_t i = 0; i < directory.members.size(); ++i) {
            CatalogEntry member;
            member.ti = directory.members[i];
            member.archiveMember = static_cast<uint8_t>(i + 1);
            member.compressed = isCompressed;
            ExtractArchiveMember(archive, member, kExtractTiFile, targetPath, ui);
            ArchiveTextWriter discard = [](const uint8_t *, size_t, const CatalogEntry &,
                                           std::FILE *, int, Ui &) { return true; };
            ExtractArchiveMember(archive, member, 2, targetPath, ui, discard);
        }
    }
    std::remove(archivePath.c_str());
    std::remove(targetPath.c_str());
    return 0;
}
