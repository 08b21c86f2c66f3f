// The dialogs of copy, delete, rename, new directory, header conversion and
// file attributes, driven through the real program: a timer acts on each
// modal dialog as a user would.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include <filesystem>

#include "app/qt/common_dialogs.h"
#include "app/qt/copy_dialog.h"
#include "app/tests/qt/program_fixture.h"
#include "drives/tests/cf7_test_support.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"

namespace kestrel::testing
{
namespace
{

class OperationDialogs : public ProgramTest
{
protected:
    std::vector<std::unique_ptr<QTimer>> drivers;
    std::vector<std::string> dialogsSeen;
    QTimer watchdog;
    QPointer<QDialog> watched;
    QElapsedTimer watchedFor;

    void SetUp() override
    {
        ProgramTest::SetUp();
        // A dialog that a failing test leaves open is closed after a while,
        // so that the test fails instead of hanging.
        watchdog.setInterval(100);
        QObject::connect(&watchdog, &QTimer::timeout, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog == nullptr || qobject_cast<QMessageBox *>(dialog) != nullptr)
                return;
            if (dialog != watched) {
                watched = dialog;
                watchedFor.start();
            } else if (watchedFor.elapsed() > 8000) {
                std::string open;
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (w->isVisible())
                        open += " [" + w->objectName().toStdString() + "]";
                ADD_FAILURE() << "dialog left open: " << dialog->objectName().toStdString()
                              << "; visible:" << open;
                dialog->done(QDialog::Rejected);
            }
        });
        watchdog.start();
    }

    void TearDown() override
    {
        watchdog.stop();
        drivers.clear();
        ProgramTest::TearDown();
    }

    // Runs act once on the dialog captioned caption as soon as it is up.
    // (Dialogs named otherwise than captioned are found by name alone.)
    void OnDialog(const QString &caption, std::function<void(QDialog &)> act, bool captioned = true)
    {
        auto timer = std::make_unique<QTimer>();
        QTimer *t = timer.get();
        t->setInterval(10);
        QObject::connect(t, &QTimer::timeout, [this, t, caption, act, captioned] {
            QDialog *dialog = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->objectName() == caption)
                    dialog = qobject_cast<QDialog *>(w);
            if (dialog == nullptr)
                return;
            t->stop();
            dialogsSeen.push_back(caption.toStdString());
            if (captioned) {
                EXPECT_EQ(dialog->windowTitle(), caption);
            }
            act(*dialog);
        });
        t->start();
        drivers.push_back(std::move(timer));
    }

    template <typename T> static T *Item(QDialog &dialog, const char *name)
    {
        T *item = dialog.findChild<T *>(name);
        EXPECT_NE(item, nullptr) << name;
        return item;
    }

    static std::string Text(QDialog &dialog, const char *label)
    {
        QLabel *item = Item<QLabel>(dialog, label);
        return item ? item->text().toStdString() : std::string();
    }

    static void Click(QDialog &dialog, const char *button)
    {
        if (auto *b = Item<QAbstractButton>(dialog, button))
            b->click();
    }

    static void Type(QWidget *edit, const QString &text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
    }

    int IndexOf(int side, const std::string &pcName)
    {
        Pane &pane = GetShell().GetPane(side);
        for (int i = 0; i < pane.Count(); ++i)
            if (pane.Entry(i)->pcName == pcName)
                return i;
        ADD_FAILURE() << pcName << " not listed";
        return -1;
    }

    void PutCursor(int side, const std::string &pcName)
    {
        GetShell().SetActiveSide(side);
        GetShell().GetPane(side).cursor = std::max(0, IndexOf(side, pcName));
    }

    void Mark(int side, const std::vector<std::string> &names)
    {
        for (const auto &name : names)
            if (int i = IndexOf(side, name); i >= 0)
                GetShell().GetPane(side).Entry(i)->marked = true;
    }

    bool Marked(int side, const std::string &name)
    {
        int i = IndexOf(side, name);
        return i >= 0 && GetShell().GetPane(side).Entry(i)->marked;
    }

    // The entry of the right pane (a disk) with this TI name.
    const CatalogEntry *OnDisk(const std::string &tiName)
    {
        const Pane &pane = GetShell().GetPane(kRightPane);
        for (int i = 0; i < pane.Count(); ++i) {
            std::string name = pane.Entry(i)->ti.tiName;
            name.erase(name.find_last_not_of(' ') + 1);
            if (name == tiName)
                return pane.Entry(i);
        }
        return nullptr;
    }

    // Opens the entry of the right pane as its location.
    void OpenRight(const std::string &pcName)
    {
        GetShell().OpenEntry(kRightPane, IndexOf(kRightPane, pcName));
    }

    void Run(int side, PaneOperation operation)
    {
        GetShell().SetActiveSide(side);
        Window().RunOperation(side, operation);
    }

    void MakeDsk(const std::string &name, const std::string &label)
    {
        RecordingUi ui;
        ASSERT_EQ(WriteNewImage(*FindPreset(0), label, (root / "files" / name).string(), ui), 0);
    }

    std::vector<uint8_t> FileBytes(const std::string &name)
    {
        return ReadBytes((root / "files" / name).string());
    }
};

// Work that pumps after every sector must still see a click (Cancel) that comes while it
// pumps in quick succession, however seldom the pumps look at the event queue.
TEST(PumpingMessages, AnEventPostedDuringQuickPumpsIsDelivered)
{
    for (int round = 0; round < 3; ++round) {
        bool delivered = false;
        QTimer::singleShot(0, [&delivered] { delivered = true; });
        QElapsedTimer waited;
        waited.start();
        while (!delivered && waited.elapsed() < 2000)
            PumpPendingMessages();
        EXPECT_TRUE(delivered) << round;
    }
}

// ---- Copy File(s) ----

TEST_F(OperationDialogs, CopyOntoItsOwnFolderIsRefusedBeforeAnyDialog)
{
    WriteTiFile(root / "files" / "ALPHA");
    Start({Folder()});
    OnDialog("Copy File(s)", [](QDialog &d) { d.reject(); });
    PutCursor(kLeftPane, "ALPHA");
    Press(Qt::Key_F5);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can't copy files to itself");
    EXPECT_TRUE(dialogsSeen.empty());
}

TEST_F(OperationDialogs, CopyIntoADiskImageThroughTheDialogLandsTheFile)
{
    WriteTiFile(root / "files" / "ALPHA");
    MakeDsk("work.dsk", "WORK");
    Start({Folder()});
    OpenRight("work.dsk");
    ASSERT_EQ(GetShell().GetPane(kRightPane).location.kind, kLocDskImage);
    ASSERT_EQ(OnDisk("ALPHA"), nullptr);
    PutCursor(kLeftPane, "ALPHA");
    std::string heading, destination;
    OnDialog("Copy File(s)", [&](QDialog &d) {
        heading = Text(d, "Heading");
        destination = Text(d, "Destination");
        EXPECT_EQ(d.findChild<QComboBox *>("Volume"), nullptr);
        Click(d, "OK");
    });
    Press(Qt::Key_F5);
    EXPECT_EQ(heading, "Copy TI file <ALPHA> to");
    EXPECT_NE(destination.find("work.dsk"), std::string::npos) << destination;
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    const CatalogEntry *copied = OnDisk("ALPHA");
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->ti.kind, kKindDisVar);
}

TEST_F(OperationDialogs, APlainPcFileCopiedIntoADiskImageGoesThroughThePcToTiDialog)
{
    WriteTiFile(root / "files" / "AAA");
    std::ofstream(root / "files" / "zz.txt") << "hello\r\n";
    MakeDsk("work.dsk", "WORK");
    Start({Folder()});
    OpenRight("work.dsk");
    GetShell().SortAndShow(kLeftPane, kSortPcName);
    ASSERT_LT(IndexOf(kLeftPane, "AAA"), IndexOf(kLeftPane, "zz.txt"));
    Mark(kLeftPane, {"AAA", "zz.txt"});
    GetShell().SetActiveSide(kLeftPane);
    std::string heading;
    bool converterSeen = false;
    OnDialog("Copy File(s)", [&](QDialog &d) {
        heading = Text(d, "Heading");
        // Cancel in the PC-to-TI dialog stops the batch.
        OnDialog(
            "convertFileDialog",
            [&](QDialog &c) {
                converterSeen = true;
                Click(c, "cancel");
            },
            false);
        Click(d, "OK");
    });
    Press(Qt::Key_F5);
    EXPECT_EQ(heading, "Copy 2 TI files to");
    EXPECT_TRUE(converterSeen);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    EXPECT_NE(OnDisk("AAA"), nullptr);
    EXPECT_EQ(OnDisk("ZZ"), nullptr);
    EXPECT_FALSE(Marked(kLeftPane, "AAA"));
    EXPECT_TRUE(Marked(kLeftPane, "zz.txt"));
}

TEST_F(OperationDialogs, CancelDuringABatchStopsItAndKeepsTheRestMarked)
{
    for (const char *name : {"AAA", "BBB", "CCC"})
        WriteTiFile(root / "files" / name);
    std::filesystem::create_directory(root / "files" / "sub");
    Start({Folder()});
    OpenRight("sub");
    Mark(kLeftPane, {"AAA", "BBB", "CCC"});
    GetShell().SetActiveSide(kLeftPane);
    std::string heading;
    bool stillBusy = false;
    OnDialog("Copy File(s)", [&](QDialog &d) {
        heading = Text(d, "Heading");
        auto *cancel = Item<QPushButton>(d, "Cancel");
        auto *ok = Item<QPushButton>(d, "OK");
        // Cancel is pressed while the first file is under way.
        QObject::connect(Item<QProgressBar>(d, "Progress"), &QProgressBar::valueChanged, &d,
                         [&, cancel, ok](int value) {
                             if (value != 1)
                                 return;
                             cancel->click();
                             stillBusy = d.isVisible() && !ok->isEnabled();
                         });
        ok->click();
    });
    Press(Qt::Key_F5);
    EXPECT_EQ(heading, "Copy 3 TI files to");
    EXPECT_TRUE(stillBusy) << "Cancel closed the dialog while the copy ran";
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "sub" / "AAA"));
    EXPECT_FALSE(std::filesystem::exists(root / "files" / "sub" / "BBB"));
    EXPECT_FALSE(std::filesystem::exists(root / "files" / "sub" / "CCC"));
    EXPECT_FALSE(Marked(kLeftPane, "AAA"));
    EXPECT_TRUE(Marked(kLeftPane, "BBB"));
    EXPECT_TRUE(Marked(kLeftPane, "CCC"));
}

TEST_F(OperationDialogs, AutoCopyFillsTheCardVolumeByVolumeUntilItIsFull)
{
    WriteFile((root / "files" / "card.cf7").string(), MakeCardImage(2));
    MakeDsk("d1.dsk", "DONE");
    MakeDsk("d2.dsk", "DTWO");
    Start({Folder()});
    OpenRight("card.cf7");
    ASSERT_EQ(GetShell().GetPane(kRightPane).location.kind, kLocCf7Image);
    Mark(kLeftPane, {"d1.dsk", "d2.dsk"});
    GetShell().SetActiveSide(kLeftPane);
    std::string heading;
    bool stayedOpen = false, nothingCurrent = false;
    int volumeAfter = -1;
    OnDialog("Copy File(s)", [&](QDialog &d) {
        heading = Text(d, "Heading");
        auto *volumes = Item<QComboBox>(d, "Volume");
        ASSERT_NE(volumes, nullptr);
        EXPECT_EQ(volumes->count(), 2);
        EXPECT_EQ(volumes->currentIndex(), 0);
        Item<QCheckBox>(d, "AutoCopy")->setChecked(true);
        Click(d, "OK");
        stayedOpen = d.isVisible();
        volumeAfter = volumes->currentIndex();
        nothingCurrent = static_cast<CopyDialog &>(d).CurrentImage() == nullptr;
        Click(d, "OK"); // nothing left: OK closes
    });
    Press(Qt::Key_F5);
    EXPECT_EQ(heading, "Copy 2 DSK images to");
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(nothingCurrent);
    EXPECT_EQ(volumeAfter, 0) << "the selection returns to the first volume";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Copy File(s)");
    EXPECT_EQ(boxes[0].text, "CF7A+ disk full");
    std::vector<uint8_t> card = FileBytes("card.cf7");
    ASSERT_GE(card.size(), Cf7ImageVolumeBase(3));
    EXPECT_EQ(
        std::string(card.begin() + Cf7ImageVolumeBase(1), card.begin() + Cf7ImageVolumeBase(1) + 4),
        "DONE");
    EXPECT_EQ(
        std::string(card.begin() + Cf7ImageVolumeBase(2), card.begin() + Cf7ImageVolumeBase(2) + 4),
        "DTWO");
    EXPECT_FALSE(Marked(kLeftPane, "d1.dsk"));
    EXPECT_FALSE(Marked(kLeftPane, "d2.dsk"));
}

// ---- Rename ----

TEST_F(OperationDialogs, RenameToTheSameNameDoesNothing)
{
    WriteTiFile(root / "files" / "ALPHA");
    Start({Folder()});
    const std::vector<uint8_t> before = FileBytes("ALPHA");
    PutCursor(kLeftPane, "ALPHA");
    std::string heading;
    OnDialog("Rename", [&](QDialog &d) {
        heading = Text(d, "Heading");
        Click(d, "OK");
    });
    Press(Qt::Key_F6);
    EXPECT_EQ(heading, "Rename <ALPHA> to");
    EXPECT_EQ(dialogsSeen.size(), 1u);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(FileBytes("ALPHA"), before);
    EXPECT_EQ(GetShell().GetPane(kLeftPane).Entry(IndexOf(kLeftPane, "ALPHA"))->pcName, "ALPHA");
}

TEST_F(OperationDialogs, RenameFieldIsPrefilledAndFilteredByKind)
{
    WriteTiFile(root / "files" / "ALPHA");
    std::ofstream(root / "files" / "read.me") << "plain";
    Start({Folder()});
    PutCursor(kLeftPane, "ALPHA");
    QString tiPrefill, tiTyped, tiFull;
    OnDialog("Rename", [&](QDialog &d) {
        auto *edit = Item<QLineEdit>(d, "NewName");
        ASSERT_NE(edit, nullptr);
        tiPrefill = edit->text();
        edit->end(false);
        Type(edit, ".B C/*");
        tiTyped = edit->text();
        Type(edit, "DEFGH");
        tiFull = edit->text();
        d.reject();
    });
    Press(Qt::Key_F6);
    EXPECT_EQ(tiPrefill, "ALPHA");
    EXPECT_EQ(tiTyped, "ALPHABC");
    EXPECT_EQ(tiFull, "ALPHABCDEF") << "a TI name stops at 10 characters";
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "ALPHA"));

    PutCursor(kLeftPane, "read.me");
    QString pcPrefill, pcTyped;
    OnDialog("Rename", [&](QDialog &d) {
        auto *edit = Item<QLineEdit>(d, "NewName");
        ASSERT_NE(edit, nullptr);
        pcPrefill = edit->text();
        edit->end(false);
        Type(edit, ".t x?t");
        pcTyped = edit->text();
        d.reject();
    });
    Press(Qt::Key_F6);
    EXPECT_EQ(pcPrefill, "read.me");
    EXPECT_EQ(pcTyped, "read.me.txt");
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "read.me"));
}

TEST_F(OperationDialogs, RenameRefusesAnEmptyNameAndKeepsTheDialog)
{
    WriteTiFile(root / "files" / "ALPHA");
    Start({Folder()});
    PutCursor(kLeftPane, "ALPHA");
    bool open = false, focused = false;
    OnDialog("Rename", [&](QDialog &d) {
        auto *edit = Item<QLineEdit>(d, "NewName");
        ASSERT_NE(edit, nullptr);
        edit->clear();
        Click(d, "OK");
        open = d.isVisible();
        focused = d.focusWidget() == edit;
        Type(edit, "BETA");
        Click(d, "OK");
    });
    Press(Qt::Key_F6);
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Kestrel");
    EXPECT_EQ(boxes[0].text, "Please enter a name for the file or directory");
    EXPECT_TRUE(open);
    EXPECT_TRUE(focused);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "BETA"));
    EXPECT_FALSE(std::filesystem::exists(root / "files" / "ALPHA"));
    const Pane &pane = GetShell().GetPane(kLeftPane);
    ASSERT_NE(pane.CursorEntry(), nullptr);
    EXPECT_EQ(pane.CursorEntry()->pcName, "BETA");
}

// ---- Create new directory ----

TEST_F(OperationDialogs, NewDirectoryRefusesAnEmptyNameThenCreatesTheFilteredOne)
{
    Start({Folder()});
    GetShell().SetActiveSide(kLeftPane);
    bool open = false, focused = false;
    OnDialog("Create new directory", [&](QDialog &d) {
        auto *edit = Item<QLineEdit>(d, "DirectoryName");
        ASSERT_NE(edit, nullptr);
        Click(d, "OK");
        open = d.isVisible();
        focused = d.focusWidget() == edit;
        Type(edit, "new.dir/ectory");
        Click(d, "OK");
    });
    Press(Qt::Key_F7);
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Kestrel");
    EXPECT_EQ(boxes[0].text, "Please enter a name for the directory");
    EXPECT_TRUE(open);
    EXPECT_TRUE(focused);
    EXPECT_TRUE(std::filesystem::is_directory(root / "files" / "newdirecto"));
    EXPECT_GE(IndexOf(kLeftPane, "newdirecto"), 0);
}

// ---- Delete file(s) ----

TEST_F(OperationDialogs, DeleteAsksByKindAndDeletesOnlyWithDelete)
{
    WriteTiFile(root / "files" / "ALPHA");
    std::ofstream(root / "files" / "notes.txt") << "plain";
    MakeDsk("work.dsk", "WORK");
    Start({Folder()});
    auto question = [&](const std::string &name) {
        PutCursor(kLeftPane, name);
        std::string text;
        OnDialog("Delete file(s)", [&](QDialog &d) {
            text = Text(d, "Question");
            Click(d, "Cancel");
        });
        Press(Qt::Key_Delete);
        return text;
    };
    EXPECT_EQ(question("ALPHA"), "Do you really wish to delete <ALPHA>");
    EXPECT_EQ(question("notes.txt"), "Do you really wish to delete <notes.txt>");
    // A DSK image goes by the disk name its VIB holds.
    EXPECT_EQ(question("work.dsk"), "Do you really wish to delete <WORK>");
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "ALPHA"));
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "notes.txt"));
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "work.dsk"));

    Mark(kLeftPane, {"ALPHA", "notes.txt"});
    PutCursor(kLeftPane, "work.dsk");
    std::string batchText;
    OnDialog("Delete file(s)", [&](QDialog &d) {
        batchText = Text(d, "Question");
        Click(d, "Delete");
    });
    Press(Qt::Key_Delete);
    EXPECT_EQ(batchText.substr(0, 37), "Do you really wish to delete 2 files?");
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(root / "files" / "ALPHA"));
    EXPECT_FALSE(std::filesystem::exists(root / "files" / "notes.txt"));
    EXPECT_TRUE(std::filesystem::exists(root / "files" / "work.dsk"));
    EXPECT_EQ(GetShell().GetPane(kLeftPane).cursor, 0);
    EXPECT_EQ(GetShell().GetPane(kLeftPane).top, 0);
}

// ---- Header conversion and file attributes ----

TEST_F(OperationDialogs, V9t9ConversionAsksAndRewritesTheHeader)
{
    WriteTiFile(root / "files" / "ALPHA");
    std::filesystem::create_directory(root / "files" / "sub");
    Start({Folder()});
    PutCursor(kLeftPane, "ALPHA");
    std::string text;
    OnDialog("Convert to V9T9 format", [&](QDialog &d) {
        text = Text(d, "Confirmation");
        Click(d, "OK");
    });
    Run(kLeftPane, PaneOperation::ToV9t9);
    EXPECT_EQ(text, "Do you really wish to convert <ALPHA>");
    EXPECT_TRUE(boxes.empty());
    std::vector<uint8_t> bytes = FileBytes("ALPHA");
    ASSERT_EQ(bytes.size(), 128u + 256u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 10), "ALPHA     ");
    EXPECT_EQ(bytes[12], 0x80) << "the flags at the V9T9 offset";

    // Only a subdirectory marked: nothing qualifies and OK is not offered.
    Mark(kLeftPane, {"sub"});
    bool okEnabled = true;
    OnDialog("Convert to TIFILES format", [&](QDialog &d) {
        text = Text(d, "Confirmation");
        okEnabled = Item<QPushButton>(d, "OK")->isEnabled();
        d.reject();
    });
    Run(kLeftPane, PaneOperation::ToTifiles);
    EXPECT_EQ(text, "Sorry ... no file(s) of the correct type selected for this operation!");
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(Marked(kLeftPane, "sub"));
}

TEST_F(OperationDialogs, AttributesStartAtLeaveInBatchModeAndCycleOnClick)
{
    WriteTiFile(root / "files" / "AAA");
    WriteTiFile(root / "files" / "BBB", 80, 0x80 | 0x08);
    Start({Folder()});
    PutCursor(kLeftPane, "BBB");
    Qt::CheckState singleProtect = Qt::PartiallyChecked, singleArchive = Qt::PartiallyChecked;
    OnDialog("Set file attributes", [&](QDialog &d) {
        singleProtect = Item<QCheckBox>(d, "WriteProtect")->checkState();
        singleArchive = Item<QCheckBox>(d, "Archive")->checkState();
        d.reject();
    });
    Run(kLeftPane, PaneOperation::SetAttributes);
    EXPECT_EQ(singleProtect, Qt::Checked) << "single mode starts at the entry's flags";
    EXPECT_EQ(singleArchive, Qt::Unchecked);

    Mark(kLeftPane, {"AAA", "BBB"});
    std::string text;
    std::vector<Qt::CheckState> cycle;
    Qt::CheckState archive = Qt::Unchecked;
    OnDialog("Set file attributes", [&](QDialog &d) {
        text = Text(d, "Confirmation");
        auto *protect = Item<QCheckBox>(d, "WriteProtect");
        archive = Item<QCheckBox>(d, "Archive")->checkState();
        cycle.push_back(protect->checkState());
        for (int i = 0; i < 3; ++i) {
            protect->click();
            cycle.push_back(protect->checkState());
        }
        protect->click(); // leave -> clear -> set: protect every file
        protect->click();
        Click(d, "OK");
    });
    Run(kLeftPane, PaneOperation::SetAttributes);
    EXPECT_EQ(text, "Do you really wish to set attributes for 2 files?\n    AAA\n    BBB");
    EXPECT_EQ(archive, Qt::PartiallyChecked);
    EXPECT_EQ(cycle, (std::vector<Qt::CheckState>{Qt::PartiallyChecked, Qt::Unchecked, Qt::Checked,
                                                  Qt::PartiallyChecked}));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(FileBytes("AAA")[10], 0x88);
    EXPECT_EQ(FileBytes("BBB")[10], 0x88);
    EXPECT_FALSE(Marked(kLeftPane, "AAA"));
    EXPECT_FALSE(Marked(kLeftPane, "BBB"));
}

// ---- Floppy subdirectories and Pack to archive ----

TEST_F(OperationDialogs, NewDirectoryInADiskImageTakesAVibSlot)
{
    MakeDsk("work.dsk", "WORK");
    Start({Folder()});
    OpenRight("work.dsk");
    GetShell().SetActiveSide(kRightPane);
    OnDialog("Create new directory", [&](QDialog &d) {
        Type(Item<QLineEdit>(d, "DirectoryName"), "games");
        Click(d, "OK");
    });
    Press(Qt::Key_F7);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    const CatalogEntry *made = OnDisk("GAMES");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->ti.kind, kKindSubdir);
}

TEST_F(OperationDialogs, PackToArchiveWritesTheMarkedFilesIntoTheOtherPane)
{
    WriteTiFile(root / "files" / "ALPHA");
    WriteTiFile(root / "files" / "BRAVO");
    MakeDsk("work.dsk", "WORK");
    Start({Folder()});
    OpenRight("work.dsk");
    Mark(kLeftPane, {"ALPHA", "BRAVO"});
    bool plainOffered = false;
    OnDialog("Pack to archive", [&](QDialog &d) {
        plainOffered = d.findChild<QCheckBox *>("Plain") != nullptr;
        Type(Item<QLineEdit>(d, "ArchiveName"), "both");
        Click(d, "OK");
    });
    Run(kLeftPane, PaneOperation::PackArchive);
    EXPECT_TRUE(plainOffered);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    const CatalogEntry *archive = OnDisk("BOTH");
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->ti.kind, kKindIntFix);
    EXPECT_EQ(archive->ti.recordLength, 128);
    EXPECT_FALSE(Marked(kLeftPane, "ALPHA"));
}

} // namespace
} // namespace kestrel::testing
