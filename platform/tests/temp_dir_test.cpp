#include "platform/temp_dir.h"

#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>

#include "platform/tests/scratch_dir.h"

namespace kestrel::platform {
namespace {

using testing::ScratchDir;
using testing::WriteFile;

// Sets the three variables for one test and puts the old values back.
class TempEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kNames) {
            const char* v = std::getenv(name);
            m_saved.push_back(v ? std::optional<std::string>(v) : std::nullopt);
            unsetenv(name);
        }
    }
    void TearDown() override
    {
        for (size_t i = 0; i < m_saved.size(); ++i) {
            if (m_saved[i])
                setenv(kNames[i], m_saved[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
    }
    static constexpr const char* kNames[3] = {"TMP", "TEMP", "TMPDIR"};
    std::vector<std::optional<std::string>> m_saved;
};

TEST_F(TempEnvironment, BaseComesFromTmpThenTempThenTmpdir)
{
    EXPECT_EQ(TempBaseDirectory(), "/tmp");
    setenv("TMPDIR", "/c", 1);
    EXPECT_EQ(TempBaseDirectory(), "/c");
    setenv("TEMP", "/b", 1);
    EXPECT_EQ(TempBaseDirectory(), "/b");
    setenv("TMP", "", 1); // set but empty: not a directory to use
    EXPECT_EQ(TempBaseDirectory(), "/b");
    setenv("TMP", "/a", 1);
    EXPECT_EQ(TempBaseDirectory(), "/a");
}

TEST_F(TempEnvironment, PrivateDirectoryHoldsTheThreeNamesAndGoesAway)
{
    ScratchDir base;
    setenv("TEMP", base.Path().c_str(), 1);
    std::string made;
    {
        TempDir temp;
        ASSERT_TRUE(temp.Create());
        made = temp.Directory();
        EXPECT_EQ(made.rfind(base.Path() + "/", 0), 0u);
        struct stat st {};
        ASSERT_EQ(stat(made.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(temp.GeneralFile(), made + "/ti_tmp.$$$");
        EXPECT_EQ(temp.ArchiveFile(), made + "/ti_arc.$$$");
        EXPECT_EQ(temp.PictureFile(), made + "/ti_pic.gif");
        WriteFile(temp.GeneralFile(), "data");
        WriteFile(temp.PictureFile(), "GIF89a");
    }
    EXPECT_FALSE(std::filesystem::exists(made));
    EXPECT_TRUE(std::filesystem::exists(base.Path()));
}

TEST_F(TempEnvironment, ExplicitRemoveAndFailedCreate)
{
    ScratchDir base;
    TempDir temp;
    ASSERT_TRUE(temp.Create(base.Path() + "/"));
    std::string made = temp.Directory();
    EXPECT_EQ(made.find("//"), std::string::npos);
    temp.Remove();
    EXPECT_FALSE(temp.Created());
    EXPECT_FALSE(std::filesystem::exists(made));
    temp.Remove();

    EXPECT_FALSE(temp.Create(base / "missing"));
    EXPECT_EQ(temp.Error(), ENOENT);
    EXPECT_TRUE(temp.GeneralFile().empty());
}

} // namespace
} // namespace kestrel::platform
