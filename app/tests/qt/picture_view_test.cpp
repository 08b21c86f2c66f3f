// Picture windows opened on files: caption, client size and pixels, refusals,
// and a GIF handed to an external viewer through the program's panes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QPointer>

#include "app/qt/picture_view.h"
#include "app/qt/picture_window.h"
#include "app/tests/qt/program_fixture.h"
#include "tests/support/record_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/settings.h"

namespace kestrel::testing
{
namespace
{

std::vector<uint8_t> FileBytes(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A DIS/FIX 128 file holding the bytes as its records.
TiFileData RecordsOf(const std::string &name, std::vector<uint8_t> bytes)
{
    bytes.resize((bytes.size() + 127) / 128 * 128, 0);
    std::vector<std::string> records;
    for (size_t at = 0; at < bytes.size(); at += 128)
        records.emplace_back(bytes.begin() + at, bytes.begin() + at + 128);
    TiFileData f = FixedRecordFile(false, 128, records);
    f.fileSpec.name = name;
    return f;
}

class PictureViewTest : public ProgramTest
{
protected:
    RecordingUi ui;
    Location location;

    void SetUp() override
    {
        ProgramTest::SetUp();
        location.path = Folder();
    }

    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<PictureWindow *>(w))
                w->close();
        Flush();
        ProgramTest::TearDown();
    }

    static void Flush()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    static int OpenPictureWindows()
    {
        int count = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            count += qobject_cast<PictureWindow *>(w) && w->isVisible() ? 1 : 0;
        return count;
    }

    const CatalogEntry &Put(const std::string &pcName, const TiFileData &file)
    {
        EXPECT_TRUE(WriteFileBytes((root / "files" / pcName).string(), file.Bytes()));
        CatalogEntry *entry = AddEntry(location.entries);
        *entry = file.Entry(pcName);
        return *entry;
    }

    std::string Temp() const { return (root / "work" / "ti_tmp.$$$").string(); }
};

TEST_F(PictureViewTest, WindowsTakeCaptionBitmapAndTwiceItsSize)
{
    TiFileData art = ProgramTiFile(std::vector<uint8_t>(24 * 256, 0x80));
    art.fileSpec.name = "ART_P";
    const CatalogEntry &picture = Put("art_p", art);

    QPointer<PictureWindow> window =
        OpenPictureWindow(nullptr, ui, location, picture, kModeTiArtist, Temp());
    ASSERT_TRUE(window);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(window->objectName(), "PictureViewer");
    EXPECT_EQ(window->windowTitle().toStdString(),
              "Kestrel - " + Folder() + "->art_p (size= 6144 bytes: 256x192)");
    EXPECT_EQ(window->Picture().size(), QSize(276, 212));
    EXPECT_EQ(window->size(), QSize(552, 424));
    EXPECT_EQ(QColor(window->Picture().pixel(10, 10)), QColor(0, 0, 0xFF));
    EXPECT_EQ(QColor(window->Picture().pixel(11, 10)), QColor(0xC2, 0xC2, 0xC2));
    // Stretched over the client area: the bitmap pixel (10, 10) covers 20..21.
    const QImage shown = window->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(20, 20)), QColor(0, 0, 0xFF));
    EXPECT_EQ(QColor(shown.pixel(19, 19)), QColor(0xC2, 0xC2, 0xC2));

    // MYART: 256 doubles both ways; 512 keeps the bitmap's width.
    std::vector<uint8_t> wide(34, 0);
    wide.push_back(0x10);
    wide.push_back(0x01);
    const CatalogEntry &m512 = Put("m512", RecordsOf("M512", wide));
    QPointer<PictureWindow> w512 =
        OpenPictureWindow(nullptr, ui, location, m512, kModeMyart512, Temp());
    ASSERT_TRUE(w512);
    EXPECT_EQ(w512->Picture().size(), QSize(532, 232));
    EXPECT_EQ(w512->size(), QSize(532, 464));
    EXPECT_EQ(w512->windowTitle().toStdString(),
              "Kestrel - " + Folder() + "->m512 (size= 128 bytes: 512x212, 16 colors)");
    QPointer<PictureWindow> w256 =
        OpenPictureWindow(nullptr, ui, location, m512, kModeMyart256, Temp());
    ASSERT_TRUE(w256);
    EXPECT_EQ(w256->size(), QSize(552, 464));
    EXPECT_EQ(OpenPictureWindows(), 3);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PictureViewTest, RefusedFilesOpenNoWindow)
{
    const CatalogEntry &records = Put("recs", RecordsOf("RECS", {0, 0}));
    EXPECT_TRUE(OpenPictureView(nullptr, ui, location, records, kModeCharset));
    EXPECT_TRUE(OpenPictureView(nullptr, ui, location, records, kModeTiArtist));
    EXPECT_EQ(ui.beeps, 2);
    EXPECT_FALSE(OpenPictureView(nullptr, ui, location, records, kModeText));
    EXPECT_EQ(OpenPictureWindows(), 0);

    // A GIF picture opened as MYART: the window goes, message 22 shows.
    const CatalogEntry &gif = Put("gif", RecordsOf("GIF", {'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_EQ(OpenPictureWindow(nullptr, ui, location, gif, kModeMyart256, Temp()), nullptr);
    Flush();
    EXPECT_EQ(OpenPictureWindows(), 0);
    EXPECT_EQ(ui.Errors(), (std::vector<std::string>{"Not a MYART file <gif>"}));

    // A file that is gone: the window stays empty, captioned "Kestrel".
    ui.boxes.clear();
    CatalogEntry missing = records;
    missing.pcName = "gone";
    QPointer<PictureWindow> empty =
        OpenPictureWindow(nullptr, ui, location, missing, kModeMyart512, Temp());
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->windowTitle(), "Kestrel");
    EXPECT_TRUE(empty->Picture().isNull());
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0].rfind("Can't open file for read <", 0), 0u);
}

TEST_F(PictureViewTest, GifFileGoesToTheExternalViewer)
{
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    for (int i = 0; i < 300; ++i)
        gif.push_back(static_cast<uint8_t>(i));
    WriteFileBytes((root / "files" / "sunset").string(), RecordsOf("SUNSET", gif).Bytes());
    WriteFileBytes((root / "files" / "prog").string(),
                   ProgramTiFile(std::vector<uint8_t>(256, 1)).Bytes());
    // The viewer: a script that keeps a copy of the file it was given.
    const std::filesystem::path script = root / "work" / "viewer.sh";
    const std::filesystem::path copy = root / "work" / "seen.gif";
    std::ofstream(script) << "#!/bin/sh\ncp \"$1\" \"" << copy.string() << "\"\n";
    Start({Folder()});
    // After the start, which reads the settings file.
    const std::string savedViewer = ProgramSettings().picViewer;
    ProgramSettings().picViewer = "/bin/sh \"" + script.string() + "\"";
    Pane &pane = GetShell().GetPane(0);
    int gifRow = -1, programRow = -1;
    for (int i = 0; i < pane.Count(); ++i) {
        if (pane.Entry(i)->pcName == "sunset")
            gifRow = i;
        if (pane.Entry(i)->pcName == "prog")
            programRow = i;
    }
    ASSERT_GE(gifRow, 0);
    ASSERT_GE(programRow, 0);

    pane.cursor = programRow;
    EXPECT_TRUE(RunShowGifExternally(&Window(), GetShell(), ui, 0));
    EXPECT_EQ(ui.beeps, 1);

    pane.cursor = gifRow;
    EXPECT_TRUE(RunShowGifExternally(&Window(), GetShell(), ui, 0));
    const bool seen = WaitFor([&] { return FileBytes(copy).size() == 384; }, 5000);
    ProgramSettings().picViewer = savedViewer;
    ASSERT_TRUE(seen);
    std::vector<uint8_t> expected = gif;
    expected.resize(384, 0);
    EXPECT_EQ(FileBytes(copy), expected);
    EXPECT_TRUE(ui.boxes.empty());

    EXPECT_FALSE(StartExternalViewer("", "/nothing"));
    EXPECT_FALSE(StartExternalViewer("   ", "/nothing"));
}

} // namespace
} // namespace kestrel::testing
