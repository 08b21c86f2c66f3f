// A partitioned hard-disk image walked through in a pane: image, partition,
// directory, and back up, with the cursor returned to each entry entered.
#include <QApplication>

#include <cstdio>
#include <filesystem>

#include "app/tests/qt/program_fixture.h"
#include "tests/support/hd_image_builder.h"

namespace kestrel::testing
{
namespace
{

int IndexOfName(Pane &pane, const std::string &tiName)
{
    for (int i = 0; i < pane.Count(); ++i) {
        std::string name = pane.Entry(i)->ti.tiName;
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (name == tiName)
            return i;
    }
    return -1;
}

int IndexOfUp(Pane &pane)
{
    for (int i = 0; i < pane.Count(); ++i)
        if (pane.Entry(i)->ti.kind == kKindUpDir)
            return i;
    return -1;
}

TEST_F(ProgramTest, PartitionedImagePartitionDirectoryAndBackRestoreTheCursor)
{
    const std::string library = std::string(KESTREL_BIN_DIR) + "/Brackenly32.so";
    if (!std::filesystem::exists(library))
        GTEST_SKIP() << "the hard-disk library is not built";
    std::FILE *ini = std::fopen(IniPath().c_str(), "w");
    ASSERT_NE(ini, nullptr);
    std::fprintf(ini, "[Kestrel]\nDllDirectory=%s\n", KESTREL_BIN_DIR);
    std::fclose(ini);

    HdVolumeLayout first;
    first.sectors = 8192;
    first.label = "VOL1";
    HdVolumeLayout second = first;
    second.label = "VOL2";
    std::vector<uint8_t> image = MakePartitionedHdImage({first, second});
    HdVolumeView view(image, 2 + first.sectors);
    view.AddSubdirectory(0, 60, 61, "UTIL");
    view.AddProgram(0, 70, "GAME", 2100, std::vector<uint8_t>(300, 7));
    for (const char *dir : {"d1", "d2", "d3"})
        std::filesystem::create_directory(root / "files" / dir);
    ASSERT_TRUE(WriteHdImageFile((root / "files" / "parts.img").string(), image));

    Start({Folder()});
    Pane &left = GetShell().GetPane(0);
    ASSERT_EQ(left.Count(), 4);
    ASSERT_EQ(left.Entry(3)->ti.kind, kKindPartitionedImage) << left.Entry(3)->pcName;
    for (int i = 0; i < 3; ++i)
        Press(Qt::Key_Down);
    Press(Qt::Key_Return);
    ASSERT_TRUE(boxes.empty()) << boxes[0].text;
    EXPECT_EQ(left.history.depth, 1);
    const int partition = IndexOfName(left, "VOL2");
    ASSERT_GT(partition, 0) << "partition list without VOL2";

    left.cursor = partition;
    Press(Qt::Key_Return);
    ASSERT_TRUE(boxes.empty()) << boxes[0].text;
    EXPECT_EQ(left.history.depth, 2);
    const int util = IndexOfName(left, "UTIL");
    ASSERT_GE(util, 0);
    EXPECT_GE(IndexOfName(left, "GAME"), 0);

    left.cursor = util;
    Press(Qt::Key_Return);
    ASSERT_TRUE(boxes.empty()) << boxes[0].text;
    EXPECT_EQ(left.history.depth, 3);
    EXPECT_EQ(IndexOfName(left, "GAME"), -1);

    // Back up, one level at a time, onto the entry that was entered.
    left.cursor = IndexOfUp(left);
    ASSERT_GE(left.cursor, 0);
    Press(Qt::Key_Return);
    EXPECT_EQ(left.cursor, util);
    EXPECT_GE(IndexOfName(left, "GAME"), 0);

    left.cursor = IndexOfUp(left);
    ASSERT_GE(left.cursor, 0);
    Press(Qt::Key_Return);
    EXPECT_EQ(left.cursor, partition);
    EXPECT_EQ(IndexOfName(left, "VOL2"), partition);

    left.cursor = IndexOfUp(left);
    ASSERT_GE(left.cursor, 0);
    Press(Qt::Key_Return);
    EXPECT_EQ(left.location.kind, kLocPcDirectory);
    EXPECT_EQ(left.cursor, 3);
    EXPECT_EQ(left.history.depth, 0);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
}

} // namespace
} // namespace kestrel::testing
