#include "tifs/file_chooser.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/tests/scratch_dir.h"
#include "tests/support/recording_ui.h"
#include "tifs/settings.h"

namespace kestrel {
namespace {

using platform::testing::ScratchDir;
using testing::RecordingUi;

class FileChooser : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = ProgramSettings().path;
        ProgramSettings().path = SettingsFilePath(dir.Path());
    }
    void TearDown() override { ProgramSettings().path = m_saved; }

    ScratchDir dir;
    RecordingUi ui;

private:
    std::string m_saved;
};

TEST_F(FileChooser, EmptyKeyStartsInTheCurrentDirectoryAndRemembersTheChoice)
{
    ui.chosenFiles.push_back("/img/X.DSK");
    std::string name = "GAME";
    EXPECT_EQ(ChooseFileWithRemembered(ui, true, "hdsk_img_path", "Save image", "*.img", "img",
                                       name),
              0);
    ASSERT_EQ(ui.chooserCalls.size(), 1u);
    const auto& call = ui.chooserCalls[0];
    EXPECT_TRUE(call.save);
    EXPECT_EQ(call.startDir, std::filesystem::current_path().string());
    EXPECT_EQ(call.proposedName, "GAME");
    EXPECT_EQ(call.title, "Save image");
    EXPECT_EQ(call.defaultExtension, "img");
    EXPECT_EQ(name, "/img/X.DSK");
    EXPECT_EQ(ReadSettingString("Kestrel", "hdsk_img_path"), "/img/");

    // The next chooser with the key starts there.
    ui.chosenFiles.push_back("/other/Y.DSK");
    EXPECT_EQ(ChooseFileWithRemembered(ui, false, "hdsk_img_path", "Open", "*.img", "img", name),
              0);
    EXPECT_EQ(ui.chooserCalls[1].startDir, "/img/");
    EXPECT_FALSE(ui.chooserCalls[1].save);
    EXPECT_EQ(ReadSettingString("Kestrel", "hdsk_img_path"), "/other/");
}

TEST_F(FileChooser, CancelReturnsOneAndRemembersNothing)
{
    ASSERT_TRUE(WriteSettingString("Kestrel", "cf7a_img_path", "/cards/"));
    std::string name = "card.cf7";
    EXPECT_EQ(ChooseFileWithRemembered(ui, false, "cf7a_img_path", "Open", "*.cf7", "cf7", name),
              1);
    EXPECT_EQ(ui.chooserCalls[0].startDir, "/cards/");
    EXPECT_EQ(ReadSettingString("Kestrel", "cf7a_img_path"), "/cards/");
}

TEST_F(FileChooser, WithoutAKeyTheNameGivesTheStartDirectory)
{
    ui.chosenFiles.push_back("/ti/out/PROG.txt");
    std::string name = "/ti/out/PROG.txt";
    EXPECT_EQ(ChooseFileWithRemembered(ui, true, "", "Save as", "*.txt", "txt", name), 0);
    EXPECT_EQ(ui.chooserCalls[0].startDir, "/ti/out/");
    EXPECT_EQ(ui.chooserCalls[0].proposedName, "PROG.txt");
    EXPECT_EQ(name, "/ti/out/PROG.txt");
    EXPECT_FALSE(std::filesystem::exists(ProgramSettings().path));
}

} // namespace
} // namespace kestrel
