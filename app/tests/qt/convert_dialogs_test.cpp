// The conversion and extraction dialogs through the real program: a timer
// plays the user inside each modal dialog.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <fstream>

#include "app/qt/basic_dialog.h"
#include "app/qt/convert_dialogs.h"
#include "app/qt/extract_commands.h"
#include "app/tests/qt/program_fixture.h"
#include "ops/copy.h"
#include "ops/ti_to_pc.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/ti_header.h"

namespace kestrel::testing
{
namespace
{

namespace fs = std::filesystem;

class ConvertDialogTest : public ProgramTest
{
protected:
    // Runs step inside the next modal dialog named name, once it is up.
    // The flag tells whether the step ran at all.
    std::shared_ptr<bool> Drive(const char *name, std::function<void(QDialog &)> step)
    {
        auto ran = std::make_shared<bool>(false);
        auto *timer = new QTimer(Window().centralWidget());
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [timer, name, step, ran] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog == nullptr || dialog->objectName() != name)
                return;
            timer->stop();
            timer->deleteLater();
            *ran = true;
            QPointer<QDialog> alive(dialog);
            step(*dialog);
            // A step that left its dialog open failed: close it, so that
            // the test reports instead of waiting forever.
            if (alive && alive->isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                alive->reject();
            }
        });
        timer->start();
        return ran;
    }

    template <typename T> static T *Item(QDialog &dialog, const char *name)
    {
        T *item = dialog.findChild<T *>(name);
        EXPECT_NE(item, nullptr) << name;
        return item;
    }

    void WriteText(const fs::path &path, const std::string &text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    void WriteIni(const std::string &text)
    {
        std::ofstream(IniPath()) << text;
    }

    int IndexOf(int side, const std::string &pcName)
    {
        Pane &pane = GetShell().GetPane(side);
        for (int i = 0; i < pane.Count(); ++i) {
            if (pane.Entry(i)->pcName == pcName)
                return i;
        }
        return -1;
    }

    void Cursor(int side, const std::string &pcName)
    {
        int index = IndexOf(side, pcName);
        ASSERT_GE(index, 0) << pcName;
        GetShell().GetPane(side).cursor = index;
    }

    void Enter(int side, const std::string &pcName)
    {
        int index = IndexOf(side, pcName);
        ASSERT_GE(index, 0) << pcName;
        GetShell().OpenEntry(side, index);
    }

    CatalogEntry *FindTi(int side, const std::string &tiName)
    {
        for (auto &entry : GetShell().GetPane(side).location.entries) {
            if (entry->ti.tiName == PadTiName(tiName))
                return entry.get();
        }
        return nullptr;
    }

    Ui &TheUi() { return program->GetUi(); }
};

TEST_F(ConvertDialogTest, TextIntoDiskImageTakesTheRuleDefaultsAndWritesOneRecordPerLine)
{
    WriteIni("[Pc_Ti_File_Conversion]\ntxt=dis/var 80, convertcrlftocr\n");
    WriteText(root / "files" / "notes.txt", "alpha\r\nbeta line\r\n\r\ngamma");
    RecordingUi quiet;
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "WORK", (root / "files" / "work.dsk").string(), quiet),
              0);
    Start({Folder()});
    Enter(1, "work.dsk");
    ASSERT_EQ(GetShell().GetPane(1).location.kind, kLocDskImage);
    Cursor(0, "notes.txt");

    auto ran = Drive("convertFileDialog", [](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Convert PC file [notes.txt] to");
        auto *name = Item<QLineEdit>(dialog, "name");
        auto *type = Item<QComboBox>(dialog, "fileType");
        auto *length = Item<QComboBox>(dialog, "recordLength");
        auto *method = Item<QComboBox>(dialog, "method");
        EXPECT_EQ(name->text().toStdString(), "NOTES");
        EXPECT_EQ(type->currentText().toStdString(), "DIS/VAR");
        EXPECT_EQ(length->currentText().toStdString(), " 80");
        EXPECT_EQ(method->currentText().toStdString(), "Convert CR/LF or LF to CR (TI WRITER)");
        method->setCurrentIndex(1); // line ends removed
        Item<QPushButton>(dialog, "convert")->click();
    });
    EXPECT_TRUE(RunConvertPcToTi(&Window(), GetShell(), TheUi(), 0));
    ASSERT_TRUE(*ran);
    for (const auto &box : boxes)
        ADD_FAILURE() << box.title << ": " << box.text;

    // The image pane was listed again and holds the file; its records are
    // the lines, the empty one included.
    CatalogEntry *file = FindTi(1, "NOTES");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->ti.kind, kKindDisVar);
    EXPECT_EQ(file->ti.recordLength, 80);
    std::string saved = (root / "saved").string();
    ASSERT_TRUE(SaveEntryAsTiFile(GetShell().GetPane(1).location, *file, saved, quiet));
    std::ifstream in(saved, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(bytes.size(), kHeaderSize + kSectorSize);
    std::vector<uint8_t> text =
        ConvertTiData(bytes.data() + kHeaderSize, bytes.size() - kHeaderSize, file->ti, kTiPcAddLf);
    EXPECT_EQ(std::string(text.begin(), text.end()), "alpha\nbeta line\n\ngamma\n");
}

TEST_F(ConvertDialogTest, InputChecksKeepTheDialogWithTheFocusOnTheField)
{
    WriteText(root / "files" / "raw.bin", "xyz");
    fs::create_directory(root / "files" / "out");
    Start({Folder()});
    Enter(1, "out");
    Cursor(0, "raw.bin");

    std::vector<std::string> seen;
    auto ran = Drive("convertFileDialog", [&](QDialog &dialog) {
        auto *type = Item<QComboBox>(dialog, "fileType");
        auto *length = Item<QComboBox>(dialog, "recordLength");
        auto *method = Item<QComboBox>(dialog, "method");
        auto *convert = Item<QPushButton>(dialog, "convert");
        // No rule for .bin: everything starts at "--SELECT--".
        EXPECT_EQ(type->currentText().toStdString(), "--SELECT--");
        convert->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), type);
        seen.push_back(boxes.empty() ? "" : boxes.back().title + ": " + boxes.back().text);

        type->setCurrentIndex(2); // DIS/VAR
        length->setCurrentIndex(255);
        convert->click();
        EXPECT_EQ(dialog.focusWidget(), length);
        seen.push_back(boxes.empty() ? "" : boxes.back().text);

        length->setCurrentIndex(80);
        method->setCurrentIndex(0);
        convert->click();
        EXPECT_EQ(dialog.focusWidget(), method);
        seen.push_back(boxes.empty() ? "" : boxes.back().text);

        // PROGRAM fixes the method to binary and asks for the header words.
        type->setCurrentIndex(5);
        EXPECT_FALSE(method->isEnabled());
        EXPECT_EQ(method->currentIndex(), 4);
        Item<QCheckBox>(dialog, "dataHeader")->setChecked(true);
        Item<QLineEdit>(dialog, "headerWord1")->setText("FFFF");
        convert->click();
        EXPECT_EQ(dialog.focusWidget(), Item<QLineEdit>(dialog, "headerWord2"));
        seen.push_back(boxes.empty() ? "" : boxes.back().text);
        EXPECT_TRUE(dialog.isVisible());
        Item<QPushButton>(dialog, "cancel")->click();
    });
    RunConvertPcToTi(&Window(), GetShell(), TheUi(), 0);
    ASSERT_TRUE(*ran);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], "Kestrel: Please select a filetype");
    EXPECT_EQ(seen[1], "Record length for a DIS/VAR file\nmust be in the range of 1 and 254 bytes");
    EXPECT_EQ(seen[2], "Please select a conversion methode");
    EXPECT_EQ(seen[3], "Please enter a hexadecimal value header value");
    EXPECT_FALSE(fs::exists(root / "files" / "out" / "RAW"));
}

TEST_F(ConvertDialogTest, MarkedPcFilesAreConvertedEachUnderItsOwnNameAndUnmarked)
{
    WriteIni("[Pc_Ti_File_Conversion]\ntxt=dis/fix 80, removecrandorlf\n");
    WriteText(root / "files" / "one.txt", "first\n");
    WriteText(root / "files" / "two.txt", "second\n");
    WriteText(root / "files" / "three.txt", "third\n");
    fs::create_directory(root / "files" / "out");
    Start({Folder()});
    Enter(1, "out");
    GetShell().GetPane(0).Entry(IndexOf(0, "one.txt"))->marked = true;
    GetShell().GetPane(0).Entry(IndexOf(0, "two.txt"))->marked = true;
    Cursor(0, "three.txt");

    auto ran = Drive("convertFileDialog", [](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Convert 2 PC files to TI files");
        auto *name = Item<QLineEdit>(dialog, "name");
        EXPECT_EQ(name->text().toStdString(), "[SELECTED FILES]");
        EXPECT_FALSE(name->isEnabled());
        EXPECT_EQ(Item<QComboBox>(dialog, "fileType")->currentText().toStdString(), "DIS/FIX");
        Item<QPushButton>(dialog, "convert")->click();
    });
    RunConvertPcToTi(&Window(), GetShell(), TheUi(), 0);
    ASSERT_TRUE(*ran);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(fs::exists(root / "files" / "out" / "ONE"));
    EXPECT_TRUE(fs::exists(root / "files" / "out" / "TWO"));
    EXPECT_FALSE(fs::exists(root / "files" / "out" / "THREE")); // the cursor is not marked
    // One 80-byte record in one sector behind the header.
    EXPECT_EQ(fs::file_size(root / "files" / "out" / "ONE"), kHeaderSize + kSectorSize);
    for (const auto &entry : GetShell().GetPane(0).location.entries)
        EXPECT_FALSE(entry->marked) << entry->pcName;
    CatalogEntry *one = FindTi(1, "ONE");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->ti.kind, kKindDisFix);
    EXPECT_EQ(one->ti.level3Count, 1);
}

TEST_F(ConvertDialogTest, TiToPcRefusesADiskPaneAndConvertsIntoAFolder)
{
    WriteTiFile(root / "files" / "LETTER");
    fs::create_directory(root / "files" / "out");
    RecordingUi quiet;
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "WORK", (root / "files" / "work.dsk").string(), quiet),
              0);
    Start({Folder()});
    Enter(1, "work.dsk");
    Cursor(0, "LETTER");
    EXPECT_TRUE(RunConvertTiToPc(&Window(), GetShell(), TheUi(), 0));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].title, "ERROR");
    EXPECT_EQ(boxes[0].text, "Can't write PC files to ARC, DSK, PC99DSK, HDIMG or CF7A+ card");
    EXPECT_EQ(boxes[1].text, "Can only convert TI-files to PC-files");
    boxes.clear();

    GetShell().GotoUpperDirectory(1);
    Enter(1, "out");
    ASSERT_EQ(GetShell().GetPane(1).location.kind, kLocPcDirectory);
    Cursor(0, "LETTER");
    auto ran = Drive("convertFileDialog", [](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Convert TI file [LETTER    ] to");
        EXPECT_FALSE(Item<QComboBox>(dialog, "fileType")->isEnabled());
        EXPECT_EQ(Item<QComboBox>(dialog, "fileType")->currentText().toStdString(), "DIS/VAR");
        auto *name = Item<QLineEdit>(dialog, "name");
        name->setText("letter.txt");
        Item<QComboBox>(dialog, "method")->setCurrentIndex(2); // LF
        Item<QPushButton>(dialog, "convert")->click();
    });
    RunConvertTiToPc(&Window(), GetShell(), TheUi(), 0);
    ASSERT_TRUE(*ran);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(fs::exists(root / "files" / "out" / "letter.txt"));
    EXPECT_GE(IndexOf(1, "letter.txt"), 0); // the folder pane was listed again
}

TEST_F(ConvertDialogTest, ExtendedBasicDialogChecksTheNameConvertsAndRemembersItsOptions)
{
    const std::string library = std::string(KESTREL_BIN_DIR) + "/Wendover32.so";
    if (!fs::exists(library))
        GTEST_SKIP() << "the tokenizer library is not built";
    WriteIni(std::string("[Kestrel]\nDllDirectory=") + KESTREL_BIN_DIR + "\n");
    WriteText(root / "files" / "hello.txt", "10 PRINT \"HELLO\"\n20 END\n");
    fs::create_directory(root / "files" / "out");
    Start({Folder()});
    Enter(1, "out");
    Cursor(0, "hello.txt");

    bool keptOpen = false;
    std::string emptyNameBox;
    auto ran = Drive("basicDialog", [&](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Convert PC file [hello.txt] to");
        auto *name = Item<QLineEdit>(dialog, "name");
        EXPECT_EQ(name->text().toStdString(), "HELLO");
        EXPECT_TRUE(Item<QRadioButton>(dialog, "program")->isChecked());
        EXPECT_FALSE(Item<QCheckBox>(dialog, "verbose")->isEnabled());
        name->clear();
        Item<QPushButton>(dialog, "convert")->click();
        keptOpen = dialog.isVisible() && dialog.focusWidget() == name;
        emptyNameBox = boxes.empty() ? "" : boxes.back().title + ": " + boxes.back().text;
        name->setText("HELLO");
        Item<QCheckBox>(dialog, "log")->setChecked(true);
        EXPECT_TRUE(Item<QCheckBox>(dialog, "verbose")->isEnabled());
        Item<QPushButton>(dialog, "convert")->click();
    });
    EXPECT_TRUE(RunConvertTextToBasic(&Window(), GetShell(), TheUi(), 0));
    ASSERT_TRUE(*ran);
    EXPECT_TRUE(keptOpen);
    EXPECT_EQ(emptyNameBox, "Kestrel: Please enter a filename");
    ASSERT_EQ(boxes.size(), 1u) << boxes.back().text;
    CatalogEntry *program = FindTi(1, "HELLO");
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->ti.kind, kKindProgram);
    EXPECT_TRUE(fs::exists(root / "files" / "out" / "HELLO.log"));

    // The next opening starts with what was chosen; Cancel converts nothing.
    fs::remove(root / "files" / "out" / "HELLO");
    auto again = Drive("basicDialog", [](QDialog &dialog) {
        EXPECT_TRUE(Item<QRadioButton>(dialog, "program")->isChecked());
        EXPECT_TRUE(Item<QCheckBox>(dialog, "log")->isChecked());
        EXPECT_TRUE(Item<QCheckBox>(dialog, "verbose")->isEnabled());
        Item<QPushButton>(dialog, "cancel")->click();
    });
    RunConvertTextToBasic(&Window(), GetShell(), TheUi(), 0);
    ASSERT_TRUE(*again);
    EXPECT_FALSE(fs::exists(root / "files" / "out" / "HELLO"));
    EXPECT_TRUE(RememberedBasicOptions().log);
}

TEST_F(ConvertDialogTest, ExtractAllMakesTheNextNumberedFolderAndRefusesAnImagePane)
{
    WriteTiFile(root / "files" / "ALPHA");
    fs::create_directory(root / "files" / "out");
    fs::create_directory(root / "files" / "out" / "GAMES");
    RecordingUi quiet;
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "GAMES", (root / "files" / "games.dsk").string(), quiet),
              0);
    Start({Folder()});
    // ALPHA into the image first, then the right pane to the folder "out".
    Enter(1, "games.dsk");
    Cursor(0, "ALPHA");
    ASSERT_GE(RunCopy(GetShell().GetPane(1).location, GetShell().GetPane(0).location,
                      GetShell().GetPane(0).CursorEntry(), CopyOptions{}, quiet),
              0);

    Cursor(0, "games.dsk");
    EXPECT_TRUE(RunExtractAll(&Window(), GetShell(), TheUi(), 0));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can only extract files to a directory");
    boxes.clear();

    GetShell().GotoUpperDirectory(1);
    Enter(1, "out");
    Cursor(0, "games.dsk");
    auto ran = Drive("containerDialog", [](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Extract files from ARC's and DSK's");
        EXPECT_EQ(Item<QLabel>(dialog, "heading")->text().toStdString(),
                  "Extract ARC or DSK files of <GAMES> to");
        Item<QPushButton>(dialog, "ok")->click();
    });
    EXPECT_TRUE(RunExtractAll(&Window(), GetShell(), TheUi(), 0));
    ASSERT_TRUE(*ran);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(fs::exists(root / "files" / "out" / "GAMES(1)" / "ALPHA"));
    EXPECT_TRUE(fs::is_empty(root / "files" / "out" / "GAMES"));
    EXPECT_GE(IndexOf(1, "GAMES(1)"), 0);
}

} // namespace
} // namespace kestrel::testing
