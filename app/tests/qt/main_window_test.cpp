#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <cstring>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>

#include "app/qt/common_dialogs.h"
#include "app/qt/dialog_helpers.h"
#include "app/qt/input_filters.h"
#include "app/qt/key_translate.h"
#include "app/shell/key_codes.h"
#include "app/tests/qt/program_fixture.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"

namespace kestrel::testing
{
namespace
{

TEST_F(ProgramTest, WindowTitleSizesAndFirstTickListsBothPanesSorted)
{
    for (const char *name : {"ZETA", "ALPHA", "MIKE", "BRAVO"})
        WriteTiFile(root / "files" / name);
    QElapsedTimer sinceStart;
    sinceStart.start();
    ASSERT_EQ(Start({Folder()}), -1);
    MainWindow &w = Window();
    EXPECT_EQ(w.objectName(), "Kestrel");
    EXPECT_EQ(w.windowTitle(), "Kestrel 8.2c 20210408");
    EXPECT_EQ(w.minimumSize(), QSize(460, 120));
    // Without a stored size the window is sized for the panes' columns.
    EXPECT_GT(w.Client()->width(), 600);
    EXPECT_EQ(w.Ticks(), 1);
    ASSERT_TRUE(w.Splash() != nullptr);

    for (int side = 0; side < 2; ++side) {
        Pane &pane = GetShell().GetPane(side);
        ASSERT_EQ(pane.Count(), 4) << side;
        EXPECT_EQ(Cell(side, 0, 0), "ALPHA");
        EXPECT_EQ(Cell(side, 1, 0), "BRAVO");
        EXPECT_EQ(Cell(side, 3, 0), "ZETA");
        EXPECT_EQ(w.Widgets(side).pathLine->text().toStdString(), " " + Folder());
        EXPECT_FALSE(w.Widgets(side).statusLine->text().isEmpty());
        EXPECT_EQ(w.Widgets(side).list->objectName(), "ModTiFiles");
    }
    EXPECT_TRUE(boxes.empty());
    // The splash picture goes after at least a second, at a tick.
    EXPECT_TRUE(WaitFor([&] { return w.Splash() == nullptr; }, 3000));
    EXPECT_GE(sinceStart.elapsed(), 1000);
    EXPECT_GE(w.Ticks(), 2);
}

TEST_F(ProgramTest, KeysReachTheInterpreterAndTabMovesTheActivePane)
{
    for (const char *name : {"A1", "A2", "A3"})
        WriteTiFile(root / "files" / name);
    Start({Folder()});
    Press(Qt::Key_Down);
    EXPECT_EQ(GetShell().GetPane(0).cursor, 1);
    Press(Qt::Key_Tab);
    EXPECT_EQ(GetShell().ActiveSide(), 1);
    Press(Qt::Key_End);
    EXPECT_EQ(GetShell().GetPane(1).cursor, 2);
    Press(Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier);
    EXPECT_EQ(GetShell().GetPane(1).Entry(0)->marked, true);
    Press(Qt::Key_Tab);
    EXPECT_EQ(GetShell().ActiveSide(), 0);
    // A click in the right list makes it active and moves its cursor.
    ListWindow *list = Window().Widgets(1).list;
    const int y = Window().Style().lineHeight + 1;
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(20, y), list->mapToGlobal(QPointF(20, y)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list, &click);
    // On a marked entry the click is complete when the button is let go
    // (until then it may become a drag of the marked entries).
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(20, y),
                        list->mapToGlobal(QPointF(20, y)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(list, &release);
    EXPECT_EQ(GetShell().ActiveSide(), 1);
    EXPECT_EQ(GetShell().GetPane(1).cursor, 1);
    EXPECT_FALSE(GetShell().GetPane(1).Entry(0)->marked);
    // A press on the left path line (right button too) makes the left pane active.
    QLabel *path = Window().Widgets(0).pathLine;
    QPointF mid(path->width() / 2, path->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, mid, path->mapToGlobal(mid), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(path, &press);
    EXPECT_EQ(GetShell().ActiveSide(), 0);
}

TEST_F(ProgramTest, SubdirectoryFromEntry12AndBackRestoresTheCursor)
{
    // Subdirectories sort first, so entry 12 is one of them.
    for (int i = 0; i < 20; ++i) {
        std::filesystem::create_directory(root / "files" / ("D" + std::to_string(100 + i)));
        WriteTiFile(root / "files" / ("F" + std::to_string(100 + i)));
    }
    Start({Folder()});
    Pane &left = GetShell().GetPane(0);
    ASSERT_GE(left.Count(), 40);
    for (int i = 0; i < 12; ++i)
        Press(Qt::Key_Down);
    ASSERT_EQ(left.cursor, 12);
    ASSERT_EQ(left.Entry(12)->ti.kind, kKindSubdir);
    const std::string entered = left.Entry(12)->pcName;
    Press(Qt::Key_Return);
    EXPECT_EQ(left.location.path, Folder() + "/" + entered);
    EXPECT_EQ(left.cursor, 0);
    ASSERT_GE(left.Count(), 1);
    ASSERT_EQ(left.Entry(0)->ti.kind, kKindUpDir) << "no way back up";
    Press(Qt::Key_Return);
    EXPECT_EQ(left.location.path, Folder());
    EXPECT_EQ(left.cursor, 12);
    EXPECT_EQ(left.Entry(12)->pcName, entered);
}

// A single-sided 360-sector floppy image named MIMAGE holding one DIS/VAR 80
// file HELLO of one data sector at sector 34.
std::vector<uint8_t> SmallFloppyImage()
{
    std::vector<uint8_t> image(360 * 256, 0);
    uint8_t *vib = image.data();
    std::memcpy(vib, "MIMAGE    ", 10);
    vib[10] = 360 >> 8;
    vib[11] = 360 & 0xFF;
    vib[12] = 9;
    std::memcpy(vib + 13, "DSK", 3);
    vib[16] = ' ';
    vib[17] = 40;
    vib[18] = 1;
    vib[19] = 1;
    vib[56] = 0x03;     // sectors 0 and 1
    vib[56 + 4] = 0x04; // sector 34
    for (int i = 56 + 45; i < 256; ++i)
        vib[i] = 0xFF;   // beyond the disk
    vib[56 + 0] |= 0x04; // sector 2: the FDR
    uint8_t *fdir = image.data() + 256;
    fdir[1] = 2;
    uint8_t *fdr = image.data() + 2 * 256;
    std::memcpy(fdr, "HELLO     ", 10);
    fdr[12] = 0x80; // DIS/VAR
    fdr[13] = 3;
    fdr[15] = 1; // one sector
    fdr[16] = 7;
    fdr[17] = 80;
    fdr[18] = 1;  // one record
    fdr[28] = 34; // cluster at 34, highest offset 0
    const char record[] = "\x05HELLO\xFF";
    std::memcpy(image.data() + 34 * 256, record, 7);
    return image;
}

TEST_F(ProgramTest, FloppyImageFromEntry12AndBackRestoresTheCursor)
{
    if (!FindEntryOpener(kKindDsk) && !FindEntryOpenerIn(kLocPcDirectory, kKindDsk)) {
        RegisterLocationListers();
        if (!FindEntryOpener(kKindDsk) && !FindEntryOpenerIn(kLocPcDirectory, kKindDsk))
            GTEST_SKIP() << "no floppy image lister linked in yet";
    }
    // Twelve names sort before the image (by TI name or disk name), seven after it.
    for (int i = 0; i < 12; ++i)
        WriteTiFile(root / "files" / ("A" + std::to_string(10 + i)));
    for (int i = 0; i < 7; ++i)
        WriteTiFile(root / "files" / ("Z" + std::to_string(10 + i)));
    std::vector<uint8_t> image = SmallFloppyImage();
    std::ofstream(root / "files" / "mimage.dsk", std::ios::binary)
        .write(reinterpret_cast<const char *>(image.data()),
               static_cast<std::streamsize>(image.size()));
    Start({Folder()});
    Pane &left = GetShell().GetPane(0);
    ASSERT_EQ(left.Count(), 20);
    ASSERT_EQ(left.Entry(12)->ti.kind, kKindDsk) << left.Entry(12)->pcName;
    for (int i = 0; i < 12; ++i)
        Press(Qt::Key_Down);
    Press(Qt::Key_Return);
    EXPECT_EQ(left.location.kind, kLocDskImage);
    EXPECT_EQ(left.cursor, 0);
    EXPECT_EQ(left.history.depth, 1);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    // Ctrl+R lists the image again in place.
    const int inside = left.Count();
    Press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(left.location.kind, kLocDskImage);
    EXPECT_EQ(left.Count(), inside);
    EXPECT_EQ(left.history.depth, 1);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    int up = -1;
    for (int i = 0; i < left.Count(); ++i)
        if (left.Entry(i)->ti.kind == kKindUpDir)
            up = i;
    ASSERT_GE(up, 0) << "no way back up";
    left.cursor = up;
    Press(Qt::Key_Return);
    EXPECT_EQ(left.location.kind, kLocPcDirectory);
    EXPECT_EQ(left.cursor, 12);
    EXPECT_EQ(left.Entry(12)->ti.kind, kKindDsk);
}

TEST_F(ProgramTest, USwapsContentsAndColumnWidthsAndHeaderClickSorts)
{
    std::filesystem::create_directory(root / "files" / "other");
    WriteTiFile(root / "files" / "ONE");
    WriteTiFile(root / "files" / "other" / "TWO");
    WriteTiFile(root / "files" / "other" / "THREE");
    Start({Folder()});
    Shell &shell = GetShell();
    shell.GetPane(1).location.startPath = Folder() + "/other";
    shell.GotoRoot(1);
    ASSERT_EQ(shell.GetPane(1).Count(), 2);
    const int leftWidth = shell.GetPane(0).columns[5].width;
    const int lefts[kColumnCount] = {0, 50, 100, 150, 200, 250};
    const int widths[kColumnCount] = {50, 50, 50, 50, 50, 80};
    shell.ColumnsResized(1, lefts, widths);

    Press(Qt::Key_U);
    EXPECT_EQ(shell.ActiveSide(), 0);
    EXPECT_EQ(shell.GetPane(0).Count(), 2);
    EXPECT_EQ(Window().Widgets(0).pathLine->text().toStdString(), " " + Folder() + "/other");
    int gotLefts[kColumnCount], gotWidths[kColumnCount];
    Window().Widgets(0).header->Geometry(gotLefts, gotWidths);
    EXPECT_EQ(gotWidths[5], 80);
    Window().Widgets(1).header->Geometry(gotLefts, gotWidths);
    EXPECT_EQ(gotWidths[5], leftWidth);

    // A click on "Pc Name" sorts by PC name.
    HeaderBar *header = Window().Widgets(0).header;
    QPointF at(20, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, header->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, header->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(header, &press);
    QApplication::sendEvent(header, &release);
    EXPECT_EQ(shell.GetPane(0).location.sortOrder, kSortPcName);
    EXPECT_EQ(Cell(0, 0, 0), "THREE");
}

TEST_F(ProgramTest, FailedStartLocationShowsMessage0AndLeavesThePaneEmpty)
{
    const std::string missing = (root / "nowhere").string();
    Start({missing});
    ASSERT_TRUE(WaitFor([&] { return boxes.size() >= 2; }, 3000));
    EXPECT_EQ(boxes[0].title, "ERROR");
    EXPECT_EQ(boxes[0].text.rfind("Can't read file or directory <" + missing + ">", 0), 0u)
        << boxes[0].text;
    EXPECT_EQ(GetShell().GetPane(0).Count(), 0);
    EXPECT_EQ(GetShell().GetPane(1).Count(), 0);
    EXPECT_EQ(Window().Widgets(0).pathLine->text().toStdString(), " " + missing);
    // Enter does nothing there; Tab still works.
    Press(Qt::Key_Return);
    Press(Qt::Key_Tab);
    EXPECT_EQ(GetShell().ActiveSide(), 1);
}

TEST_F(ProgramTest, FirstStartWritesTheDefaultsAtExit)
{
    WriteTiFile(root / "files" / "ONE");
    Start({Folder()});
    const int width = Window().Client()->width();
    Window().close();
    program->Finish();
    std::string ini = ReadIni();
    // The size and columns a first start chose for this screen and font.
    EXPECT_NE(ini.find("width=" + std::to_string(width)), std::string::npos) << ini;
    EXPECT_NE(ini.find("height="), std::string::npos) << ini;
    EXPECT_NE(ini.find("sortby=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("hdrsize="), std::string::npos) << ini;
    EXPECT_NE(ini.find("default_path_left=" + Folder()), std::string::npos) << ini;
    EXPECT_NE(ini.find("default_path_right=" + Folder()), std::string::npos) << ini;
}

// Answers the folder browser once it is shown: with folder, as it stands
// ("*"), or cancels it ("").
void AnswerBrowser(const std::string &folder, std::string *seenTitle)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, folder, seenTitle] {
        QFileDialog *dialog = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible())
                dialog = d;
        if (!dialog)
            return;
        *seenTitle = dialog->windowTitle().toStdString();
        if (folder.empty()) {
            dialog->reject();
        } else {
            if (folder != "*")
                dialog->setDirectory(QString::fromStdString(folder));
            static_cast<QDialog *>(dialog)->accept();
        }
        timer->stop();
        timer->deleteLater();
    });
    timer->start();
}

TEST_F(ProgramTest, FirstStartWithoutLocationAsksForAFolder)
{
    std::string title;
    AnswerBrowser(std::string(), &title);
    EXPECT_EQ(Start({}), 1);
    EXPECT_EQ(title, "Select storage device and/or directory");
    program->Finish();
    EXPECT_TRUE(ReadIni().empty()); // nothing is written after a cancelled start

    WriteTiFile(root / "files" / "ONE");
    title.clear();
    AnswerBrowser(Folder(), &title);
    ASSERT_EQ(Start({}), -1);
    EXPECT_FALSE(title.empty());
    EXPECT_EQ(GetShell().GetPane(0).location.path, Folder());
    EXPECT_EQ(GetShell().GetPane(1).location.path, Folder());
    EXPECT_EQ(GetShell().GetPane(1).Count(), 1);
}

TEST_F(ProgramTest, BrowserStartsInTheCurrentFolderAndChoosingAtOnceKeepsIt)
{
    std::string title, chosen = "unchanged";
    AnswerBrowser("*", &title);
    EXPECT_TRUE(BrowseForLocation(nullptr, Folder(), chosen));
    EXPECT_EQ(chosen, Folder());
    AnswerBrowser("", &title);
    EXPECT_FALSE(BrowseForLocation(nullptr, Folder(), chosen));
    EXPECT_EQ(chosen, Folder());

    // The status line names the selected folder from the start.
    QString status = "not shown";
    QTimer::singleShot(50, [&status] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible()) {
                if (auto *label = d->findChild<QLabel *>(kBrowseStatusName))
                    status = label->isVisibleTo(d) ? label->text() : "hidden";
                d->reject();
            }
    });
    EXPECT_FALSE(BrowseForLocation(nullptr, Folder(), chosen));
    EXPECT_EQ(status.toStdString(), Folder());
}

TEST_F(ProgramTest, StoredPlacementAndSettingsAreUsedOnTheNextStart)
{
    WriteTiFile(root / "files" / "ONE");
    std::ofstream(IniPath()) << "[Kestrel]\nleft=-5000\ntop=10\nwidth=700\nheight=300\nsortby=0\n"
                                "hdrsize=80 90\ndefault_path_left="
                             << Folder() << "\n";
    Start({});
    EXPECT_EQ(Window().Client()->size(), QSize(700, 300));
    // Off the desktop on the left: the whole window centred on the screen instead.
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(Window().frameGeometry().center().x() - screen.center().x()), 2);
    EXPECT_LE(std::abs(Window().frameGeometry().center().y() - screen.center().y()), 2);
    EXPECT_EQ(GetShell().GetPane(1).location.startPath, Folder());
    EXPECT_EQ(GetShell().GetPane(0).location.sortOrder, 0);
    EXPECT_EQ(GetShell().GetPane(1).columns[1].width, 90);
    EXPECT_EQ(GetShell().GetPane(1).columns[2].width, 100);
    EXPECT_EQ(GetShell().GetPane(1).columns[2].left, 170);
}

TEST_F(ProgramTest, HeaderDragFeedsHdrsizeAndSplashClosesOnClick)
{
    WriteTiFile(root / "files" / "ONE");
    std::ofstream(IniPath()) << "[Kestrel]\nhdrsize=100 100 100 100 100 100\n";
    Start({Folder()});
    SplashWindow *splash = Window().Splash();
    ASSERT_TRUE(splash != nullptr);
    QPointF inside(10, 10);
    QMouseEvent click(QEvent::MouseButtonPress, inside, splash->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(splash, &click);
    EXPECT_TRUE(WaitFor([&] { return Window().Splash() == nullptr; }, 500));

    // Drag the right edge of "Pc Name" 20 pixels to the right.
    HeaderBar *header = Window().Widgets(0).header;
    auto send = [&](QEvent::Type type, int x, Qt::MouseButtons buttons) {
        QPointF at(x, 5);
        QMouseEvent e(type, at, header->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(header, &e);
    };
    send(QEvent::MouseButtonPress, 100, Qt::LeftButton);
    send(QEvent::MouseMove, 110, Qt::LeftButton);
    send(QEvent::MouseMove, 120, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, 120, Qt::NoButton);
    EXPECT_EQ(GetShell().GetPane(0).columns[0].width, 120);
    EXPECT_EQ(GetShell().GetPane(0).columns[1].left, 120);
    EXPECT_EQ(GetShell().GetPane(0).location.sortOrder, 1); // a drag is no click
    Window().close();
    program->Finish();
    EXPECT_NE(ReadIni().find("hdrsize=120 100 100 100 100 100"), std::string::npos);
}

TEST_F(ProgramTest, MenuCommandsSendTheirKeysAndRecentItemsFollowTheList)
{
    WriteTiFile(root / "files" / "ONE");
    Start({Folder()});
    QAction *reread = Window().CommandAction(40063);
    ASSERT_TRUE(reread != nullptr);
    EXPECT_EQ(reread->text(), "Reread directory\tCtrl+R");
    WriteTiFile(root / "files" / "TWO");
    reread->trigger();
    EXPECT_EQ(GetShell().GetPane(0).Count(), 2);
    Window().CommandAction(40040)->trigger(); // Mark all TI files
    EXPECT_TRUE(GetShell().GetPane(0).Entry(1)->marked);
    Window().CommandAction(40041)->trigger();
    EXPECT_FALSE(GetShell().GetPane(0).Entry(1)->marked);

    QMenu *file = Window().menuBar()->findChildren<QMenu *>().value(0);
    ASSERT_TRUE(file != nullptr);
    emit file->aboutToShow();
    EXPECT_FALSE(Window().CommandAction(40054)->isEnabled());
    EXPECT_EQ(Window().CommandAction(40054)->text(), "(none)");
    AddRecentLocation(Folder());
    emit file->aboutToShow();
    EXPECT_TRUE(Window().CommandAction(40054)->isEnabled());
    EXPECT_EQ(Window().CommandAction(40054)->text().toStdString(), "&1 " + Folder());
    EXPECT_FALSE(Window().CommandAction(40055)->isEnabled());
}

TEST_F(ProgramTest, F3OnADisVar80FileOpensAReadOnlyTextWindow)
{
    std::vector<uint8_t> bytes(128 + 256, 0);
    const char magic[] = "\x07TIFILES";
    std::copy(magic, magic + 8, bytes.begin());
    bytes[9] = 1;     // sectors
    bytes[10] = 0x80; // DIS/VAR
    bytes[11] = 3;
    bytes[12] = 7; // end of file offset
    bytes[13] = 80;
    bytes[14] = 1; // one record
    const char record[] = "\x05HELLO\xFF";
    std::copy(record, record + 7, bytes.begin() + 128);
    std::ofstream(root / "files" / "TEXT", std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), 384);
    Start({Folder()});
    ASSERT_EQ(GetShell().GetPane(0).Count(), 1);
    Press(Qt::Key_F3);
    QWidget *window = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == "EditViewer" && w->isVisible())
            window = w;
    ASSERT_TRUE(window != nullptr);
    QPlainTextEdit *view = window->findChild<QPlainTextEdit *>();
    ASSERT_TRUE(view != nullptr);
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_TRUE(view->toPlainText().contains("HELLO")) << view->toPlainText().toStdString();
    EXPECT_TRUE(window->windowTitle().startsWith("Kestrel")) << window->windowTitle().toStdString();
    EXPECT_TRUE(boxes.empty());
    window->close();
}

TEST(InputFilters, DropTheirCharacters)
{
    EXPECT_EQ(FilterText(InputFilter::Name, "A.B"), "AB");
    EXPECT_EQ(FilterText(InputFilter::PcName, "A.B"), "A.B");
    EXPECT_EQ(FilterText(InputFilter::Name, "a b*c\"d/e:f<g>h?i\\j|k"), "abcdefghijk");
    EXPECT_EQ(FilterText(InputFilter::Label, "MY DISK.1"), "MYDISK1");
    EXPECT_EQ(FilterText(InputFilter::Hex, "0x1F-zG9"), "01F9");
    FilterValidator v(InputFilter::Name, nullptr);
    QString text = "A.B";
    int pos = 3;
    EXPECT_EQ(v.validate(text, pos), QValidator::Acceptable);
    EXPECT_EQ(text, "AB");
    EXPECT_EQ(pos, 2);
}

TEST(KeyTranslation, QtKeysBecomeVirtualKeyCodes)
{
    EXPECT_EQ(TranslateKey(Qt::Key_F2, Qt::NoModifier), kKeyF2);
    EXPECT_EQ(TranslateKey(Qt::Key_Insert, Qt::ControlModifier), kKeyCtrl | kKeyInsert);
    EXPECT_EQ(TranslateKey(Qt::Key_Plus, Qt::KeypadModifier), kKeyGrayPlus);
    EXPECT_NE(TranslateKey(Qt::Key_Plus, Qt::NoModifier), kKeyGrayPlus);
    EXPECT_EQ(TranslateKey(Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier),
              kKeyCtrl | kKeyGrayMinus);
    EXPECT_EQ(TranslateKey(Qt::Key_Down, Qt::ShiftModifier), kKeyShift | kKeyDown);
    EXPECT_EQ(TranslateKey(Qt::Key_U, Qt::NoModifier), kKeyU);
    EXPECT_EQ(TranslateKey(Qt::Key_Enter, Qt::KeypadModifier), kKeyEnter);
    EXPECT_EQ(TranslateKey(Qt::Key_Backtab, Qt::ShiftModifier), kKeyShift | kKeyTab);
    EXPECT_EQ(TranslateKey(Qt::Key_unknown, Qt::NoModifier), 0);
}

} // namespace
} // namespace kestrel::testing

namespace kestrel::testing
{
namespace
{

TEST(DialogHelpers, NumbersCombosAndFilters)
{
    EXPECT_EQ(Hex16Text(0x1F), ">001F");
    EXPECT_EQ(Hex32Text(0xABCDEF), ">00ABCDEF");
    EXPECT_EQ(NumberText(-5), "-5");
    QComboBox combo;
    FillNumberCombo(&combo, 1, 4, 3);
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.currentText(), " 3");
    FillNumberCombo(&combo, 1, 4, 9, "none");
    EXPECT_EQ(combo.count(), 5);
    EXPECT_EQ(combo.currentIndex(), 0);
    FillTextCombo(&combo, {"a", "b"}, 1);
    EXPECT_EQ(combo.currentText(), "b");
    QLineEdit edit;
    SetItemHex16(&edit, 0x100);
    EXPECT_EQ(edit.text(), ">0100");
    QCheckBox box;
    SetCheck(&box, true);
    EXPECT_TRUE(GetCheck(&box));
    QProgressBar bar;
    SetProgressRange(&bar, 100000);
    SetProgressPosition(&bar, 70000);
    EXPECT_EQ(bar.maximum(), 100000);
    EXPECT_EQ(bar.value(), 70000);

    EXPECT_EQ(QtFileFilter("Disk images (*.dsk)|*.dsk|All files|*.*"),
              "Disk images (*.dsk);;All files (*.*)");
    EXPECT_EQ(QtFileFilter("Text|*.txt;*.lst"), "Text (*.txt *.lst)");
    EXPECT_EQ(QtFileFilter("*.dsk"), "*.dsk");
}

TEST(QtUiBoxes, CaptionsIconsAndOwner)
{
    QWidget owner;
    QtUi ui;
    ui.SetOwner(&owner);
    struct Seen {
        QString title, text;
        QMessageBox::Icon icon;
        QWidget *parent;
    };
    std::vector<Seen> seen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen.push_back({box->windowTitle(), box->text(), box->icon(), box->parentWidget()});
            QAbstractButton *all = nullptr;
            for (QAbstractButton *b : box->buttons())
                if (b->text() == "All")
                    all = b;
            if (all)
                all->click();
            else
                box->done(QMessageBox::No);
        }
    });
    watcher.start(10);
    ReportError(ui, 99);
    EXPECT_EQ(ui.LastMessage(), 99);
    ui.ShowDsrError("dsr");
    ui.ShowInfo("info");
    ui.ShowKestrelError("Unable to locate x");
    EXPECT_EQ(ui.AskOverwrite("X exists"), Answer::All);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0].title, "ERROR");
    EXPECT_EQ(seen[0].text, "Unknown error <99>");
    EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(seen[0].parent, &owner);
    EXPECT_EQ(seen[1].title, "DSR ERROR");
    EXPECT_EQ(seen[2].title, "Kestrel");
    EXPECT_EQ(seen[2].icon, QMessageBox::Information);
    EXPECT_EQ(seen[3].title, "Kestrel");
    EXPECT_EQ(seen[3].icon, QMessageBox::Critical);
    EXPECT_EQ(seen[4].title, "Overwrite file(s)");
}

} // namespace
} // namespace kestrel::testing
