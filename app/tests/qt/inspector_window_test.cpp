// The structure inspector windows in the running program: the first window
// of the cursor entry, ">>" buttons and list lines opening further windows,
// the sector view of a data extent, and failures that open nothing.
#include <QApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <filesystem>

#include "app/qt/edit_window.h"
#include "app/qt/find_dialog.h"
#include "app/qt/inspector_window.h"
#include "app/tests/qt/program_fixture.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/hd_image_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/ti_header.h"

namespace kestrel::testing
{
namespace
{

class InspectorWindowTest : public ProgramTest
{
protected:
    RecordingUi ui;

    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<InspectorWindow *>(w) || qobject_cast<EditWindow *>(w))
                w->close();
        }
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ProgramTest::TearDown();
    }

    static std::vector<InspectorWindow *> Inspectors()
    {
        std::vector<InspectorWindow *> found;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<InspectorWindow *>(w); window && window->isVisible())
                found.push_back(window);
        return found;
    }

    static InspectorWindow *Titled(const QString &title)
    {
        for (InspectorWindow *window : Inspectors())
            if (window->windowTitle() == title)
                return window;
        return nullptr;
    }

    void MakeFloppy(const std::string &path)
    {
        ASSERT_EQ(WriteNewImage(*FindPreset(0), "WINDOWS", path, ui), 0);
        TiFileSpec fileSpec;
        fileSpec.tiName = "DATA";
        fileSpec.sectors = 2;
        const std::string source = (root / "work" / "DATA.v9t9").string();
        const std::vector<uint8_t> bytes = MakeTiFileBytes(fileSpec);
        ASSERT_TRUE(WriteBytes(source, bytes));
        CatalogEntry entry;
        entry.pcName = "DATA.v9t9";
        ASSERT_TRUE(DecodeHeader(bytes.data(), entry.pcName, false, entry.ti));
        AddFileState state;
        ASSERT_EQ(AddFileToImage({path}, entry, source, state, ui), kAddDone);
    }

    // Puts the left pane's cursor on the entry of that PC name.
    bool CursorOn(const std::string &pcName)
    {
        Pane &pane = GetShell().GetPane(0);
        for (int i = 0; i < pane.Count(); ++i) {
            if (pane.Entry(i)->pcName == pcName) {
                pane.cursor = i;
                return true;
            }
        }
        return false;
    }

    static bool OnScreen(QWidget *window)
    {
        const QRect virt = QGuiApplication::primaryScreen()->availableVirtualGeometry();
        return virt.contains(window->geometry());
    }
};

TEST_F(InspectorWindowTest, FloppyVibFollowsItsLinksIntoIndependentWindows)
{
    MakeFloppy(Folder() + "/disk.dsk");
    Start({Folder()});
    ASSERT_TRUE(CursorOn("disk.dsk"));
    ASSERT_TRUE(RunInspectStructure(&Window(), GetShell(), ui, 0));
    InspectorWindow *vib = Titled("FloppyDisk VIB - Sector >0000");
    ASSERT_NE(vib, nullptr);
    EXPECT_TRUE(OnScreen(vib));

    // The root file index's ">>", the last field.
    const int root = static_cast<int>(vib->View().fields.size()) - 1;
    ASSERT_NE(vib->FieldButton(root), nullptr);
    vib->FieldButton(root)->click();
    InspectorWindow *fdir = Titled("FloppyDisk FDIR - Sector >0001");
    ASSERT_NE(fdir, nullptr);
    EXPECT_TRUE(OnScreen(fdir));
    ASSERT_EQ(fdir->List()->count(), 128);
    EXPECT_TRUE(fdir->List()->item(0)->text().endsWith("\tDATA"));
    fdir->List()->setCurrentRow(1); // a zero word leads nowhere
    EXPECT_FALSE(fdir->ListButton()->isEnabled());
    fdir->List()->setCurrentRow(0);
    EXPECT_TRUE(fdir->ListButton()->isEnabled());

    // Closing the window it came from leaves the index window working.
    vib->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    fdir->ListButton()->click();
    const uint16_t fdrSector = GetWordBE(fdir->View().sector, 0);
    InspectorWindow *fdr = Titled(QString::asprintf("FloppyDisk FDR - Sector >%04X", fdrSector));
    ASSERT_NE(fdr, nullptr);
    ASSERT_EQ(fdr->List()->count(), 1);

    // A chain line opens its sectors in a read-only sector view.
    ASSERT_TRUE(fdr->FollowLine(0));
    EditWindow *sectors = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *edit = qobject_cast<EditWindow *>(w); edit && edit->isVisible())
            sectors = edit;
    ASSERT_NE(sectors, nullptr);
    EXPECT_TRUE(sectors->windowTitle().startsWith("DATA: FirstSector: >"));
    EXPECT_TRUE(sectors->windowTitle().endsWith("NumberOfSectors: >0002"));
    EXPECT_TRUE(sectors->Editor()->isReadOnly());
    EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(InspectorWindowTest, PartitionButtonsAndAFailedLinkOpenNothing)
{
    HdVolumeLayout one;
    one.sectors = 4096;
    one.label = "ONLY";
    std::vector<uint8_t> image = MakePartitionedHdImage({one});
    const std::string path = Folder() + "/parts.img";
    ASSERT_TRUE(WriteHdImageFile(path, image));
    Start({Folder()});
    ASSERT_TRUE(CursorOn("parts.img"));
    ASSERT_EQ(GetShell().GetPane(0).CursorEntry()->ti.kind, kKindPartitionedImage);
    ASSERT_TRUE(RunInspectStructure(&Window(), GetShell(), ui, 0));
    InspectorWindow *table = Titled("HardDisk PTI - Sector >0000");
    ASSERT_NE(table, nullptr);
    const auto &fields = table->View().fields;
    int first = -1, second = -1;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].offset == 24)
            first = static_cast<int>(i);
        if (fields[i].offset == 32)
            second = static_cast<int>(i);
    }
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_TRUE(table->FieldButton(first)->isEnabled());
    EXPECT_FALSE(table->FieldButton(second)->isEnabled());

    // The image shrinks behind the window's back: the read fails with a box.
    std::filesystem::resize_file(path, 256);
    EXPECT_FALSE(table->FollowField(first));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can't read sector <2> from <" + path + ">");
    EXPECT_EQ(Inspectors().size(), 1u);
}

TEST_F(InspectorWindowTest, OnlyImagesOfAPcDirectoryOpenAWindow)
{
    MakeFloppy(Folder() + "/disk.dsk");
    Start({Folder()});

    // The same image seen from inside a container is not inspected.
    ASSERT_TRUE(CursorOn("disk.dsk"));
    GetShell().GetPane(0).location.kind = kLocDskImage;
    EXPECT_FALSE(RunInspectStructure(&Window(), GetShell(), ui, 0));
    GetShell().GetPane(0).location.kind = kLocPcDirectory;
    GetShell().GetPane(0).CursorEntry()->ti.kind = kKindDisVar;
    EXPECT_FALSE(RunInspectStructure(&Window(), GetShell(), ui, 0));
    EXPECT_TRUE(Inspectors().empty());
    EXPECT_TRUE(ui.Errors().empty());
}

} // namespace
} // namespace kestrel::testing
