// The configuration, About, help and information dialogs, opened for real
// and operated from timers as a user would.
#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

#include <cmath>
#include <filesystem>
#include <memory>

#include "app/qt/about_box.h"
#include "app/qt/config_dialog.h"
#include "app/qt/help_window.h"
#include "app/qt/info_dialogs.h"
#include "app/shell/info_fields.h"
#include "app/tests/qt/program_fixture.h"
#include "drives/new_hd_image.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/settings.h"

#include <QDesktopServices>

namespace kestrel::testing
{

// Receives the URLs the desktop would have opened.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl &url) { urls.push_back(url); }
};

namespace
{

// Runs act on the modal window with that object name once it is up. A
// window that never comes is a failure; any other modal window found
// instead after the wait is closed so that the test cannot hang.
void OnModal(const QString &name, std::function<void(QWidget *)> act)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, name, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->objectName() == name) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (++*tries > 300) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal window " << name.toStdString();
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
        }
    });
    timer->start();
}

QString Text(QWidget *dialog, int id)
{
    QWidget *control = FindControl(dialog, id);
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    return "<no control>";
}

void ClickControl(QWidget *dialog, int id)
{
    auto *button = qobject_cast<QAbstractButton *>(FindControl(dialog, id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

// Keeps the program-wide settings of the other tests as they were.
class SettingsGuard
{
public:
    SettingsGuard() : m_saved(ProgramSettings()) {}
    ~SettingsGuard() { ProgramSettings() = m_saved; }

private:
    Settings m_saved;
};

int IndexOf(const Pane &pane, const std::string &pcName)
{
    for (int i = 0; i < pane.Count(); ++i) {
        if (pane.Entry(i)->pcName == pcName)
            return i;
    }
    return -1;
}

TEST_F(ProgramTest, InformationShowsTheDialogOfTheCursorEntrysKind)
{
    WriteTiFile(root / "files" / "HELLO", 0, kFlagProgram);
    RecordingUi ui;
    ASSERT_EQ(WriteNewImage(*FindPreset(1), "GAMES", Folder() + "/games.dsk", ui), 0);
    NewHdImage hd = DescribeNewHdImage("one", false, {"WORK"}, {65536});
    ASSERT_TRUE(WriteNewHdImage(ui, Folder() + "/one.img", hd));
    Start({Folder()});
    Pane &pane = GetShell().GetPane(0);
    // Opens the dialog for the named entry, checks control id against text, closes with OK.
    auto inspect = [&](const char *entry, const char *caption,
                       std::vector<std::pair<int, QString>> expected) {
        pane.cursor = IndexOf(pane, entry);
        ASSERT_GE(pane.cursor, 0) << entry;
        bool seen = false;
        OnModal(caption, [&](QWidget *d) {
            seen = true;
            EXPECT_EQ(d->windowTitle(), caption);
            for (const auto &[id, text] : expected)
                EXPECT_EQ(Text(d, id), text) << caption << " " << id;
            ClickControl(d, 1);
        });
        EXPECT_TRUE(RunInformation(&Window(), GetShell(), ui, 0));
        EXPECT_TRUE(seen) << caption;
    };
    inspect("HELLO", "File Information",
            {{kRecordLengthLabelId, "Program size"}, {1019, ""}, {1012, "HELLO"}, {1021, "No"}});
    inspect("games.dsk", "Disk Information", {{1002, "720"}, {1004, "DSK"}, {1011, "1"}});
    inspect("one.img", "Image Information",
            {{1032, "HDIMG"}, {1033, "WORK      "}, {1042, "66"}, {1046, ""}});
    EXPECT_TRUE(ui.Silent());

    // The image went away after the listing: message 1, then the dialog with nothing filled in.
    std::filesystem::remove(root / "files" / "one.img");
    inspect("one.img", "Image Information", {{1030, ""}, {1033, ""}});
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0].rfind("Can't open file for read <", 0), 0u);

    // An empty pane has no cursor entry: nothing opens.
    ClearCatalog(GetShell().GetPane(1));
    EXPECT_TRUE(RunInformation(&Window(), GetShell(), ui, 1));
}

class ConfigurationTest : public ::testing::Test
{
protected:
    SettingsGuard guard;
    int fontCalls = 0;
    int colourCalls = 0;
    ConfigurationHooks hooks{[this] { ++fontCalls; }, [this] { ++colourCalls; }};
};

TEST_F(ConfigurationTest, ChecksAndLettersAtOnceColoursOnlyWhenDifferent)
{
    Settings &s = ProgramSettings();
    s.fontName = "Courier New";
    s.fontHeight = -12;
    s.fontWeight = 700;
    s.fontItalic = true;
    s.zubCompatible = false;
    s.driveLetters = 0x3FFFFFB; // all but C:
    s.textColor = 0x000000;
    s.backColor = 0xC2C2C2;
    s.markColor = 0x00FFFF;
    auto colourChoice = [&](QWidget *d, int button, QColor colour, bool accept) {
        OnModal("ChooseColor", [colour, accept](QWidget *w) {
            auto *colours = qobject_cast<QColorDialog *>(w);
            if (colour.isValid())
                colours->setCurrentColor(colour);
            accept ? colours->accept() : colours->reject();
        });
        ClickControl(d, button);
    };
    bool seen = false;
    OnModal("Configuration", [&](QWidget *d) {
        seen = true;
        EXPECT_EQ(Text(d, 1037), "Courier New, 12, B, I");
        auto *c = qobject_cast<QAbstractButton *>(FindControl(d, 1254));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->text(), "C:");
        EXPECT_FALSE(c->isChecked());
        c->click();
        EXPECT_EQ(s.driveLetters, 0x3FFFFFFu);
        ClickControl(d, 1277); // Z:
        EXPECT_EQ(s.driveLetters, 0x1FFFFFFu);
        ClickControl(d, 1104);
        EXPECT_TRUE(s.zubCompatible);
        // The cursor sample turns the colours round.
        EXPECT_EQ(FindControl(d, 1056)->palette().color(QPalette::Window), QColor(0, 0, 0));

        // The same text colour again, with the custom colours black at first.
        OnModal("ChooseColor", [](QWidget *w) {
            for (int i = 0; i < 16; ++i)
                EXPECT_EQ(QColorDialog::customColor(i), QColor(0, 0, 0)) << i;
            QColorDialog::setCustomColor(3, QColor(200, 10, 10));
            qobject_cast<QColorDialog *>(w)->accept();
        });
        ClickControl(d, 1039);
        EXPECT_EQ(colourCalls, 0);
        // A new mark colour; the custom colour set before is kept.
        colourChoice(d, 1043, QColor(0x12, 0x34, 0x56), true);
        EXPECT_EQ(QColorDialog::customColor(3), QColor(200, 10, 10));
        EXPECT_EQ(colourCalls, 1);
        EXPECT_EQ(s.markColor, 0x563412u);
        EXPECT_EQ(FindControl(d, 1053)->palette().color(QPalette::WindowText),
                  QColor(0x12, 0x34, 0x56));
        // Cancelled: nothing changes.
        colourChoice(d, 1041, QColor(1, 2, 3), false);
        EXPECT_EQ(colourCalls, 1);
        EXPECT_EQ(s.backColor, 0xC2C2C2u);
        ClickControl(d, 1);
    });
    EXPECT_TRUE(RunConfiguration(nullptr, hooks));
    EXPECT_TRUE(seen);
    // Closing keeps every change: there is nothing to cancel.
    EXPECT_EQ(s.driveLetters, 0x1FFFFFFu);
    EXPECT_EQ(fontCalls, 0);
}

TEST_F(ConfigurationTest, FontChoiceIsKeptInsideEightToEighteenPoints)
{
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    const QString family = families.first();
    Settings &s = ProgramSettings();
    s.fontName = family.toStdString();
    s.fontHeight = -12;
    s.fontWeight = 400;
    s.fontItalic = false;
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    auto pixels = [dpi](int points) { return static_cast<int>(std::lround(points * dpi / 72)); };
    auto choose = [&](QWidget *d, int points, bool accept) {
        OnModal("ChooseFont", [family, points, accept](QWidget *w) {
            auto *fonts = qobject_cast<QFontDialog *>(w);
            QFont font(family);
            font.setPointSize(points);
            fonts->setCurrentFont(font);
            accept ? fonts->accept() : fonts->reject();
        });
        ClickControl(d, 1035);
    };
    OnModal("Configuration", [&](QWidget *d) {
        choose(d, 14, true);
        EXPECT_EQ(fontCalls, 1);
        EXPECT_EQ(s.fontHeight, -pixels(14));
        EXPECT_EQ(Text(d, 1037).toStdString(),
                  FontDescription(s.fontName, s.fontHeight, s.fontWeight, s.fontItalic));
        choose(d, 30, true);
        EXPECT_EQ(fontCalls, 2);
        EXPECT_EQ(s.fontHeight, -pixels(18));
        choose(d, 9, false);
        EXPECT_EQ(fontCalls, 2);
        EXPECT_EQ(s.fontHeight, -pixels(18));
        ClickControl(d, 1);
    });
    RunConfiguration(nullptr, hooks);
}

TEST(AboutBox, VersionNameDescriptionAndIcon)
{
    bool seen = false;
    OnModal("About Kestrel", [&](QWidget *d) {
        seen = true;
        EXPECT_EQ(Text(d, 1105), "Version 8.2c 20210408");
        bool name = false, description = false;
        for (QLabel *label : d->findChildren<QLabel *>()) {
            name = name || label->text() == "Kestrel";
            description = description || label->text() == kProgramDescription;
        }
        EXPECT_TRUE(name);
        EXPECT_TRUE(description);
        auto *icon = qobject_cast<QLabel *>(FindControl(d, 142));
        ASSERT_NE(icon, nullptr);
        EXPECT_FALSE(icon->pixmap().isNull());
        ClickControl(d, 1);
    });
    EXPECT_TRUE(RunAbout(nullptr));
    EXPECT_TRUE(seen);
}

TEST(HelpIndex, ShowsTheManualInItsOwnWindowNotThroughTheDesktop)
{
    char pattern[] = "/tmp/kestrel-help-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path dir = pattern;
    UrlCatcher catcher;
    // Put back the working directory and the desktop's handler however the test ends.
    struct Restore {
        std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::path dir;
        ~Restore()
        {
            if (HelpWindow *window = OpenHelpWindow())
                window->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QDesktopServices::unsetUrlHandler("file");
            QDesktopServices::unsetUrlHandler("qrc");
            std::filesystem::current_path(before);
            std::filesystem::remove_all(dir);
        }
    } restore{std::filesystem::current_path(), dir};
    std::filesystem::current_path(dir);
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    QDesktopServices::setUrlHandler("qrc", &catcher, "Open");

    RecordingUi ui;
    EXPECT_TRUE(RunHelpIndex(nullptr, ui));
    EXPECT_EQ(HelpFilePath(), (dir / "kestrel.html").string());
    ASSERT_NE(OpenHelpWindow(), nullptr);
    EXPECT_EQ(OpenHelpWindow()->windowTitle(), "Kestrel Help");

    std::ofstream(dir / "kestrel.html") << "<h1>Local</h1>";
    EXPECT_TRUE(RunHelpIndex(nullptr, ui));
    EXPECT_EQ(OpenHelpWindow()->Browser()->document()->begin().text(), "Local");
    EXPECT_TRUE(ui.Silent());
    EXPECT_TRUE(catcher.urls.isEmpty());
}

} // namespace
} // namespace kestrel::testing

#include "info_dialogs_test.moc"
