#include "app/qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include "app/qt/artwork.h"
#include "app/qt/common_dialogs.h"
#include "app/qt/edit_window.h"
#include "app/qt/find_dialog.h"
#include "app/qt/key_translate.h"
#include "app/qt/pane_operations.h"
#include "app/shell/key_codes.h"
#include "app/shell/version.h"

namespace kestrel
{

namespace
{

// Menu command ids of the items this window has.
enum : int {
    kCmdSelectDirectory = 40052,
    kCmdRecentFirst = 40054,
    kCmdRecentLast = 40058,
    kCmdReread = 40063,
    kCmdSwap = 40064,
    kCmdExit = 40017,
    kCmdMark = 40038,
    kCmdUnmark = 40039,
    kCmdMarkAll = 40040,
    kCmdUnmarkAll = 40041,
    // toolbar buttons
    kTbInfo = 1009,
    kTbContents = 1010,
    kTbExtract = 1011,
    kTbConvert = 1012,
    kTbReread = 1007,
    kTbSwap = 1008,
    kTbRoot = 1013,
    kTbUpper = 1014,
};

} // namespace

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

    CreateFont();
    m_style.text = FromColorRef(settings.textColor);
    m_style.background = FromColorRef(settings.backColor);
    m_style.mark = FromColorRef(settings.markColor);
    m_shell.SetLineHeight(m_style.lineHeight);
    m_shell.SetMouseWheel(settings.mouseWheel);

    m_client = new ClientArea(*this);
    setCentralWidget(m_client);
    CreateMenus();
    CreateToolbar();
    m_centerBar = new QFrame(m_client);
    m_centerBar->setObjectName("CenteR");
    m_centerBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_centerBar->setEnabled(false);
    CreatePanes();

    m_timer.setInterval(kTimerPeriodMs);
    connect(&m_timer, &QTimer::timeout, this, &MainWindow::Tick);
    m_client->setFocus();
}

MainWindow::~MainWindow()
{
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
        connect(w.scrollBar, &QScrollBar::actionTriggered, this,
                [this, side](int action) { ScrollAction(side, action); });
        connect(w.list, &ListWindow::wheelTurned, this,
                [this](int delta, bool &taken) { taken = m_shell.Wheel(delta); });
    }
}

void MainWindow::CreateMenus()
{
    auto add = [this](QMenu *menu, int id, const QString &text) {
        QAction *a = menu->addAction(text);
        a->setData(id);
        a->setObjectName(QString::number(id));
        connect(a, &QAction::triggered, this, [this, id] { Command(id); });
        m_commands << a;
        return a;
    };
    QMenu *file = menuBar()->addMenu("&File");
    add(file, kCmdSelectDirectory, "Select another directory");
    for (int id = kCmdRecentFirst; id <= kCmdRecentLast; ++id)
        m_recentItems << add(file, id, QString("&%1").arg(id - kCmdRecentFirst + 1));
    file->addSeparator();
    add(file, kCmdReread, "Reread directory\tCtrl R");
    add(file, kCmdSwap, "Swap file list windows\tCtrl U");
    file->addSeparator();
    add(file, kCmdExit, "E&xit");
    QMenu *mark = menuBar()->addMenu("&Mark");
    add(mark, kCmdMark, "Mark TI file\tGray +");
    add(mark, kCmdUnmark, "UnMark TI file\tGray -");
    add(mark, kCmdMarkAll, "Mark all TI files\tCtrl Gray +");
    add(mark, kCmdUnmarkAll, "UnMark all TI files  \tCtrl Gray -");
    connect(file, &QMenu::aboutToShow, this, &MainWindow::UpdateRecentItems);
    connect(mark, &QMenu::aboutToShow, this, [this] {
        bool any = !m_shell.Active().Empty();
        for (int id : {kCmdMark, kCmdUnmark, kCmdMarkAll, kCmdUnmarkAll})
            CommandAction(id)->setEnabled(any);
    });
}

void MainWindow::UpdateRecentItems()
{
    for (int i = 0; i < m_recentItems.size(); ++i) {
        std::string path = ReadRecentLocation(i + 1);
        // A path with "&" would otherwise grow a mnemonic.
        QString text = QString("&%1 ").arg(i + 1) + QString::fromStdString(path).replace("&", "&&");
        m_recentItems[i]->setText(text);
        m_recentItems[i]->setEnabled(!path.empty());
    }
    CommandAction(kCmdReread)->setEnabled(true);
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
    struct Button {
        int image, id;
        const char *tip;
    };
    const Button buttons[] = {
        {0, kTbInfo, "View file, DSK or IMG info"},
        {1, kTbContents, "View file, DSK or IMG contents"},
        {2, kTbExtract, "Extract file from DSK or IMG"},
        {3, kTbConvert, "Convert TI-file to PC text file"},
        {-1, 0, nullptr},
        {-1, 0, nullptr},
        {-1, 0, nullptr},
        {4, kTbReread, "Reread directory"},
        {5, kTbSwap, "Swap file list windows"},
        {6, kTbRoot, "Goto root"},
        {7, kTbUpper, "Goto upper directory"},
    };
    for (const Button &b : buttons) {
        if (b.image < 0) {
            m_toolbar->addSeparator();
            continue;
        }
        QAction *a = m_toolbar->addAction(ToolbarImage(b.image), b.tip);
        a->setToolTip(b.tip);
        a->setData(b.id);
        a->setObjectName(QString::number(b.id));
        const int id = b.id;
        connect(a, &QAction::triggered, this, [this, id] {
            Command(id);
            m_client->setFocus();
        });
        m_commands << a;
    }
    for (QToolButton *tb : m_toolbar->findChildren<QToolButton *>())
        tb->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::Command(int id)
{
    const int side = m_shell.ActiveSide();
    switch (id) {
    case kCmdSelectDirectory:
        m_shell.ChooseLocation(side);
        break;
    case kCmdReread:
    case kTbReread:
        SendKey(kKeyCtrl | kKeyR);
        break;
    case kCmdSwap:
    case kTbSwap:
        SendKey(kKeyCtrl | kKeyU);
        break;
    case kCmdExit:
        close();
        break;
    case kCmdMark:
        SendKey(kKeyGrayPlus);
        break;
    case kCmdUnmark:
        SendKey(kKeyGrayMinus);
        break;
    case kCmdMarkAll:
        SendKey(kKeyCtrl | kKeyGrayPlus);
        break;
    case kCmdUnmarkAll:
        SendKey(kKeyCtrl | kKeyGrayMinus);
        break;
    case kTbInfo:
        SendKey(kKeyF2);
        break;
    case kTbContents:
        SendKey(kKeyF3);
        break;
    case kTbConvert:
        RunOperation(side, PaneOperation::ConvertTiToPc);
        break;
    case kTbRoot:
        m_shell.GotoRoot(side);
        break;
    case kTbUpper:
        m_shell.GotoUpperDirectory(side);
        break;
    default:
        if (id >= kCmdRecentFirst && id <= kCmdRecentLast)
            m_shell.OpenRecent(side, id - kCmdRecentFirst + 1);
        break; // the extract button has no action of its own
    }
}

void MainWindow::SendKey(int code)
{
    m_shell.Key(code);
}

void MainWindow::Start()
{
    // Stored positions count on the whole virtual desktop; a window that
    // would be off it is centred on the primary screen.
    QScreen *screen = QGuiApplication::primaryScreen();
    const int menuHeight = menuBar()->sizeHint().height();
    WindowPlacement &mp = m_settings.main;
    int w = std::max(mp.width, kMinClientWidth);
    int h = std::max(mp.height, kMinClientHeight);
    if (screen) {
        QRect virt = screen->virtualGeometry();
        QRect full = screen->availableGeometry();
        WindowPosition at =
            PlaceWindow({mp.left, mp.top}, w, h, {virt.x(), virt.y(), virt.width(), virt.height()},
                        full.width(), full.height());
        move(at.left, at.top);
    }
    resize(w, h + menuHeight);
    show();
    Relayout();
    RepaintAll();
    m_timer.start();
    m_splash = new SplashWindow(SplashPicture());
    m_splash->ShowCentredOn(frameGeometry().topLeft());
}

void MainWindow::Tick()
{
    ++m_ticks;
    if (m_splash)
        m_splash->CloseIfDue();
    if (m_ticks == 1) {
        m_shell.ListBothPanes();
        emit firstListing();
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
    w.pathLine->setText(QString::fromStdString(locations.PathLine(pane.location)));
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
    // Text, hexadecimal and Forth views go to a text window; the picture
    // modes come with the picture decoders and show nothing until then.
    if (mode != kModeText && mode != kModeHex && mode != kModeForth)
        return;
    OpenTextWindow(this, m_ui, &m_shell.GetPane(side).location, &entry, mode);
}

void MainWindow::RunOperation(int side, PaneOperation operation)
{
    // The information dialogs and the conversions plug in here as they
    // arrive; until then their keys do nothing.
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
