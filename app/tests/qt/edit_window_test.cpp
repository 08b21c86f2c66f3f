// The text and picture windows: opening views, searching, printing to PDF,
// menus and slots.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>

#include "app/qt/edit_window.h"
#include "app/qt/find_dialog.h"
#include "app/qt/picture_window.h"
#include "app/tests/qt/program_fixture.h"
#include "tests/support/record_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/location_listers.h"

namespace kestrel::testing
{
namespace
{

class EditWindowTest : public ProgramTest
{
protected:
    RecordingUi ui;

    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *edit = qobject_cast<EditWindow *>(w)) {
                edit->Editor()->document()->setModified(false);
                edit->close();
            } else if (qobject_cast<PictureWindow *>(w)) {
                w->close();
            }
        }
        Flush();
        ProgramTest::TearDown();
    }

    static void Flush()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    static EditWindow *TopEditWindow()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *edit = qobject_cast<EditWindow *>(w); edit && edit->isVisible())
                return edit;
        return nullptr;
    }

    // A writable window holding text.
    EditWindow *Writable(const std::string &text)
    {
        EditWindow *window = OpenTextWindow(nullptr, ui, nullptr, nullptr, 0);
        if (window)
            window->SetText(text, "Kestrel - test");
        return window;
    }

    static std::string Selected(EditWindow *window)
    {
        return window->Editor()->textCursor().selectedText().toStdString();
    }

    static bool HavePdfToText() { return std::system("command -v pdftotext >/dev/null 2>&1") == 0; }

    // The text of a PDF, one string per page.
    std::vector<std::string> PdfPages(const std::filesystem::path &pdf)
    {
        const std::filesystem::path txt = pdf.string() + ".txt";
        const std::string command =
            "pdftotext -layout '" + pdf.string() + "' '" + txt.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(txt, std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::string> pages;
        size_t start = 0;
        for (size_t ff; (ff = all.find('\f', start)) != std::string::npos; start = ff + 1)
            pages.push_back(all.substr(start, ff - start));
        return pages;
    }

    std::vector<std::string> PrintToPdf(EditWindow *window, const std::string &name,
                                        bool selection = false, int copies = 1,
                                        bool collate = false)
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const std::filesystem::path pdf = root / name;
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        EXPECT_TRUE(window->PrintTo(printer, selection, copies, collate));
        if (!std::filesystem::exists(pdf))
            return {};
        return PdfPages(pdf);
    }

    static size_t CountLines(const std::string &page, const std::string &prefix)
    {
        size_t count = 0;
        for (size_t at = 0; (at = page.find(prefix, at)) != std::string::npos; ++at)
            ++count;
        return count;
    }
};

// A 360-sector floppy image DISK1 with the DIS/VAR 80 file LETTER (three
// records in one data sector at sector 34).
std::vector<uint8_t> FloppyWithLetter()
{
    std::vector<uint8_t> image(360 * 256, 0);
    uint8_t *vib = image.data();
    std::memcpy(vib, "DISK1     ", 10);
    vib[10] = 360 >> 8;
    vib[11] = 360 & 0xFF;
    vib[12] = 9;
    std::memcpy(vib + 13, "DSK", 3);
    vib[16] = ' ';
    vib[17] = 40;
    vib[18] = 1;
    vib[19] = 1;
    vib[56] = 0x07;     // sectors 0 to 2
    vib[56 + 4] = 0x04; // sector 34
    for (int i = 56 + 45; i < 256; ++i)
        vib[i] = 0xFF;
    image[256 + 1] = 2; // the file index points at the FDR in sector 2
    uint8_t *fdr = image.data() + 2 * 256;
    std::memcpy(fdr, "LETTER    ", 10);
    fdr[12] = 0x80; // DISPLAY VARIABLE
    fdr[13] = 3;
    fdr[15] = 1;
    fdr[16] = 15;
    fdr[17] = 80;
    fdr[18] = 1; // level 3: sectors in use
    fdr[28] = 34;
    uint8_t *data = image.data() + 34 * 256;
    size_t at = 0;
    for (const char *record : {"DEAR FRIEND,", "THE DATA IS HERE.", "GOODBYE"}) {
        const size_t n = std::strlen(record);
        data[at++] = static_cast<uint8_t>(n);
        std::memcpy(data + at, record, n);
        at += n;
    }
    data[at] = 0xFF;
    return image;
}

TEST_F(EditWindowTest, F3OnAFileInsideADiskImageShowsFindsPrintsAndClosesOnEscape)
{
    if (!FindEntryOpenerIn(kLocPcDirectory, kKindDsk)) {
        RegisterLocationListers();
        if (!FindEntryOpenerIn(kLocPcDirectory, kKindDsk))
            GTEST_SKIP() << "no floppy image lister linked in yet";
    }
    const std::vector<uint8_t> image = FloppyWithLetter();
    const std::filesystem::path dsk = root / "files" / "disk1.dsk";
    ASSERT_TRUE(WriteFileBytes(dsk.string(), image));
    Start({Folder()});
    Pane &left = GetShell().GetPane(0);
    int at = -1;
    for (int i = 0; i < left.Count(); ++i)
        if (left.Entry(i)->ti.kind == kKindDsk)
            at = i;
    ASSERT_GE(at, 0);
    left.cursor = at;
    Press(Qt::Key_Return);
    ASSERT_EQ(left.location.kind, kLocDskImage);
    at = -1;
    for (int i = 0; i < left.Count(); ++i)
        if (left.Entry(i)->ti.kind == kKindDisVar)
            at = i;
    ASSERT_GE(at, 0);
    left.cursor = at;
    Press(Qt::Key_F3);

    QPointer<EditWindow> window = TopEditWindow();
    ASSERT_TRUE(window) << "F3 opened no text window";
    EXPECT_EQ(window->windowTitle().toStdString(), "Kestrel - " + dsk.string() + "->LETTER");
    EXPECT_TRUE(window->Editor()->isReadOnly());
    EXPECT_EQ(window->Text(), "DEAR FRIEND,\r\nTHE DATA IS HERE.\r\nGOODBYE\r\n");
    EXPECT_EQ(window->Slot().name.substr(0, 6), "LETTER");

    window->Slot().findText = "data";
    window->Slot().find.wholeWord = true;
    window->Command(kEditFindNext);
    EXPECT_EQ(Selected(window), "DATA");

    if (HavePdfToText()) {
        const std::vector<std::string> pages = PrintToPdf(window, "letter.pdf");
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_NE(pages[0].find("DEAR FRIEND,"), std::string::npos);
        EXPECT_NE(pages[0].find("GOODBYE"), std::string::npos);
    }

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window->Editor(), &escape);
    Flush();
    EXPECT_FALSE(window);
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
}

TEST_F(EditWindowTest, ViewOfAPcDirectoryFileIsReadOnlyAndPrintsEveryLine)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    std::vector<std::string> records;
    for (int i = 1; i <= 300; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "LINE %03d", i);
        records.push_back(line);
    }
    records[9] = ""; // blank lines print too
    const TiFileData file = VariableRecordFile(false, 80, records);
    const std::filesystem::path path = root / "files" / "LINES";
    ASSERT_TRUE(WriteFileBytes(path.string(), file.Bytes()));
    Location location;
    location.path = Folder();
    const CatalogEntry entry = file.Entry("LINES");

    QPointer<EditWindow> window = OpenTextWindow(nullptr, ui, &location, &entry, 0);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->Editor()->isReadOnly());
    EXPECT_EQ(window->windowTitle().toStdString(), "Kestrel - " + Folder() + "->LINES");
    EXPECT_TRUE(ui.boxes.empty());

    const std::vector<std::string> pages = PrintToPdf(window, "lines.pdf");
    ASSERT_GE(pages.size(), 2u);
    const size_t perPage = CountLines(pages[0], "LINE ") + 1; // with the blank line 10
    ASSERT_GT(perPage, 10u);
    EXPECT_EQ(pages.size(), (300 + perPage - 1) / perPage);
    EXPECT_EQ(pages[0].find("LINE 010"), std::string::npos);
    EXPECT_NE(pages[0].find("LINE 011"), std::string::npos);
    EXPECT_NE(pages.back().find("LINE 300"), std::string::npos);
    size_t total = 0;
    for (const std::string &page : pages)
        total += CountLines(page, "LINE ");
    EXPECT_EQ(total, 299u);

    // A text of exactly two pages prints no blank third one; copies collate.
    std::string two;
    for (size_t i = 0; i < 2 * perPage; ++i)
        two += "ROW " + std::to_string(i) + "\r\n";
    window->SetText(two, "Kestrel - two");
    EXPECT_EQ(PrintToPdf(window, "two.pdf").size(), 2u);
    const std::vector<std::string> copies = PrintToPdf(window, "copies.pdf", false, 2, true);
    ASSERT_EQ(copies.size(), 4u);
    EXPECT_NE(copies[2].find("ROW 0"), std::string::npos);
    const std::vector<std::string> uncollated = PrintToPdf(window, "copies2.pdf", false, 2);
    ASSERT_EQ(uncollated.size(), 4u);
    EXPECT_NE(uncollated[1].find("ROW 0"), std::string::npos);

    // The selection prints from its first line on; an empty text prints nothing.
    // Each of the first ten rows is "ROW k" and its line end: six characters.
    QTextCursor cursor(window->Editor()->document());
    cursor.setPosition(6 * 3 + 1);
    cursor.setPosition(6 * 4 + 2, QTextCursor::KeepAnchor);
    window->Editor()->setTextCursor(cursor);
    const std::vector<std::string> selected = PrintToPdf(window, "selection.pdf", true);
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(CountLines(selected[0], "ROW "), 2u);
    EXPECT_NE(selected[0].find("ROW 3"), std::string::npos);
    EXPECT_NE(selected[0].find("ROW 4"), std::string::npos);
    // Cancel in the abort dialog stops the job before the next page.
    window->SetText(two + two + two, "Kestrel - six");
    QTimer::singleShot(0, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == "AbortDlg")
                if (auto *cancel = w->findChild<QPushButton *>("Cancel"))
                    cancel->click();
    });
    const std::vector<std::string> cancelled = PrintToPdf(window, "cancelled.pdf");
    EXPECT_LE(cancelled.size(), 1u);
    EXPECT_TRUE(window->Editor()->isEnabled());
    window->SetText("", "Kestrel - empty");
    EXPECT_TRUE(PrintToPdf(window, "empty.pdf").empty());
    EXPECT_FALSE(std::filesystem::exists(root / "empty.pdf"));
}

TEST_F(EditWindowTest, MenuHoldsEveryItemAndFollowsTheState)
{
    QPointer<EditWindow> window = Writable("one two\r\n");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->objectName(), "EditViewer");
    const std::vector<std::pair<int, std::string>> items = {
        {40018, "&New"},           {40019, "&Open…"},
        {40020, "&Save"},          {40021, "Save &As…"},
        {40022, "&Print…"},        {40023, "P&rint Setup…"},
        {40074, "Page Setup…"},    {40024, "E&xit"},
        {40025, "&Undo\tCtrl+Z"},  {40026, "Cu&t\tCtrl+X"},
        {40027, "&Copy\tCtrl+C"},  {40028, "&Paste\tCtrl+V"},
        {40029, "&Delete\tDel"},   {40076, "Select &All\tCtrl+A"},
        {40030, "&Find…\tCtrl+F"}, {40033, "&Replace…"},
        {40031, "Find &Next\tF3"}, {40032, "Find &Previous\tF4"},
    };
    for (const auto &[id, text] : items) {
        ASSERT_NE(window->Action(id), nullptr) << id;
        EXPECT_EQ(window->Action(id)->text().toStdString(), text);
    }
    window->UpdateMenu();
    EXPECT_FALSE(window->Action(kEditNew)->isEnabled());
    EXPECT_FALSE(window->Action(kEditSave)->isEnabled());
    EXPECT_FALSE(window->Action(kEditCopy)->isEnabled());
    EXPECT_FALSE(window->Action(kEditFindNext)->isEnabled());
    EXPECT_FALSE(window->Action(kEditUndo)->isEnabled());

    // Ctrl+A selects all; then Delete removes it, and Undo brings it back.
    auto press = [&](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(window->Editor(), &e);
    };
    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window->Editor()->textCursor().selectedText().size(), 8);
    window->UpdateMenu();
    EXPECT_TRUE(window->Action(kEditCopy)->isEnabled());
    press(Qt::Key_Delete);
    EXPECT_EQ(window->Text(), "");
    window->UpdateMenu();
    EXPECT_TRUE(window->Action(kEditSave)->isEnabled());
    EXPECT_TRUE(window->Action(kEditUndo)->isEnabled());
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->Text(), "one two\r\n");
    window->Slot().findText = "two";
    window->UpdateMenu();
    EXPECT_TRUE(window->Action(kEditFindPrevious)->isEnabled());
}

TEST_F(EditWindowTest, FindAndReplaceDialogsAndStringNotFound)
{
    QPointer<EditWindow> window = Writable("A A\r\nB");
    ASSERT_TRUE(window);
    QKeyEvent ctrlF(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier);
    QApplication::sendEvent(window->Editor(), &ctrlF);
    QPointer<FindDialog> find = window->OpenFindDialog();
    ASSERT_TRUE(find);
    EXPECT_FALSE(find->IsReplace());
    auto *what = find->findChild<QLineEdit *>("FindWhat");
    auto *next = find->findChild<QPushButton *>("FindNext");
    ASSERT_TRUE(what && next);
    EXPECT_FALSE(next->isEnabled());
    what->setText("a");
    next->click();
    EXPECT_EQ(window->Editor()->textCursor().selectionStart(), 0);
    next->click();
    EXPECT_EQ(window->Editor()->textCursor().selectionStart(), 2);
    EXPECT_EQ(window->Slot().findText, "a");

    // The same command only raises it; the other one replaces it.
    window->Command(kEditFind);
    EXPECT_EQ(window->OpenFindDialog(), find.data());
    window->Command(kEditReplace);
    Flush();
    EXPECT_FALSE(find);
    FindDialog *replace = window->OpenFindDialog();
    ASSERT_TRUE(replace && replace->IsReplace());
    EXPECT_EQ(replace->findChild<QLineEdit *>("FindWhat")->text(), "a");
    replace->findChild<QLineEdit *>("ReplaceWith")->setText("AA");
    replace->findChild<QPushButton *>("ReplaceAll")->click();
    EXPECT_EQ(window->Text(), "AA AA\r\nB");

    // F3 with no further match: the box shows the search text.
    boxes.clear();
    window->Slot().findText = "zz";
    QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
    QApplication::sendEvent(window->Editor(), &f3);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "String not found");
    EXPECT_EQ(boxes[0].text, "zz");
}

TEST_F(EditWindowTest, DirectoryReportOpensWritableAndPcFilesOpenWritable)
{
    std::ofstream(root / "files" / "notes.txt", std::ios::binary) << "first\r\nsecond";
    Location location;
    location.path = Folder();
    CatalogEntry *pc = AddEntry(location.entries);
    pc->ti.kind = kKindDos;
    pc->pcName = "notes.txt";
    QPointer<EditWindow> report = OpenDirectoryReportWindow(nullptr, ui, location);
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->Editor()->isReadOnly());
    EXPECT_EQ(report->windowTitle().toStdString().rfind("Kestrel - ", 0), 0u);
    EXPECT_NE(report->Text().find("notes.txt" + std::string(15, ' ') + "DOS     \r\n"),
              std::string::npos);
    EXPECT_EQ(report->Text().rfind("Directory of ", 0), 0u);

    QPointer<EditWindow> file = OpenTextWindow(nullptr, ui, &location, pc, 2);
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->Editor()->isReadOnly());
    EXPECT_EQ(file->windowTitle().toStdString(), "Kestrel - notes.txt");
    EXPECT_EQ(file->Text(), "first\r\nsecond");
    EXPECT_FALSE(file->Editor()->document()->isModified());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(EditWindowTest, SlotsRunOutAtSixteenAndPicturesStretchAndCloseOnEscape)
{
    std::vector<QPointer<QWidget>> windows;
    QPointer<PictureWindow> picture = PictureWindow::Create(nullptr, ui);
    ASSERT_TRUE(picture);
    windows.push_back(picture.data());
    for (int i = 1; i < kEditSlotCount; ++i) {
        EditWindow *w = OpenTextWindow(nullptr, ui, nullptr, nullptr, 0);
        ASSERT_TRUE(w) << i;
        windows.push_back(w);
    }
    EXPECT_EQ(OpenTextWindow(nullptr, ui, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(PictureWindow::Create(nullptr, ui), nullptr);
    EXPECT_EQ(ui.Errors(),
              (std::vector<std::string>{"No more viewers available", "No more viewers available"}));

    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.setPixel(1, 1, qRgb(0, 0, 255));
    picture->resize(200, 100);
    picture->SetPicture(image);
    const QImage shown = picture->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(10, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor(shown.pixel(190, 90)), QColor(Qt::blue));
    EXPECT_EQ(QColor(shown.pixel(190, 10)), QColor(Qt::red));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(picture.data(), &escape);
    Flush();
    EXPECT_FALSE(picture);
    EXPECT_NE(OpenTextWindow(nullptr, ui, nullptr, nullptr, 0), nullptr);
}

} // namespace
} // namespace kestrel::testing
