#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/floppy_builder.h"
#include "tifs/floppy/output_file.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;

class OutputFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kestrel-out-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Path(const std::string &name) const { return m_dir + "/" + name; }

    std::string m_dir;
};

const std::vector<uint8_t> kOld = {'o', 'l', 'd'};
const std::vector<uint8_t> kNew = {'n', 'e', 'w', '!'};

// The user's own files beside the target are no scratch space, whatever their names.
TEST_F(OutputFileTest, FilesNamedLikeAPartFileBesideTheTargetStayUntouched)
{
    for (const char *neighbour : {"GAME.part$$$", ".GAME.new-000000"}) {
        ASSERT_TRUE(testing::WriteBytes(Path(neighbour), kOld));
    }
    for (bool existed : {false, true}) {
        OutputFile out(Path("GAME"));
        ASSERT_TRUE(out.Open());
        ASSERT_TRUE(out.Write(kNew.data(), kNew.size()));
        ASSERT_TRUE(out.Finish(true)) << existed;
        EXPECT_EQ(testing::ReadBytes(Path("GAME")), kNew);
    }
    for (const char *neighbour : {"GAME.part$$$", ".GAME.new-000000"}) {
        EXPECT_EQ(testing::ReadBytes(Path(neighbour)), kOld) << neighbour;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 3);
}

TEST_F(OutputFileTest, IncompleteWriteKeepsANewFileButNeverSpoilsAnOldOne)
{
    ASSERT_TRUE(testing::WriteBytes(Path("old"), kOld));
    {
        OutputFile out(Path("old"));
        ASSERT_TRUE(out.Open());
        out.Write(kNew.data(), kNew.size());
        EXPECT_FALSE(out.Finish(false));
    }
    {
        OutputFile out(Path("fresh"));
        ASSERT_TRUE(out.Open());
        out.Write(kNew.data(), kNew.size());
    } // destroyed unfinished: as Finish(false)
    EXPECT_EQ(testing::ReadBytes(Path("old")), kOld);
    EXPECT_EQ(testing::ReadBytes(Path("fresh")), kNew);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);
}

} // namespace
} // namespace kestrel
