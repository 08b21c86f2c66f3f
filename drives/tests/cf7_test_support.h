// Cards, drives and DSK images built in code for the CF7A+ and backup tests,
// in a scratch folder that each test gets afresh; file drives are reset.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "drives/cf7_layout.h"
#include "drives/cf7_volume.h"
#include "platform/rawdisk.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/vib.h"
#include "tifs/settings.h"

namespace kestrel::testing
{

using Bytes = std::vector<uint8_t>;

class Cf7Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("kestrel_cf7_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        ProgramSettings().driveLetters = 0x3FFFFFB;
    }
    void TearDown() override
    {
        platform::SetFileDrives({});
        std::filesystem::remove_all(m_dir);
    }
    std::string PathOf(const std::string &name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

inline void WriteFile(const std::string &path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A floppy VIB of total sectors with the geometry; the bitmap marks sectors 0
// and 1 and everything past the end, as a new image of that size has it.
inline void MakeVib(uint8_t *vib, const char *name, unsigned total, unsigned sides, unsigned tracks,
                    unsigned perTrack)
{
    std::memset(vib, 0, 256);
    std::memset(vib, ' ', 10);
    std::memcpy(vib, name, std::strlen(name));
    PutWordBE(vib, 10, static_cast<uint16_t>(total));
    vib[12] = static_cast<uint8_t>(perTrack);
    std::memcpy(vib + 13, "DSK", 3);
    vib[16] = ' ';
    vib[17] = static_cast<uint8_t>(tracks);
    vib[18] = static_cast<uint8_t>(sides);
    vib[19] = 1;
    MarkAu(vib, 0, true);
    MarkAu(vib, 1, true);
    for (size_t i = 56 + total / 8; i < 256; ++i) {
        vib[i] = 0xFF;
    }
}

// A DSK image of total sectors whose sector s (s >= 1) holds the byte
// (s * 7 + j) & 0xFF at j.
inline Bytes MakeDsk(const char *name, unsigned total, unsigned sides, unsigned tracks,
                     unsigned perTrack)
{
    Bytes dsk(size_t{total} * 256);
    MakeVib(dsk.data(), name, total, sides, tracks, perTrack);
    for (unsigned s = 1; s < total; ++s) {
        for (unsigned j = 0; j < 256; ++j) {
            dsk[s * 256 + j] = static_cast<uint8_t>(s * 7 + j);
        }
    }
    return dsk;
}

// A card image of volumes volumes, all bytes zero after the header.
inline Bytes MakeCardImage(uint32_t volumes, const uint8_t *mount = nullptr)
{
    Bytes card(kCf7HeaderSize + volumes * kCf7VolumeBytes, 0);
    BuildCf7ImageHeader("CARD", mount, card.data());
    return card;
}

// A physical card of volumes volumes: every TI sector spread with its filler,
// TI bytes from tiBytes (a card's TI sectors back to back) or 0xE5.
inline Bytes MakePhysicalCard(uint32_t volumes, const Bytes *tiBytes = nullptr)
{
    const uint64_t sectors = uint64_t{volumes} * kCf7VolumeSectors;
    Bytes drive(sectors * 512);
    uint8_t ti[256];
    for (uint64_t s = 0; s < sectors; ++s) {
        if (tiBytes != nullptr && (s + 1) * 256 <= tiBytes->size()) {
            std::memcpy(ti, tiBytes->data() + s * 256, 256);
        } else {
            std::memset(ti, kCf7Filler, 256);
        }
        SpreadTiSector(ti, Cf7FillerFor(s), drive.data() + s * 512);
    }
    return drive;
}

inline Bytes EvenBytes(const Bytes &drive, uint64_t sector)
{
    Bytes ti(256);
    GatherTiSector(drive.data() + sector * 512, ti.data());
    return ti;
}

} // namespace kestrel::testing
