// The disk dialogs through the running program: new DSK and hard-disk images,
// the CF7A+ volume commands, and backup and restore on file-backed drives.
// Each modal dialog is driven by a timer that fills it in as a user would.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/qt/backup_dialogs.h"
#include "app/qt/cf7_dialogs.h"
#include "app/qt/new_dsk_dialog.h"
#include "app/qt/new_hd_dialog.h"
#include "app/tests/qt/program_fixture.h"
#include "drives/cf7_listing.h"
#include "drives/tests/cf7_test_support.h"
#include "tests/support/hd_image_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/settings.h"

namespace kestrel::testing
{
namespace
{

class DiskDialogs : public ProgramTest
{
protected:
    RecordingUi ui;
    std::vector<std::unique_ptr<QTimer>> timers;
    bool dialogSeen = false;

    void SetUp() override
    {
        ProgramTest::SetUp();
        std::filesystem::create_directory(root / "drives");
        // A dialog that a test failed to close must not hang the run.
        auto watchdog = std::make_unique<QTimer>();
        watchdog->setSingleShot(true);
        watchdog->setInterval(20000);
        QObject::connect(watchdog.get(), &QTimer::timeout, [] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "dialog left open: " << d->objectName().toStdString();
                d->done(QDialog::Rejected);
            }
        });
        watchdog->start();
        timers.push_back(std::move(watchdog));
    }

    void TearDown() override
    {
        timers.clear();
        ::unsetenv("KESTREL_DRIVES");
        platform::SetFileDrives({});
        ProgramSettings().driveLetters = 0x3FFFFFF;
        ProgramTest::TearDown();
    }

    // Runs act once on the modal dialog of that name when it shows.
    void OnDialog(const QString &name, std::function<void(QDialog &)> act)
    {
        auto timer = std::make_unique<QTimer>();
        QTimer *raw = timer.get();
        raw->setInterval(10);
        QObject::connect(raw, &QTimer::timeout, [this, raw, name, act] {
            auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (d == nullptr || d->objectName() != name)
                return;
            raw->stop();
            dialogSeen = true;
            act(*d);
        });
        raw->start();
        timers.push_back(std::move(timer));
    }

    // The file-backed drives D, E, ... for this test.
    void UseDrives(const std::vector<std::string> &names)
    {
        std::string list;
        for (const std::string &name : names)
            list += (list.empty() ? "" : ":") + DrivePath(name);
        ::setenv("KESTREL_DRIVES", list.c_str(), 1);
        platform::SetFileDrives({});
        ProgramSettings().driveLetters = 0x3FFFFFF;
    }
    std::string DrivePath(const std::string &name) const
    {
        return (root / "drives" / name).string();
    }
    std::string FilePath(const std::string &name) const { return (root / "files" / name).string(); }

    template <class T> static T *Child(QDialog &d, const char *name)
    {
        T *child = d.findChild<T *>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static void Click(QDialog &d, const char *name) { Child<QPushButton>(d, name)->click(); }

    int EntryIndex(int side, const std::string &pcName)
    {
        Pane &pane = GetShell().GetPane(side);
        for (int i = 0; i < pane.Count(); ++i)
            if (pane.Entry(i)->pcName == pcName)
                return i;
        return -1;
    }

    std::vector<std::string> Warnings() const
    {
        std::vector<std::string> out;
        for (const RecordedBox &box : ui.boxes)
            if (box.kind == "warning")
                out.push_back(box.text);
        return out;
    }
};

// ---- Create new DSK image -------------------------------------------------

TEST_F(DiskDialogs, NewDskFromAPresetHasItsGeometryAndTheFilteredLabel)
{
    Start({Folder()});
    OnDialog(kNewDskDialogName, [&](QDialog &d) {
        EXPECT_TRUE(Child<QRadioButton>(d, "Preset1")->isChecked()); // DSSD 40 tracks
        EXPECT_EQ(Child<QRadioButton>(d, "Preset5")->text().toStdString(),
                  "DSDD: 80 tracks 18 sectors/track 2880 sectors");
        // Typed: the label filter drops the space and the period.
        Child<QLineEdit>(d, "Label")->insert("wo rk.1");
        Child<QRadioButton>(d, "Preset5")->setChecked(true);
        Click(d, "Ok");
    });
    EXPECT_TRUE(RunCreateDskImage(&Window(), GetShell(), ui, 0));
    ASSERT_TRUE(dialogSeen);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;

    const Bytes image = ReadFile(FilePath("work1.dsk"));
    ASSERT_EQ(image.size(), 2880u * 256);
    EXPECT_EQ(0, std::memcmp(image.data(), "WORK1     ", 10));
    EXPECT_EQ(GetWordBE(image.data(), 10), 2880);
    EXPECT_EQ(image[12], 18);
    EXPECT_EQ(image[17], 80);
    EXPECT_EQ(image[18], 2);
    EXPECT_EQ(image[19], 2);
    // Byte for byte what the writer makes of that preset and label.
    RecordingUi quiet;
    ASSERT_EQ(WriteNewImage(*FindPreset(5), "work1", DrivePath("ref.dsk"), quiet), 0);
    EXPECT_TRUE(ReadFile(DrivePath("ref.dsk")) == image);
    // The pane lists what was written.
    EXPECT_GE(EntryIndex(0, "work1.dsk"), 0);
}

TEST_F(DiskDialogs, NewDskRefusesAnEmptyLabelAndAsksBeforeReplacing)
{
    Start({Folder()});
    OnDialog(kNewDskDialogName, [&](QDialog &d) {
        Click(d, "Ok");
        EXPECT_EQ(Warnings(), std::vector<std::string>{"Please enter a volume label"});
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), Child<QLineEdit>(d, "Label"));
        Child<QLineEdit>(d, "Label")->setText("DATA");
        Click(d, "Ok");
    });
    RunCreateDskImage(&Window(), GetShell(), ui, 0);
    ASSERT_EQ(std::filesystem::file_size(FilePath("DATA.dsk")), 720u * 256);

    // A second image of that name: No keeps the old one.
    WriteFile(FilePath("DATA.dsk"), Bytes(100, 0x42));
    ui.answers = {Answer::No};
    OnDialog(kNewDskDialogName, [&](QDialog &d) {
        Child<QLineEdit>(d, "Label")->setText("DATA");
        Click(d, "Ok");
    });
    RunCreateDskImage(&Window(), GetShell(), ui, 0);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "DSK allready exist:\n<" + FilePath("DATA.dsk") + ">\nOverwrite?");
    EXPECT_TRUE(ReadFile(FilePath("DATA.dsk")) == Bytes(100, 0x42));
}

// ---- Create new IDE / SCS image -------------------------------------------

TEST_F(DiskDialogs, NewHdImagesEqualWhatTheWriterMakesOfTheSameChoices)
{
    Start({Folder()});
    OnDialog(kNewHdDialogName, [&](QDialog &d) {
        EXPECT_EQ(Child<QLabel>(d, "SizeText")->text().toStdString(),
                  ">00010000    (16.777,216 Mb)");
        Click(d, "Create");
        Child<QLineEdit>(d, "FileName")->setText("single");
        Click(d, "Create");
        EXPECT_EQ(Warnings(), (std::vector<std::string>{"Please enter a file name",
                                                        "Please enter a volume label"}));
        EXPECT_EQ(d.focusWidget(), Child<QLineEdit>(d, "VolumeLabel"));
        Child<QLineEdit>(d, "VolumeLabel")->setText("HARD");
        Click(d, "Create");
    });
    RunCreateHdImage(&Window(), GetShell(), ui, 0);
    ASSERT_TRUE(dialogSeen);
    RecordingUi quiet;
    ASSERT_TRUE(WriteNewHdImage(quiet, DrivePath("single.ref"),
                                DescribeNewHdImage("single", false, {"HARD"}, {0x10000})));
    EXPECT_TRUE(ReadFile(FilePath("single.img")) == ReadFile(DrivePath("single.ref")));

    ui.boxes.clear();
    dialogSeen = false;
    OnDialog(kNewHdDialogName, [&](QDialog &d) {
        Child<QLineEdit>(d, "FileName")->setText("parts");
        Child<QRadioButton>(d, "Partitioned")->setChecked(true);
        Child<QLineEdit>(d, "VolumeLabel")->setText("ONE");
        Child<QSlider>(d, "Size")->setValue(0x20000 / kHdSizeStep);
        EXPECT_EQ(Child<QLabel>(d, "SizeText")->text().toStdString(),
                  ">00020000    (33.554,432 Mb)");
        // Partition 3 is left out: only leading used partitions count.
        Child<QCheckBox>(d, "Used2")->setChecked(true);
        Child<QCheckBox>(d, "Used4")->setChecked(true);
        Click(d, "Create");
        EXPECT_EQ(Warnings(), std::vector<std::string>{"Please enter a volume label"});
        EXPECT_TRUE(Child<QRadioButton>(d, "Partition2")->isChecked());
        EXPECT_EQ(Child<QLabel>(d, "SizeText")->text().toStdString(),
                  ">00010000    (16.777,216 Mb)");
        Child<QLineEdit>(d, "VolumeLabel")->setText("TWO");
        // Back to partition 1: its label and size were kept.
        Child<QRadioButton>(d, "Partition1")->setChecked(true);
        EXPECT_EQ(Child<QLineEdit>(d, "VolumeLabel")->text().toStdString(), "ONE");
        EXPECT_EQ(Child<QSlider>(d, "Size")->value(), static_cast<int>(0x20000 / kHdSizeStep));
        Click(d, "Create");
    });
    RunCreateHdImage(&Window(), GetShell(), ui, 0);
    ASSERT_TRUE(dialogSeen);
    ASSERT_TRUE(
        WriteNewHdImage(quiet, DrivePath("parts.ref"),
                        DescribeNewHdImage("parts", true, {"ONE", "TWO"}, {0x20000, 0x10000})));
    EXPECT_TRUE(ReadFile(FilePath("parts.img")) == ReadFile(DrivePath("parts.ref")));
    EXPECT_GE(EntryIndex(0, "parts.img"), 0);
}

// ---- CF7A+ volumes --------------------------------------------------------

// A card image of three volumes; volume 2 is formatted "GAMES".
Bytes CardImage(const uint8_t *mount)
{
    Bytes card = MakeCardImage(3, mount);
    MakeVib(card.data() + Cf7ImageVolumeBase(2), "GAMES", 1600, 2, 40, 20);
    return card;
}

TEST_F(DiskDialogs, MountDialogListsTheVolumesAndWritesTheRecord)
{
    const uint8_t record[8] = {0xAA, 3, 0, 2, 0, 0, 0, 0};
    WriteFile(FilePath("card.cf7"), CardImage(record));
    Start({Folder()});
    Pane &pane = GetShell().GetPane(0);
    pane.cursor = EntryIndex(0, "card.cf7");
    ASSERT_GE(pane.cursor, 0);
    OnDialog(kMountCf7DialogName, [&](QDialog &d) {
        auto *dsk1 = Child<QComboBox>(d, "Dsk1");
        ASSERT_EQ(dsk1->count(), 4);
        EXPECT_EQ(dsk1->itemText(0).toStdString(), "--UNDEFINED--");
        EXPECT_EQ(dsk1->itemText(1).toStdString(), "VOL #001: UNFORMATED");
        EXPECT_EQ(dsk1->itemText(2).toStdString(), "VOL #002: GAMES     ");
        EXPECT_EQ(dsk1->currentIndex(), 2);
        EXPECT_EQ(Child<QComboBox>(d, "Dsk2")->currentIndex(), 0);
        Child<QComboBox>(d, "Dsk2")->setCurrentIndex(3);
        Child<QComboBox>(d, "Dsk3")->setCurrentIndex(1);
        Click(d, "Mount");
    });
    RunMountCf7Volumes(&Window(), GetShell(), ui, 0);
    ASSERT_TRUE(dialogSeen);
    EXPECT_TRUE(ui.boxes.empty());
    Bytes card = ReadFile(FilePath("card.cf7"));
    const uint8_t written[8] = {0xAA, 3, 0, 2, 0, 3, 0, 1};
    EXPECT_EQ(0, std::memcmp(card.data() + 20, written, 8));

    // A record without its marker selects nothing, and Cancel writes nothing.
    card[20] = 0xAB;
    WriteFile(FilePath("card.cf7"), card);
    dialogSeen = false;
    OnDialog(kMountCf7DialogName, [&](QDialog &d) {
        for (const char *name : {"Dsk1", "Dsk2", "Dsk3"})
            EXPECT_EQ(Child<QComboBox>(d, name)->currentIndex(), 0) << name;
        Child<QComboBox>(d, "Dsk1")->setCurrentIndex(1);
        Click(d, "Cancel");
    });
    RunMountCf7Volumes(&Window(), GetShell(), ui, 0);
    ASSERT_TRUE(dialogSeen);
    EXPECT_TRUE(ReadFile(FilePath("card.cf7")) == card);
}

TEST_F(DiskDialogs, FormatOfACardVolumeThroughTheDialogTitle)
{
    WriteFile(FilePath("card.cf7"), CardImage(nullptr));
    Start({Folder()});
    GetShell().OpenEntry(0, EntryIndex(0, "card.cf7"));
    Pane &pane = GetShell().GetPane(0);
    ASSERT_EQ(pane.location.kind, kLocCf7Image);
    pane.cursor = EntryIndex(0, "VOL #003");
    ASSERT_GE(pane.cursor, 0);
    OnDialog(kNewDskDialogName, [&](QDialog &d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Format CF7A+ Volume #003");
        EXPECT_EQ(Child<QPushButton>(d, "Ok")->text().toStdString(), "Initialize");
        for (int i = 0; i < kPresetCount; ++i) {
            auto *preset = Child<QRadioButton>(d, QString("Preset%1").arg(i).toLatin1().data());
            EXPECT_EQ(preset->isEnabled(), i == 3) << i;
            EXPECT_EQ(preset->isChecked(), i == 3) << i;
        }
        Click(d, "Ok");
        EXPECT_EQ(Warnings(), std::vector<std::string>{"Please enter a volume label"});
        // The name filter: no period in a volume name.
        Child<QLineEdit>(d, "Label")->insert("new.vol");
        Click(d, "Ok");
    });
    RunInitializeCf7Volume(&Window(), GetShell(), ui, 0);
    ASSERT_TRUE(dialogSeen);
    EXPECT_TRUE(ui.Errors().empty());

    const Bytes card = ReadFile(FilePath("card.cf7"));
    const size_t base = Cf7ImageVolumeBase(3);
    uint8_t vib[256];
    BuildCf7Vib("newvol", vib);
    EXPECT_EQ(0, std::memcmp(card.data() + base, vib, 256));
    EXPECT_EQ(0, std::memcmp(card.data() + base, "NEWVOL    ", 10));
    EXPECT_TRUE(std::all_of(card.begin() + base + 256, card.begin() + base + 512,
                            [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(card.begin() + base + 512, card.begin() + base + 1600 * 256,
                            [](uint8_t b) { return b == 0xE5; }));
    // Volume 2 is untouched and the entry shows the new name.
    EXPECT_EQ(0, std::memcmp(card.data() + Cf7ImageVolumeBase(2), "GAMES", 5));
    EXPECT_EQ(pane.Entry(EntryIndex(0, "VOL #003"))->ti.tiName.substr(0, 6), "NEWVOL");
}

TEST_F(DiskDialogs, ReadCardListsTheDriveAndAsksBeforeAPcFormattedOne)
{
    Bytes ti(2 * kCf7VolumeBytes, 0);
    MakeVib(ti.data(), "SYSTEM", 1600, 2, 40, 20);
    WriteFile(DrivePath("card.img"), MakePhysicalCard(2, &ti));
    WriteFile(DrivePath("blank.img"), Bytes(1600 * 512, 0));
    UseDrives({"blank.img", "card.img"});
    Start({Folder()});
    const std::string folder = GetShell().GetPane(0).location.path;
    ui.answers = {Answer::No};
    OnDialog(kReadCf7DialogName, [&](QDialog &d) {
        auto *drive = Child<QComboBox>(d, "Drive");
        ASSERT_EQ(drive->count(), 2);
        EXPECT_EQ(drive->currentIndex(), -1); // two drives: none preselected
        Click(d, "Ok");
        EXPECT_EQ(Warnings(), std::vector<std::string>{"Select a CF7A+ disk to read."});
        drive->setCurrentIndex(0);
        Click(d, "Ok");
        ASSERT_EQ(ui.boxes.size(), 2u);
        EXPECT_EQ(ui.boxes[1].kind, "question");
        EXPECT_EQ(ui.boxes[1].text, kPcFormattedQuestion);
        EXPECT_TRUE(d.isVisible());
        drive->setCurrentIndex(1);
        Click(d, "Ok");
    });
    RunReadCf7VolumeList(&Window(), GetShell(), ui, 0);
    ASSERT_TRUE(dialogSeen);
    Pane &pane = GetShell().GetPane(0);
    EXPECT_EQ(pane.location.kind, kLocCf7Drive);
    EXPECT_EQ(pane.location.keptPath, folder);
    ASSERT_EQ(pane.Count(), 3);
    const int first = EntryIndex(0, "VOL #0001");
    ASSERT_GE(first, 0);
    EXPECT_EQ(pane.Entry(first)->ti.tiName.substr(0, 6), "SYSTEM");
    EXPECT_EQ(pane.Entry(EntryIndex(0, "VOL #0002"))->ti.tiName, "UNFORMATED");
}

TEST_F(DiskDialogs, NoDriveFoundGivesTheWarningAndNoDialog)
{
    WriteFile(DrivePath("card.img"), Bytes(1600 * 512, 0));
    UseDrives({"card.img"});
    ProgramSettings().driveLetters = 0; // the one drive is masked out
    Start({Folder()});
    ProgramSettings().driveLetters = 0;
    RunReadCf7VolumeList(&Window(), GetShell(), ui, 0);
    RunBackupDisk(&Window(), GetShell(), ui, 0);
    RunRestoreDisk(&Window(), GetShell(), ui, 0);
    EXPECT_EQ(Warnings(), (std::vector<std::string>{
                              "No physical drive with a CF7A+ image found.",
                              "No physical drive with a SCSI, IDE, WDS or CF7A+ image found.",
                              "No physical drive with a SCSI, IDE, WDS or CF7A+ image found."}));
}

// ---- Backup and restore ---------------------------------------------------

TEST_F(DiskDialogs, BackupAndRestoreRoundTripByteForByte)
{
    HdVolumeLayout one;
    one.sectors = 4096;
    one.label = "SOURCE";
    Bytes disk = MakeHdImage(one);
    for (size_t i = 64 * 256; i < disk.size(); ++i)
        disk[i] = static_cast<uint8_t>(i * 31 + i / 512);
    HdVolumeLayout other = one;
    other.label = "TARGET";
    WriteFile(DrivePath("hd.img"), disk);
    WriteFile(DrivePath("target.img"), MakeHdImage(other));
    Bytes ti(kCf7VolumeBytes, 0);
    MakeVib(ti.data(), "CARD", 1600, 2, 40, 20);
    const Bytes card = MakePhysicalCard(1, &ti);
    WriteFile(DrivePath("card.img"), card);
    WriteFile(DrivePath("blank.img"), Bytes(card.size(), 0));
    UseDrives({"hd.img", "target.img", "card.img", "blank.img"});
    Start({Folder()});

    // Back up D: (a hard disk); the dialog stays for another run.
    OnDialog(kBackupDialogName, [&](QDialog &d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Backup Scsi / Ide / Wds or Cf7a+ disk image");
        EXPECT_EQ(Child<QPushButton>(d, "Ok")->text().toStdString(), "Save disk image");
        auto *drive = Child<QComboBox>(d, "Drive");
        ASSERT_EQ(drive->count(), 4);
        EXPECT_EQ(drive->currentIndex(), 0);
        EXPECT_EQ(drive->itemText(0).toStdString(), "D: DSKIMG [1Mb] [SOURCE    ]");
        Click(d, "Ok");
        EXPECT_EQ(Warnings(), std::vector<std::string>{"Select a filename for the image to save."});
        Child<QLineEdit>(d, "ImageFile")->setText(QString::fromStdString(FilePath("hd.img")));
        Click(d, "Ok");
        EXPECT_EQ(Child<QLabel>(d, "Status")->text().toStdString(), "reading sector 2047 of 2048");
        EXPECT_TRUE(Child<QPushButton>(d, "Ok")->isEnabled());
        // And the card in F:.
        drive->setCurrentIndex(2);
        Child<QLineEdit>(d, "ImageFile")->setText(QString::fromStdString(FilePath("card.cf7")));
        Click(d, "Ok");
        Click(d, "Cancel");
    });
    RunBackupDisk(&Window(), GetShell(), ui, 0);
    ASSERT_TRUE(dialogSeen);
    EXPECT_TRUE(ui.Errors().empty()) << ui.Errors().front();
    EXPECT_TRUE(ReadFile(FilePath("hd.img")) == disk);
    EXPECT_GE(EntryIndex(0, "card.cf7"), 0); // the pane lists the new images

    // Restore onto E: (a hard disk) and G: (blank, so restored as a card),
    // which the right pane shows.
    RecordingUi quiet;
    ASSERT_TRUE(ListCf7Drive(GetShell().GetPane(1).location, 'G', quiet));
    ASSERT_EQ(GetShell().GetPane(1).Entry(1)->ti.tiName, "UNFORMATED");
    const std::pair<int, std::string> restores[] = {{1, "hd.img"}, {3, "card.cf7"}};
    for (const auto &restore : restores) {
        const int letterIndex = restore.first;
        const std::string image = restore.second;
        dialogSeen = false;
        OnDialog(kRestoreDialogName, [&, letterIndex, image](QDialog &d) {
            EXPECT_EQ(d.windowTitle().toStdString(),
                      "Restore Scsi / Ide / Wds or Cf7a+ disk image");
            auto *drive = Child<QComboBox>(d, "Drive");
            EXPECT_EQ(drive->itemText(3).toStdString(), "G: CF7A+      [0Mb] [          ]");
            drive->setCurrentIndex(letterIndex);
            Child<QLineEdit>(d, "ImageFile")->setText(QString::fromStdString(FilePath(image)));
            Click(d, "Ok");
        });
        RunRestoreDisk(&Window(), GetShell(), ui, 0);
        ASSERT_TRUE(dialogSeen);
    }
    EXPECT_TRUE(ui.Errors().empty()) << ui.Errors().front();
    EXPECT_TRUE(ReadFile(DrivePath("target.img")) == disk);
    EXPECT_TRUE(ReadFile(DrivePath("blank.img")) == card);
    EXPECT_EQ(GetShell().GetPane(1).Entry(1)->ti.tiName.substr(0, 4), "CARD");
}

TEST_F(DiskDialogs, BrowseOffersTheChooserThatFitsTheDrive)
{
    HdVolumeLayout one;
    WriteFile(DrivePath("hd.img"), MakeHdImage(one));
    Bytes ti(kCf7VolumeBytes, 0);
    MakeVib(ti.data(), "CARD", 1600, 2, 40, 20);
    WriteFile(DrivePath("card.img"), MakePhysicalCard(1, &ti));
    UseDrives({"hd.img", "card.img"});
    Start({Folder()});
    ui.chosenFiles = {FilePath("disk.img"), FilePath("card.cf7"), FilePath("old.cf7")};
    OnDialog(kBackupDialogName, [&](QDialog &d) {
        auto *drive = Child<QComboBox>(d, "Drive");
        drive->setCurrentIndex(-1);
        Click(d, "Browse");
        Click(d, "Ok");
        EXPECT_EQ(Warnings(),
                  (std::vector<std::string>{"Select a disk to save.", "Select a disk to save."}));
        EXPECT_TRUE(ui.chooserCalls.empty());
        drive->setCurrentIndex(0);
        Click(d, "Browse");
        EXPECT_EQ(Child<QLineEdit>(d, "ImageFile")->text().toStdString(), FilePath("disk.img"));
        drive->setCurrentIndex(1);
        Click(d, "Browse");
        Click(d, "Cancel");
    });
    RunBackupDisk(&Window(), GetShell(), ui, 0);
    OnDialog(kRestoreDialogName, [&](QDialog &d) {
        Child<QComboBox>(d, "Drive")->setCurrentIndex(1);
        Click(d, "Browse");
        EXPECT_EQ(Child<QLineEdit>(d, "ImageFile")->text().toStdString(), FilePath("old.cf7"));
        Click(d, "Cancel");
    });
    RunRestoreDisk(&Window(), GetShell(), ui, 0);
    ASSERT_EQ(ui.chooserCalls.size(), 3u);
    EXPECT_TRUE(ui.chooserCalls[0].save);
    EXPECT_EQ(ui.chooserCalls[0].title, "Save Scsi / Ide / Wds image as ...");
    EXPECT_EQ(ui.chooserCalls[0].filter, "Scsi / Ide / Hds disk image files (*.img)");
    EXPECT_EQ(ui.chooserCalls[0].defaultExtension, "img");
    EXPECT_EQ(ui.chooserCalls[1].title, "Save Cf7a+ image as ...");
    EXPECT_EQ(ui.chooserCalls[1].filter, "Cf7a+ disk image files (*.cf7)");
    EXPECT_EQ(ui.chooserCalls[1].defaultExtension, "cf7");
    EXPECT_FALSE(ui.chooserCalls[2].save);
    EXPECT_EQ(ui.chooserCalls[2].title, "Select Cf7a+ image to restore");
    // The folder of each choice is remembered under the drive kind's key; the
    // next card chooser starts there.
    EXPECT_EQ(ui.chooserCalls[2].startDir.rfind(Folder(), 0), 0u) << ui.chooserCalls[2].startDir;
    const std::string ini = ReadIni();
    EXPECT_NE(ini.find("hdsk_img_path="), std::string::npos) << ini;
    EXPECT_NE(ini.find("cf7a_img_path="), std::string::npos) << ini;
}

TEST_F(DiskDialogs, CancelStopsABackup)
{
    HdVolumeLayout big;
    big.sectors = 65536;
    WriteFile(DrivePath("hd.img"), MakeHdImage(big));
    UseDrives({"hd.img"});
    Start({Folder()});
    QProgressBar *progress = nullptr;
    QPushButton *cancel = nullptr;
    bool cancelled = false;
    // Pressed as soon as the loop has moved the bar: the pump inside the
    // loop lets this timer run.
    QTimer presser;
    presser.setInterval(0);
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (progress != nullptr && progress->value() > 0 && !cancelled) {
            cancelled = true;
            cancel->click();
        }
    });
    OnDialog(kBackupDialogName, [&](QDialog &d) {
        progress = Child<QProgressBar>(d, "Progress");
        cancel = Child<QPushButton>(d, "Cancel");
        Child<QLineEdit>(d, "ImageFile")->setText(QString::fromStdString(FilePath("big.img")));
        presser.start();
        Click(d, "Ok");
        presser.stop();
        EXPECT_TRUE(cancelled);
        EXPECT_TRUE(d.isVisible()); // Cancel during the run only stops the loop
        EXPECT_LT(progress->value(), 32767);
        EXPECT_NE(Child<QLabel>(d, "Status")->text().toStdString(),
                  "reading sector 32767 of 32768");
        EXPECT_TRUE(Child<QPushButton>(d, "Ok")->isEnabled());
        Click(d, "Cancel");
    });
    RunBackupDisk(&Window(), GetShell(), ui, 0);
    ASSERT_TRUE(dialogSeen);
    EXPECT_FALSE(std::filesystem::exists(FilePath("big.img")));
    EXPECT_FALSE(std::filesystem::exists(FilePath("big.img.part")));
    EXPECT_TRUE(ui.Errors().empty());
}

} // namespace
} // namespace kestrel::testing
