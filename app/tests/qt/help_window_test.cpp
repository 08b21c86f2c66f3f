// The help window: which manual it shows, one window for the whole program,
// and links inside the manual, driven as a reader would drive them.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/qt/about_box.h"
#include "app/qt/help_window.h"
#include "tests/support/recording_ui.h"

namespace kestrel::testing
{
namespace
{

// Each test runs in an empty working directory of its own and leaves no help
// window behind.
class HelpWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kestrel-help-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        before = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }

    void TearDown() override
    {
        CloseHelp();
        std::filesystem::current_path(before);
        std::filesystem::remove_all(dir);
    }

    static void CloseHelp()
    {
        if (HelpWindow *window = OpenHelpWindow())
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Runs the help command and hands back its window, which must be up.
    HelpWindow *Help()
    {
        EXPECT_TRUE(RunHelpIndex(nullptr, ui));
        HelpWindow *window = OpenHelpWindow();
        EXPECT_NE(window, nullptr);
        return window;
    }

    void WriteManual(const std::string &html) { std::ofstream(dir / "kestrel.html") << html; }

    std::filesystem::path dir;
    std::filesystem::path before;
    RecordingUi ui;
};

int HelpWindowCount()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        count += w->objectName() == kHelpWindowName ? 1 : 0;
    return count;
}

QTextBrowser *BrowserOf(QWidget *window)
{
    return window->findChild<QTextBrowser *>(kHelpBrowserName);
}

// Calls f(fragment) for every piece of text of the document.
template <typename F> void ForEachFragment(const QTextDocument *doc, F f)
{
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().isValid())
                f(it.fragment());
        }
    }
}

QTextBlock BlockWithAnchor(const QTextDocument *doc, const QString &name)
{
    QTextBlock found;
    ForEachFragment(doc, [&](const QTextFragment &fragment) {
        if (!found.isValid() && fragment.charFormat().anchorNames().contains(name))
            found = doc->findBlock(fragment.position());
    });
    return found;
}

// A left click at pos in the browser's viewport, press and release.
void Click(QTextBrowser *browser, QPoint pos)
{
    QWidget *viewport = browser->viewport();
    const QPointF global = viewport->mapToGlobal(QPointF(pos));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), global, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
    QApplication::processEvents();
}

TEST_F(HelpWindowTest, BuiltInManualOpensModelessWithEveryInternalLinkResolved)
{
    HelpWindow *window = Help();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(ui.Silent());
    EXPECT_EQ(window->objectName(), kHelpWindowName);
    EXPECT_EQ(window->windowTitle(), "Kestrel Help");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    QTextBrowser *browser = BrowserOf(window);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->source(), BuiltInManualUrl());
    const QTextDocument *doc = browser->document();
    EXPECT_EQ(doc->metaInformation(QTextDocument::DocumentTitle), "Kestrel Help");
    const QTextBlock first = doc->begin();
    EXPECT_EQ(first.blockFormat().headingLevel(), 1);
    EXPECT_EQ(first.text().trimmed().toStdString(), "Kestrel");

    // A contents entry that points nowhere is a dead link for the reader.
    QSet<QString> names;
    QStringList targets;
    ForEachFragment(doc, [&](const QTextFragment &fragment) {
        const QTextCharFormat format = fragment.charFormat();
        for (const QString &name : format.anchorNames())
            names.insert(name);
        if (format.isAnchor() && format.anchorHref().startsWith('#'))
            targets.push_back(format.anchorHref().mid(1));
    });
    EXPECT_GE(targets.size(), 17);
    for (const QString &target : targets)
        EXPECT_TRUE(names.contains(target)) << target.toStdString();
    for (const char *section : {"keys", "locations", "settings", "cli", "copying"})
        EXPECT_TRUE(targets.contains(section)) << section;
}

TEST_F(HelpWindowTest, ManualInTheWorkingDirectoryWinsAndOneWindowIsReused)
{
    WriteManual("<html><head><title>Newer</title></head><body><h1>Newer manual</h1>"
                "</body></html>");
    HelpWindow *window = Help();
    ASSERT_NE(window, nullptr);
    QTextBrowser *browser = BrowserOf(window);
    EXPECT_EQ(browser->source(), QUrl::fromLocalFile(QString::fromStdString(HelpFilePath())));
    EXPECT_EQ(HelpFilePath(), (dir / "kestrel.html").string());
    EXPECT_EQ(browser->document()->metaInformation(QTextDocument::DocumentTitle), "Newer");
    EXPECT_EQ(browser->document()->begin().text().trimmed().toStdString(), "Newer manual");

    // Gone again: the same window, raised, turns to the built-in copy.
    std::filesystem::remove(dir / "kestrel.html");
    EXPECT_EQ(Help(), window);
    EXPECT_EQ(HelpWindowCount(), 1);
    EXPECT_EQ(browser->source(), BuiltInManualUrl());
    EXPECT_FALSE(browser->isBackwardAvailable());

    // Asking again for the manual already shown keeps the reader's place.
    window->resize(500, 300);
    QApplication::processEvents();
    browser->scrollToAnchor("settings");
    const int place = browser->verticalScrollBar()->value();
    EXPECT_GT(place, 0);
    EXPECT_EQ(Help(), window);
    EXPECT_EQ(browser->verticalScrollBar()->value(), place);
    EXPECT_EQ(HelpWindowCount(), 1);

    // A directory of that name is no manual.
    std::filesystem::create_directory(dir / "kestrel.html");
    EXPECT_EQ(Help(), window);
    EXPECT_EQ(browser->source(), BuiltInManualUrl());
    EXPECT_TRUE(ui.Silent());

    // Once the reader closed it, the next call opens a new one.
    CloseHelp();
    EXPECT_EQ(OpenHelpWindow(), nullptr);
    EXPECT_EQ(HelpWindowCount(), 0);
    HelpWindow *again = Help();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(HelpWindowCount(), 1);
}

TEST_F(HelpWindowTest, UnreadableManualIsToldAndTheBuiltInCopyShown)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    WriteManual("<h1>Secret</h1>");
    ASSERT_EQ(chmod((dir / "kestrel.html").c_str(), 0), 0);
    HelpWindow *window = Help();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(BrowserOf(window)->source(), BuiltInManualUrl());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "warning");
    EXPECT_NE(ui.boxes[0].text.find("<" + HelpFilePath() + ">"), std::string::npos);
}

TEST_F(HelpWindowTest, ContentsLinkScrollsInsideTheManualAndBackReturns)
{
    HelpWindow *window = Help();
    ASSERT_NE(window, nullptr);
    window->resize(520, 320);
    QApplication::processEvents();
    QTextBrowser *browser = BrowserOf(window);
    QTextDocument *doc = browser->document();
    ASSERT_EQ(browser->verticalScrollBar()->value(), 0);

    // The contents entry "Keys", clicked where it is drawn.
    int linkPosition = -1;
    ForEachFragment(doc, [&](const QTextFragment &fragment) {
        if (linkPosition < 0 && fragment.charFormat().anchorHref() == "#keys")
            linkPosition = fragment.position() + 1;
    });
    ASSERT_GE(linkPosition, 0);
    QTextCursor cursor(doc);
    cursor.setPosition(linkPosition);
    Click(browser, browser->cursorRect(cursor).center());

    EXPECT_EQ(OpenHelpWindow(), window);
    EXPECT_EQ(browser->document(), doc);
    EXPECT_EQ(browser->source().adjusted(QUrl::RemoveFragment), BuiltInManualUrl());
    EXPECT_EQ(browser->source().fragment(), "keys");
    const QTextBlock heading = BlockWithAnchor(doc, "keys");
    ASSERT_TRUE(heading.isValid());
    EXPECT_EQ(heading.text().trimmed().toStdString(), "Keys");
    const int headingTop =
        static_cast<int>(doc->documentLayout()->blockBoundingRect(heading).top());
    QScrollBar *bar = browser->verticalScrollBar();
    EXPECT_GT(bar->value(), 0);
    EXPECT_NEAR(bar->value(), std::min(headingTop, bar->maximum()), 2);

    auto *back = window->findChild<QToolButton *>("Back");
    ASSERT_NE(back, nullptr);
    ASSERT_TRUE(back->isEnabled());
    back->click();
    QApplication::processEvents();
    EXPECT_EQ(browser->source(), BuiltInManualUrl());
    EXPECT_EQ(bar->value(), 0);
}

} // namespace
} // namespace kestrel::testing
