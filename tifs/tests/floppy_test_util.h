// Shared fixture of the floppy tests: a scratch directory and small helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog_entry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/ti_header.h"

namespace kestrel::testing
{

class FloppyFixture : public ::testing::Test
{
public:
    void SetUp() override
    {
        std::string base = ::testing::TempDir() + "floppyXXXXXX";
        std::vector<char> buffer(base.begin(), base.end());
        buffer.push_back('\0');
        ASSERT_NE(mkdtemp(buffer.data()), nullptr);
        dir = buffer.data();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Path(const std::string &name) const { return dir + "/" + name; }

    // A new image of preset p at dir/name.
    std::string NewImage(int preset, const std::string &name = "disk.dsk")
    {
        std::string path = Path(name);
        RecordingUi ui;
        EXPECT_EQ(WriteNewImage(*FindPreset(preset), "TEST", path, ui), 0);
        return path;
    }

    // Writes a TI file to the scratch directory and returns the entry that
    // describes it as a PC-directory scan would.
    CatalogEntry PcTiFile(const TiFileSpec &fileSpec, std::string &pcPath)
    {
        pcPath = Path(fileSpec.tiName + (fileSpec.tifiles ? ".tfi" : ".v9t9"));
        std::vector<uint8_t> bytes = MakeTiFileBytes(fileSpec);
        EXPECT_TRUE(WriteBytes(pcPath, bytes));
        CatalogEntry entry;
        entry.pcName = std::filesystem::path(pcPath).filename().string();
        EXPECT_TRUE(DecodeHeader(bytes.data(), entry.pcName, false, entry.ti));
        if (fileSpec.tifiles) {
            entry.ti.tiName = PadTiName(fileSpec.tiName);
        }
        return entry;
    }

    std::string dir;
};

} // namespace kestrel::testing
