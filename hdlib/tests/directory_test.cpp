#include "hdlib/tests/library_fixture.h"

#include "tifs/byte_order.h"

namespace kestrel::testing
{
namespace
{

class HdDirectory : public BrackenlyTest
{
protected:
    // Root with subdirectory A (DDR at AU 100, index 101) holding file B and subdirectory C.
    std::vector<uint8_t> Tree()
    {
        std::vector<uint8_t> image = MakeHdImage({.sectors = 4096, .sectorsPerAu = 1});
        HdVolumeView view(image, 0);
        view.AddSubdirectory(0, 100, 101, "A");
        view.AddProgram(100, 102, "B", 2048, std::vector<uint8_t>(300, 0x42));
        view.AddSubdirectory(100, 103, 104, "C");
        view.AddProgram(0, 105, "file", 2060, {1, 2, 3});
        return image;
    }

    int32_t Status(const std::string &path, uint8_t *flags = nullptr)
    {
        FileRequest request = Request();
        uint8_t ignored = 0;
        return fileStatus(&request, path.c_str(), flags ? flags : &ignored);
    }
};

TEST_F(HdDirectory, PathFormsResolve)
{
    Open(Tree());
    EXPECT_EQ(Names(List(".")), (std::vector<std::string>{"file", "A"}));
    EXPECT_EQ(Names(List(".A.")), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(List(".A.C.").size(), 0u);
    EXPECT_EQ(Status(".A.B"), 0);
    EXPECT_EQ(Status("A.B"), 224);          // no leading "."
    EXPECT_EQ(Status(".ABCDEFGHIJK"), 224); // 11 characters
    EXPECT_EQ(Status(".A B"), 224);
    EXPECT_EQ(Status(".A~B"), 224);
    EXPECT_EQ(Status(".A..B"), 224); // empty component
    EXPECT_EQ(Status(".X.B"), 224);  // missing directory on the way
    EXPECT_EQ(Status(".A."), 64);    // a directory path
    int32_t last = 0;
    List(".Q.", &last);
    EXPECT_EQ(last, 224);
    List(".A.B", &last); // not a directory path
    EXPECT_EQ(last, 64);
}

TEST_F(HdDirectory, TenCharacterNamesFit)
{
    std::vector<uint8_t> image = MakeHdImage({.sectors = 4096, .sectorsPerAu = 1});
    HdVolumeView view(image, 0);
    view.AddSubdirectory(0, 100, 101, "ABCDEFGHIJ");
    view.AddProgram(100, 102, "KLMNOPQRST", 2048, {9});
    Open(image);
    EXPECT_EQ(Status(".ABCDEFGHIJ.KLMNOPQRST"), 0);
    EXPECT_EQ(Names(List(".ABCDEFGHIJ.")), (std::vector<std::string>{"KLMNOPQRST"}));
}

TEST_F(HdDirectory, LookupIgnoresLetterCase)
{
    Open(Tree());
    uint8_t flags = 0;
    EXPECT_EQ(Status(".FILE", &flags), 0);
    EXPECT_EQ(flags, 0x01);
    EXPECT_EQ(Status(".a.b"), 0);
    EXPECT_EQ(Names(List(".a.")), (std::vector<std::string>{"B", "C"}));
}

TEST_F(HdDirectory, MissingFileAnswersAsTheCallerExpects)
{
    Open(Tree());
    EXPECT_EQ(Status(".NOPE"), -1);
    FileRequest request = Request();
    EXPECT_EQ(deleteFile(&request, ".NOPE"), 0);
    EXPECT_EQ(deleteFile(&request, ".A."), 64);
    int32_t last = 0;
    std::vector<Listed> listed = List(".A.C.", &last);
    EXPECT_TRUE(listed.empty());
    EXPECT_EQ(last, 160);
}

TEST_F(HdDirectory, CatalogEntriesDescribeFilesAndDirectories)
{
    std::vector<uint8_t> image = MakeHdImage({.sectors = 8192, .sectorsPerAu = 2});
    HdVolumeView view(image, 0);
    view.AddProgram(0, 50, "PROG", 1100, std::vector<uint8_t>(600, 7));
    view.AddFile(0, 51, "TEXT", 0x80 | 0x08, 80, 3, 2, 40, 2, {{1200, 1200}}, {});
    view.AddFile(0, 52, "ODD", 0x83, 10, 1, 0, 0, 0, {}, {});
    view.AddSubdirectory(0, 53, 54, "DIR");
    Open(image);
    const std::vector<Listed> listed = List(".");
    ASSERT_EQ(Names(listed), (std::vector<std::string>{"ODD", "PROG", "TEXT", "DIR"}));
    EXPECT_EQ(listed[0].kind, 0);
    const CatalogEntryRecord &prog = listed[1].record;
    EXPECT_EQ(prog.kind, 5);
    EXPECT_EQ(prog.sectors, 3u + 2u);
    EXPECT_EQ(prog.lengthOrSize, 600u);
    EXPECT_EQ(prog.endOfFileOffset, 600u % 256);
    const CatalogEntryRecord &text = listed[2].record;
    EXPECT_EQ(text.kind, 2);
    EXPECT_EQ(text.isProtected, 1);
    EXPECT_EQ(text.sectors, 2u + 2u);
    EXPECT_EQ(text.level3Count, 2u);
    EXPECT_EQ(text.lengthOrSize, 80u);
    EXPECT_EQ(text.recordsPerSector, 3u);
    EXPECT_EQ(text.statusFlags, 0x88u);
    EXPECT_EQ(listed[3].kind, 6);
    EXPECT_EQ(listed[3].record.sectors, 4u);
    // The k-th answer is the file of file-index word k.
    FileRequest request = Request(".");
    CatalogEntryRecord entry;
    ASSERT_EQ(openDirectory(&request), 0);
    ASSERT_EQ(directoryInfo(&request, &entry), 0);
    const uint8_t *index = reinterpret_cast<const uint8_t *>(entry.block) + 288;
    EXPECT_EQ(GetWordBE(index, 2), 50);
    ASSERT_EQ(nextEntry(&request, &entry), 0);
    ASSERT_EQ(nextEntry(&request, &entry), 0);
    EXPECT_STREQ(entry.name, "PROG");
    closeFile(&request, 0);
}

TEST_F(HdDirectory, CreateAndDeleteSubdirectories)
{
    Open(MakeHdImage({.sectors = 4096, .sectorsPerAu = 1}));
    FileRequest request = Request();
    std::vector<uint8_t> start = Image();
    const uint32_t freeBefore = HdVolumeView(start, 0).FreeAus();
    EXPECT_EQ(createDirectory(&request, ".", "ZED"), 0);
    EXPECT_EQ(createDirectory(&request, ".", "alpha"), 0);
    EXPECT_EQ(createDirectory(&request, ".", "ALPHA"), 224);
    EXPECT_EQ(createDirectory(&request, ".", "BAD.NAME"), 224);
    EXPECT_EQ(createDirectory(&request, ".ZED", "X"), 64);
    EXPECT_EQ(createDirectory(&request, ".ZED.", "INNER"), 0);
    EXPECT_EQ(Names(List(".")), (std::vector<std::string>{"alpha", "ZED"}));
    EXPECT_EQ(Names(List(".ZED.")), (std::vector<std::string>{"INNER"}));

    std::vector<uint8_t> image = Image();
    HdVolumeView view(image, 0);
    const uint16_t zed = GetWordBE(view.Sector(0), 30);
    const uint8_t *ddr = view.Au(zed);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(ddr), 10), "ZED       ");
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(ddr + 13), 3), "DIR");
    EXPECT_EQ(GetWordBE(ddr, 10), 4096);
    EXPECT_EQ(GetWordBE(ddr, 26), 0);
    const uint16_t inner = GetWordBE(ddr, 28);
    EXPECT_EQ(GetWordBE(view.Au(inner), 26), zed);
    EXPECT_EQ(view.FreeAus(), freeBefore - 6);

    EXPECT_EQ(deleteDirectory(&request, ".", "ZED"), 224); // not empty
    EXPECT_EQ(deleteDirectory(&request, ".ZED.", "inner"), 0);
    EXPECT_EQ(deleteDirectory(&request, ".", "zed"), 0);
    EXPECT_EQ(deleteDirectory(&request, ".", "ZED"), 224);
    EXPECT_EQ(deleteDirectory(&request, ".", "ALPHA"), 0);
    EXPECT_TRUE(List(".").empty());
    image = Image();
    EXPECT_EQ(HdVolumeView(image, 0).FreeAus(), freeBefore);
    EXPECT_EQ(image[23], 0);
}

TEST_F(HdDirectory, HundredFourteenSubdirectoriesFitAndNoMore)
{
    Open(MakeHdImage({.sectors = 4096, .sectorsPerAu = 1}));
    FileRequest request = Request();
    for (int k = 0; k < 114; ++k) {
        const std::string name = "D" + std::to_string(1000 + k);
        ASSERT_EQ(createDirectory(&request, ".", name.c_str()), 0) << k;
    }
    EXPECT_EQ(createDirectory(&request, ".", "D2000"), 128);
    const std::vector<Listed> listed = List(".");
    ASSERT_EQ(listed.size(), 114u);
    EXPECT_EQ(listed.front().name, "D1000");
    EXPECT_EQ(listed.back().name, "D1113");
}

TEST_F(HdDirectory, HundredTwentySevenFilesFitAndNoMore)
{
    Open(MakeHdImage({.sectors = 4096, .sectorsPerAu = 1}));
    for (int k = 126; k >= 0; --k) { // reverse order exercises the sorted insertion
        const std::string path = ".F" + std::to_string(1000 + k);
        ASSERT_EQ(WriteProgramFile(path, {}), 0) << k;
    }
    EXPECT_EQ(WriteProgramFile(".F2000", {}), 128);
    const std::vector<Listed> listed = List(".");
    ASSERT_EQ(listed.size(), 127u);
    for (size_t k = 0; k < listed.size(); ++k)
        EXPECT_EQ(listed[k].name, "F" + std::to_string(1000 + k));
    EXPECT_EQ(Image()[22], 127);
}

TEST_F(HdDirectory, RenameKeepsListsSorted)
{
    Open(Tree());
    FileRequest request = Request();
    EXPECT_EQ(renameFile(&request, ".", "ZZZ", "file"), 0);
    EXPECT_EQ(renameFile(&request, ".A.", "AAA", "B"), 0);
    EXPECT_EQ(Names(List(".A.")), (std::vector<std::string>{"AAA", "C"}));
    // Files come before subdirectories; the file index order follows the names.
    EXPECT_EQ(WriteProgramFile(".A.M", {1}), 0);
    EXPECT_EQ(renameFile(&request, ".A.", "d", "AAA"), 0);
    EXPECT_EQ(Names(List(".A.")), (std::vector<std::string>{"d", "M", "C"}));
    EXPECT_EQ(renameFile(&request, ".A.", "A1", "M"), 0);
    EXPECT_EQ(Names(List(".A.")), (std::vector<std::string>{"A1", "d", "C"}));
    EXPECT_EQ(renameFile(&request, ".", "zzz", "ZZZ"), 224); // the new name exists in any case
    EXPECT_EQ(renameFile(&request, ".", "NEW", "MISSING"), 224);
    EXPECT_EQ(renameDirectory(&request, ".", "B0", "A"), 0);
    EXPECT_EQ(Names(List(".")), (std::vector<std::string>{"ZZZ", "B0"}));
    EXPECT_EQ(Names(List(".B0.")), (std::vector<std::string>{"A1", "d", "C"}));
    EXPECT_EQ(renameDirectory(&request, ".", "b0", "B0"), 224);
    EXPECT_EQ(renameDirectory(&request, ".", "Q", "NONE"), 224);
    EXPECT_EQ(renameFile(&request, ".B0", "Q", "d"), 64);
}

TEST_F(HdDirectory, ProtectionBlocksDeleteAndRename)
{
    Open(Tree());
    FileRequest request = Request();
    EXPECT_EQ(setProtection(&request, ".", "FILE", 2), 0);
    uint8_t flags = 0;
    EXPECT_EQ(Status(".file", &flags), 0);
    EXPECT_EQ(flags, 0x09);
    EXPECT_EQ(renameFile(&request, ".", "OTHER", "file"), 32);
    EXPECT_EQ(deleteFile(&request, ".file"), 32);
    EXPECT_EQ(setProtection(&request, ".", "file", 0), 0);
    EXPECT_EQ(Status(".file", &flags), 0);
    EXPECT_EQ(flags, 0x01);
    EXPECT_EQ(setProtection(&request, ".", "NONE", 1), 224);
    EXPECT_EQ(deleteFile(&request, ".file"), 0);
    EXPECT_EQ(Status(".file"), -1);
}

TEST_F(HdDirectory, DeleteReleasesEveryAu)
{
    Open(Tree());
    std::vector<uint8_t> before = Image();
    const uint32_t freeBefore = HdVolumeView(before, 0).FreeAus();
    FileRequest request = Request();
    ASSERT_EQ(deleteFile(&request, ".A.B"), 0);
    std::vector<uint8_t> after = Image();
    HdVolumeView view(after, 0);
    EXPECT_EQ(view.FreeAus(), freeBefore + 3); // FDR and two data sectors
    EXPECT_FALSE(view.AuUsed(102));
    EXPECT_FALSE(view.AuUsed(2048));
    EXPECT_EQ(view.Au(100)[22], 0);
    EXPECT_EQ(GetWordBE(view.Au(101), 0), 0);
}

} // namespace
} // namespace kestrel::testing
