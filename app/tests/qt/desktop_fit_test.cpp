// How the program sits on a desktop: columns that fit and line up with their
// header, keys that come back to the pane, windows that open on a screen,
// readable colours, the options, dialog frames and menus.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <fstream>

#include "app/qt/config_dialog.h"
#include "app/qt/dialog_frame.h"
#include "app/qt/edit_window.h"
#include "app/qt/find_dialog.h"
#include "app/qt/menus.h"
#include "app/shell/colour_contrast.h"
#include "app/shell/command_table.h"
#include "app/shell/screen_fit.h"
#include "app/tests/qt/input_events.h"
#include "app/tests/qt/program_fixture.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/settings.h"

namespace kestrel::testing
{
namespace
{

uint32_t Ref(const QColor &c)
{
    return ToColorRef(c);
}

class DesktopTest : public ProgramTest
{
protected:
    // Runs act on the first modal dialog named name once it shows.
    void OnModal(const QString &name, std::function<void(QDialog &)> act)
    {
        auto *timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, name, act] {
            auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (d == nullptr || d->objectName() != name)
                return;
            timer->stop();
            timer->deleteLater();
            act(*d);
        });
        timer->start();
    }

    void WriteIni(const std::string &text) { std::ofstream(IniPath()) << text; }

    // A file of every kind of width the columns must show.
    void WriteWideFiles()
    {
        WriteTiFile(root / "files" / "LONGESTNAM", 254, 0x80 | 0x02); // INT/VAR 254
        WriteTiFile(root / "files" / "DISFIX80", 80, 0x00);           // DIS/FIX 80
        WriteTiFile(root / "files" / "SHORT", 80);
    }

    QRect ScreenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

// ---- Columns ----

TEST_F(DesktopTest, CellsAreDrawnInsideTheirHeaderSectionsAndDefaultWidthsFitThem)
{
    WriteWideFiles();
    ASSERT_EQ(Start({Folder()}), -1);
    for (int side = 0; side < 2; ++side) {
        PaneWidgets &w = Window().Widgets(side);
        const Pane &pane = GetShell().GetPane(side);
        ASSERT_EQ(pane.Count(), 3);
        // List and header share the client's coordinates through their left edges.
        const int listX = w.list->geometry().x();
        const int headerX = w.header->geometry().x();
        const QFontMetrics metrics(Window().Style().font);
        for (int row = 0; row < pane.Count(); ++row) {
            const QStringList cells = w.list->RowCells(row);
            for (int c = 0; c < kColumnCount; ++c) {
                const QRect cell = w.list->CellRect(row - pane.firstDrawn, c).translated(listX, 0);
                const QRect section = w.header->SectionRect(c).translated(headerX, 0);
                EXPECT_EQ(cell.left(), section.left() + kCellIndent) << side << row << c;
                EXPECT_LE(cell.right(), section.right()) << side << row << c;
                EXPECT_EQ(w.header->TitleRect(c).left() + headerX, cell.left()) << c;
                // Nothing of a usual cell is cut off at the section's edge.
                EXPECT_LE(metrics.horizontalAdvance(cells[c]), cell.width())
                    << cells[c].toStdString() << " in column " << c;
            }
        }
    }
    // The fitted widths are what the settings keep at exit.
    Window().close();
    program->Finish();
    const std::string ini = ReadIni();
    EXPECT_EQ(ini.find("hdrsize=100 100 100 100 100 100"), std::string::npos) << ini;
    program.reset();
}

TEST_F(DesktopTest, StoredColumnWidthsStayAndADoubleClickOnAnEdgeFitsTheColumn)
{
    WriteWideFiles();
    WriteIni("[Kestrel]\nhdrsize=30 100 100 40 100 100\n");
    Start({Folder()});
    PaneWidgets &w = Window().Widgets(0);
    const Pane &pane = GetShell().GetPane(0);
    EXPECT_EQ(pane.columns[3].width, 40);
    // A double click on the right edge of Type.
    const QRect type = w.header->SectionRect(3);
    const QPoint edge(type.right() + 1, type.center().y());
    SendMouse(w.header, QEvent::MouseButtonPress, edge, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w.header, QEvent::MouseButtonRelease, edge, Qt::LeftButton, Qt::NoButton);
    SendMouse(w.header, QEvent::MouseButtonDblClick, edge, Qt::LeftButton, Qt::LeftButton);
    SendMouse(w.header, QEvent::MouseButtonRelease, edge, Qt::LeftButton, Qt::NoButton);
    const int fitted = kCellIndent + w.list->FittingWidth(3) + kCellRightMargin;
    EXPECT_EQ(pane.columns[3].width, fitted);
    EXPECT_EQ(w.header->SectionRect(3).width(), fitted);
    EXPECT_EQ(pane.columns[4].left, pane.columns[3].left + fitted);
    EXPECT_GE(w.list->CellRect(0, 3).width(),
              QFontMetrics(Window().Style().font).horizontalAdvance("INT/VAR    254"));
    // The other pane keeps its own columns.
    EXPECT_EQ(GetShell().GetPane(1).columns[3].width, 40);
}

// The width a column is fitted to is its widest cell as the list font measures it, in a
// fixed-pitch face and in a proportional one with kerning pairs alike.
TEST_F(DesktopTest, TheFittedWidthIsTheWidestCellInAnyFace)
{
    WriteWideFiles();
    for (const char *name : {"WWWWWWWWWW", "iiiiiiiiii", "AVAVAVAVAV", "MWMW", "To.Ta.Yo"})
        WriteTiFile(root / "files" / name, 80);
    for (const char *face : {"DejaVu Sans Mono", "DejaVu Sans"}) {
        SCOPED_TRACE(face);
        WriteIni(std::string("[Kestrel]\nfname=") + face + "\n");
        Start({Folder()});
        PaneWidgets &w = Window().Widgets(0);
        const Pane &pane = GetShell().GetPane(0);
        ASSERT_EQ(pane.Count(), 8);
        const QFontMetrics metrics(Window().Style().font);
        for (int column = 0; column < kColumnCount; ++column) {
            int widest = 0;
            for (int row = 0; row < pane.Count(); ++row)
                widest = std::max(widest,
                                  metrics.horizontalAdvance(w.list->RowCells(row)[column].trimmed()));
            EXPECT_EQ(w.list->FittingWidth(column), widest) << "column " << column;
        }
        Window().close();
        program->Finish();
        program.reset();
    }
}

// ---- Focus ----

TEST_F(DesktopTest, TheActivePaneGetsTheKeysBackWhenTheWindowIsActivatedAgain)
{
    WriteWideFiles();
    Start({Folder()});
    MainWindow &w = Window();
    w.activateWindow();
    ASSERT_TRUE(WaitActive(&w));
    // A dialog closed with Escape, after which nothing of the window held the keys.
    QDialog dialog(&w);
    dialog.setObjectName("Probe");
    OnModal("Probe", [](QDialog &d) { SendKey(&d, Qt::Key_Escape); });
    w.Client()->clearFocus();
    dialog.exec();
    w.activateWindow();
    ASSERT_TRUE(WaitActive(&w));
    EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == w.Client(); }, 2000));
    // Insert now reaches the pane: the cursor entry is marked.
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    SendKey(QApplication::focusWidget(), Qt::Key_Insert);
    EXPECT_TRUE(GetShell().GetPane(0).Entry(0)->marked);
}

// ---- Window placement ----

TEST_F(DesktopTest, AFirstStartShowsAllColumnsAndManyRowsCentredOnTheScreen)
{
    WriteWideFiles();
    Start({Folder()});
    MainWindow &w = Window();
    const QRect area = ScreenArea();
    EXPECT_TRUE(area.contains(w.frameGeometry()))
        << w.frameGeometry().x() << "," << w.frameGeometry().y();
    int columns = 0;
    for (const PaneColumn &c : GetShell().GetPane(0).columns)
        columns += c.width;
    // All six columns of both panes, or as much as the screen has.
    EXPECT_GE(w.frameGeometry().width(), std::min(2 * columns, area.width())) << columns;
    EXPECT_GT(w.Client()->width(), 600);
    const int rows = GetShell().GetPane(0).rowsPerPage;
    EXPECT_TRUE(rows >= kDefaultRows || w.frameGeometry().height() == area.height()) << rows;
    // Centred across, as far as the width allows.
    EXPECT_LE(std::abs(w.frameGeometry().center().x() - area.center().x()), 3);
}

TEST_F(DesktopTest, SavedPlacementsOffTheScreensArePulledBackWhole)
{
    WriteWideFiles();
    WriteIni("[Kestrel]\nleft=-5000\ntop=-5000\nwidth=500\nheight=300\n");
    Start({Folder()});
    EXPECT_TRUE(ScreenArea().contains(Window().frameGeometry()));
    EXPECT_EQ(Window().Client()->width(), 500);
    program->Finish();
    program.reset();

    // Half off the bottom right: moved, not resized.
    const QRect area = ScreenArea();
    WriteIni("[Kestrel]\nleft=" + std::to_string(area.right() - 200) +
             "\ntop=" + std::to_string(area.bottom() - 100) + "\nwidth=500\nheight=300\n");
    Start({Folder()});
    EXPECT_TRUE(ScreenArea().contains(Window().frameGeometry()));
    EXPECT_EQ(Window().Client()->width(), 500);
}

TEST_F(DesktopTest, AViewerWindowCascadesFromTheMainWindowAndStaysOnTheScreen)
{
    WriteWideFiles();
    WriteIni("[Kestrel]\nleft=10\ntop=10\nwidth=500\nheight=300\n");
    Start({Folder()});
    RecordingUi ui;
    EditWindow *viewer = EditWindow::Create(&Window(), ui);
    ASSERT_NE(viewer, nullptr);
    const QPoint owner = Window().frameGeometry().topLeft();
    // One step right of the owner, and down as far as its height allows.
    EXPECT_EQ(viewer->frameGeometry().left(), owner.x() + kCascadeStep);
    EXPECT_LE(viewer->frameGeometry().top(), owner.y() + kCascadeStep);
    // The slot's 600 x 800 is more than the screen may have; all of it shows.
    EXPECT_TRUE(ScreenArea().contains(viewer->frameGeometry()));
    EditWindow *second = EditWindow::Create(&Window(), ui);
    ASSERT_NE(second, nullptr);
    EXPECT_GT(second->frameGeometry().left(), viewer->frameGeometry().left());
    EXPECT_TRUE(ScreenArea().contains(second->frameGeometry()));
    second->close();
    viewer->close();
}

// ---- Colours ----

TEST_F(DesktopTest, MarkedRowsAndTheCursorBarReadAgainstWhatTheyAreDrawnOn)
{
    WriteWideFiles();
    // A fresh start, and a settings file that keeps the old yellow.
    for (const char *ini : {"", "[Kestrel]\nmarkcolor=65535\n"}) {
        WriteIni(ini);
        Start({Folder()});
        const ListStyle &s = Window().Style();
        EXPECT_GE(ContrastRatio(Ref(s.text), Ref(s.background)), kMinTextContrast) << ini;
        EXPECT_GE(ContrastRatio(Ref(s.mark), Ref(s.background)), kMinTextContrast) << ini;
        EXPECT_GE(ContrastRatio(Ref(s.cursorText), Ref(s.cursorBar)), kMinTextContrast) << ini;
        EXPECT_GE(ContrastRatio(Ref(s.cursorMark), Ref(s.cursorBar)), kMinTextContrast) << ini;
        EXPECT_NE(s.mark, s.text);
        program->Finish();
        program.reset();
        // What the file keeps is left as it was.
        if (std::string(ini).empty())
            EXPECT_NE(ReadIni().find("markcolor=" + std::to_string(kReadableMarkColor)),
                      std::string::npos);
        else
            EXPECT_NE(ReadIni().find("markcolor=65535"), std::string::npos);
    }
}

// ---- Options ----

TEST_F(DesktopTest, OptionsOfferDisksNotLettersAndCancelPutsEverythingBack)
{
    Start({Folder()});
    Settings &s = ProgramSettings();
    const Settings before = s;
    bool seen = false;
    OnModal("Configuration", [&](QDialog &d) {
        seen = true;
        auto box = [&d](int id) {
            for (QCheckBox *b : d.findChildren<QCheckBox *>())
                if (b->property("controlId").toInt() == id)
                    return b;
            return static_cast<QCheckBox *>(nullptr);
        };
        ASSERT_NE(box(1101), nullptr);
        EXPECT_FALSE(box(1101)->isVisibleTo(&d)); // the Windows wheel switch
        EXPECT_FALSE(box(1254)->isVisibleTo(&d)); // C: names no disk
        EXPECT_TRUE(box(1255)->isVisibleTo(&d));
        EXPECT_TRUE(box(1255)->text().startsWith("D: ")) << box(1255)->text().toStdString();
        auto *inUse = d.findChild<QLabel *>("FontInUse");
        ASSERT_NE(inUse, nullptr);
        EXPECT_FALSE(inUse->text().isEmpty());
        box(1104)->click();
        box(1277)->click();
        EXPECT_NE(s.zubCompatible, before.zubCompatible);
        auto *buttons = d.findChild<QDialogButtonBox *>();
        ASSERT_NE(buttons, nullptr);
        buttons->button(QDialogButtonBox::Cancel)->click();
    });
    Window().RunOperation(0, PaneOperation::Options);
    EXPECT_TRUE(seen);
    EXPECT_EQ(s.zubCompatible, before.zubCompatible);
    EXPECT_EQ(s.driveLetters, before.driveLetters);
}

// ---- Dialogs and menus ----

TEST_F(DesktopTest, TheCopyDialogNamesItsTargetAndHasAFixedFrame)
{
    WriteWideFiles();
    RecordingUi ui;
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "WORK", Folder() + "/work.dsk", ui), 0);
    Start({Folder()});
    Pane &right = GetShell().GetPane(kRightPane);
    for (int i = 0; i < right.Count(); ++i)
        if (right.Entry(i)->pcName == "work.dsk")
            GetShell().OpenEntry(kRightPane, i);
    bool seen = false;
    OnModal("Copy File(s)", [&](QDialog &d) {
        seen = true;
        auto *label = d.findChild<QLabel *>("TargetLabel");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), "Target:");
        EXPECT_EQ(label->buddy(), d.findChild<QLabel *>("Destination"));
        EXPECT_FALSE(d.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(d.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(d.layout()->sizeConstraint(), QLayout::SetFixedSize);
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        EXPECT_NE(d.findChild<QDialogButtonBox *>(), nullptr);
        SendKey(&d, Qt::Key_Escape);
    });
    GetShell().SetActiveSide(kLeftPane);
    Press(Qt::Key_F5);
    EXPECT_TRUE(seen);
}

TEST_F(DesktopTest, AnEmptyRecentListShowsOneGreyedNoneAndF1OpensHelp)
{
    Start({Folder()});
    Window().UpdateMenuEnabling();
    int visible = 0;
    for (int id = kCmdRecentFirst; id <= kCmdRecentLast; ++id) {
        QAction *a = Window().CommandAction(id);
        ASSERT_NE(a, nullptr);
        if (a->isVisible()) {
            ++visible;
            EXPECT_EQ(a->text(), "(none)");
            EXPECT_FALSE(a->isEnabled());
        }
    }
    EXPECT_EQ(visible, 1);
    EXPECT_EQ(Window().CommandAction(kCmdHelpIndex)->text(), "&Index\tF1");
}

} // namespace
} // namespace kestrel::testing
