// The main window ("Kestrel"): menu bar, toolbar, the two panes with the
// bar between them, timer 1 and the splash picture. It carries out the
// shell's repaint and dialog requests and turns Qt events into key codes
// and clicks for the shell.
#pragma once

#include <QAction>
#include <QFrame>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QToolBar>

#include "app/qt/entry_drag.h"
#include "app/qt/pane_widget.h"
#include "app/qt/qt_ui.h"
#include "app/qt/splash.h"
#include "app/shell/layout.h"
#include "app/shell/popup_menus.h"
#include "app/shell/shell.h"
#include "tifs/settings.h"

namespace kestrel
{

constexpr int kTimerPeriodMs = 500;
constexpr int kFrameWidth = 6;   // the bar between the panes
constexpr int kDefaultRows = 25; // list rows a first start shows per pane

class MainWindow;

// The client area: lays the child windows out, takes the keys and the
// clicks on the path lines.
class ClientArea : public QWidget
{
    Q_OBJECT
public:
    explicit ClientArea(MainWindow &main);

protected:
    bool event(QEvent *) override;
    void contextMenuEvent(QContextMenuEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void wheelEvent(QWheelEvent *) override;

private:
    MainWindow &m_main;
};

class MainWindow : public QMainWindow, public ShellHost
{
    Q_OBJECT
public:
    MainWindow(Settings &settings, QtUi &ui, LocationService &locations);
    ~MainWindow() override;

    Shell &GetShell() { return m_shell; }
    PaneWidgets &Widgets(int side) { return m_widgets[side & 1]; }
    const ListStyle &Style() const { return m_style; }
    ClientArea *Client() const { return m_client; }
    int Ticks() const { return m_ticks; }
    SplashWindow *Splash() const { return m_splash; }
    QAction *CommandAction(int id) const;

    // Places the window from the settings, fully visible on one screen, shows
    // it and starts timer 1 with the splash picture. Without a saved size the
    // window is made large enough for all six columns of both panes and
    // kDefaultRows rows, and centred.
    void Start(bool savedSize = true);
    // The settings' column widths fitted to the list font, for a settings
    // file that keeps none.
    void FitDefaultColumns();
    // A pane's column made as wide as its widest cell (or its title).
    void FitColumn(int side, int column);
    // Gives the keys back to the active pane unless a text field of the main
    // window holds them.
    void RestorePaneFocus();

    // Drag and drop. The data a drag out of the pane carries: its marked
    // entries, or the cursor entry (null when the pane has none). The caller
    // owns it.
    EntryMimeData *CreateDragData(int side);
    // Runs a drag of the pane's entries to its end.
    void StartDrag(int side);
    // A drop of the other pane's entries on side (on the entry at row, or on
    // none: -1): the copy runs as F5 runs it, into the container or
    // subdirectory dropped on, else into the pane's location. Runs once the
    // drop has returned to the event loop.
    void DropEntries(int side, int sourceSide, int row);
    // PC files and folders of the desktop dropped on side: copied in through
    // the copy dialog, with its checks and questions.
    void DropFiles(int side, const QStringList &paths, int row);
    // A key code through the interpreter (menu commands come this way too).
    void SendKey(int code);
    // A menu item, pop-up item or toolbar button; ids outside the command
    // table do nothing.
    void Command(int id);
    void Relayout();

    // Greys the main menu's items for the active pane (done whenever one of
    // its menus opens).
    void UpdateMenuEnabling();
    // The pop-up menu a right click at this point of the client area shows.
    PopupMenu PopupAt(const QPoint &clientPoint) const;
    // Shows that menu at the point and runs the chosen command; false (and
    // nothing shown) where there is no pop-up menu.
    bool ContextMenu(const QPoint &clientPoint);

    // ShellHost
    void RepaintPane(int side) override;
    void RepaintAll() override;
    void ColumnsChanged(int side) override;
    void BeginWait() override;
    void EndWait() override;
    void Beep() override;
    bool BrowseForLocation(const std::string &start, std::string &chosen) override;
    void OpenView(int side, const CatalogEntry &entry, WindowMode mode) override;
    void RunOperation(int side, PaneOperation operation) override;
    void AddRecentLocation(const std::string &path) override;
    std::string ReadRecentLocation(int number) override;

signals:
    void firstListing();

protected:
    void closeEvent(QCloseEvent *) override;
    void changeEvent(QEvent *) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateFont();
    // After the configuration dialog changed the list font or colours.
    void ApplyConfiguration(bool font, bool colours);
    void CreatePanes();
    void CreateMenus();
    void CreateToolbar();
    void UpdateRecentItems();
    void ShowPc99Layout(int side);
    void UpdatePaneTexts(int side);
    void UpdateScrollBar(int side);
    void HeaderResized(int side);
    void ScrollAction(int side, int action);
    // Enters the container or subdirectory at row of side, when it is one.
    void EnterDropTarget(int side, int row);
    void Tick();

    Settings &m_settings;
    QtUi &m_ui;
    Shell m_shell;
    ListStyle m_style;
    ClientArea *m_client = nullptr;
    QToolBar *m_toolbar = nullptr;
    QFrame *m_centerBar = nullptr;
    PaneWidgets m_widgets[2];
    QTimer m_timer;
    QPointer<SplashWindow> m_splash;
    int m_ticks = 0;
    int m_waitDepth = 0;
    QList<QAction *> m_commands;
    QList<QAction *> m_recentItems;
};

} // namespace kestrel
