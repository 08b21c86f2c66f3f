// kestrel-cli picture: the bitmap of a picture window as a PPM file.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tests/cli_test_support.h"
#include "tests/support/record_builder.h"

namespace
{

namespace fs = std::filesystem;
namespace t = kestrel::testing;
using t::CliRun;
using t::RunCli;

std::vector<uint8_t> FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class CliPicture : public ::testing::Test
{
protected:
    void SetUp() override { m_dir = t::MakeScratchFolder("kestrel-picture"); }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string m_dir;
};

TEST_F(CliPicture, TiArtistPairDrawnIntoAPpmFile)
{
    t::TiFileData picture = t::ProgramTiFile(std::vector<uint8_t>(24 * 256, 0x80));
    picture.fileSpec.name = "SKY_P";
    t::TiFileData colours = t::ProgramTiFile(std::vector<uint8_t>(24 * 256, 0xD1));
    colours.fileSpec.name = "SKY_C";
    ASSERT_TRUE(t::WriteFileBytes(m_dir + "/sky_p", picture.Bytes()));
    ASSERT_TRUE(t::WriteFileBytes(m_dir + "/sky_c", colours.Bytes()));

    const CliRun run =
        RunCli("picture '" + m_dir + "/sky_c' --mode tiartist --out '" + m_dir + "/sky.ppm'");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "Kestrel - " + m_dir + "->sky_p (size= 6144 bytes: 256x192)\n");
    const std::vector<uint8_t> ppm = FileBytes(m_dir + "/sky.ppm");
    const std::string head = "P6\n276 212\n255\n";
    ASSERT_EQ(ppm.size(), head.size() + 276u * 212 * 3);
    EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + head.size()), head);
    auto pixel = [&](int x, int y) {
        const size_t at = head.size() + (static_cast<size_t>(y) * 276 + x) * 3;
        return std::vector<uint8_t>(ppm.begin() + at, ppm.begin() + at + 3);
    };
    EXPECT_EQ(pixel(10, 10), (std::vector<uint8_t>{0xFF, 0x00, 0xFF})); // magenta foreground
    EXPECT_EQ(pixel(11, 10), (std::vector<uint8_t>{0x00, 0x00, 0x00})); // black background
    EXPECT_EQ(pixel(0, 0), (std::vector<uint8_t>{0xC2, 0xC2, 0xC2}));
}

TEST_F(CliPicture, RefusalsLeaveNoPicture)
{
    std::string record = "GIF89a";
    record.resize(128, '\0');
    t::TiFileData gif = t::FixedRecordFile(false, 128, {record});
    gif.fileSpec.name = "GIF";
    ASSERT_TRUE(t::WriteFileBytes(m_dir + "/gif", gif.Bytes()));
    CliRun run = RunCli("picture '" + m_dir + "/gif' --mode myart512 --out '" + m_dir + "/g.ppm'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Not a MYART file <gif>"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(m_dir + "/g.ppm"));

    run = RunCli("picture '" + m_dir + "/gif' --mode charset --out '" + m_dir + "/g.ppm'");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(m_dir + "/g.ppm"));
    run = RunCli("picture '" + m_dir + "/gif' --mode bitmap --out x.ppm");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("unknown mode bitmap"), std::string::npos);
}

} // namespace
