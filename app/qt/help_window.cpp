#include "app/qt/help_window.h"

#include "app/qt/window_placement.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/qt/artwork.h"

// The manual lives in a static library: its resource has to be registered by
// hand, or the linker leaves it out of the program.
static void RegisterManualResource()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(help);
        return true;
    }();
    (void)registered;
}

namespace kestrel
{

namespace
{

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 560;

QPointer<HelpWindow> &TheHelpWindow()
{
    static QPointer<HelpWindow> window;
    return window;
}

QToolButton *NavigationButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setObjectName(name);
    button->setAutoRaise(true);
    return button;
}

} // namespace

QUrl BuiltInManualUrl()
{
    RegisterManualResource();
    return QUrl("qrc:/help/kestrel.html");
}

HelpWindow::HelpWindow(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(kHelpWindowName);
    setWindowTitle(kHelpWindowCaption);
    setWindowIcon(ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(kHelpBrowserName);
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);

    auto *back = NavigationButton("< Back", "Back", this);
    auto *forward = NavigationButton("Forward >", "Forward", this);
    auto *contents = NavigationButton("Contents", "Contents", this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(contents, &QToolButton::clicked, m_browser, &QTextBrowser::home);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 2, 4, 2);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(contents);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);
    setFocusProxy(m_browser);
    resize(kDefaultWidth, kDefaultHeight);
}

void HelpWindow::ShowManual(const QUrl &manual)
{
    if (m_browser->source().adjusted(QUrl::RemoveFragment) == manual)
        return;
    // A new page also becomes the start of the history, so that Contents and
    // Back stay inside the manual now shown.
    m_browser->setSource(manual);
    m_browser->clearHistory();
}

void HelpWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

HelpWindow *ShowHelpWindow(QWidget *owner, const QUrl &manual)
{
    QPointer<HelpWindow> &window = TheHelpWindow();
    if (!window) {
        window = new HelpWindow(owner);
        window->ShowManual(manual);
        PlaceCascaded(window, owner, window->width(), window->height());
        window->show();
    } else {
        window->ShowManual(manual);
        if (window->isMinimized())
            window->showNormal();
        window->show();
    }
    window->raise();
    window->activateWindow();
    return window;
}

HelpWindow *OpenHelpWindow()
{
    return TheHelpWindow();
}

} // namespace kestrel
