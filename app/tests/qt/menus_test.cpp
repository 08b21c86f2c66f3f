#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include "app/qt/main_window.h"
#include "app/qt/menus.h"
#include "app/shell/command_table.h"
#include "app/tests/qt/program_fixture.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/settings.h"

namespace kestrel::testing
{
namespace
{

QWidget *VisibleEditWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == "EditViewer" && w->isVisible())
            return w;
    return nullptr;
}

int IndexOfKind(const Pane &pane, uint16_t kind)
{
    for (int i = 0; i < pane.Count(); ++i)
        if (pane.Entry(i)->ti.kind == kind)
            return i;
    return -1;
}

TEST_F(ProgramTest, MenuBarHoldsEveryItemWithItsShortcutText)
{
    WriteTiFile(root / "files" / "ONE");
    Start({Folder()});
    std::map<int, QAction *> found;
    QStringList titles;
    for (QAction *top : Window().menuBar()->actions()) {
        titles << top->text();
        ASSERT_TRUE(top->menu() != nullptr);
        for (QAction *a : top->menu()->actions())
            if (!a->isSeparator())
                found[a->data().toInt()] = a;
    }
    EXPECT_EQ(titles.first(), "&File");
    for (const MenuCommand &c : MenuCommands()) {
        if (c.id == kCmdViewInOtherPane) {
            EXPECT_EQ(found.count(c.id), 0u);
            continue;
        }
        ASSERT_EQ(found.count(c.id), 1u) << c.id;
        if (c.id < kCmdRecentFirst || c.id > kCmdRecentLast) {
            EXPECT_EQ(found[c.id]->text(), MenuItemLabel(c)) << c.id;
        }
    }
    EXPECT_EQ(found.size(), MenuCommands().size() - 1);
    EXPECT_EQ(found[40041]->text(), "UnMark all TI files\tCtrl+Num-, Ctrl+Ins");
    EXPECT_EQ(found[40013]->text(), "&View directory, archive, .DSK, .IMG or .CF7\tEnter");
    EXPECT_EQ(found[40052]->text(), "Select another directory…");
}

TEST_F(ProgramTest, ToolbarTooltipsAreAskedForByCommandIdAndFocusReturns)
{
    WriteTiFile(root / "files" / "ONE");
    Start({Folder()});
    auto *toolbar = Window().findChild<QToolBar *>("toolbar");
    ASSERT_TRUE(toolbar != nullptr);
    std::map<int, QToolButton *> buttons;
    for (QToolButton *b : toolbar->findChildren<QToolButton *>())
        if (b->defaultAction() && b->defaultAction()->data().toInt() != 0)
            buttons[b->defaultAction()->data().toInt()] = b;
    ASSERT_EQ(buttons.size(), 8u);
    for (auto [id, button] : buttons) {
        // The action's own tooltip is set to something else, so that only
        // the lookup by id can give the right text.
        button->defaultAction()->setToolTip("stale");
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(button, &help);
        EXPECT_EQ(QToolTip::text().toStdString(), ToolbarTooltip(id)) << id;
        QToolTip::hideText();
    }

    WriteTiFile(root / "files" / "TWO");
    Window().Widgets(1).header->setFocus();
    ASSERT_NE(Window().focusWidget(), Window().Client());
    buttons[kTbReread]->click();
    EXPECT_EQ(GetShell().GetPane(0).Count(), 2);
    EXPECT_EQ(Window().focusWidget(), Window().Client());
}

TEST_F(ProgramTest, OpeningAMenuGreysByTheCursorEntryAndAnEmptyPaneOnlyItsItems)
{
    WriteTiFile(root / "files" / "PROG", 0, 0x01); // PROGRAM
    WriteTiFile(root / "files" / "TEXT");          // DIS/VAR 80
    std::filesystem::create_directory(root / "empty");
    Start({Folder()});
    Pane &pane = GetShell().GetPane(0);
    ASSERT_EQ(pane.Count(), 2);
    pane.cursor = IndexOfKind(pane, kKindProgram);
    ASSERT_GE(pane.cursor, 0);
    QMenu *view = Window().menuBar()->actions().value(1)->menu();
    ASSERT_TRUE(view != nullptr);
    emit view->aboutToShow();
    EXPECT_TRUE(Window().CommandAction(40059)->isEnabled());
    EXPECT_TRUE(Window().CommandAction(40002)->isEnabled());
    EXPECT_FALSE(Window().CommandAction(40060)->isEnabled());
    EXPECT_FALSE(Window().CommandAction(40013)->isEnabled());
    EXPECT_TRUE(Window().CommandAction(40037)->isEnabled());

    // Into an empty folder: the entry items grey, the others stay as they were.
    GetShell().GetPane(0).location.startPath = (root / "empty").string();
    GetShell().GotoRoot(0);
    ASSERT_TRUE(GetShell().GetPane(0).Empty());
    Window().CommandAction(40044)->setEnabled(false);
    emit view->aboutToShow();
    EXPECT_FALSE(Window().CommandAction(40059)->isEnabled());
    EXPECT_FALSE(Window().CommandAction(40006)->isEnabled());
    EXPECT_FALSE(Window().CommandAction(40015)->isEnabled());
    EXPECT_TRUE(Window().CommandAction(40037)->isEnabled());
    EXPECT_FALSE(Window().CommandAction(40044)->isEnabled()); // untouched
    EXPECT_TRUE(Window().CommandAction(40063)->isEnabled());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ProgramTest, RightClickOnAnotherRowShowsTheCursorEntrysMenu)
{
    WriteTiFile(root / "files" / "AFILE");
    std::filesystem::create_directory(root / "files" / "SUB");
    WriteTiFile(root / "files" / "SUB" / "INNER");
    WriteTiFile(root / "files" / "ZFILE");
    Start({Folder()});
    Pane &pane = GetShell().GetPane(0);
    const int sub = IndexOfKind(pane, kKindSubdir);
    ASSERT_GE(sub, 0);
    pane.cursor = sub;
    GetShell().Redraw(0);
    const int other = sub == 0 ? 1 : 0;
    ASSERT_NE(pane.Entry(other)->ti.kind, kKindSubdir);

    // The popup is read and its first item chosen while it is open.
    std::string shown;
    QTimer::singleShot(50, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        shown = menu->objectName().toStdString();
        QAction *first = menu->actions().value(0);
        menu->hide();
        if (first)
            first->trigger();
    });
    ListWindow *list = Window().Widgets(0).list;
    const QPoint row(10, other * Window().Style().lineHeight + 2);
    QContextMenuEvent click(QContextMenuEvent::Mouse, row, list->mapToGlobal(row));
    QApplication::sendEvent(list, &click);
    EXPECT_EQ(shown, "Popup3-DIR");
    EXPECT_EQ(GetShell().GetPane(0).location.path, (root / "files" / "SUB").string());

    // The path line has the location menu; the other pane's list has none.
    const QPoint onPath = Window().Widgets(0).pathLine->geometry().center();
    EXPECT_EQ(Window().PopupAt(onPath), PopupMenu::LRWindow);
    const QPoint onRight = Window().Widgets(1).list->geometry().topLeft() + QPoint(5, 2);
    EXPECT_EQ(Window().PopupAt(onRight), PopupMenu::None);
    EXPECT_FALSE(Window().ContextMenu(onRight));
}

TEST_F(ProgramTest, ReportsGoToNewEditWindowsAndExitCloses)
{
    RecordingUi ui;
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "PCDISK", (root / "plain.dsk").string(), ui), 0);
    std::vector<uint8_t> dsk = ReadBytes((root / "plain.dsk").string());
    ASSERT_TRUE(WriteBytes((root / "files" / "disk.pc99").string(), MakePc99Image(dsk, 10, 40, 1)));
    Start({Folder()});
    Pane &pane = GetShell().GetPane(0);
    pane.cursor = IndexOfKind(pane, kKindPc99Sd);
    ASSERT_GE(pane.cursor, 0);

    Window().Command(kCmdPc99Layout);
    QWidget *layout = VisibleEditWindow();
    ASSERT_TRUE(layout != nullptr);
    auto *text = layout->findChild<QPlainTextEdit *>();
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_TRUE(text->toPlainText().startsWith("\tDisklayout of disk.pc99"))
        << text->toPlainText().toStdString();
    EXPECT_EQ(layout->windowTitle().toStdString(), "Kestrel - " + Folder());
    layout->close();

    Window().Command(kCmdDirectoryReport);
    QWidget *report = VisibleEditWindow();
    ASSERT_TRUE(report != nullptr);
    text = report->findChild<QPlainTextEdit *>();
    EXPECT_FALSE(text->isReadOnly());
    EXPECT_TRUE(text->toPlainText().startsWith("Directory of"))
        << text->toPlainText().toStdString();
    EXPECT_TRUE(text->toPlainText().contains("PCDISK"));
    report->close();
    EXPECT_TRUE(boxes.empty());

    Window().Command(40070); // not a command: nothing
    Window().Command(kTbExtract);
    EXPECT_EQ(VisibleEditWindow(), nullptr);
    EXPECT_TRUE(Window().isVisible());
    Window().Command(kCmdExit);
    EXPECT_FALSE(Window().isVisible());
}

} // namespace
} // namespace kestrel::testing
