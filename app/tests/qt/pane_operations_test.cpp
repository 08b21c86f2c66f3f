// The file operations that pane keys start, through the real program.
#include <QApplication>

#include <filesystem>

#include "app/tests/qt/program_fixture.h"

namespace kestrel::testing
{
namespace
{

TEST_F(ProgramTest, F5OntoTheSameFolderIsRefusedAndChangesNothing)
{
    WriteTiFile(root / "files" / "ALPHA");
    Start({Folder()});
    Press(Qt::Key_F5);
    ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }, 3000));
    EXPECT_EQ(boxes[0].title, "ERROR");
    EXPECT_EQ(boxes[0].text, "Can't copy files to itself");
    EXPECT_EQ(GetShell().GetPane(0).Count(), 1);
}

TEST_F(ProgramTest, F5CopiesTheCursorFileIntoTheOtherPanesFolder)
{
    WriteTiFile(root / "files" / "ALPHA");
    std::filesystem::create_directory(root / "files" / "sub");
    Start({Folder()});
    // Right pane into the subfolder (entry 0 is the subdirectory).
    Press(Qt::Key_Tab);
    Press(Qt::Key_Home);
    Press(Qt::Key_Return);
    ASSERT_EQ(GetShell().GetPane(1).location.path, (root / "files" / "sub").string());
    // Left pane: the cursor on ALPHA, copy across.
    Press(Qt::Key_Tab);
    Press(Qt::Key_End);
    Press(Qt::Key_F5);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "sub" / "ALPHA"));
    EXPECT_EQ(std::filesystem::file_size(root / "files" / "sub" / "ALPHA"),
              std::filesystem::file_size(root / "files" / "ALPHA"));
    // The destination pane lists what it received (and its "..").
    EXPECT_EQ(GetShell().GetPane(1).Count(), 2);
}

} // namespace
} // namespace kestrel::testing
