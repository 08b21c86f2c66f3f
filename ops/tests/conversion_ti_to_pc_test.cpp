#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "conversion_test_support.h"
#include "ops/pc_to_ti.h"
#include "ops/ti_to_pc.h"
#include "tests/support/record_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

using testing::Bytes;
using testing::ReadBytes;
using testing::RecordingUi;
using testing::ScratchDir;

TiFileDescriptor Descriptor(uint8_t flags, uint8_t length, uint8_t perSector, uint16_t sectors,
                            uint16_t level3)
{
    TiFileDescriptor d;
    d.flags = flags;
    d.recordLength = length;
    d.recordsPerSector = perSector;
    d.sectors = sectors;
    d.level3Count = level3;
    DecodeFileType(d);
    if (flags & kFlagProgram) {
        d.recordLength = length;
    }
    return d;
}

TEST(TiToPcSector, OneByteFixedRecordsNeedMoreThan509BytesAndKeepAll)
{
    uint8_t sector[256];
    for (int i = 0; i < 256; ++i) {
        sector[i] = static_cast<uint8_t>('A' + i % 26);
    }
    TiFileDescriptor d = Descriptor(0x00, 1, 255, 2, 256);
    uint32_t records = 0;
    std::vector<uint8_t> out;
    // 255 records per sector fit the byte: the first sector gives 255, the second 1.
    ConvertTiSector(sector, d, kTiPcAddCrLf, records, out);
    ConvertTiSector(sector, d, kTiPcAddCrLf, records, out);
    EXPECT_EQ(records, 256u);
    EXPECT_EQ(out.size(), 768u);
    EXPECT_EQ(out[0], 'A');
    EXPECT_EQ(out[1], '\r');
    EXPECT_EQ(out[2], '\n');
    EXPECT_EQ(out[765], 'A');
}

TEST(TiToPcSector, FixedRecordsStopAtTheLevel3Count)
{
    uint8_t sector[256] = {};
    std::memcpy(sector, "ONE TWO ", 8);
    TiFileDescriptor d = Descriptor(0x00, 4, 64, 1, 2);
    uint32_t records = 0;
    std::vector<uint8_t> out;
    ConvertTiSector(sector, d, kTiPcAddLf, records, out);
    EXPECT_EQ(std::string(out.begin(), out.end()), "ONE \nTWO \n");
    // A records-per-sector beyond the sector is held to what fits.
    TiFileDescriptor hostile = Descriptor(0x00, 200, 9, 1, 100);
    records = 0;
    out.clear();
    ConvertTiSector(sector, hostile, kTiPcBinary, records, out);
    EXPECT_EQ(out.size(), 200u);
}

TEST(TiToPcSector, VariableRecordsWithEachMethod)
{
    uint8_t sector[256] = {};
    const uint8_t records[] = {2, 'A', 'B', 0, 3, 'C', 'D', 'E', 0xFF};
    std::memcpy(sector, records, sizeof records);
    TiFileDescriptor d = Descriptor(0x80, 80, 3, 1, 1);
    auto convert = [&](int method) {
        uint32_t count = 0;
        std::vector<uint8_t> out;
        ConvertTiSector(sector, d, method, count, out);
        return std::string(out.begin(), out.end());
    };
    EXPECT_EQ(convert(kTiPcAddCrLf), "AB\r\n\r\nCDE\r\n");
    EXPECT_EQ(convert(kTiPcAddLf), "AB\n\nCDE\n");
    EXPECT_EQ(convert(kTiPcBinary), "ABCDE");
}

TEST(TiToPcSector, HostileVariableRecordsStayInsideTheSector)
{
    uint8_t sector[256];
    std::memset(sector, 0xFE, sizeof sector); // no end marker, lengths beyond the sector
    TiFileDescriptor d = Descriptor(0x80, 254, 1, 1, 1);
    uint32_t count = 0;
    std::vector<uint8_t> out;
    ConvertTiSector(sector, d, kTiPcBinary, count, out);
    EXPECT_EQ(out.size(), 254u); // the second record has no bytes left
}

TEST(TiToPcSector, ProgramSectorsAreCopiedWhole)
{
    uint8_t sector[256];
    for (int i = 0; i < 256; ++i) {
        sector[i] = static_cast<uint8_t>(i);
    }
    uint32_t count = 0;
    std::vector<uint8_t> out;
    ConvertTiSector(sector, Descriptor(0x01, 0, 0, 1, 0), kTiPcBinary, count, out);
    EXPECT_EQ(out, std::vector<uint8_t>(sector, sector + 256));
}

class ConvertTiFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProgramSettings() = Settings{};
        RegisterLocationListers();
        std::filesystem::create_directory(dir.File("in"));
        std::filesystem::create_directory(dir.File("out"));
        source.kind = kLocPcDirectory;
        source.path = dir.File("in");
        destination.kind = kLocPcDirectory;
        destination.path = dir.File("out");
    }

    CatalogEntry Put(const std::string &pcName, const testing::TiFileData &file)
    {
        testing::WriteFileBytes(dir.File("in/" + pcName), file.Bytes());
        return file.Entry(pcName);
    }

    ScratchDir dir;
    Location source;
    Location destination;
    RecordingUi ui;
    TiToPcBatch batch;
};

TEST_F(ConvertTiFileTest, DisVarToTextWithCrLf)
{
    CatalogEntry entry = Put("lines", testing::VariableRecordFile(false, 80, {"AB", "", "CDE"}));
    TiToPcOptions o{"lines.txt", kTiPcAddCrLf};
    ASSERT_EQ(ConvertTiFile(ui, destination, source, entry, o, batch), kConversionDone);
    EXPECT_EQ(ReadBytes(dir.File("out/lines.txt")), Bytes("AB\r\n\r\nCDE\r\n"));
    EXPECT_TRUE(ui.Silent());
}

TEST_F(ConvertTiFileTest, DisFixOfOneByteRecordsConvertsEveryRecord)
{
    std::vector<std::string> records(256, "x");
    CatalogEntry entry = Put("tiny", testing::FixedRecordFile(false, 1, records));
    TiToPcOptions o{"tiny.txt", kTiPcAddCrLf};
    ASSERT_EQ(ConvertTiFile(ui, destination, source, entry, o, batch), kConversionDone);
    EXPECT_EQ(ReadBytes(dir.File("out/tiny.txt")).size(), 768u);
}

TEST_F(ConvertTiFileTest, OverwriteAnswersInABatch)
{
    CatalogEntry entry = Put("lines", testing::VariableRecordFile(false, 80, {"NEW"}));
    testing::WriteText(dir.File("out/a.txt"), "old a");
    testing::WriteText(dir.File("out/b.txt"), "old b");
    testing::WriteText(dir.File("out/c.txt"), "old c");
    ui.answers = {Answer::No, Answer::All};
    EXPECT_EQ(ConvertTiFile(ui, destination, source, entry, {"a.txt", 1}, batch), 0);
    EXPECT_EQ(ConvertTiFile(ui, destination, source, entry, {"b.txt", 1}, batch), 0);
    EXPECT_EQ(ConvertTiFile(ui, destination, source, entry, {"c.txt", 1}, batch), 0);
    EXPECT_EQ(ReadBytes(dir.File("out/a.txt")), Bytes("old a"));
    EXPECT_EQ(ReadBytes(dir.File("out/b.txt")), Bytes("NEW\r\n"));
    EXPECT_EQ(ReadBytes(dir.File("out/c.txt")), Bytes("NEW\r\n"));
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, "file <a.txt> allready exist. Overwrite?");
    TiToPcBatch fresh;
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(ConvertTiFile(ui, destination, source, entry, {"a.txt", 1}, fresh), kConversionStop);
    EXPECT_EQ(ReadBytes(dir.File("out/a.txt")), Bytes("old a"));
}

TEST_F(ConvertTiFileTest, TruncatedSourceLeavesTheOldTargetUntouched)
{
    testing::TiFileData file = testing::VariableRecordFile(false, 80, {"A", "B"});
    file.fileSpec.sectors = 3; // the header promises more than the file holds
    testing::WriteFileBytes(dir.File("in/short"), file.Bytes());
    CatalogEntry entry = file.Entry("short");
    testing::WriteText(dir.File("out/short.txt"), "keep me");
    ui.answers = {Answer::Yes};
    EXPECT_EQ(ConvertTiFile(ui, destination, source, entry, {"short.txt", 1}, batch),
              kConversionFailed);
    EXPECT_EQ(ReadBytes(dir.File("out/short.txt")), Bytes("keep me"));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_NE(ui.Errors()[0].find("Can't read sector <2>"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("out")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ConvertTiFileTest, RefusesOtherDestinationsAndItself)
{
    CatalogEntry entry = Put("lines", testing::VariableRecordFile(false, 80, {"A"}));
    Location image;
    image.path = destination.path;
    image.kind = kLocDskImage;
    EXPECT_EQ(ConvertTiFile(ui, image, source, entry, {"x", 1}, batch), kConversionFailed);
    ASSERT_EQ(ui.Errors().size(), 2u);
    EXPECT_EQ(ui.Errors()[0], "Can't write PC files to ARC, DSK, PC99DSK, HDIMG or CF7A+ card");
    EXPECT_EQ(ui.Errors()[1], "Can only convert TI-files to PC-files");
    EXPECT_EQ(ConvertTiFile(ui, source, source, entry, {"lines", 1}, batch), kConversionFailed);
    EXPECT_EQ(ui.Errors().back(), "Can't copy files to itself");
}

TEST_F(ConvertTiFileTest, TextToDisVar80AndBackIsIdentical)
{
    const std::string text = "first line\r\n\r\n" + std::string(80, 'L') + "\r\n\tlast\r\n";
    testing::WriteText(dir.File("in/doc.txt"), text);
    CatalogEntry pc;
    pc.pcName = "doc.txt";
    pc.ti.kind = kKindDos;
    PcToTiOptions o;
    o.name = "DOC";
    o.typeFlags = 0x80;
    o.recordLength = 80;
    o.method = kPcTiRemoveLineEnd;
    o.tabWidth = 0;
    PcToTiBatch pcBatch;
    Location mid;
    mid.path = destination.path;
    ASSERT_EQ(ConvertPcFile(ui, mid, source, pc, o, pcBatch), kConversionDone);
    ASSERT_TRUE(OpenLocation(mid, ui));
    const CatalogEntry *converted = FindEntryByName(mid, "DOC");
    ASSERT_NE(converted, nullptr);
    Location back;
    back.path = source.path;
    ASSERT_EQ(ConvertTiFile(ui, back, mid, *converted, {"doc2.txt", kTiPcAddCrLf}, batch),
              kConversionDone);
    EXPECT_EQ(ReadBytes(dir.File("in/doc2.txt")), Bytes(text));
}

} // namespace
} // namespace kestrel

namespace kestrel
{
namespace
{

// The TI's own LIST output (DIS/VAR 80) out of a real disk, to text and back:
// the records and their packing into sectors come out as the TI wrote them.
TEST(ConversionInterop, RealDisVar80ListingsRoundTripRecordForRecord)
{
    const std::string image = std::string(KESTREL_REALDATA) + "/xdt99/disk/basic1.dsk";
    if (!std::filesystem::exists(image)) {
        GTEST_SKIP() << "real data absent";
    }
    ProgramSettings() = Settings{};
    RegisterLocationListers();
    testing::ScratchDir dir;
    testing::RecordingUi ui;
    Location disk;
    disk.path = image;
    ASSERT_TRUE(OpenLocation(disk, ui));
    int checked = 0;
    for (const auto &e : disk.entries) {
        if (e->ti.kind != kKindDisVar || e->ti.recordLength != 80) {
            continue;
        }
        const std::string original = dir.File("orig");
        ASSERT_TRUE(FindEntrySaver(disk.kind)(disk, *e, original, ui));
        Location folder;
        folder.path = dir.Path();
        TiToPcBatch batch;
        ui.answers = {Answer::Yes};
        ASSERT_EQ(ConvertTiFile(ui, folder, disk, *e, {"text", kTiPcAddCrLf}, batch), 0);
        CatalogEntry text;
        text.pcName = "text";
        text.ti.kind = kKindDos;
        PcToTiOptions o;
        o.name = "again";
        o.typeFlags = 0x80;
        o.recordLength = 80;
        o.method = kPcTiRemoveLineEnd;
        o.tabWidth = 0;
        PcToTiBatch pcBatch;
        ASSERT_EQ(ConvertPcFile(ui, folder, folder, text, o, pcBatch), 0);
        const std::vector<uint8_t> a = testing::ReadBytes(original);
        const std::vector<uint8_t> b = testing::ReadBytes(dir.File("again"));
        ASSERT_GE(a.size(), kHeaderSize);
        ASSERT_GE(b.size(), kHeaderSize);
        TiFileDescriptor da, db;
        ASSERT_TRUE(DecodeHeader(a.data(), "orig", false, da));
        ASSERT_TRUE(DecodeHeader(b.data(), "again", false, db));
        EXPECT_EQ(da.sectors, db.sectors) << e->pcName;
        EXPECT_EQ(da.eofOffset, db.eofOffset) << e->pcName;
        EXPECT_EQ(da.level3Count, db.level3Count) << e->pcName;
        EXPECT_EQ(ConvertTiData(a.data() + kHeaderSize, a.size() - kHeaderSize, da, kTiPcAddLf),
                  ConvertTiData(b.data() + kHeaderSize, b.size() - kHeaderSize, db, kTiPcAddLf))
            << e->pcName;
        ++checked;
    }
    EXPECT_GT(checked, 3);
    EXPECT_TRUE(ui.Errors().empty()) << ui.Errors()[0];
}

} // namespace
} // namespace kestrel
