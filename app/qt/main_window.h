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
constexpr int kFrameWidth = 6; // the bar between the panes

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

    // Places the window from the settings on the virtual desktop, shows it
    // and starts timer 1 with the splash picture.
    void Start();
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
