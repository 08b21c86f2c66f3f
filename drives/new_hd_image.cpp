#include "drives/new_hd_image.h"
#include "platform/fault_injection.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "drives/hd_binding.h"
#include "drives/partition_table.h"
#include "tifs/byte_order.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgCantDelete = 20;
constexpr int kMsgAlreadyExists = 31;
constexpr uint32_t kProgressStep = 1000;
constexpr uint32_t kBitmapSectors = 31;
constexpr uint32_t kSystemSectors = 64;
constexpr uint32_t kZeroChunkSectors = 256;

bool Seek(std::FILE *f, uint64_t sector)
{
    return sector <= 0x7FFFFFFFull && fseeko(f, static_cast<off_t>(sector * 256), SEEK_SET) == 0;
}

bool WriteVolume(Ui &ui, std::FILE *f, const std::string &path, const NewHdVolume &v)
{
    uint8_t vib[256];
    EncodeNewHdVib(vib, v.sectors, v.label);
    ui.SetProgressRange(v.sectors);
    ui.SetProgressPosition(0);
    if (!Seek(f, v.firstSector) || platform::io::Fwrite(vib, 1, 256, f) != 256) {
        ReportError(ui, kMsgCantWriteSector, {0, path});
        return false;
    }
    static const uint8_t zeros[kZeroChunkSectors * 256] = {};
    uint32_t n = 1;
    uint32_t nextProgress = kProgressStep;
    while (n < v.sectors) {
        uint32_t run = std::min(kZeroChunkSectors, v.sectors - n);
        run = std::min(run, nextProgress > n ? nextProgress - n : run);
        size_t done = platform::io::Fwrite(zeros, 256, run, f);
        if (done != run) {
            ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(n + done), path});
            return false;
        }
        n += run;
        if (n >= nextProgress) {
            ui.SetProgressPosition(n);
            ui.PumpPendingMessages();
            nextProgress += kProgressStep;
        }
    }
    if (platform::io::Fflush(f) != 0) {
        ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(n), path});
        return false;
    }
    ui.SetProgressPosition(v.sectors);
    return true;
}

bool WriteBitmap(Ui &ui, std::FILE *f, const std::string &path, const NewHdVolume &v)
{
    std::vector<uint8_t> bitmap = NewHdBitmap(v.sectors);
    uint8_t vib[256];
    EncodeNewHdVib(vib, v.sectors, v.label);
    for (uint32_t copy = 0; copy < 2; ++copy) {
        uint32_t at = copy * 32;
        if (!Seek(f, uint64_t(v.firstSector) + at) || platform::io::Fwrite(vib, 1, 256, f) != 256) {
            ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(at), path});
            return false;
        }
        if (platform::io::Fwrite(bitmap.data(), 256, kBitmapSectors, f) != kBitmapSectors) {
            ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(at + 1), path});
            return false;
        }
    }
    if (platform::io::Fflush(f) != 0) {
        ReportError(ui, kMsgCantWriteSector, {63, path});
        return false;
    }
    return true;
}

} // namespace

NewHdImage DescribeNewHdImage(const std::string &fileName, bool partitioned,
                              const std::vector<std::string> &labels,
                              const std::vector<uint32_t> &sizes)
{
    NewHdImage d;
    d.fileName = fileName.substr(0, std::min<size_t>(fileName.size(), 11));
    size_t count = std::min(labels.size(), sizes.size());
    if (!partitioned) {
        count = std::min<size_t>(count, 1);
    } else {
        count = std::min<size_t>(count, kPartitionCount);
    }
    uint32_t next = partitioned ? 2 : 0;
    for (size_t i = 0; i < count; ++i) {
        NewHdVolume v;
        v.label = labels[i].substr(0, std::min<size_t>(labels[i].size(), 10));
        v.sectors = sizes[i];
        v.firstSector = next;
        next += sizes[i];
        d.volumes.push_back(v);
    }
    d.partitions = partitioned ? static_cast<int>(d.volumes.size()) : 0;
    return d;
}

unsigned NewHdSectorsPerAu(uint32_t sectors)
{
    uint32_t q = (sectors + 0xF7FFu) / 0xF800u;
    if (q <= 1)
        return 1;
    if (q == 2)
        return 2;
    if (q <= 4)
        return 4;
    if (q <= 8)
        return 8;
    return 16;
}

void EncodeNewHdVib(uint8_t *s, uint32_t sectors, const std::string &label)
{
    std::memset(s, 0, 256);
    std::string name = PadTiName(PcNameToTiName(label));
    std::memcpy(s, name.data(), 10);
    unsigned spau = NewHdSectorsPerAu(sectors);
    PutWordBE(s, 10, static_cast<uint16_t>(std::min<uint32_t>(sectors / spau, 0xFFFF)));
    s[13] = 100;
    PutWordBE(s, 16, static_cast<uint16_t>((spau - 1) * 4096));
    PutWordBE(s, 24, static_cast<uint16_t>(64 / spau));
}

std::vector<uint8_t> NewHdBitmap(uint32_t sectors)
{
    std::vector<uint8_t> bitmap(kBitmapSectors * 256, 0);
    unsigned spau = NewHdSectorsPerAu(sectors);
    auto set = [&bitmap](uint32_t au) {
        size_t byte = size_t(au / 2048) * 256 + (au / 8) % 256;
        if (byte < bitmap.size()) {
            bitmap[byte] |= static_cast<uint8_t>(0x80 >> (au % 8));
        }
    };
    for (uint32_t s = 0; s <= kSystemSectors - 1 + spau; ++s) {
        set(s / spau);
    }
    uint32_t totalAus = std::min<uint32_t>(sectors / spau, 0xFFFF);
    for (uint32_t au = totalAus; au < kBitmapSectors * 2048; ++au) {
        set(au);
    }
    return bitmap;
}

bool WriteNewHdImage(Ui &ui, const std::string &path, const NewHdImage &d)
{
    ForgetHdImage(path); // the library must not write the old image over the new one
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        ReportSystemError(ui, errno, kMsgCantOpenWrite, {path});
        return false;
    }
    bool ok = true;
    if (d.partitions > 0) {
        uint32_t firsts[kPartitionCount] = {};
        uint32_t sizes[kPartitionCount] = {};
        int count = std::min<int>(static_cast<int>(d.volumes.size()), kPartitionCount);
        for (int k = 0; k < count; ++k) {
            firsts[k] = d.volumes[k].firstSector;
            sizes[k] = d.volumes[k].sectors;
        }
        uint8_t table[512] = {};
        EncodePartitionTable(table, firsts, sizes, count);
        if (platform::io::Fwrite(table, 1, sizeof table, f) != sizeof table) {
            ReportError(ui, kMsgCantWriteSector, {0, path});
            ok = false;
        }
    }
    for (size_t i = 0; ok && i < d.volumes.size(); ++i) {
        ok = WriteVolume(ui, f, path, d.volumes[i]);
    }
    for (size_t i = 0; ok && i < d.volumes.size(); ++i) {
        ok = WriteBitmap(ui, f, path, d.volumes[i]);
    }
    if (platform::io::Fclose(f) != 0 && ok) {
        ReportError(ui, kMsgCantWriteSector, {0, path});
        ok = false;
    }
    if (!ok) {
        std::remove(path.c_str()); // a part of an image is no image: nothing would read it
    }
    return ok;
}

bool CreateNewHdImage(Ui &ui, Location &pane, const NewHdImage &d)
{
    const std::string path = JoinPcPath(pane.path, d.fileName + ".img");
    if (PcPathKind(path) != 0) {
        std::string text = FormatCatalogMessage(kMsgAlreadyExists, {path});
        if (ui.AskQuestion(text, QuestionButtons::YesNo) != Answer::Yes) {
            return false;
        }
        ForgetHdImage(path);
        if (std::remove(path.c_str()) != 0) {
            ReportSystemError(ui, errno, kMsgCantDelete, {path});
            return false;
        }
    }
    bool ok = WriteNewHdImage(ui, path, d);
    if (!OpenLocation(pane, ui)) {
        return ok;
    }
    SortCatalog(pane);
    return ok;
}

} // namespace kestrel
