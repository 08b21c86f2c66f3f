// The "Check disk" window: the findings of an image, a Repair button that
// asks before it writes, and a disk that checks clean afterwards.
#include <QApplication>
#include <QPushButton>

#include <filesystem>

#include <gtest/gtest.h>

#include "app/qt/check_disk_window.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/floppy/vib.h"

namespace kestrel::testing
{
namespace
{

class CheckDiskWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kestrel-checkdisk-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        m_image = (m_root / "damaged.dsk").string();
        ASSERT_EQ(0, WriteNewImage(*FindPreset(0), "DAMAGED", m_image, ui));
        std::vector<uint8_t> bytes = ReadBytes(m_image);
        MarkAu(bytes.data(), 100, true); // used for no file
        ASSERT_TRUE(WriteBytes(m_image, bytes));
        m_damaged = bytes;
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }

    std::filesystem::path m_root;
    std::string m_image;
    std::vector<uint8_t> m_damaged;
    RecordingUi ui;
};

QPushButton *Button(QWidget &window, const char *name)
{
    return window.findChild<QPushButton *>(name);
}

TEST_F(CheckDiskWindowTest, ShowsTheFindingsAndRepairsOnlyWhenTheUserSaysYes)
{
    CheckDiskWindow window(nullptr, ui, m_image, "damaged.dsk");
    EXPECT_EQ("CheckDisk", window.objectName().toStdString());
    EXPECT_NE(std::string::npos, window.Text().find("AU 100 is marked used but belong to no file"))
        << window.Text();
    ASSERT_NE(nullptr, Button(window, "Repair"));
    EXPECT_TRUE(Button(window, "Repair")->isEnabled());

    ui.answers = {Answer::No};
    EXPECT_FALSE(window.Repair());
    EXPECT_EQ(m_damaged, ReadBytes(m_image));
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("question", ui.boxes[0].kind);
    EXPECT_NE(std::string::npos, ui.boxes[0].text.find(m_image + ".bak")) << ui.boxes[0].text;

    ui.answers = {Answer::Yes};
    EXPECT_TRUE(window.Repair());
    EXPECT_EQ(m_damaged, ReadBytes(m_image + ".bak"));
    EXPECT_NE(std::string::npos, window.Text().find("repaired: The bitmap was rebuilt"))
        << window.Text();
    EXPECT_NE(std::string::npos, window.Text().find("after the repair:\n0 files, 0 "
                                                    "subdirectories, 2 sectors in use: clean"))
        << window.Text();
    EXPECT_FALSE(Button(window, "Repair")->isEnabled());
}

TEST_F(CheckDiskWindowTest, AnOlderBackupIsReplacedOnlyWhenTheUserSaysSo)
{
    ASSERT_TRUE(WriteBytes(m_image + ".bak", {'o', 'l', 'd'}));
    CheckDiskWindow window(nullptr, ui, m_image, "damaged.dsk");
    ui.answers = {Answer::Yes, Answer::No};
    EXPECT_FALSE(window.Repair());
    EXPECT_EQ(m_damaged, ReadBytes(m_image));
    EXPECT_EQ(std::vector<uint8_t>({'o', 'l', 'd'}), ReadBytes(m_image + ".bak"));
    ui.answers = {Answer::Yes, Answer::Yes};
    EXPECT_TRUE(window.Repair());
    EXPECT_EQ(m_damaged, ReadBytes(m_image + ".bak"));
}

TEST_F(CheckDiskWindowTest, AFileThatCannotBeCheckedSaysSoAndOffersNoRepair)
{
    const std::string text = (m_root / "plain.txt").string();
    ASSERT_TRUE(WriteBytes(text, std::vector<uint8_t>(300, 'a')));
    CheckDiskWindow window(nullptr, ui, text, "plain.txt");
    EXPECT_NE(std::string::npos, window.Text().find("that can be checked")) << window.Text();
    EXPECT_FALSE(Button(window, "Repair")->isEnabled());
}

} // namespace
} // namespace kestrel::testing
