#include "app/qt/main_window.h"

#include <array>
#include <filesystem>
#include <memory>

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QToolTip>

#include "app/qt/about_box.h"
#include "app/qt/check_disk_window.h"
#include "app/qt/artwork.h"
#include "app/qt/backup_dialogs.h"
#include "app/qt/basic_dialog.h"
#include "app/qt/cf7_dialogs.h"
#include "app/qt/config_dialog.h"
#include "app/qt/convert_dialogs.h"
#include "app/qt/copy_dialog.h"
#include "app/qt/dialog_frame.h"
#include "app/qt/extract_commands.h"
#include "app/qt/info_dialogs.h"
#include "app/qt/inspector_window.h"
#include "app/qt/new_dsk_dialog.h"
#include "app/qt/new_hd_dialog.h"
#include "app/qt/picture_view.h"
#include "app/qt/common_dialogs.h"
#include "app/qt/edit_window.h"
#include "app/qt/find_dialog.h"
#include "app/qt/key_translate.h"
#include "app/qt/menus.h"
#include "app/qt/pane_operations.h"
#include "app/qt/window_placement.h"
#include "app/shell/command_table.h"
#include "app/shell/key_codes.h"
#include "app/shell/menu_enabling.h"
#include "app/shell/screen_fit.h"
#include "app/shell/version.h"
#include "ops/copy.h"
#include "tifs/floppy/pc99.h"
#include "tifs/pc_directory.h"

namespace kestrel
{

ClientArea::ClientArea(MainWindow &main) : QWidget(&main), m_main(main)
{
    setObjectName("KestrelClient");
    setFocusPolicy(Qt::StrongFocus);
}

bool ClientArea::event(QEvent *e)
{
    // Every key, Tab included, goes to the key interpreter rather than to
    // Qt's focus chain.
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        // Alt belongs to the menu bar's mnemonics.
        int code = (k->modifiers() & Qt::AltModifier) ? 0 : TranslateKey(k->key(), k->modifiers());
        if (code != 0) {
            m_main.SendKey(code);
            return true;
        }
    }
    return QWidget::event(e);
}

void ClientArea::contextMenuEvent(QContextMenuEvent *e)
{
    // Only a click has a point; the keyboard's menu key finds no pop-up,
    // as it never did.
    if (e->reason() == QContextMenuEvent::Mouse)
        m_main.ContextMenu(mapFromGlobal(e->globalPos()));
    e->accept();
}

void ClientArea::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    m_main.Relayout();
}

void ClientArea::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton)
        return;
    const QPoint at = e->position().toPoint();
    for (int side = 0; side < 2; ++side) {
        QRect line = m_main.Widgets(side).pathLine->geometry();
        if (at.y() >= line.top() && at.y() <= line.bottom() && at.x() > line.left() &&
            at.x() < line.right()) {
            m_main.GetShell().ClickPathLine(side);
            return;
        }
    }
}

void ClientArea::wheelEvent(QWheelEvent *e)
{
    e->setAccepted(m_main.GetShell().Wheel(e->angleDelta().y()));
}

MainWindow::MainWindow(Settings &settings, QtUi &ui, LocationService &locations)
    : m_settings(settings), m_ui(ui), m_shell(*this, locations, ui)
{
    setObjectName("Kestrel");
    setWindowTitle(QString::fromStdString(MainWindowTitle()));
    setWindowIcon(ProgramIcon());
    setMinimumSize(kMinClientWidth, kMinClientHeight);
    m_ui.SetOwner(this);
    InstallDialogFramePolicy();

    CreateFont();
    SetListColours(m_style, settings.textColor, settings.backColor, settings.markColor);
    m_shell.SetLineHeight(m_style.lineHeight);
    m_shell.SetMouseWheel(settings.mouseWheel || !MouseWheelSwitchApplies());

    m_client = new ClientArea(*this);
    setCentralWidget(m_client);
    CreateMenus();
    CreateToolbar();
    m_centerBar = new QFrame(m_client);
    m_centerBar->setObjectName("CenteR");
    m_centerBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_centerBar->setEnabled(false);
    CreatePanes();

    // Help is where desktop programs have it; the other keys go through the
    // pane's interpreter.
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { Command(kCmdHelpIndex); });

    m_timer.setInterval(kTimerPeriodMs);
    connect(&m_timer, &QTimer::timeout, this, &MainWindow::Tick);
    // Folder listings hand their batches over from their own threads; the
    // merge runs here, between events.
    m_shell.SetScanWake([this] {
        QMetaObject::invokeMethod(this, [this] { m_shell.DeliverScans(); },
                                  Qt::QueuedConnection);
    });
    m_client->setFocus();
}

MainWindow::~MainWindow()
{
    m_shell.CancelScans();
    m_timer.stop();
    if (m_splash)
        m_splash->close();
    m_ui.SetOwner(nullptr);
}

void MainWindow::CreateFont()
{
    const QString face = QString::fromStdString(m_settings.fontName);
    QFont font = QFontDatabase::families().contains(face, Qt::CaseInsensitive)
                     ? QFont(face)
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // A negative height is the character height, a positive one the cell
    // height; both become a pixel size here.
    int h = m_settings.fontHeight;
    if (h != 0)
        font.setPixelSize(std::clamp(h < 0 ? -h : h, 4, 200));
    font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(m_settings.fontWeight, 100, 900)));
    font.setItalic(m_settings.fontItalic);
    m_style.font = font;
    m_style.lineHeight = std::max(1, QFontMetrics(font).height());
}

void MainWindow::CreatePanes()
{
    for (int side = 0; side < 2; ++side) {
        PaneWidgets &w = m_widgets[side];
        w.pathLine = new QLabel(m_client);
        w.pathLine->setObjectName("static");
        w.pathLine->setProperty("controlId", side == 0 ? 1003 : 1004);
        w.pathLine->setFrameStyle(QFrame::Panel | QFrame::Raised);
        w.pathLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        w.pathLine->setTextFormat(Qt::PlainText);
        w.header = new HeaderBar(m_client);
        w.header->setProperty("controlId", side == 0 ? 1001 : 1002);
        w.header->setFont(font());
        w.list = new ListWindow(m_shell, m_style, side, m_client);
        w.scrollBar = new QScrollBar(Qt::Vertical, m_client);
        w.scrollBar->setObjectName("scrollbar");
        w.scrollBar->setProperty("controlId", side == 0 ? 1007 : 1008);
        w.scrollBar->setFocusPolicy(Qt::NoFocus);
        w.statusLine = new QLabel(m_client);
        w.statusLine->setObjectName("static");
        w.statusLine->setProperty("controlId", side == 0 ? 1009 : 1010);
        w.statusLine->setFrameStyle(QFrame::Panel | QFrame::Raised);
        w.statusLine->setTextFormat(Qt::PlainText);

        connect(w.header, &HeaderBar::sectionClicked, this,
                [this, side](int index) { m_shell.SortAndShow(side, index); });
        connect(w.header, &HeaderBar::sectionsResized, this, [this, side] { HeaderResized(side); });
        connect(w.header, &HeaderBar::borderDoubleClicked, this,
                [this, side](int index) { FitColumn(side, index); });
        connect(w.scrollBar, &QScrollBar::actionTriggered, this,
                [this, side](int action) { ScrollAction(side, action); });
        connect(w.list, &ListWindow::dragRequested, this, &MainWindow::StartDrag);
        connect(w.list, &ListWindow::entriesDropped, this, [this](int to, int from, int row) {
            QTimer::singleShot(0, this, [this, to, from, row] { DropEntries(to, from, row); });
        });
        connect(w.list, &ListWindow::filesDropped, this,
                [this](int to, const QStringList &paths, int row) {
                    QTimer::singleShot(0, this,
                                       [this, to, paths, row] { DropFiles(to, paths, row); });
                });
        connect(w.list, &ListWindow::wheelTurned, this,
                [this](int delta, bool &taken) { taken = m_shell.Wheel(delta); });
    }
}

void MainWindow::CreateMenus()
{
    for (const MenuBarMenu &layout : MenuBarLayout()) {
        QMenu *menu = menuBar()->addMenu(QString::fromUtf8(layout.title));
        for (int id : layout.items) {
            const MenuCommand *command = FindMenuCommand(id);
            if (command == nullptr) {
                menu->addSeparator();
                continue;
            }
            QAction *a = menu->addAction(MenuItemLabel(*command));
            a->setData(id);
            a->setObjectName(QString::number(id));
            connect(a, &QAction::triggered, this, [this, id] { Command(id); });
            m_commands << a;
            if (id >= kCmdRecentFirst && id <= kCmdRecentLast)
                m_recentItems << a;
        }
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateMenuEnabling);
        // A menu left with Escape hands the keys back to where they were, which
        // may be the menu bar; they belong to the pane.
        connect(menu, &QMenu::aboutToHide, this,
                [this] { QTimer::singleShot(0, this, &MainWindow::RestorePaneFocus); });
    }
}

void MainWindow::UpdateRecentItems()
{
    std::array<std::string, 5> locations;
    for (int i = 0; i < 5; ++i)
        // A path with "&" would otherwise grow a mnemonic.
        locations[static_cast<size_t>(i)] =
            QString::fromStdString(ReadRecentLocation(i + 1)).replace("&", "&&").toStdString();
    for (const RecentMenuItem &item : RecentMenuItems(locations)) {
        if (QAction *a = CommandAction(item.id)) {
            a->setText(QString::fromStdString(item.text));
            a->setEnabled(item.enabled);
            a->setVisible(item.visible);
        }
    }
}

void MainWindow::UpdateMenuEnabling()
{
    UpdateRecentItems();
    const int side = m_shell.ActiveSide();
    for (const MenuItemState &item : MenuEnabling(m_shell.GetPane(side), m_shell.GetPane(1 - side)))
        if (QAction *a = CommandAction(item.id))
            a->setEnabled(item.enabled);
}

QAction *MainWindow::CommandAction(int id) const
{
    for (QAction *a : m_commands)
        if (a->data().toInt() == id)
            return a;
    return nullptr;
}

void MainWindow::CreateToolbar()
{
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName("toolbar");
    m_toolbar->setIconSize(QSize(24, 24));
    m_toolbar->setMovable(false);
    m_toolbar->setFocusPolicy(Qt::NoFocus);
    for (const ToolbarButton &b : ToolbarButtons()) {
        if (b.image < 0) {
            m_toolbar->addSeparator();
            continue;
        }
        const QString tip = QString::fromStdString(ToolbarTooltip(b.id));
        QAction *a = m_toolbar->addAction(ToolbarImage(b.image), tip);
        a->setToolTip(tip);
        a->setData(b.id);
        a->setObjectName(QString::number(b.id));
        const int id = b.id;
        connect(a, &QAction::triggered, this, [this, id] {
            Command(id);
            // The keys belong to the panes again, not to the button.
            m_client->setFocus();
        });
        m_commands << a;
    }
    for (QToolButton *tb : m_toolbar->findChildren<QToolButton *>()) {
        tb->setFocusPolicy(Qt::NoFocus);
        tb->installEventFilter(this);
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A button's tooltip is looked up by its command id when it is asked for.
    if (event->type() == QEvent::ToolTip) {
        auto *button = qobject_cast<QToolButton *>(watched);
        if (button != nullptr && button->parent() == m_toolbar) {
            const int id = button->defaultAction() ? button->defaultAction()->data().toInt() : 0;
            auto *help = static_cast<QHelpEvent *>(event);
            QToolTip::showText(help->globalPos(), QString::fromStdString(ToolbarTooltip(id)),
                               button);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::Command(int id)
{
    // A listing in progress may pump events; a command then would act on a
    // half-made catalog.
    if (m_shell.Busy())
        return;
    Shell::ScanHold hold(m_shell);
    const kestrel::CommandAction action = CommandActionOf(id);
    const int side = m_shell.ActiveSide();
    switch (action.kind) {
    case ActionKind::None:
        return;
    case ActionKind::Key:
        SendKey(action.value);
        return;
    case ActionKind::Exit:
        close();
        return;
    case ActionKind::Operation:
        if (action.operation == PaneOperation::DirectoryReport) {
            OpenDirectoryReportWindow(this, m_ui, m_shell.GetPane(side).location);
            return;
        }
        if (action.operation == PaneOperation::Pc99Layout) {
            ShowPc99Layout(side);
            return;
        }
        if (action.operation == PaneOperation::CheckDisk) {
            const Pane &pane = m_shell.GetPane(side);
            const CatalogEntry *entry = pane.CursorEntry();
            if (entry != nullptr && pane.location.kind == kLocPcDirectory)
                OpenCheckDiskWindow(this, m_ui, JoinPcPath(pane.location.path, entry->pcName),
                                    entry->pcName);
            return;
        }
        break;
    default:
        break;
    }
    RunCommandAction(m_shell, *this, action);
}

void MainWindow::ShowPc99Layout(int side)
{
    const Pane &pane = m_shell.GetPane(side);
    const CatalogEntry *entry = pane.CursorEntry();
    // PC99 images are only ever listed as files of a PC directory.
    if (entry == nullptr || (entry->ti.kind != kKindPc99Sd && entry->ti.kind != kKindPc99Dd))
        return;
    const Location &location = pane.location;
    std::string text;
    DiskLayoutReport(JoinPcPath(location.path, entry->pcName), entry->pcName, text, m_ui);
    // A report that stopped on a bad track still shows what it found; one
    // that could not start has said why already.
    if (text.empty())
        return;
    EditWindow *window = EditWindow::Create(this, m_ui);
    if (window == nullptr)
        return;
    window->SetText(text, DiskLayoutTitle(location.path, std::string()));
    window->SetReadOnly(true);
}

PopupMenu MainWindow::PopupAt(const QPoint &clientPoint) const
{
    const int side = m_shell.ActiveSide();
    const PaneWidgets &w = m_widgets[side];
    PopupPlace place = PopupPlace::Elsewhere;
    if (w.pathLine && w.pathLine->geometry().contains(clientPoint))
        place = PopupPlace::ActivePathLine;
    else if (w.list && w.list->geometry().contains(clientPoint))
        place = PopupPlace::ActiveList;
    return ChoosePopupMenu(m_shell.GetPane(side), place);
}

bool MainWindow::ContextMenu(const QPoint &clientPoint)
{
    if (m_shell.Busy())
        return false;
    Shell::ScanHold hold(m_shell);
    std::unique_ptr<QMenu> menu(
        BuildPopupMenu(PopupAt(clientPoint), this, [this](int id) { Command(id); }));
    if (!menu)
        return false;
    // The recent items of the pop-up read as those of the File menu.
    UpdateRecentItems();
    for (QAction *a : menu->actions()) {
        const int id = a->data().toInt();
        if (id < kCmdRecentFirst || id > kCmdRecentLast)
            continue;
        if (QAction *main = CommandAction(id)) {
            a->setText(main->text());
            a->setEnabled(main->isEnabled());
            a->setVisible(main->isVisible());
        }
    }
    menu->exec(m_client->mapToGlobal(clientPoint));
    return true;
}

void MainWindow::SendKey(int code)
{
    m_shell.Key(code);
}

void MainWindow::Start(bool savedSize)
{
    const int menuHeight = menuBar()->sizeHint().height();
    WindowPlacement &mp = m_settings.main;
    int w = std::max(mp.width, kMinClientWidth);
    int h = std::max(mp.height, kMinClientHeight);
    const QRect work = PrimaryWorkArea();
    if (!savedSize) {
        LayoutInput in;
        in.frameWidth = kFrameWidth;
        in.headerHeight = m_widgets[0].header->sizeHint().height();
        in.lineHeight = m_style.lineHeight;
        in.scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        int columns = 0;
        for (const PaneColumn &c : m_shell.GetPane(kLeftPane).columns)
            columns += c.width;
        DefaultClientSize(in, columns, kDefaultRows, w, h);
    }
    // Stored positions count on the whole virtual desktop as they always
    // did; one that lies off it, and a first start, are centred on the
    // primary screen's work area.
    QRect client(0, 0, w, h + menuHeight);
    QRect frame = FrameFor(this, client);
    const QPoint inset = client.topLeft() - frame.topLeft();
    bool centre = !savedSize || mp.left == kUseDefault || mp.top == kUseDefault;
    if (!centre) {
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect virt = screen->virtualGeometry();
            const WindowPosition placed = PlaceWindow(
                {mp.left, mp.top}, frame.width(), frame.height(),
                {virt.x(), virt.y(), virt.width(), virt.height()}, work.width(), work.height());
            centre = placed.left != mp.left || placed.top != mp.top;
        }
    }
    if (centre)
        frame.moveCenter(work.center());
    else
        frame.moveTopLeft(QPoint(mp.left, mp.top));
    // Whatever was stored, the whole window lands on one screen.
    PlaceFullyVisible(this, QRect(frame.topLeft() + inset, client.size()));
    show();
    // Now that the frame is known where the platform tells it at once.
    RefitFullyVisible(this);
    Relayout();
    RepaintAll();
    m_timer.start();
    m_splash = new SplashWindow(SplashPicture());
    m_splash->ShowCentredOn(frameGeometry().topLeft());
}

void MainWindow::FitDefaultColumns()
{
    DefaultColumnWidths(m_style.font, m_widgets[0].header->font(), m_settings.columnWidths);
    int left = 0;
    for (int i = 0; i < kColumnCount; ++i) {
        m_settings.columnLefts[i] = left;
        left += m_settings.columnWidths[i];
    }
}

void MainWindow::FitColumn(int side, int column)
{
    PaneWidgets &w = m_widgets[side & 1];
    if (column < 0 || column >= kColumnCount)
        return;
    const QFontMetrics header(w.header->font());
    const int title = header.horizontalAdvance(
        QString::fromStdString(m_shell.GetPane(side).columns[column].text));
    const int width =
        kCellIndent + std::max(w.list->FittingWidth(column), title) + kCellRightMargin;
    int lefts[kColumnCount], widths[kColumnCount];
    w.header->Geometry(lefts, widths);
    widths[column] = width;
    int left = 0;
    for (int i = 0; i < kColumnCount; ++i) {
        lefts[i] = left;
        left += widths[i];
    }
    m_shell.ColumnsResized(side, lefts, widths);
    w.header->SetSections(m_shell.GetPane(side).columns);
}

EntryMimeData *MainWindow::CreateDragData(int side)
{
    Pane &pane = m_shell.GetPane(side);
    std::vector<const CatalogEntry *> entries;
    for (CatalogEntry *e : EntriesToHandle(pane.location, pane.CursorEntry()))
        if (e != nullptr && e->ti.kind != kKindUpDir)
            entries.push_back(e);
    if (entries.empty())
        return nullptr;
    return new EntryMimeData(side, pane.location, std::move(entries), m_ui);
}

void MainWindow::StartDrag(int side)
{
    if (m_shell.Busy())
        return;
    Shell::ScanHold hold(m_shell);
    EntryMimeData *data = CreateDragData(side);
    if (data == nullptr)
        return;
    QPointer<EntryMimeData> kept(data);
    auto *drag = new QDrag(m_widgets[side & 1].list);
    drag->setMimeData(data);
    // Copies only: nothing leaves a container by being dragged.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    // The desktop may read the exported files after the drop has returned;
    // they go a while later (and with the temporary directory at exit).
    if (kept && !kept->ExportFolder().empty()) {
        const std::string folder = kept->ExportFolder();
        QTimer::singleShot(kDragExportLifetimeMs, qApp, [folder] {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        });
    }
    drag->deleteLater();
}

void MainWindow::EnterDropTarget(int side, int row)
{
    const CatalogEntry *target = m_shell.GetPane(side).Entry(row);
    if (target == nullptr)
        return;
    switch (target->ti.kind) {
    case kKindSubdir:
    case kKindDsk:
    case kKindHdImage:
    case kKindCf7Image:
    case kKindCf7ImageVolume:
        m_shell.OpenEntry(side, row);
        break;
    default:
        break;
    }
}

void MainWindow::DropEntries(int side, int sourceSide, int row)
{
    if (m_shell.Busy() || sourceSide == side)
        return;
    Shell::ScanHold hold(m_shell);
    EnterDropTarget(side, row);
    // Exactly what F5 in the source pane does, dialog and questions included.
    m_shell.SetActiveSide(sourceSide);
    RepaintAll();
    SendKey(kKeyF5);
}

void MainWindow::DropFiles(int side, const QStringList &paths, int row)
{
    if (m_shell.Busy())
        return;
    Shell::ScanHold hold(m_shell);
    EnterDropTarget(side, row);
    m_shell.SetActiveSide(side);
    RepaintAll();
    for (Location &source : LocationsOfDroppedPaths(paths, m_ui))
        RunCopyDialogFrom(this, m_shell, m_ui, source, side);
}

void MainWindow::RestorePaneFocus()
{
    if (!isActiveWindow() || m_client == nullptr)
        return;
    QWidget *focus = QApplication::focusWidget();
    if (focus == m_client)
        return;
    // A popup or a window of its own keeps its keys.
    if (focus != nullptr && focus->window() != this)
        return;
    m_client->setFocus(Qt::ActiveWindowFocusReason);
}

void MainWindow::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        // After the activation has settled: Qt restores its own focus widget
        // first.
        QTimer::singleShot(0, this, &MainWindow::RestorePaneFocus);
}

void MainWindow::Tick()
{
    ++m_ticks;
    if (m_splash)
        m_splash->CloseIfDue();
    if (m_ticks == 1) {
        m_shell.ListBothPanes();
        emit firstListing();
    } else if (m_shell.Scanning(0) || m_shell.Scanning(1)) {
        // A batch whose call came while a dialog held the panes.
        m_shell.DeliverScans();
    }
}

void MainWindow::Relayout()
{
    if (!m_client || !m_widgets[1].statusLine)
        return;
    LayoutInput in;
    in.clientWidth = m_client->width();
    in.clientHeight = m_client->height();
    in.toolbar = m_toolbar != nullptr;
    in.frameWidth = kFrameWidth;
    in.headerHeight = m_widgets[0].header->sizeHint().height();
    in.lineHeight = m_style.lineHeight;
    in.scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int side = 0; side < 2; ++side)
        in.entryCounts[side] = m_shell.GetPane(side).Count();
    MainLayout out = ComputeLayout(in);
    auto rect = [](const LayoutRect &r) { return QRect(r.x, r.y, r.width, r.height); };
    if (m_toolbar)
        m_toolbar->setGeometry(rect(out.toolbar));
    m_centerBar->setGeometry(rect(out.centerBar));
    for (int side = 0; side < 2; ++side) {
        const PaneLayout &pl = out.panes[side];
        PaneWidgets &w = m_widgets[side];
        w.pathLine->setGeometry(rect(pl.pathLine));
        w.header->setGeometry(rect(pl.header));
        w.list->setGeometry(rect(pl.list));
        w.scrollBar->setGeometry(rect(pl.scrollBar));
        w.scrollBar->setVisible(pl.scrollBarVisible);
        w.statusLine->setGeometry(rect(pl.statusLine));
        Pane &pane = m_shell.GetPane(side);
        pane.rowsPerPage = pl.rowsPerPage;
        UpdateScrollState(pane);
        UpdateScrollBar(side);
    }
}

void MainWindow::RepaintPane(int side)
{
    if (isMinimized())
        return;
    Relayout();
    UpdatePaneTexts(side);
    UpdateScrollBar(side);
    m_widgets[side].list->update();
}

void MainWindow::RepaintAll()
{
    Relayout();
    for (int side = 0; side < 2; ++side) {
        UpdatePaneTexts(side);
        UpdateScrollBar(side);
        m_widgets[side].list->update();
    }
}

void MainWindow::UpdatePaneTexts(int side)
{
    Pane &pane = m_shell.GetPane(side);
    PaneWidgets &w = m_widgets[side];
    LocationService &locations = m_shell.Locations();
    w.pathLine->setText(QString::fromStdString(locations.PathLine(pane.location) +
                                               m_shell.ScanProgressText(side)));
    w.statusLine->setText(QString::fromStdString(locations.StatusLine(pane.location)));
    // The active pane's path line: white on the list background.
    if (m_shell.ActiveSide() == side) {
        QPalette pal = w.pathLine->palette();
        pal.setColor(QPalette::Window, m_style.background);
        pal.setColor(QPalette::WindowText, Qt::white);
        w.pathLine->setPalette(pal);
        w.pathLine->setAutoFillBackground(true);
    } else {
        w.pathLine->setPalette(QPalette());
        w.pathLine->setAutoFillBackground(false);
    }
}

void MainWindow::UpdateScrollBar(int side)
{
    Pane &pane = m_shell.GetPane(side);
    QScrollBar *sb = m_widgets[side].scrollBar;
    QSignalBlocker block(sb);
    sb->setRange(0, std::max(0, pane.Count() - pane.rowsPerPage));
    sb->setPageStep(std::max(1, pane.rowsPerPage));
    sb->setSingleStep(1);
    sb->setValue(pane.top);
}

void MainWindow::ScrollAction(int side, int action)
{
    kestrel::ScrollAction a = kestrel::ScrollAction::Other;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        a = kestrel::ScrollAction::LineUp;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        a = kestrel::ScrollAction::LineDown;
        break;
    case QAbstractSlider::SliderPageStepSub:
        a = kestrel::ScrollAction::PageUp;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        a = kestrel::ScrollAction::PageDown;
        break;
    case QAbstractSlider::SliderMove:
        a = kestrel::ScrollAction::ThumbTrack;
        break;
    default:
        break;
    }
    QScrollBar *sb = m_widgets[side].scrollBar;
    // The slider has moved already; the pane decides where it really goes.
    m_shell.Scroll(side, a, sb->sliderPosition());
    sb->setSliderPosition(m_shell.GetPane(side).top);
}

void MainWindow::HeaderResized(int side)
{
    int lefts[kColumnCount], widths[kColumnCount];
    m_widgets[side].header->Geometry(lefts, widths);
    m_shell.ColumnsResized(side, lefts, widths);
}

void MainWindow::ColumnsChanged(int side)
{
    if (m_widgets[side].header)
        m_widgets[side].header->SetSections(m_shell.GetPane(side).columns);
}

void MainWindow::BeginWait()
{
    if (m_waitDepth++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void MainWindow::EndWait()
{
    if (m_waitDepth > 0 && --m_waitDepth == 0)
        QApplication::restoreOverrideCursor();
}

void MainWindow::Beep()
{
    QApplication::beep();
}

bool MainWindow::BrowseForLocation(const std::string &start, std::string &chosen)
{
    return kestrel::BrowseForLocation(this, start, chosen);
}

void MainWindow::OpenView(int side, const CatalogEntry &entry, WindowMode mode)
{
    // The picture modes go to a picture window; the pane's own location is passed because a
    // TI-Artist picture looks for its colour file in the same catalog.
    if (OpenPictureView(this, m_ui, m_shell.GetPane(side).location, entry, mode))
        return;
    if (mode != kModeText && mode != kModeHex && mode != kModeForth)
        return;
    OpenTextWindow(this, m_ui, &m_shell.GetPane(side).location, &entry, mode);
}

void MainWindow::ApplyConfiguration(bool font, bool colours)
{
    if (font) {
        CreateFont();
        m_shell.SetLineHeight(m_style.lineHeight);
    }
    if (colours)
        SetListColours(m_style, m_settings.textColor, m_settings.backColor, m_settings.markColor);
    Relayout();
    RepaintAll();
}

void MainWindow::RunOperation(int side, PaneOperation operation)
{
    // The dialogs work on the pane's entries as they were when they opened.
    Shell::ScanHold hold(m_shell);
    using Run = bool (*)(QWidget *, Shell &, Ui &, int);
    Run run = nullptr;
    switch (operation) {
    case PaneOperation::Information: run = RunInformation; break;
    case PaneOperation::ShowGifExternal: run = RunShowGifExternally; break;
    case PaneOperation::ConvertTiToPc: run = RunConvertTiToPc; break;
    case PaneOperation::ConvertPcToTi: run = RunConvertPcToTi; break;
    case PaneOperation::ConvertTextToBasic: run = RunConvertTextToBasic; break;
    case PaneOperation::ExtractAll: run = RunExtractAll; break;
    case PaneOperation::ArcToDsk: run = RunArcToDsk; break;
    case PaneOperation::Pc99ToDsk: run = RunPc99ToDsk; break;
    case PaneOperation::HfeToDsk: run = RunHfeToDsk; break;
    case PaneOperation::DskToHfe: run = RunDskToHfe; break;
    case PaneOperation::InspectStructure: run = RunInspectStructure; break;
    case PaneOperation::CreateDskImage: run = RunCreateDskImage; break;
    case PaneOperation::CreateHdImage: run = RunCreateHdImage; break;
    case PaneOperation::ReadCf7VolumeList: run = RunReadCf7VolumeList; break;
    case PaneOperation::InitializeCf7Volume: run = RunInitializeCf7Volume; break;
    case PaneOperation::MountCf7Volumes: run = RunMountCf7Volumes; break;
    case PaneOperation::BackupDisk: run = RunBackupDisk; break;
    case PaneOperation::RestoreDisk: run = RunRestoreDisk; break;
    case PaneOperation::Options: {
        ConfigurationHooks hooks;
        hooks.fontChanged = [this] { ApplyConfiguration(true, false); };
        hooks.coloursChanged = [this] { ApplyConfiguration(false, true); };
        RunConfiguration(this, hooks);
        m_shell.SetMouseWheel(m_settings.mouseWheel || !MouseWheelSwitchApplies());
        return;
    }
    case PaneOperation::About:
        RunAbout(this);
        return;
    case PaneOperation::HelpIndex:
        RunHelpIndex(this, m_ui);
        return;
    default:
        break;
    }
    if (run != nullptr)
        run(this, m_shell, m_ui, side);
    else
        RunPaneOperation(this, m_shell, m_ui, side, operation);
}

void MainWindow::AddRecentLocation(const std::string &path)
{
    kestrel::AddRecentLocation(path);
}

std::string MainWindow::ReadRecentLocation(int number)
{
    return kestrel::ReadRecentLocation(number);
}

void MainWindow::closeEvent(QCloseEvent *e)
{
    m_shell.CancelScans();
    m_timer.stop();
    if (m_splash)
        m_splash->close();
    // What the settings keep of this run: the window rectangle, the left
    // pane's order and columns, and both start locations.
    WindowPlacement &mp = m_settings.main;
    mp.left = frameGeometry().x();
    mp.top = frameGeometry().y();
    mp.width = m_client->width();
    mp.height = m_client->height();
    const Pane &left = m_shell.GetPane(kLeftPane);
    m_settings.sortBy = left.location.sortOrder;
    int x = 0;
    for (int i = 0; i < kColumnCount; ++i) {
        m_settings.columnWidths[i] = left.columns[i].width;
        m_settings.columnLefts[i] = x;
        x += left.columns[i].width;
    }
    m_settings.defaultPathLeft = left.location.startPath;
    m_settings.defaultPathRight = m_shell.GetPane(kRightPane).location.startPath;
    e->accept();
}

} // namespace kestrel
