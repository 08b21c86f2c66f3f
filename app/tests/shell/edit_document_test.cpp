#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/shell/edit_document.h"
#include "app/shell/edit_slots.h"
#include "tests/support/recording_ui.h"

namespace kestrel
{
namespace
{

using testing::RecordingUi;

class FakeText : public EditText
{
public:
    std::string text = "line 1\r\nline 2\r\n";
    bool modified = true;
    std::string caption = "Kestrel - view";

    std::string Text() const override { return text; }
    bool Modified() const override { return modified; }
    void SetModified(bool m) override { modified = m; }
    void SetCaption(const std::string &c) override { caption = c; }
};

class EditDocumentTest : public ::testing::Test
{
protected:
    std::filesystem::path dir;
    EditSlot slot;
    FakeText window;
    RecordingUi ui;

    void SetUp() override
    {
        char pattern[] = "/tmp/kestrel-edit-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        slot.number = 1;
        slot.kind = EditSlotKind::Text;
        slot.name = "HELLO/1   ";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Read(const std::filesystem::path &p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A path that cannot be written: inside a missing directory.
    std::string Unwritable() const { return (dir / "missing" / "out.txt").string(); }
};

TEST(EditDocument, DefaultSaveAsNameFromTheTiName)
{
    EXPECT_EQ(DefaultSaveAsName("HELLO     "), "HELLO.txt");
    EXPECT_EQ(DefaultSaveAsName("A/B*C:D<E>"), "A@B@C@D@E@.txt");
    EXPECT_EQ(DefaultSaveAsName("?\\|\"XYZ"), "@@@@XYZ.txt");
    EXPECT_EQ(DefaultSaveAsName("ABCDEFGHIJKLMN"), "ABCDEFGHIJ.txt");
    EXPECT_EQ(DefaultSaveAsName(" LEADING"), ".txt");
    EXPECT_EQ(DefaultSaveAsName(""), ".txt");
    EXPECT_EQ(SaveQuestionText(""), "Save current changes? ");
}

TEST_F(EditDocumentTest, NeverSavedYesOpensSaveAsAndCancelKeepsTheWindow)
{
    ui.answers = {Answer::Yes};
    EXPECT_FALSE(QueryCloseEdit(window, slot, ui));
    ASSERT_EQ(ui.chooserCalls.size(), 1u);
    EXPECT_EQ(ui.chooserCalls[0].proposedName, "HELLO@1.txt");
    EXPECT_EQ(ui.chooserCalls[0].title, "Save as");
    EXPECT_TRUE(ui.chooserCalls[0].save);
    EXPECT_EQ(ui.boxes.at(0).text, "Save current changes? ");
    EXPECT_TRUE(window.modified);

    // Confirming writes the text byte for byte and closes.
    const std::string target = (dir / "hello.txt").string();
    ui.answers = {Answer::Yes};
    ui.chosenFiles = {target};
    EXPECT_TRUE(QueryCloseEdit(window, slot, ui));
    EXPECT_EQ(Read(target), window.text);
    EXPECT_FALSE(window.modified);
    EXPECT_EQ(slot.fileName, target);
    EXPECT_EQ(window.caption, "Kestrel - " + target);
    EXPECT_EQ(SaveDirectory(), dir.string());
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(EditDocumentTest, FailedWriteAfterYesKeepsTheWindowOpenAndModified)
{
    // Through Save As: message 5, the name stays unset.
    ui.answers = {Answer::Yes};
    ui.chosenFiles = {Unwritable()};
    EXPECT_FALSE(QueryCloseEdit(window, slot, ui));
    EXPECT_TRUE(window.modified);
    EXPECT_EQ(slot.fileName, "");
    EXPECT_EQ(window.caption, "Kestrel - view");
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Can't write to file <" + Unwritable() + ">");

    // With a name of its own: the same.
    slot.fileName = Unwritable();
    ui.answers = {Answer::Yes};
    EXPECT_FALSE(QueryCloseEdit(window, slot, ui));
    EXPECT_TRUE(window.modified);
    EXPECT_EQ(ui.Errors().size(), 2u);
}

TEST_F(EditDocumentTest, EachWindowSavesToItsOwnName)
{
    EditSlot other = slot;
    other.number = 2;
    FakeText second;
    second.text = "other text";
    ui.chosenFiles = {(dir / "first.txt").string(), (dir / "second.txt").string()};
    ASSERT_EQ(SaveEditAs(window, slot, ui), SaveAsResult::Written);
    ASSERT_EQ(SaveEditAs(second, other, ui), SaveAsResult::Written);

    // The first window, changed again and closed with Yes, writes to its own file.
    window.text = "changed\r\n";
    window.modified = true;
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(QueryCloseEdit(window, slot, ui));
    EXPECT_EQ(ui.boxes.back().text, "Save current changes? " + (dir / "first.txt").string());
    EXPECT_EQ(Read(dir / "first.txt"), "changed\r\n");
    EXPECT_EQ(Read(dir / "second.txt"), "other text");
    EXPECT_EQ(ui.chooserCalls.size(), 2u);
}

TEST_F(EditDocumentTest, NoClosesCancelKeepsUnmodifiedCloses)
{
    ui.answers = {Answer::No};
    EXPECT_TRUE(QueryCloseEdit(window, slot, ui));
    ui.answers = {Answer::Cancel};
    EXPECT_FALSE(QueryCloseEdit(window, slot, ui));
    EXPECT_TRUE(ui.chooserCalls.empty());
    window.modified = false;
    const size_t asked = ui.boxes.size();
    EXPECT_TRUE(QueryCloseEdit(window, slot, ui));
    EXPECT_EQ(ui.boxes.size(), asked);
}

TEST_F(EditDocumentTest, FailedWriteLeavesTheOldFileWhole)
{
    const std::filesystem::path target = dir / "keep.txt";
    std::ofstream(target, std::ios::binary) << "old contents";
    std::filesystem::create_directory(target.string() + ".kestrel-save");
    EXPECT_FALSE(WriteEditText(target.string(), "new", ui));
    EXPECT_EQ(Read(target), "old contents");
    EXPECT_EQ(ui.Errors().size(), 1u);
    std::filesystem::remove(target.string() + ".kestrel-save");
    EXPECT_TRUE(WriteEditText(target.string(), std::string("a\0b\r\n", 5), ui));
    EXPECT_EQ(Read(target), std::string("a\0b\r\n", 5));
}

TEST(EditSlots, SeventeenthWindowIsRefusedWithMessage15)
{
    EditSlotTable table;
    RecordingUi ui;
    EditSlot *taken[kEditSlotCount];
    for (int i = 0; i < kEditSlotCount; ++i) {
        taken[i] = table.Acquire(i % 2 ? EditSlotKind::Picture : EditSlotKind::Text, ui);
        ASSERT_NE(taken[i], nullptr);
        EXPECT_EQ(taken[i]->number, i + 1);
    }
    EXPECT_EQ(table.Acquire(EditSlotKind::Text, ui), nullptr);
    ASSERT_EQ(ui.Errors(), (std::vector<std::string>{"No more viewers available"}));

    // A freed slot is the first taken again, with nothing left of its last window.
    taken[4]->findText = "X";
    taken[4]->fileName = "/tmp/x.txt";
    table.Release(taken[4]);
    EXPECT_EQ(table.InUse(), kEditSlotCount - 1);
    EditSlot *again = table.Acquire(EditSlotKind::Text, ui);
    ASSERT_EQ(again, taken[4]);
    EXPECT_EQ(again->number, 5);
    EXPECT_TRUE(again->findText.empty());
    EXPECT_TRUE(again->fileName.empty());

    // Placements belong to the settings and survive the window.
    Settings settings;
    EditSlotTable::UpdatePlacement(*again, settings, 10, 20, 300, 400);
    table.Release(again);
    EXPECT_EQ(settings.editSlots[4].left, 10);
    EXPECT_EQ(settings.editSlots[4].height, 400);
    EXPECT_EQ(EditSlotTable::Placement(table.Slot(5), settings).width, 300);
}

} // namespace
} // namespace kestrel
