#include <gtest/gtest.h>

#include <filesystem>

#include "platform/library.h"
#include "tests/support/recording_ui.h"
#include "viewers/tokenizer_loader.h"

namespace kestrel {
namespace {

const std::string kLibraryName = platform::LibraryFileName("Wendover32");

class TokenizerLoader : public ::testing::Test {
protected:
    void SetUp() override
    {
        UnloadTokenizerLibrary();
        if (!std::filesystem::exists(std::string(KESTREL_BIN_DIR) + "/" + kLibraryName))
            GTEST_SKIP() << "Wendover32 is not built";
    }
    void TearDown() override { UnloadTokenizerLibrary(); }
    testing::RecordingUi ui;
};

TEST(TokenizerLibraryPath, FollowsTheDllDirectoryRule)
{
    EXPECT_EQ(TokenizerLibraryPath("./", "/home/ti"), "/home/ti/./" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath("./libs", "/home/ti"), "/home/ti/./libs/" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath(".\\", "/home/ti"), "/home/ti/./" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath("/opt/k", "/home/ti"), "/opt/k/" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath("/opt/k/", "/home/ti"), "/opt/k/" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath("", "/home/ti"), "/home/ti/./" + kLibraryName);
}

TEST_F(TokenizerLoader, LoadsBindsAndUnloads)
{
    EXPECT_EQ(TokenizerEntry(), nullptr);
    ASSERT_TRUE(LoadTokenizerLibrary(ui, KESTREL_BIN_DIR));
    EXPECT_TRUE(ui.Silent());
    ASSERT_NE(TokenizerEntry(), nullptr);
    EXPECT_EQ(TokenizerEntry()("/no/such/input.txt", nullptr, nullptr, nullptr, ""), 10);
    // Bound once, later calls keep it whatever the directory says.
    EXPECT_TRUE(LoadTokenizerLibrary(ui, "/no/such/dir"));
    EXPECT_TRUE(ui.Silent());
    UnloadTokenizerLibrary();
    EXPECT_FALSE(TokenizerLibraryLoaded());
    EXPECT_EQ(TokenizerEntry(), nullptr);
}

TEST_F(TokenizerLoader, RelativeDirectoryNamesASubdirectoryOfTheWorkingDirectory)
{
    const std::filesystem::path bin(KESTREL_BIN_DIR);
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(bin.parent_path());
    const bool loaded = LoadTokenizerLibrary(ui, "./" + bin.filename().string());
    std::filesystem::current_path(saved);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(ui.Silent());
}

TEST_F(TokenizerLoader, MissingLibraryIsReportedAndRetried)
{
    EXPECT_FALSE(LoadTokenizerLibrary(ui, "/no/such/dir"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "warning");
    EXPECT_EQ(ui.boxes[0].text, "Unable to locate /no/such/dir/" + kLibraryName);
    EXPECT_FALSE(TokenizerLibraryLoaded());
    // A failed load is tried again.
    EXPECT_TRUE(LoadTokenizerLibrary(ui, KESTREL_BIN_DIR));
    EXPECT_EQ(ui.boxes.size(), 1u);
}

} // namespace
} // namespace kestrel
