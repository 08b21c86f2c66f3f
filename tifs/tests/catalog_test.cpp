#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;
using testing::RecordingUi;

class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "kestrel-catalog-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        m_path = mkdtemp(buffer.data());
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::permissions(m_path, fs::perms::owner_all, ec);
        fs::remove_all(m_path, ec);
    }
    const std::string &Path() const { return m_path; }
    std::string operator/(const std::string &name) const { return m_path + "/" + name; }

    void Write(const std::string &name, const std::vector<uint8_t> &bytes) const
    {
        FILE *f = std::fopen((*this / name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

private:
    std::string m_path;
};

TiFileDescriptor Descriptor(const char *name, uint8_t flags, uint16_t sectors, uint8_t recLen)
{
    TiFileDescriptor d;
    d.tiName = PadTiName(name);
    d.flags = flags;
    d.sectors = sectors;
    d.recordLength = recLen;
    d.recordsPerSector = recLen ? static_cast<uint8_t>(256 / (recLen + 1)) : 0;
    d.level3Count = sectors;
    return d;
}

std::vector<uint8_t> TiFile(const TiFileDescriptor &d, bool tifiles, size_t dataBytes)
{
    std::vector<uint8_t> bytes(128 + dataBytes, 0);
    if (tifiles) {
        MakeTifilesHeader(d, bytes.data());
    } else {
        MakeV9t9Header(d, bytes.data());
    }
    return bytes;
}

std::vector<std::string> Rows(const Location &location)
{
    std::vector<std::string> rows;
    for (const auto &e : location.entries) {
        auto cells = EntryCells(*e, location);
        std::string row;
        for (size_t i = 0; i < cells.size(); ++i) {
            row += (i ? "\t" : "") + cells[i];
        }
        rows.push_back(row);
    }
    return rows;
}

const CatalogEntry *Named(const Location &location, const std::string &pcName)
{
    for (const auto &e : location.entries) {
        if (e->pcName == pcName) {
            return e.get();
        }
    }
    return nullptr;
}

// The folder of the command-line listing: one file of each header kind,
// a PC file, a subdirectory and a header with a must-be-zero bit.
void MakeMixedFolder(const TempFolder &dir)
{
    dir.Write("README", TiFile(Descriptor("README", kFlagVariable, 1, 80), true, 256));
    TiFileDescriptor prog = Descriptor("PROG", kFlagProgram, 3, 0);
    prog.eofOffset = 0x10;
    prog.level3Count = 0;
    dir.Write("prog.v9t9", TiFile(prog, false, 768));
    std::vector<uint8_t> classic = TiFile(Descriptor("NOTES", kFlagVariable, 1, 80), true, 172);
    classic[128 + 60] = 0xFF;
    classic[128 + 90] = 0xFF;
    dir.Write("notes", classic);
    dir.Write("small.bin", std::vector<uint8_t>(100, 'x'));
    std::vector<uint8_t> bad = TiFile(Descriptor("BAD", 0x04 | kFlagVariable, 1, 80), false, 256);
    dir.Write("bad.v9t9", bad);
    fs::create_directory(dir / "my.dir");
}

TEST(PcDirectoryScan, ListsEachKindOfFileAsThePaneShowsIt)
{
    TempFolder dir;
    MakeMixedFolder(dir);
    RecordingUi ui;
    Location location;
    location.path = dir.Path();
    ASSERT_TRUE(OpenLocation(location, ui));
    EXPECT_TRUE(ui.Silent());
    location.sortOrder = kSortTiName;
    SortCatalog(location);
    // By name: plain PC files by their file names, TI files by their TI names.
    std::vector<std::string> expected = {
        "my.dir\tmydir\t\tSUBDIR  \t\t",
        "bad.v9t9\t\t\tDOS     \t\t",
        "notes\tnotes     \t     1\tDIS/VAR     80\t -- classic99\t",
        "prog.v9t9\tPROG      \t     3\tPROGRAM    528\t -- v9t9\t",
        "README\tREADME    \t     1\tDIS/VAR     80\t -- tifiles\t",
        "small.bin\t\t\tDOS     \t\t",
    };
    EXPECT_EQ(Rows(location), expected);
    EXPECT_EQ(StatusLine(location), "0 / 5 sectors in 0 / 5 TI-file(s)");

    const CatalogEntry *notes = Named(location, "notes");
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->ti.headerKind, kHeaderClassic99);
    EXPECT_EQ(notes->ti.eofOffset, 60);
    EXPECT_EQ(notes->ti.level3Count, 1);
    EXPECT_EQ(location.kind, kLocPcDirectory);
}

TEST(PcDirectoryScan, Classic99OnlyWhenTheDataDoesNotFitTheHeader)
{
    TempFolder dir;
    dir.Write("exact", TiFile(Descriptor("EXACT", 0, 2, 80), true, 512));
    dir.Write("over", TiFile(Descriptor("OVER", 0, 3, 80), true, 512));
    std::vector<uint8_t> empty = TiFile(Descriptor("EMPTY", kFlagVariable, 1, 80), true, 0);
    dir.Write("empty", empty);
    TiFileDescriptor p = Descriptor("P", kFlagProgram, 1, 0);
    p.level3Count = 0;
    p.recordsPerSector = 0;
    dir.Write("prog", TiFile(p, true, 256));
    RecordingUi ui;
    Location location;
    location.path = dir.Path();
    ASSERT_TRUE(OpenLocation(location, ui));
    EXPECT_EQ(Named(location, "exact")->ti.headerKind, kHeaderTifiles);
    EXPECT_EQ(Named(location, "prog")->ti.headerKind, kHeaderTifiles);
    const CatalogEntry *over = Named(location, "over");
    EXPECT_EQ(over->ti.headerKind, kHeaderClassic99);
    EXPECT_EQ(over->ti.sectors, 2);
    const CatalogEntry *none = Named(location, "empty");
    EXPECT_EQ(none->ti.headerKind, kHeaderClassic99);
    EXPECT_EQ(none->ti.sectors, 0);
    EXPECT_EQ(none->ti.eofOffset, 0);
}

TEST(PcDirectoryScan, BadFilesListQuietlyOrNotAtAll)
{
    TempFolder dir;
    for (size_t size : {0u, 127u, 128u, 255u}) {
        dir.Write("size" + std::to_string(size), std::vector<uint8_t>(size, 0));
    }
    dir.Write("allff", std::vector<uint8_t>(512, 0xFF));
    dir.Write(std::string(255, 'n'), TiFile(Descriptor("LONG", 0, 1, 80), true, 256));
    ASSERT_EQ(symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0); // must neither block nor list
    dir.Write("locked", TiFile(Descriptor("LOCKED", 0, 1, 80), true, 256));
    chmod((dir / "locked").c_str(), 0);
    bool canReadLocked = access((dir / "locked").c_str(), R_OK) == 0; // root reads anyway

    // A path of well over 300 characters down to the folder.
    std::string deep = dir.Path();
    for (int i = 0; i < 5; ++i) {
        deep += "/" + std::string(70, 'd');
    }
    fs::create_directories(deep);
    FILE *f = std::fopen((deep + "/x").c_str(), "wb");
    std::fclose(f);

    RecordingUi ui;
    Location location;
    location.path = dir.Path();
    ASSERT_TRUE(OpenLocation(location, ui));
    EXPECT_TRUE(ui.Silent());
    for (const char *name : {"size0", "size127", "size128", "size255", "allff"}) {
        const CatalogEntry *e = Named(location, name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_EQ(e->ti.kind, kKindDos) << name;
    }
    EXPECT_EQ(Named(location, "dangling"), nullptr);
    EXPECT_EQ(Named(location, "fifo"), nullptr);
    EXPECT_EQ(Named(location, "locked") != nullptr, canReadLocked);
    const CatalogEntry *longName = Named(location, std::string(255, 'n'));
    ASSERT_NE(longName, nullptr);
    EXPECT_EQ(longName->ti.tiName, "nnnnnnnnnn");

    Location inner;
    inner.path = deep;
    ASSERT_TRUE(OpenLocation(inner, ui));
    EXPECT_EQ(inner.entries.size(), 1u);
    EXPECT_TRUE(ui.Silent());
}

TEST(PcDirectoryScan, MissingFolderReportsMessageZeroWithSystemText)
{
    RecordingUi ui;
    Location location;
    location.path = "/nonexistent-kestrel-folder";
    EXPECT_FALSE(OpenLocation(location, ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Can't read file or directory </nonexistent-kestrel-folder>\n\n"
                              "ERROR 2: No such file or directory");
    EXPECT_EQ(ui.LastMessage(), 0);
    EXPECT_TRUE(location.entries.empty());
}

TEST(PcDirectoryScan, PatternsTrailingSeparatorAndPlainFiles)
{
    TempFolder dir;
    MakeMixedFolder(dir);
    RecordingUi ui;
    Location location;
    location.path = dir / "*.v9t9";
    ASSERT_TRUE(OpenLocation(location, ui));
    EXPECT_EQ(location.entries.size(), 2u);

    location.path = dir.Path() + "/";
    ASSERT_TRUE(OpenLocation(location, ui));
    EXPECT_EQ(location.path, dir.Path());
    EXPECT_EQ(location.entries.size(), 6u);

    // A pattern as the last name of a path; entering a match leaves the pattern.
    ASSERT_TRUE(ResolveLocationPath(location, dir / "*.dir", ui));
    ASSERT_EQ(location.entries.size(), 1u);
    ASSERT_TRUE(OpenEntry(location, *location.entries[0], ui));
    EXPECT_EQ(location.path, dir / "my.dir");
    EXPECT_TRUE(ui.Silent());

    location.path = dir / "*.nothing";
    EXPECT_FALSE(OpenLocation(location, ui));
    EXPECT_EQ(ui.Errors().size(), 1u);

    // A file that no container module takes is no location.
    location.path = dir / "small.bin";
    EXPECT_FALSE(OpenLocation(location, ui));
    EXPECT_EQ(ui.Errors().back(), "Can't read file or directory <" + (dir / "small.bin") + ">");
}

TEST(Navigation, EnterSubdirectoryShowsParentAndGoesBack)
{
    TempFolder dir;
    MakeMixedFolder(dir);
    dir.Write("my.dir/INNER", TiFile(Descriptor("INNER", 0, 1, 80), true, 256));
    RecordingUi ui;
    Location location;
    location.path = location.startPath = dir.Path();
    ASSERT_TRUE(OpenLocation(location, ui));
    EXPECT_EQ(Named(location, ".."), nullptr);
    EXPECT_FALSE(GoUp(location, ui)); // at the level where the path was set

    const CatalogEntry *sub = Named(location, "my.dir");
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(OpenEntry(location, *sub, ui));
    EXPECT_EQ(location.path, dir / "my.dir");
    EXPECT_EQ(location.pcLevelsEntered, 1);
    ASSERT_EQ(location.entries.size(), 2u);
    EXPECT_EQ(location.entries[0]->ti.kind, kKindUpDir);
    EXPECT_EQ(location.entries[0]->ti.tiName, "..");
    EXPECT_EQ(PathLineText(location), " " + (dir / "my.dir"));

    ASSERT_TRUE(OpenEntry(location, *location.entries[0], ui));
    EXPECT_EQ(location.path, dir.Path());
    EXPECT_EQ(location.pcLevelsEntered, 0);
    EXPECT_NE(Named(location, "README"), nullptr);
    EXPECT_TRUE(ui.Silent());

    // A plain file is nothing to open.
    EXPECT_FALSE(OpenEntry(location, *Named(location, "README"), ui));
}

CatalogEntry Entry(const char *pcName, const char *tiName, uint16_t kind, uint16_t sectors = 0,
                   uint16_t flags = 0)
{
    CatalogEntry e;
    e.pcName = pcName;
    e.ti.tiName = tiName;
    e.ti.kind = kind;
    e.ti.sectors = sectors;
    e.ti.flags = flags;
    return e;
}

std::vector<std::string> SortedNames(std::vector<CatalogEntry> entries, int order)
{
    Location location;
    for (const auto &e : entries) {
        *AddEntry(location.entries) = e;
    }
    location.sortOrder = order;
    SortCatalog(location);
    std::vector<std::string> names;
    for (const auto &e : location.entries) {
        names.push_back(e->pcName);
    }
    return names;
}

TEST(CatalogSort, FiveOrdersWithParentAndSubdirectoriesFirst)
{
    std::vector<CatalogEntry> entries = {
        Entry("b.fix", "ZED", kKindDisFix, 1, kFlagProtected),
        Entry("pc99dd", "DISKB", kKindPc99Dd, 0),
        Entry("Sub", "sub", kKindSubdir),
        Entry("a.prg", "alpha", kKindProgram, 5),
        Entry("dsk", "DISKA", kKindDsk, 0),
        Entry("..", "..", kKindUpDir),
        Entry("A.var", "Beta", kKindDisVar, 1),
        Entry("asub", "ASUB", kKindSubdir),
    };
    EXPECT_EQ(SortedNames(entries, kSortPcName),
              (std::vector<std::string>{"..", "asub", "Sub", "a.prg", "A.var", "b.fix", "dsk",
                                        "pc99dd"}));
    EXPECT_EQ(SortedNames(entries, kSortTiName),
              (std::vector<std::string>{"..", "asub", "Sub", "a.prg", "A.var", "dsk", "pc99dd",
                                        "b.fix"}));
    EXPECT_EQ(SortedNames(entries, kSortSectors),
              (std::vector<std::string>{"..", "asub", "Sub", "dsk", "pc99dd", "A.var", "b.fix",
                                        "a.prg"}));
    EXPECT_EQ(SortedNames(entries, kSortKind),
              (std::vector<std::string>{"..", "asub", "Sub", "dsk", "pc99dd", "b.fix", "A.var",
                                        "a.prg"}));
    EXPECT_EQ(SortedNames(entries, kSortProtection),
              (std::vector<std::string>{"..", "asub", "Sub", "dsk", "pc99dd", "A.var", "a.prg",
                                        "b.fix"}));
    std::vector<std::string> scan;
    for (const auto &e : entries) {
        scan.push_back(e.pcName);
    }
    EXPECT_EQ(SortedNames(entries, kSortScanOrder), scan);
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_EQ(CompareNoCase("MiXeD", "mixed"), 0);
    EXPECT_GT(CompareNoCase("Z", "_"), 0); // letters fold to lower case before the byte compare
}

TEST(CatalogTexts, CellsPerKindAndLocation)
{
    Location pc;
    Location dsk;
    dsk.kind = kLocDskImage;

    CatalogEntry var = Entry("f", "FILE      ", kKindDisVar, 12, kFlagProtected | kFlagArchive);
    var.ti.recordLength = 80;
    var.ti.headerKind = kHeaderV9t9;
    var.ti.description = "text";
    auto cells = EntryCells(var, pc);
    EXPECT_EQ(cells[2], "    12");
    EXPECT_EQ(cells[3], "DIS/VAR     80");
    EXPECT_EQ(cells[4], " PA v9t9");
    EXPECT_EQ(cells[5], "text");
    EXPECT_EQ(EntryCells(var, dsk)[4], " PA"); // the header suffix belongs to PC directories

    CatalogEntry unknown = Entry("u", "U", kKindUnknown, 2);
    EXPECT_EQ(EntryCells(unknown, pc)[3], "UNKNOWN ");
    EXPECT_EQ(EntryCells(unknown, pc)[4], " --");

    CatalogEntry hd = Entry("disk.img", "HARDDISK", kKindHdImage);
    hd.imageSize = 1234567;
    EXPECT_EQ(EntryCells(hd, pc)[2], "1234567");
    EXPECT_EQ(EntryCells(hd, pc)[4], "");

    CatalogEntry image = Entry("games.dsk", "GAMES", kKindDsk);
    image.disk.Edit().totalSectors = 720;
    EXPECT_EQ(EntryCells(image, pc)[2], "   720");
    EXPECT_EQ(EntryCells(image, pc)[4], " --");

    CatalogEntry up = Entry("..", "..", kKindUpDir);
    EXPECT_EQ(EntryCells(up, pc), (std::array<std::string, 6>{"..", "..", "", "UPRDIR  ", "", ""}));

    CatalogEntry name = Entry("n", "", kKindDisFix, 1);
    name.ti.tiName = std::string("AB\0CD", 5);
    EXPECT_EQ(EntryCells(name, pc)[1], "AB");
    EXPECT_EQ(EntryCells(name, pc)[3], "DIS/FIX ");
}

TEST(CatalogTexts, InsideAContainerThePcNameIsTheNameASavedFileGets)
{
    // Inside an image every entry carries the image's own path as PC name.
    Location dsk;
    dsk.kind = kLocDskImage;
    CatalogEntry file = Entry("/tmp/ti/games.dsk", "HELLO     ", kKindProgram, 3);
    EXPECT_EQ(EntryCells(file, dsk)[0], "HELLO");
    CatalogEntry odd = Entry("/tmp/ti/games.dsk", "A/B       ", kKindDisVar, 1);
    EXPECT_EQ(EntryCells(odd, dsk)[0], TiNameToPcName("A/B       ", false));
    EXPECT_NE(EntryCells(odd, dsk)[0].find('@'), std::string::npos);
    // What is no file shows nothing there; the parent entry stays "..".
    CatalogEntry sub = Entry("/tmp/ti/games.dsk", "LEVELS    ", kKindSubdir);
    EXPECT_EQ(EntryCells(sub, dsk)[0], "");
    EXPECT_EQ(EntryCells(Entry("/tmp/ti/games.dsk->LEVELS", "..", kKindUpDir), dsk)[0], "..");
    for (int kind : {kLocArchive, kLocHdImage, kLocCf7Volume}) {
        Location inside;
        inside.kind = kind;
        EXPECT_EQ(EntryCells(file, inside)[0], "HELLO") << kind;
    }
    // In a PC folder the PC name is the file's own.
    Location pc;
    EXPECT_EQ(EntryCells(file, pc)[0], "/tmp/ti/games.dsk");
}

TEST(CatalogSort, APcFolderByNameReadsAlphabetically)
{
    std::vector<CatalogEntry> entries = {
        Entry("plain.txt", "", kKindDos),          Entry("games_sd.pc99", "TRACKSSD", kKindPc99Sd),
        Entry("Zeta", "ZETA", kKindDisVar, 1),     Entry("games.dsk", "GAMES", kKindDsk),
        Entry("more.dir", "moredir", kKindSubdir), Entry("alpha", "ALPHA", kKindProgram, 2),
        Entry("Hello", "HELLO", kKindDisFix, 1),
    };
    // Subdirectories first, as in every order; then one alphabet, whatever
    // the case, images by their file names.
    EXPECT_EQ(SortedNames(entries, kSortTiName),
              (std::vector<std::string>{"more.dir", "alpha", "games.dsk", "games_sd.pc99", "Hello",
                                        "plain.txt", "Zeta"}));
}

TEST(CatalogTexts, StatusLineCountsAllAndMarked)
{
    Location location;
    *AddEntry(location.entries) = Entry("a", "A", kKindDisFix, 10);
    CatalogEntry marked = Entry("b", "B", kKindProgram, 4);
    marked.marked = true;
    *AddEntry(location.entries) = marked;
    CatalogEntry image = Entry("c.dsk", "C", kKindPc99Sd);
    image.disk.Edit().totalSectors = 360;
    image.marked = true;
    *AddEntry(location.entries) = image;
    *AddEntry(location.entries) = Entry("d", "", kKindDos, 99);
    *AddEntry(location.entries) = Entry("sub", "SUB", kKindSubdir, 50);
    *AddEntry(location.entries) = Entry("hd", "HD", kKindHdImage, 70);
    EXPECT_EQ(StatusLine(location), "364 / 374 sectors in 2 / 4 TI-file(s)");
    location.kind = kLocCf7Drive;
    EXPECT_EQ(StatusLine(location), "364 / 374 sectors of 2 / 4 DSK-image(s)");
}

TEST(CatalogTexts, PathLineByLocationState)
{
    Location location;
    location.path = "/demo/games.dsk";
    location.innerPath = "UTIL";
    location.kind = kLocDskImage;
    location.containerDepth = 1;
    EXPECT_EQ(PathLineText(location), " /demo/games.dsk");
    location.containerDepth = 2;
    EXPECT_EQ(PathLineText(location), " /demo/games.dsk->UTIL");
    location.containerDepth = 1;
    location.kind = kLocCf7Volume;
    EXPECT_EQ(PathLineText(location), " /demo/games.dsk->UTIL");
    location.kind = kLocHdImage;
    location.hdLevel = 3;
    EXPECT_EQ(PathLineText(location), " /demo/games.dsk->UTIL");
    location.kind = kLocCf7Drive;
    EXPECT_EQ(PathLineText(location), " /demo/games.dsk");

    location.kind = kLocArchive;
    location.archive = true;
    location.hdLevel = 0;
    location.nestedName = "MY/ARC    ";
    EXPECT_EQ(PathLineText(location), " /demo/games.dsk->MY@ARC");
    location.containerDepth = 2;
    EXPECT_EQ(PathLineText(location), " /demo/games.dsk->UTIL->MY@ARC");
    location.containerDepth = 1;
    location.nestedName.clear();
    location.containerEntries.push_back(CatalogEntry());
    location.containerEntries.back().ti.tiName = "TOOLS     ";
    location.keptPath = "/demo";
    location.path = "/demo/tools.ark";
    EXPECT_EQ(PathLineText(location), " /demo->TOOLS");
}

// A stand-in container module: files beginning "FAKECONT" are images
// holding one file INNER. Registered only for the test's duration.
bool FakeRecognizer(const std::string &, const uint8_t *first, uint64_t, CatalogEntry &entry)
{
    if (std::memcmp(first, "FAKECONT", 8) != 0) {
        return false;
    }
    entry.ti.kind = kKindDsk;
    entry.ti.tiName = "FAKEDISK  ";
    entry.disk.Edit().totalSectors = 360;
    return true;
}

bool FakeOpener(Location &location, const CatalogEntry &entry, Ui &)
{
    location.path = location.path + "/" + entry.pcName;
    location.kind = kLocDskImage;
    location.containerDepth = 1;
    location.entries.clear();
    CatalogEntry *inner = AddEntry(location.entries);
    inner->pcName = location.path;
    inner->ti = Descriptor("INNER", kFlagVariable, 1, 80);
    inner->ti.kind = kKindDisVar;
    inner->containerKind = kKindDsk;
    return true;
}

bool FakeLevelUp(Location &, Ui &)
{
    return false;
}

class FakeContainer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedOpener = FindEntryOpener(kKindDsk);
        m_savedUp = FindLevelUp(kLocDskImage);
        RegisterImageRecognizer(-1000, FakeRecognizer);
        RegisterEntryOpener(kKindDsk, FakeOpener);
        RegisterLevelUp(kLocDskImage, FakeLevelUp);
    }
    void TearDown() override
    {
        RegisterEntryOpener(kKindDsk, m_savedOpener);
        RegisterLevelUp(kLocDskImage, m_savedUp);
    }
    EntryOpener m_savedOpener = nullptr;
    LevelUp m_savedUp = nullptr;
};

TEST_F(FakeContainer, PathWalksIntoContainersAndBack)
{
    TempFolder dir;
    MakeMixedFolder(dir);
    std::vector<uint8_t> image(1024, 0);
    std::memcpy(image.data(), "FAKECONT", 8);
    dir.Write("my.dir/fake.img", image);

    RecordingUi ui;
    Location location;
    ASSERT_TRUE(ResolveLocationPath(location, dir / "my.dir/fake.img", ui));
    EXPECT_EQ(location.kind, kLocDskImage);
    EXPECT_EQ(location.containerDepth, 1);
    EXPECT_EQ(location.path, dir / "my.dir/fake.img");

    // The image entered from its PC directory, by the entry's PC name.
    ASSERT_TRUE(ResolveLocationPath(location, dir.Path() + "/my.dir/FAKEDISK", ui));
    EXPECT_EQ(location.kind, kLocDskImage);
    ASSERT_EQ(location.containerEntries.size(), 1u);
    EXPECT_TRUE(location.insideContainer);
    EXPECT_EQ(location.startPath, dir / "my.dir");

    std::string leaf;
    ASSERT_TRUE(ResolveLocationPath(location, dir / "my.dir/fake.img/inner", ui, &leaf));
    EXPECT_EQ(leaf, "inner");
    EXPECT_NE(FindEntryByName(location, leaf), nullptr);
    EXPECT_TRUE(ui.Silent());

    // Leaving the container's root goes back to the folder that holds it.
    ASSERT_TRUE(GoUp(location, ui));
    EXPECT_EQ(location.kind, kLocPcDirectory);
    EXPECT_EQ(location.path, dir / "my.dir");
    EXPECT_TRUE(location.containerEntries.empty());
    EXPECT_NE(Named(location, "fake.img"), nullptr);

    EXPECT_FALSE(ResolveLocationPath(location, dir / "my.dir/fake.img/NOPE", ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "File <NOPE> doesn't exist");

    // A plain file cannot be walked into.
    EXPECT_FALSE(ResolveLocationPath(location, dir / "README/X", ui));
    EXPECT_EQ(ui.Errors().size(), 2u);
    EXPECT_FALSE(ResolveLocationPath(location, dir / "missing/deeper", ui));
    EXPECT_EQ(ui.Errors().back(), "Can't read file or directory <" + (dir / "missing/deeper") +
                                      ">\n\nERROR 2: No such file or directory");
}

TEST(LocationPath, LeafNamesByPcNameTiNameOrPcForm)
{
    TempFolder dir;
    MakeMixedFolder(dir);
    RecordingUi ui;
    Location location;
    std::string leaf;
    ASSERT_TRUE(ResolveLocationPath(location, dir / "my.dir", ui, &leaf));
    EXPECT_EQ(leaf, "");
    EXPECT_EQ(location.path, dir / "my.dir");
    // The PC name exists on disk: the leaf is then no name inside anything.
    ASSERT_TRUE(ResolveLocationPath(location, dir.Path(), ui));
    EXPECT_EQ(FindEntryByName(location, "prog"), Named(location, "prog.v9t9"));
    EXPECT_EQ(FindEntryByName(location, "MYDIR"), Named(location, "my.dir"));
    EXPECT_EQ(FindEntryByName(location, "nothing"), nullptr);
    ASSERT_TRUE(ResolveLocationPath(location, dir / "PROG", ui, &leaf));
    EXPECT_EQ(leaf, "PROG");
    EXPECT_TRUE(ui.Silent());
}

} // namespace
} // namespace kestrel
