// A floppy disk built by hand for the check and repair tests, so that every
// kind of damage can be put in exactly.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/disk_check/disk_check.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/vib.h"

namespace kestrel::testing
{

constexpr unsigned kSectors = 360;

// A single-sided single-density sector dump built by hand, so that every
// kind of damage can be put in exactly.
class HandDisk
{
public:
    HandDisk() : m_bytes(kSectors * 256, 0)
    {
        uint8_t *v = Sector(0);
        std::memcpy(v, "HANDDISK  ", 10);
        PutWordBE(v, vib::kTotalSectors, kSectors);
        v[vib::kSectorsPerTrack] = 9;
        std::memcpy(v + vib::kSignature, "DSK", 3);
        v[vib::kTracksPerSide] = 40;
        v[vib::kSides] = 1;
        v[vib::kDensity] = 1;
        for (unsigned au = kSectors; au < 1600; ++au) {
            MarkAu(v, au, true);
        }
        MarkAu(v, 0, true);
        MarkAu(v, 1, true);
    }

    uint8_t *Sector(unsigned n) { return m_bytes.data() + n * 256; }

    // A DIS/FIX 80 file in the given clusters (first, count), its FDR in
    // fdrSector, listed at index word `word` of the index in indexSector.
    void AddFile(unsigned indexSector, unsigned word, const char *name, unsigned fdrSector,
                 const std::vector<std::pair<unsigned, unsigned>> &clusters, bool mark = true)
    {
        uint8_t *fdr = Sector(fdrSector);
        std::memset(fdr, 0, 256);
        std::memcpy(fdr, name, 10);
        fdr[13] = 3;
        fdr[17] = 80;
        unsigned covered = 0;
        for (size_t i = 0; i < clusters.size(); ++i) {
            covered += clusters[i].second;
            PutClusterEntry(fdr, static_cast<unsigned>(i), clusters[i].first, covered - 1);
            if (mark) {
                for (unsigned s = 0; s < clusters[i].second; ++s) {
                    MarkAu(Sector(0), clusters[i].first + s, true);
                }
            }
        }
        PutWordBE(fdr, 14, static_cast<uint16_t>(covered));
        PutWordLE(fdr, 18, static_cast<uint16_t>(covered * 3));
        PutWordBE(Sector(indexSector), word * 2, static_cast<uint16_t>(fdrSector));
        if (mark) {
            MarkAu(Sector(0), fdrSector, true);
        }
    }

    DiskCheckResult Check()
    {
        MemoryImage image(m_bytes);
        FloppyDisk disk(image, 0, "hand.dsk");
        EXPECT_TRUE(disk.Open(m_ui));
        const std::vector<uint8_t> before = m_bytes;
        DiskCheckResult result = CheckFloppyFileSystem(disk, m_ui);
        EXPECT_EQ(before, m_bytes) << "the check wrote to the disk";
        return result;
    }

    std::vector<uint8_t> &Bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    RecordingUi m_ui;
};

inline std::string Joined(const DiskCheckResult &result)
{
    std::string text;
    for (const std::string &line : result.findings) {
        text += line + "\n";
    }
    return text;
}

} // namespace kestrel::testing
