#include "drives/hd_save.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/messages.h"
#include "tifs/ti_header.h"

namespace kestrel {

namespace {

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;

bool ReadSector(std::FILE* f, uint64_t sector, uint8_t* buffer)
{
    if (sector > 0x7FFFFFFFull || fseeko(f, static_cast<off_t>(sector * 256), SEEK_SET) != 0) {
        return false;
    }
    return std::fread(buffer, 1, 256, f) == 256;
}

} // namespace

bool SaveHdEntryAsTiFile(const Location& location, const CatalogEntry& entry,
                         const std::string& target, Ui& ui)
{
    const std::string& image = location.path;
    std::FILE* in = std::fopen(image.c_str(), "rb");
    if (in == nullptr) {
        ReportSystemError(ui, errno, kMsgCantOpenRead, {image});
        return false;
    }
    unsigned spau = entry.containerWords[3] ? entry.containerWords[3] : 1;
    uint64_t fdrSector = uint64_t(entry.baseOffset) + uint64_t(entry.containerWords[1]) * spau;
    uint8_t fdr[256];
    if (!ReadSector(in, fdrSector, fdr)) {
        std::fclose(in);
        ReportError(ui, kMsgCantReadSector, {static_cast<long long>(fdrSector), image});
        return false;
    }
    uint16_t sectors = GetWordBE(fdr, 14);
    ChainFormat format;
    format.hardDisk = true;
    format.sectorsPerAu = spau;
    format.base = entry.baseOffset;
    ChainResult chain;
    DecodeDataChain(fdr, format, sectors, chain);

    uint8_t header[256];
    std::memcpy(header, fdr, 128);
    MakeTifilesHeaderFromFdr(header);
    std::FILE* out = std::fopen(target.c_str(), "wb");
    if (out == nullptr) {
        std::fclose(in);
        ReportSystemError(ui, errno, kMsgCantOpenWrite, {target});
        return false;
    }
    bool ok = std::fwrite(header, 1, 128, out) == 128;
    if (!ok) {
        ReportError(ui, kMsgCantWriteSector, {0, target});
    }
    uint64_t written = 0;
    uint8_t buffer[256];
    for (const Cluster& c : chain.clusters) {
        for (uint64_t s = c.first; ok && s <= c.last && written < sectors; ++s) {
            if (!ReadSector(in, s, buffer)) {
                ReportError(ui, kMsgCantReadSector, {static_cast<long long>(s), image});
                ok = false;
            } else if (std::fwrite(buffer, 1, 256, out) != 256) {
                ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(written), target});
                ok = false;
            }
            ++written;
        }
    }
    if (ok && written < sectors) {
        // The chain ends before the sectors the FDR claims: what there was
        // has been saved, the rest is reported rather than invented.
        ReportError(ui, kMsgCantReadSector, {static_cast<long long>(written), image});
        ok = false;
    }
    std::fclose(in);
    if (std::fclose(out) != 0 && ok) {
        ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(written), target});
        ok = false;
    }
    return ok;
}

} // namespace kestrel
