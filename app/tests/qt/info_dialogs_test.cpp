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
#include <QUrl>

#include <cmath>
#include <filesystem>
#include <memory>

#include "app/qt/about_box.h"
#include "app/qt/config_dialog.h"
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
    RecordingUi quiet;
    ASSERT_EQ(WriteNewImage(*FindPreset(1), "GAMES", Folder() + "/games.dsk", quiet), 0);
    NewHdImage hd = DescribeNewHdImage("one", false, {"WORK"}, {65536});
    ASSERT_TRUE(WriteNewHdImage(quiet, Folder() + "/one.img", hd));
    Start({Folder()});
    Pane &pane = GetShell().GetPane(0);
    RecordingUi ui;

    pane.cursor = IndexOf(pane, "HELLO");
    ASSERT_GE(pane.cursor, 0);
    bool seen = false;
    OnModal("File Information", [&](QWidget *d) {
        seen = true;
        EXPECT_EQ(d->windowTitle(), "File Information");
        EXPECT_EQ(Text(d, kRecordLengthLabelId), "Program size");
        EXPECT_EQ(Text(d, 1019), "");
        EXPECT_EQ(Text(d, 1016), "PROGRAM");
        EXPECT_EQ(Text(d, 1012), "HELLO");
        EXPECT_EQ(Text(d, 1021), "No"); // a TIFILES header
        ClickControl(d, 1);
    });
    EXPECT_TRUE(RunInformation(&Window(), GetShell(), ui, 0));
    EXPECT_TRUE(seen);

    pane.cursor = IndexOf(pane, "games.dsk");
    ASSERT_GE(pane.cursor, 0);
    seen = false;
    OnModal("Disk Information", [&](QWidget *d) {
        seen = true;
        EXPECT_EQ(Text(d, 1007), "games.dsk");
        EXPECT_EQ(Text(d, 1002), "720");
        EXPECT_EQ(Text(d, 1004), "DSK");
        EXPECT_EQ(Text(d, 1010), "No");
        EXPECT_EQ(Text(d, 1011), "1");
        ClickControl(d, 1);
    });
    RunInformation(&Window(), GetShell(), ui, 0);
    EXPECT_TRUE(seen);

    pane.cursor = IndexOf(pane, "one.img");
    ASSERT_GE(pane.cursor, 0);
    seen = false;
    OnModal("Image Information", [&](QWidget *d) {
        seen = true;
        EXPECT_EQ(Text(d, 1030), "one.img");
        EXPECT_EQ(Text(d, 1032), "HDIMG");
        EXPECT_EQ(Text(d, 1033), "WORK      ");
        EXPECT_EQ(Text(d, 1044), ">8000");
        EXPECT_EQ(Text(d, 1042), "66");
        EXPECT_EQ(Text(d, 1046), ""); // no partition 2
        ClickControl(d, 1);
    });
    RunInformation(&Window(), GetShell(), ui, 0);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(ui.Silent());

    // The image went away after the listing: message 1 first, then the
    // dialog with nothing filled in.
    std::filesystem::remove(root / "files" / "one.img");
    seen = false;
    OnModal("Image Information", [&](QWidget *d) {
        seen = true;
        EXPECT_EQ(Text(d, 1030), "");
        EXPECT_EQ(Text(d, 1033), "");
        ClickControl(d, 1);
    });
    RunInformation(&Window(), GetShell(), ui, 0);
    EXPECT_TRUE(seen);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0].rfind("Can't open file for read <", 0), 0u);

    // An empty pane has no cursor entry: nothing opens.
    ClearCatalog(GetShell().GetPane(1));
    EXPECT_TRUE(RunInformation(&Window(), GetShell(), ui, 1));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

class ConfigurationTest : public ::testing::Test
{
protected:
    SettingsGuard guard;
    int fontCalls = 0;
    int colourCalls = 0;
    ConfigurationHooks hooks{[this] { ++fontCalls; }, [this] { ++colourCalls; }};
};

TEST_F(ConfigurationTest, ChecksAndDriveLettersTakeEffectAtOnce)
{
    Settings &s = ProgramSettings();
    s.fontName = "Courier New";
    s.fontHeight = -12;
    s.fontWeight = 700;
    s.fontItalic = true;
    s.mouseWheel = true;
    s.zubCompatible = false;
    s.extractTiFiles = false;
    s.driveLetters = 0x3FFFFFB; // all but C:
    s.textColor = 0x000000;
    s.backColor = 0xC2C2C2;
    s.markColor = 0x00FFFF;
    bool seen = false;
    OnModal("Configuration", [&](QWidget *d) {
        seen = true;
        EXPECT_EQ(Text(d, 1037), "Courier New, 12, B, I");
        auto *wheel = qobject_cast<QAbstractButton *>(FindControl(d, 1101));
        ASSERT_NE(wheel, nullptr);
        EXPECT_TRUE(wheel->isChecked());
        EXPECT_EQ(wheel->text(),
                  "Enable windows mouse wheel messages when scroll wheel doesn't work.");
        auto *c = qobject_cast<QAbstractButton *>(FindControl(d, 1254));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->text(), "C:");
        EXPECT_FALSE(c->isChecked());
        c->click();
        EXPECT_EQ(s.driveLetters, 0x3FFFFFFu);
        ClickControl(d, 1277); // Z:
        EXPECT_EQ(s.driveLetters, 0x1FFFFFFu);
        ClickControl(d, 1101);
        EXPECT_FALSE(s.mouseWheel);
        ClickControl(d, 1104);
        EXPECT_TRUE(s.zubCompatible);
        ClickControl(d, 1105);
        EXPECT_TRUE(s.extractTiFiles);
        // The cursor samples turn the colours round.
        QWidget *cursor = FindControl(d, 1056);
        ASSERT_NE(cursor, nullptr);
        EXPECT_EQ(cursor->palette().color(QPalette::Window), QColor(0, 0, 0));
        EXPECT_EQ(cursor->palette().color(QPalette::WindowText), QColor(0xC2, 0xC2, 0xC2));
        EXPECT_EQ(FindControl(d, 1060)->palette().color(QPalette::WindowText),
                  QColor(0xFF, 0xFF, 0));
        EXPECT_EQ(Text(d, 1060), "Mark + Cursor");
        ClickControl(d, 1);
    });
    EXPECT_TRUE(RunConfiguration(nullptr, hooks));
    EXPECT_TRUE(seen);
    // Closing keeps every change: there is nothing to cancel.
    EXPECT_EQ(s.driveLetters, 0x1FFFFFFu);
    EXPECT_TRUE(s.zubCompatible);
    EXPECT_EQ(fontCalls + colourCalls, 0);
}

TEST_F(ConfigurationTest, OnlyADifferentColourIsStoredAndAnnounced)
{
    Settings &s = ProgramSettings();
    s.textColor = 0x000000;
    s.backColor = 0xC2C2C2;
    s.markColor = 0x00FFFF;
    OnModal("Configuration", [&](QWidget *d) {
        // The same colour again.
        OnModal("ChooseColor", [](QWidget *w) {
            auto *colours = qobject_cast<QColorDialog *>(w);
            EXPECT_EQ(colours->currentColor(), QColor(0, 0, 0));
            for (int i = 0; i < 16; ++i)
                EXPECT_EQ(QColorDialog::customColor(i), QColor(0, 0, 0)) << i;
            QColorDialog::setCustomColor(3, QColor(200, 10, 10));
            colours->accept();
        });
        ClickControl(d, 1039);
        EXPECT_EQ(colourCalls, 0);
        EXPECT_EQ(s.textColor, 0u);

        // A new mark colour; the custom colour chosen before is still there.
        OnModal("ChooseColor", [](QWidget *w) {
            auto *colours = qobject_cast<QColorDialog *>(w);
            EXPECT_EQ(QColorDialog::customColor(3), QColor(200, 10, 10));
            colours->setCurrentColor(QColor(0x12, 0x34, 0x56));
            colours->accept();
        });
        ClickControl(d, 1043);
        EXPECT_EQ(colourCalls, 1);
        EXPECT_EQ(s.markColor, 0x563412u);
        EXPECT_EQ(FindControl(d, 1053)->palette().color(QPalette::WindowText),
                  QColor(0x12, 0x34, 0x56));

        // Cancelled: nothing changes.
        OnModal("ChooseColor", [](QWidget *w) {
            auto *colours = qobject_cast<QColorDialog *>(w);
            colours->setCurrentColor(QColor(1, 2, 3));
            colours->reject();
        });
        ClickControl(d, 1041);
        EXPECT_EQ(colourCalls, 1);
        EXPECT_EQ(s.backColor, 0xC2C2C2u);
        ClickControl(d, 1);
    });
    RunConfiguration(nullptr, hooks);
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
            if (accept)
                fonts->accept();
            else
                fonts->reject();
        });
        ClickControl(d, 1035);
    };
    OnModal("Configuration", [&](QWidget *d) {
        choose(d, 14, true);
        EXPECT_EQ(fontCalls, 1);
        EXPECT_EQ(s.fontHeight, -pixels(14));
        EXPECT_EQ(s.fontName, family.toStdString());
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

TEST(HelpIndex, OpensTheFileInTheWorkingDirectoryOrSaysWhereItLooked)
{
    char pattern[] = "/tmp/kestrel-help-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path dir = pattern;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");

    RecordingUi ui;
    EXPECT_TRUE(RunHelpIndex(nullptr, ui));
    const std::string expected = (dir / "kestrel.chm").string();
    EXPECT_EQ(HelpFilePath(), expected);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "warning");
    EXPECT_NE(ui.boxes[0].text.find("<" + expected + ">"), std::string::npos);
    EXPECT_TRUE(catcher.urls.isEmpty());

    std::ofstream(dir / "kestrel.chm") << "help";
    EXPECT_TRUE(RunHelpIndex(nullptr, ui));
    EXPECT_EQ(ui.boxes.size(), 1u);
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toLocalFile().toStdString(), expected);

    QDesktopServices::unsetUrlHandler("file");
    std::filesystem::current_path(before);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace kestrel::testing

#include "info_dialogs_test.moc"
