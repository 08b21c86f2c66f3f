// The window on a folder large enough to be listed in the background: the
// path line tells the progress, keys work while rows arrive, the complete
// list is the sorted folder, and closing the window mid-scan is safe.
#include <QLabel>

#include <algorithm>
#include <string>
#include <vector>

#include "app/tests/qt/program_fixture.h"

namespace kestrel::testing
{
namespace
{

class WindowBackgroundListing : public ProgramTest
{
protected:
    void WriteFolder(int count)
    {
        for (int i = 0; i < count; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "N%05d", count - 1 - i);
            WriteTiFile(root / "files" / name);
        }
    }
    std::vector<std::string> Names(int side)
    {
        std::vector<std::string> names;
        const Pane &p = GetShell().GetPane(side);
        for (int i = 0; i < p.Count(); ++i)
            names.push_back(p.Entry(i)->pcName);
        return names;
    }
};

TEST_F(WindowBackgroundListing, RowsArriveSortedWhileKeysWorkAndTheLineTellsTheProgress)
{
    constexpr int kFiles = 12000;
    WriteFolder(kFiles);
    ASSERT_EQ(Start({Folder()}), -1);
    MainWindow &w = Window();
    bool sawProgress = false;
    int keys = 0;
    const bool done = WaitFor(
        [&] {
            if (GetShell().Scanning(0)) {
                sawProgress = sawProgress ||
                              w.Widgets(0).pathLine->text().contains(QStringLiteral("files..."));
                // Keys on the rows already shown.
                Press(keys % 3 == 0 ? Qt::Key_Insert : Qt::Key_PageDown);
                ++keys;
            }
            return !GetShell().Scanning(0) && !GetShell().Scanning(1);
        },
        30000);
    ASSERT_TRUE(done);
    if (keys > 0)
        EXPECT_TRUE(sawProgress);
    EXPECT_EQ(w.Widgets(0).pathLine->text().toStdString(), " " + Folder());
    std::vector<std::string> names = Names(0);
    ASSERT_EQ(names.size(), static_cast<size_t>(kFiles));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(Names(1), names);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowBackgroundListing, EscapeStopsTheListingAndClosingMidScanIsSafe)
{
    WriteFolder(12000);
    ASSERT_EQ(Start({Folder()}), -1);
    Shell &shell = GetShell();
    shell.SetActiveSide(0);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(shell.Scanning(0));
    const int kept = shell.GetPane(0).Count();
    WaitFor([] { return false; }, 100);
    EXPECT_EQ(shell.GetPane(0).Count(), kept);
    EXPECT_FALSE(Window().Widgets(0).pathLine->text().contains(QStringLiteral("files...")));
    // Reread lists it again; the window closes while that runs.
    Press(Qt::Key_R, Qt::ControlModifier);
    Window().close();
    WaitFor([] { return false; }, 50);
    EXPECT_FALSE(shell.Scanning(0));
    EXPECT_FALSE(shell.Scanning(1));
    EXPECT_TRUE(boxes.empty());
}

} // namespace
} // namespace kestrel::testing
