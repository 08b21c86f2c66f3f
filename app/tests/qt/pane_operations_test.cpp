// The file operations that pane keys start, through the real program.
#include <QApplication>
#include <QPushButton>

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
    // Left pane: the cursor on ALPHA, copy across with OK in the dialog.
    Press(Qt::Key_Tab);
    Press(Qt::Key_End);
    bool dialogSeen = false;
    QTimer okPresser;
    okPresser.setInterval(10);
    QObject::connect(&okPresser, &QTimer::timeout, [&] {
        auto *dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->objectName() != "Copy File(s)")
            return;
        okPresser.stop();
        dialogSeen = true;
        if (auto *ok = dialog->findChild<QPushButton *>("OK"))
            ok->click();
    });
    okPresser.start();
    Press(Qt::Key_F5);
    okPresser.stop();
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "sub" / "ALPHA"));
    EXPECT_EQ(std::filesystem::file_size(root / "files" / "sub" / "ALPHA"),
              std::filesystem::file_size(root / "files" / "ALPHA"));
    // The destination pane lists what it received (and its "..").
    EXPECT_EQ(GetShell().GetPane(1).Count(), 2);
}

} // namespace
} // namespace kestrel::testing
