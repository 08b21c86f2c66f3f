#include <string>

#include <sys/stat.h>
#include <utime.h>

#include <gtest/gtest.h>

#include "conversion_test_support.h"
#include "ops/file_attributes.h"
#include "ops/header_conversion.h"
#include "tests/support/record_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

using testing::ReadBytes;
using testing::RecordingUi;
using testing::ScratchDir;

class HeaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProgramSettings() = Settings{};
        RegisterLocationListers();
        pane.path = dir.Path();
    }

    void List() { ASSERT_TRUE(OpenLocation(pane, ui)); }

    CatalogEntry *Find(const std::string &pcName)
    {
        for (auto &e : pane.entries) {
            if (e->pcName == pcName) {
                return e.get();
            }
        }
        return nullptr;
    }

    // A V9T9 file: the FDR-style header with a TI name, whole data sectors.
    void PutV9t9(const std::string &pcName, const std::string &tiName)
    {
        testing::TiFileData file = testing::VariableRecordFile(false, 80, {"HELLO"});
        TiFileDescriptor d;
        d.tiName = tiName;
        d.flags = 0x80 | kFlagArchive;
        d.recordsPerSector = 3;
        d.sectors = 1;
        d.eofOffset = file.fileSpec.eofOffset;
        d.recordLength = 80;
        d.level3Count = 1;
        std::vector<uint8_t> bytes(kHeaderSize);
        MakeV9t9Header(d, bytes.data());
        bytes.insert(bytes.end(), file.data.begin(), file.data.end());
        testing::WriteBytes(dir.File(pcName), bytes);
    }

    ScratchDir dir;
    Location pane;
    RecordingUi ui;
};

TEST_F(HeaderTest, Classic99ToV9t9PadsToWholeSectors)
{
    testing::TiFileData file = testing::VariableRecordFile(false, 80, {"SHORT FILE"});
    std::vector<uint8_t> bytes = file.Bytes();
    bytes.resize(300); // the data part ends inside its sector
    testing::WriteBytes(dir.File("c99"), bytes);
    List();
    CatalogEntry *entry = Find("c99");
    ASSERT_NE(entry, nullptr);
    ASSERT_EQ(entry->ti.headerKind, kHeaderClassic99);
    EXPECT_EQ(ConvertHeaders(ui, pane, {entry}, HeaderTarget::V9t9), 1);
    std::vector<uint8_t> after = ReadBytes(dir.File("c99"));
    ASSERT_EQ(after.size(), 384u);
    EXPECT_EQ(GetWordBE(after.data(), fdr::kSectors), 1);
    EXPECT_EQ(std::string(after.begin(), after.begin() + 10),
              "c99       "); // the name the catalog gave it
    EXPECT_TRUE(std::equal(bytes.begin() + 128, bytes.end(), after.begin() + 128));
    EXPECT_EQ(after[383], 0);
    List();
    EXPECT_EQ(Find("c99")->ti.headerKind, kHeaderV9t9);
}

TEST_F(HeaderTest, V9t9ToTifilesTakesTheNameFromThePcName)
{
    PutV9t9("game.v9", "OTHERNAME");
    List();
    CatalogEntry *entry = Find("game.v9");
    ASSERT_NE(entry, nullptr);
    ASSERT_EQ(entry->ti.headerKind, kHeaderV9t9);
    EXPECT_EQ(ConvertHeaders(ui, pane, {entry}, HeaderTarget::Tifiles), 1);
    std::vector<uint8_t> after = ReadBytes(dir.File("game.v9"));
    EXPECT_TRUE(HasTifilesMagic(after.data()));
    EXPECT_EQ(after[tifiles::kFlags], 0x80); // the archive flag is cleared
    EXPECT_EQ(after[16], 0xCA);
    // The pane's entry is updated in place; listing again makes new entries.
    const std::string shown = entry->ti.tiName;
    List();
    EXPECT_EQ(Find("game.v9")->ti.tiName.substr(0, 4), "game");
    EXPECT_EQ(shown, Find("game.v9")->ti.tiName);
    EXPECT_EQ(Find("game.v9")->ti.headerKind, kHeaderTifiles);
}

TEST_F(HeaderTest, BatchSkipsAndUnmarksWhatDoesNotQualify)
{
    PutV9t9("one", "ONE");
    testing::WriteFileBytes(dir.File("two"), testing::VariableRecordFile(false, 80, {"X"}).Bytes());
    std::filesystem::create_directory(dir.File("sub"));
    List();
    std::vector<CatalogEntry *> marked;
    for (auto &e : pane.entries) {
        e->marked = true;
        marked.push_back(e.get());
    }
    std::vector<uint8_t> before = ReadBytes(dir.File("one"));
    EXPECT_EQ(ConvertHeaders(ui, pane, marked, HeaderTarget::V9t9), 1);
    for (auto *e : marked) {
        EXPECT_FALSE(e->marked) << e->pcName;
    }
    EXPECT_EQ(ReadBytes(dir.File("one")), before);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("sub")));
    EXPECT_EQ(ui.statusTexts, (std::vector<std::string>{"Converting <two>"}));
    Location image;
    image.kind = kLocDskImage;
    EXPECT_EQ(ConvertHeaders(ui, image, marked, HeaderTarget::V9t9), -1);
    EXPECT_EQ(ui.Errors().back(),
              "Can only convert V9T9, TIFILES or CLASSIC99 files in a directory");
}

TEST_F(HeaderTest, ConfirmationTexts)
{
    std::vector<CatalogEntry> entries(5);
    std::vector<const CatalogEntry *> list;
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].ti.tiName = "F" + std::to_string(i);
        list.push_back(&entries[i]);
    }
    EXPECT_EQ(ConfirmationText({list[0]}, false, "convert"), "Do you really wish to convert <F0>");
    EXPECT_EQ(
        ConfirmationText(list, true, "set attributes for"),
        "Do you really wish to set attributes for 5 files?\n    F0\n    F1\n    F2\n    F3  ...");
    EXPECT_EQ(ConfirmationText({}, true, "convert"),
              "Sorry ... no file(s) of the correct type selected for this operation!");
}

TEST(FileAttributes, StatesCycleAndCountChanges)
{
    EXPECT_EQ(NextAttributeState(kAttrClear), kAttrSet);
    EXPECT_EQ(NextAttributeState(kAttrKeep), kAttrClear);
    uint8_t flags = 0x80 | kFlagProtected;
    EXPECT_EQ(ApplyAttributes(flags, {kAttrSet, kAttrKeep}), 0);
    EXPECT_EQ(ApplyAttributes(flags, {kAttrClear, kAttrSet}), 2);
    EXPECT_EQ(flags, 0x80 | kFlagArchive);
    EXPECT_EQ(FlagOffsetInHeader(kHeaderV9t9), 12u);
    EXPECT_EQ(FlagOffsetInHeader(kHeaderClassic99), 10u);
}

TEST_F(HeaderTest, AttributeWriteThatChangesNothingLeavesTheFileAlone)
{
    testing::TiFileData file = testing::VariableRecordFile(false, 80, {"X"});
    file.fileSpec.flags |= kFlagProtected;
    testing::WriteFileBytes(dir.File("locked"), file.Bytes());
    struct utimbuf old {
        1000000, 1000000
    };
    ASSERT_EQ(::utime(dir.File("locked").c_str(), &old), 0);
    List();
    CatalogEntry *entry = Find("locked");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(SetAttributes(ui, pane, {entry}, {kAttrSet, kAttrKeep}), 1);
    struct stat st {
    };
    ASSERT_EQ(::stat(dir.File("locked").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000);
    EXPECT_TRUE(ui.Silent());
}

TEST_F(HeaderTest, AttributesGoIntoTheHeaderByteOfEachKind)
{
    PutV9t9("v9", "V9");
    testing::WriteFileBytes(dir.File("tf"), testing::VariableRecordFile(false, 80, {"X"}).Bytes());
    List();
    std::vector<CatalogEntry *> both = {Find("v9"), Find("tf")};
    EXPECT_EQ(SetAttributes(ui, pane, both, {kAttrSet, kAttrClear}), 2);
    EXPECT_EQ(ReadBytes(dir.File("v9"))[12], 0x80 | kFlagProtected);
    EXPECT_EQ(ReadBytes(dir.File("tf"))[10], 0x80 | kFlagProtected);
    List();
    EXPECT_EQ(Find("v9")->ti.flags & kFlagProtected, kFlagProtected);
    CatalogEntry *sub = nullptr;
    std::filesystem::create_directory(dir.File("sub"));
    List();
    sub = Find("sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(SetAttributes(ui, pane, {sub}, {kAttrSet, kAttrSet}), -1);
    EXPECT_EQ(ui.Errors().back(), "Can only set attributes of files in a directory");
}

TEST(FileAttributes, RefusedAtAPartitionList)
{
    RecordingUi ui;
    Location partitions;
    partitions.kind = kLocHdPartition;
    partitions.containerEntries.emplace_back();
    partitions.containerEntries[0].ti.kind = kKindPartitionedImage;
    CatalogEntry volume;
    volume.ti.kind = kKindHdImage;
    EXPECT_EQ(SetAttributes(ui, partitions, {&volume}, {kAttrSet, kAttrKeep}), -1);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Can only set attributes of files in a directory");
}

TEST(FileAttributes, ArchiveAloneChangesNothingInAHardDiskImage)
{
    RecordingUi ui;
    Location volume;
    volume.kind = kLocHdImage;
    volume.containerEntries.emplace_back();
    volume.containerEntries[0].ti.kind = kKindHdImage;
    CatalogEntry file;
    file.ti.kind = kKindDisVar;
    file.ti.flags = 0x80;
    EXPECT_TRUE(SetEntryAttributes(ui, volume, file, {kAttrKeep, kAttrSet}));
    EXPECT_EQ(file.ti.flags, 0x80);
    EXPECT_TRUE(ui.Silent());
}

} // namespace
} // namespace kestrel
