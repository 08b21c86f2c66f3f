// Shared set-up of the hard-disk tests: the real library from the build's
// bin directory, a scratch folder, and TI files made in code.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "drives/hd_binding.h"
#include "tests/support/recording_ui.h"
#include "tifs/settings.h"
#include "tifs/ti_file.h"
#include "tifs/ti_header.h"

namespace kestrel::testing
{

class HdTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UnloadHdLibrary();
        ProgramSettings().dllDirectory = KESTREL_BIN_DIR;
        m_dir = std::filesystem::temp_directory_path() /
                ("kestrel_hd_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        UnloadHdLibrary();
        ProgramSettings().extractTiFiles = false;
        std::filesystem::remove_all(m_dir);
    }
    std::string Dir() const { return m_dir.string(); }
    std::string PathOf(const std::string &name) const { return (m_dir / name).string(); }

    // A TIFILES file of DIS/FIX 128 (or PROGRAM) with `sectors` sectors of
    // patterned data; returns its bytes after writing it.
    std::vector<uint8_t> WriteTiFile(const std::string &name, uint16_t sectors, bool program,
                                     uint8_t seed)
    {
        TiFileDescriptor d;
        d.flags = program ? kFlagProgram : 0;
        d.sectors = sectors;
        d.recordLength = program ? 0 : 128;
        d.recordsPerSector = program ? 0 : 2;
        d.level3Count = program ? 0 : static_cast<uint16_t>(sectors * 2);
        d.eofOffset = program ? 0x40 : 0;
        std::vector<uint8_t> bytes(kHeaderSize + size_t(sectors) * 256);
        MakeTifilesHeader(d, bytes.data());
        for (size_t i = kHeaderSize; i < bytes.size(); ++i) {
            bytes[i] = static_cast<uint8_t>(i * 7 + seed);
        }
        FILE *f = std::fopen(PathOf(name).c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return bytes;
    }

    std::filesystem::path m_dir;
    RecordingUi ui;
};

inline std::vector<uint8_t> ReadAll(const std::string &path)
{
    std::vector<uint8_t> bytes;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return bytes;
    }
    uint8_t buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    std::fclose(f);
    return bytes;
}

} // namespace kestrel::testing
