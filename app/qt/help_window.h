// The help window: the program's own HTML manual in a text browser.
#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace kestrel
{

constexpr const char *kHelpWindowName = "HelpWindow";
constexpr const char *kHelpWindowCaption = "Kestrel Help";
constexpr const char *kHelpBrowserName = "HelpBrowser";

// The copy of the manual that is built into the program.
QUrl BuiltInManualUrl();

// A modeless top-level window (owned by owner when there is one, deleted when
// closed) with Back, Forward and Contents buttons over a QTextBrowser. Links
// inside the manual are followed in the window; links to other schemes go to
// the desktop. Escape closes it.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *owner);

    QTextBrowser *Browser() const { return m_browser; }

    // Shows manual unless it is the page already shown, so that raising the
    // window again keeps the reader's place.
    void ShowManual(const QUrl &manual);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QTextBrowser *m_browser = nullptr;
};

// The one help window of the program: opened on the first call, raised and
// activated on later ones (set to manual if that changed). Never null.
HelpWindow *ShowHelpWindow(QWidget *owner, const QUrl &manual);

// The open help window, or null.
HelpWindow *OpenHelpWindow();

} // namespace kestrel
