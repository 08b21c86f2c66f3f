// Drag and drop offscreen: the drag data a pane gives, delivered to the other
// pane as Qt delivers a drop (enter, move, drop), and file URLs from the
// desktop dropped on a disk image.
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>

#include <fstream>

#include "app/qt/entry_drag.h"
#include "app/tests/qt/input_events.h"
#include "app/tests/qt/program_fixture.h"
#include "platform/temp_dir.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"

namespace kestrel::testing
{
namespace
{

class DragDrop : public ProgramTest
{
protected:
    int dialogs = 0;

    // Presses OK in every copy dialog that shows, until stopped.
    void AcceptCopyDialogs()
    {
        auto *timer = new QTimer(&Window());
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [this] {
            auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (d == nullptr || d->objectName() != "Copy File(s)")
                return;
            ++dialogs;
            for (QPushButton *b : d->findChildren<QPushButton *>())
                if (b->objectName() == "OK") {
                    b->click();
                    return;
                }
        });
        timer->start();
    }

    void MakeDsk(const std::string &name)
    {
        RecordingUi ui;
        ASSERT_EQ(WriteNewImage(*FindPreset(0), "WORK", (root / "files" / name).string(), ui), 0);
    }

    int IndexOf(int side, const std::string &pcName)
    {
        const Pane &pane = GetShell().GetPane(side);
        for (int i = 0; i < pane.Count(); ++i)
            if (pane.Entry(i)->pcName == pcName)
                return i;
        return -1;
    }

    bool Holds(int side, const std::string &tiName)
    {
        const Pane &pane = GetShell().GetPane(side);
        for (int i = 0; i < pane.Count(); ++i) {
            std::string name = pane.Entry(i)->ti.tiName;
            name.erase(name.find_last_not_of(' ') + 1);
            if (name == tiName)
                return true;
        }
        return false;
    }

    // Enter, move and drop at y of the pane's list; whether the list took it.
    bool Drop(int side, const QMimeData *data, int y)
    {
        ListWindow *list = Window().Widgets(side).list;
        const QPoint at(20, y);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(list, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(list, &move);
        EXPECT_EQ(move.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(list, &drop);
        return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }

    int BelowTheRows(int side)
    {
        return (GetShell().GetPane(side).Count() + 1) * Window().Style().lineHeight;
    }
};

TEST_F(DragDrop, MarkedEntriesDraggedToTheOtherPaneAreCopiedIntoItsImage)
{
    for (const char *name : {"ALPHA", "BETA", "GAMMA"})
        WriteTiFile(root / "files" / name);
    MakeDsk("work.dsk");
    Start({Folder()});
    GetShell().OpenEntry(kRightPane, IndexOf(kRightPane, "work.dsk"));
    ASSERT_EQ(GetShell().GetPane(kRightPane).location.kind, kLocDskImage);
    GetShell().GetPane(kLeftPane).Entry(IndexOf(kLeftPane, "ALPHA"))->marked = true;
    GetShell().GetPane(kLeftPane).Entry(IndexOf(kLeftPane, "GAMMA"))->marked = true;

    std::unique_ptr<EntryMimeData> data(Window().CreateDragData(kLeftPane));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(PaneDragSource(data.get()), kLeftPane);
    // The source pane itself takes no drop: nothing moves inside a location.
    EXPECT_FALSE(Drop(kLeftPane, data.get(), 2));
    AcceptCopyDialogs();
    ASSERT_TRUE(Drop(kRightPane, data.get(), BelowTheRows(kRightPane)));
    ASSERT_TRUE(WaitFor([&] { return Holds(kRightPane, "GAMMA"); }, 5000));
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(Holds(kRightPane, "ALPHA"));
    EXPECT_FALSE(Holds(kRightPane, "BETA"));
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    // As F5 leaves them: the copied entries are no longer marked.
    EXPECT_FALSE(GetShell().GetPane(kLeftPane).Entry(IndexOf(kLeftPane, "ALPHA"))->marked);
}

TEST_F(DragDrop, ADropOnAnImageRowCopiesIntoThatImage)
{
    WriteTiFile(root / "files" / "ALPHA");
    MakeDsk("work.dsk");
    Start({Folder()});
    GetShell().GetPane(kLeftPane).cursor = IndexOf(kLeftPane, "ALPHA");
    std::unique_ptr<EntryMimeData> data(Window().CreateDragData(kLeftPane));
    ASSERT_NE(data, nullptr);
    AcceptCopyDialogs();
    const int row = IndexOf(kRightPane, "work.dsk");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(Drop(kRightPane, data.get(), row * Window().Style().lineHeight + 2));
    ASSERT_TRUE(WaitFor([&] { return Holds(kRightPane, "ALPHA") && dialogs == 1; }, 5000));
    EXPECT_EQ(GetShell().GetPane(kRightPane).location.kind, kLocDskImage);
}

TEST_F(DragDrop, FileUrlsFromTheDesktopDroppedOnADiskImageLandInIt)
{
    std::filesystem::create_directory(root / "desk");
    WriteTiFile(root / "desk" / "FROMDESK", 80);
    WriteTiFile(root / "desk" / "SECOND", 254, 0x82);
    std::ofstream(root / "desk" / "unrelated.txt") << "not dropped";
    MakeDsk("work.dsk");
    Start({Folder()});
    GetShell().OpenEntry(kRightPane, IndexOf(kRightPane, "work.dsk"));
    ASSERT_EQ(GetShell().GetPane(kRightPane).location.kind, kLocDskImage);

    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString((root / "desk" / "FROMDESK").string())),
         QUrl::fromLocalFile(QString::fromStdString((root / "desk" / "SECOND").string()))});
    AcceptCopyDialogs();
    ASSERT_TRUE(Drop(kRightPane, &data, BelowTheRows(kRightPane)));
    ASSERT_TRUE(WaitFor(
        [&] { return Holds(kRightPane, "FROMDESK") && Holds(kRightPane, "SECOND"); }, 5000));
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    // The file next to them was not dropped and stays out.
    EXPECT_FALSE(Holds(kRightPane, "UNRELATED"));

    // Something that is no local file is not taken.
    QMimeData remote;
    remote.setUrls({QUrl("https://example.invalid/file")});
    EXPECT_FALSE(Drop(kRightPane, &remote, 2));
}

TEST_F(DragDrop, EntriesOfAnImageReachTheDesktopAsTifilesFilesThatGoAgain)
{
    WriteTiFile(root / "files" / "ALPHA");
    WriteTiFile(root / "files" / "BETA", 0, 0x01);
    MakeDsk("work.dsk");
    Start({Folder()});
    // Into the image first, then out of it by dragging.
    GetShell().GetPane(kLeftPane).Entry(IndexOf(kLeftPane, "ALPHA"))->marked = true;
    GetShell().GetPane(kLeftPane).Entry(IndexOf(kLeftPane, "BETA"))->marked = true;
    GetShell().OpenEntry(kRightPane, IndexOf(kRightPane, "work.dsk"));
    AcceptCopyDialogs();
    GetShell().SetActiveSide(kLeftPane);
    Press(Qt::Key_F5);
    ASSERT_TRUE(Holds(kRightPane, "ALPHA") && Holds(kRightPane, "BETA"));
    Pane &right = GetShell().GetPane(kRightPane);
    for (int i = 0; i < right.Count(); ++i)
        right.Entry(i)->marked = IsTiFileKind(right.Entry(i)->ti.kind);

    std::unique_ptr<EntryMimeData> data(Window().CreateDragData(kRightPane));
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasUrls());
    EXPECT_TRUE(data->ExportFolder().empty()) << "nothing is written before a target asks";
    const QList<QUrl> urls = data->urls();
    ASSERT_EQ(urls.size(), 2);
    const std::string folder = data->ExportFolder();
    EXPECT_EQ(folder.rfind(platform::ProgramTempDir().Directory(), 0), 0u) << folder;
    for (const QUrl &url : urls) {
        std::ifstream in(url.toLocalFile().toStdString(), std::ios::binary);
        char head[8] = {};
        in.read(head, 8);
        EXPECT_EQ(std::string(head, 8), "\x07TIFILES") << url.toLocalFile().toStdString();
    }
    data->RemoveExport();
    EXPECT_FALSE(std::filesystem::exists(folder));
    for (const QUrl &url : urls)
        EXPECT_FALSE(std::filesystem::exists(url.toLocalFile().toStdString()));

    // A PC directory hands over its own files, and writes nothing.
    GetShell().GetPane(kLeftPane).cursor = IndexOf(kLeftPane, "ALPHA");
    std::unique_ptr<EntryMimeData> own(Window().CreateDragData(kLeftPane));
    ASSERT_NE(own, nullptr);
    ASSERT_FALSE(own->urls().isEmpty());
    EXPECT_EQ(own->urls().first().toLocalFile().toStdString(), Folder() + "/ALPHA");
    EXPECT_TRUE(own->ExportFolder().empty());
}

TEST_F(DragDrop, TheMouseStartsADragOnlyPastTheDragDistanceAndKeepsTheMarks)
{
    for (const char *name : {"ALPHA", "BETA", "GAMMA"})
        WriteTiFile(root / "files" / name);
    Start({Folder()});
    ListWindow *list = Window().Widgets(kLeftPane).list;
    // The drag itself would wait for the mouse; only its start is watched.
    QObject::disconnect(list, &ListWindow::dragRequested, &Window(), nullptr);
    int requested = 0;
    QObject::connect(list, &ListWindow::dragRequested, list, [&requested] { ++requested; });
    Pane &pane = GetShell().GetPane(kLeftPane);
    pane.Entry(0)->marked = true;
    pane.Entry(2)->marked = true;
    const int lh = Window().Style().lineHeight;
    SendMouse(list, QEvent::MouseButtonPress, QPoint(10, lh / 2), Qt::LeftButton, Qt::LeftButton);
    SendMouse(list, QEvent::MouseMove, QPoint(11, lh / 2), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(requested, 0);
    QMouseEvent move(QEvent::MouseMove, QPointF(10 + 3 * QApplication::startDragDistance(), lh / 2),
                     list->mapToGlobal(QPointF(10, lh / 2)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(list, &move);
    EXPECT_EQ(requested, 1);
    EXPECT_TRUE(pane.Entry(0)->marked);
    EXPECT_TRUE(pane.Entry(2)->marked);
    SendMouse(list, QEvent::MouseButtonRelease, QPoint(40, lh / 2), Qt::LeftButton, Qt::NoButton);
    // A plain click on a marked entry, without moving, still clears the marks.
    SendMouse(list, QEvent::MouseButtonPress, QPoint(10, lh / 2), Qt::LeftButton, Qt::LeftButton);
    SendMouse(list, QEvent::MouseButtonRelease, QPoint(10, lh / 2), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(pane.Entry(2)->marked);
}

} // namespace
} // namespace kestrel::testing
