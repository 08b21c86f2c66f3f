#include <filesystem>

#include "drives/drives_registration.h"
#include "drives/dsr_error.h"
#include "drives/hd_binding.h"
#include "drives/hd_file_ops.h"
#include "drives/hd_lister.h"
#include "drives/hd_location.h"
#include "drives/tests/hd_test_support.h"
#include "tests/support/hd_image_builder.h"
#include "tifs/catalog.h"

namespace kestrel::testing
{
namespace
{

TEST(HdBindingPath, DotBackslashIsTakenFromTheCurrentDirectory)
{
    EXPECT_EQ(HdLibraryPathFrom(".\\", "/work/run"), "/work/run/./Brackenly32.so");
    EXPECT_EQ(HdLibraryPathFrom("./lib", "/w"), "/w/./lib/Brackenly32.so");
    EXPECT_EQ(HdLibraryPathFrom("/opt/k", "/w"), "/opt/k/Brackenly32.so");
    EXPECT_EQ(HdLibraryPathFrom("/opt/k/", "/w"), "/opt/k/Brackenly32.so");
}

using HdBindingTest = HdTest;

TEST_F(HdBindingTest, MissingLibraryWarnsAndStaysUnbound)
{
    ProgramSettings().dllDirectory = Dir() + "/nowhere";
    EXPECT_FALSE(BindHdLibrary(ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "kestrel-error");
    EXPECT_EQ(ui.boxes[0].text, "Unable to locate " + Dir() + "/nowhere/Brackenly32.so");
    EXPECT_FALSE(TheHdBinding().bound);
    // Every operation is refused after that one box, and tries again next time.
    Location location;
    location.kind = kLocHdImage;
    EXPECT_FALSE(PointHdLibrary(location, ui));
    EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(HdBindingTest, WithoutADirectoryTheLibraryBesideTheProgramIsFoundFromAnyFolder)
{
    ProgramSettings().dllDirectory.clear();
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(Dir()); // a folder without the library
    const bool bound = BindHdLibrary(ui);
    std::filesystem::current_path(saved);
    ASSERT_TRUE(bound);
    EXPECT_TRUE(ui.Silent());
    EXPECT_TRUE(std::filesystem::equivalent(TheHdBinding().libraryPath,
                                            std::string(KESTREL_BIN_DIR) + "/Brackenly32.so"));
}

TEST_F(HdBindingTest, ConfiguredDirectoryIsTheOnlyPlaceTriedAndTheWorkingDirectoryTheLast)
{
    ProgramSettings().dllDirectory = "/opt/k";
    EXPECT_EQ(HdLibraryCandidates(), std::vector<std::string>{"/opt/k/Brackenly32.so"});
    ProgramSettings().dllDirectory.clear();
    const std::vector<std::string> paths = HdLibraryCandidates();
    ASSERT_GE(paths.size(), 3u);
    EXPECT_EQ(paths.front(), std::string(KESTREL_BIN_DIR) + "/Brackenly32.so");
    EXPECT_EQ(paths.back(), std::filesystem::current_path().string() + "/./Brackenly32.so");
}

TEST_F(HdBindingTest, LibraryWithoutOneOrdinalIsUnloaded)
{
    ProgramSettings().dllDirectory = KESTREL_PARTIAL_LIB_DIR;
    EXPECT_FALSE(BindHdLibrary(ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "kestrel-error");
    EXPECT_EQ(ui.boxes[0].text, std::string("Unable to link ") + KESTREL_PARTIAL_LIB_DIR +
                                    "/Brackenly32.so functions");
    EXPECT_FALSE(TheHdBinding().library.Loaded());
    EXPECT_EQ(TheHdBinding().renameFile, nullptr);
    EXPECT_EQ(TheHdBinding().openImage, nullptr);
}

TEST_F(HdBindingTest, RealLibraryBindsOnceAndUnloads)
{
    EXPECT_TRUE(BindHdLibrary(ui));
    EXPECT_TRUE(BindHdLibrary(ui));
    EXPECT_TRUE(ui.Silent());
    UnloadHdLibrary();
    EXPECT_FALSE(TheHdBinding().library.Loaded());
    EXPECT_TRUE(CachedHdImagePath().empty());
}

TEST(HdDsrError, CodesAboveAByteAreUnknown)
{
    EXPECT_EQ(DsrErrorText(0x120, 20, {"FILE"}),
              "Can't delete file <FILE>\n\nDSR ERROR 9: UNKNOWN");
    EXPECT_EQ(DsrErrorText(224, 0, {"x.img"}),
              "Can't read file or directory <x.img>\n\nDSR ERROR 7: File error");
    EXPECT_EQ(DsrErrorText(32, 57), "Can't change file attributes\n\nDSR ERROR 1: Device or "
                                    "file is write protected");
    RecordingUi ui;
    ReportDsrError(ui, 0x120, 20, {"FILE"});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "dsr");
    EXPECT_EQ(ui.LastMessage(), 20);
    EXPECT_NE(DsrErrorText(64, 99).find("Unknown error <99>"), std::string::npos);
}

TEST(HdTiPath, PartitionNameIsLeftOutAndNamesStopAtASpace)
{
    Location location;
    location.kind = kLocHdImage;
    EXPECT_EQ(HdTiPath(location), ".");
    EXPECT_EQ(HdTiPath(location, "HELLO     "), ".HELLO");
    location.innerPath = "UTIL.SUB";
    EXPECT_EQ(HdTiPath(location, "ABCDEFGHIJKL"), ".UTIL.SUB.ABCDEFGHIJ");
    location.kind = kLocHdPartition;
    location.innerPath = "VOL2";
    EXPECT_EQ(HdTiPath(location), ".");
    location.innerPath = "VOL2.UTIL";
    EXPECT_EQ(HdTiPath(location, "X"), ".UTIL.X");
}

TEST(HdRequest, BuiltFromAnEntry)
{
    CatalogEntry e;
    e.ti.kind = kKindDisVar;
    e.ti.tiName = "NOTES     ";
    e.ti.flags = kFlagVariable | kFlagArchive | kFlagProtected;
    e.ti.recordLength = 80;
    e.ti.sectors = 7;
    e.ti.eofOffset = 12;
    e.ti.level3Count = 7;
    e.ti.recordsPerSector = 3;
    brackenly::FileRequest r = HdRequestFromEntry(e);
    EXPECT_EQ(r.slot, 1);
    EXPECT_EQ(r.isDirectory, 0);
    EXPECT_EQ(r.flags, kFlagVariable | kFlagProtected);
    EXPECT_EQ(r.recordLength, 80u);
    EXPECT_EQ(r.sectors, 7u);
    EXPECT_EQ(r.endOfFileOffset, 12u);
    EXPECT_EQ(r.level3Count, 7u);
    EXPECT_EQ(r.recordsPerSector, 3u);
    EXPECT_STREQ(r.path, "NOTES     ");
    e.ti.kind = kKindSubdir;
    EXPECT_EQ(HdRequestFromEntry(e).isDirectory, 1);
}

// Counting wrappers around the bound ordinals.
int g_openImageCalls = 0;
std::vector<uint32_t> g_selected;
int g_renameCalls = 0;
brackenly::OpenImageFn g_realOpen = nullptr;
brackenly::SelectVolumeBySectorFn g_realSelect = nullptr;
brackenly::RenameFileFn g_realRename = nullptr;

int32_t CountingOpen(const char *path)
{
    ++g_openImageCalls;
    return g_realOpen(path);
}
int32_t CountingSelect(uint32_t sector)
{
    g_selected.push_back(sector);
    return g_realSelect(sector);
}
int32_t CountingRename(brackenly::FileRequest *r, const char *d, const char *n, const char *o)
{
    ++g_renameCalls;
    return g_realRename(r, d, n, o);
}

void InstallCounters()
{
    HdBinding &b = TheHdBinding();
    g_realOpen = b.openImage;
    g_realSelect = b.selectVolumeBySector;
    g_realRename = b.renameFile;
    b.openImage = CountingOpen;
    b.selectVolumeBySector = CountingSelect;
    b.renameFile = CountingRename;
    g_openImageCalls = 0;
    g_selected.clear();
    g_renameCalls = 0;
}

const CatalogEntry *Named(const Location &l, const std::string &name)
{
    for (const auto &e : l.entries) {
        if (HdName(e->ti.tiName) == name) {
            return e.get();
        }
    }
    return nullptr;
}

TEST_F(HdBindingTest, TwoPanesOnTwoVolumesReselectWithoutReopening)
{
    RegisterDriveListers();
    HdVolumeLayout one;
    one.label = "VOLONE";
    HdVolumeLayout two;
    two.label = "VOLTWO";
    std::vector<uint8_t> image = MakePartitionedHdImage({one, two});
    {
        HdVolumeView v1(image, 2);
        v1.AddProgram(0, 70, "ALPHA", 2100, std::vector<uint8_t>(300, 0x11));
        HdVolumeView v2(image, 2 + 4096);
        v2.AddProgram(0, 80, "BETA", 2200, std::vector<uint8_t>(300, 0x22));
    }
    ASSERT_TRUE(WriteHdImageFile(PathOf("parts.img"), image));

    Location left;
    left.path = left.startPath = Dir();
    ASSERT_TRUE(OpenLocation(left, ui));
    const CatalogEntry *img = FindEntryByName(left, "parts.img");
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->ti.kind, kKindPartitionedImage);
    ASSERT_TRUE(OpenEntry(left, *img, ui));
    EXPECT_EQ(left.kind, kLocHdPartition);
    EXPECT_EQ(left.hdLevel, 2);
    ASSERT_EQ(left.entries.size(), 3u); // "..", two volumes
    Location right;
    right.path = right.startPath = left.path;
    right.kind = left.kind;
    right.containerEntries = left.containerEntries;
    right.hdLevel = left.hdLevel;
    right.containerDepth = left.containerDepth;
    right.insideContainer = true;
    ASSERT_TRUE(
        ListHdPartitions(right, right.containerEntries.back(), HdListMode::Reread, true, ui));

    const CatalogEntry *volOne = Named(left, "VOLONE");
    const CatalogEntry *volTwo = Named(right, "VOLTWO");
    ASSERT_NE(volOne, nullptr);
    ASSERT_NE(volTwo, nullptr);
    EXPECT_EQ(volOne->baseOffset, 2u);
    EXPECT_EQ(volTwo->baseOffset, 2u + 4096u);
    ASSERT_TRUE(OpenEntry(left, *volOne, ui));
    ASSERT_TRUE(OpenEntry(right, *volTwo, ui));
    EXPECT_EQ(left.hdLevel, 3);
    EXPECT_EQ(left.innerPath, "VOLONE");

    InstallCounters();
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(RereadHdLocation(left, ui));
        EXPECT_NE(Named(left, "ALPHA"), nullptr);
        EXPECT_EQ(Named(left, "BETA"), nullptr);
        ASSERT_TRUE(RereadHdLocation(right, ui));
        EXPECT_NE(Named(right, "BETA"), nullptr);
        EXPECT_EQ(Named(right, "ALPHA"), nullptr);
    }
    EXPECT_EQ(g_openImageCalls, 0);
    EXPECT_EQ(g_selected, (std::vector<uint32_t>{2, 4098, 2, 4098}));

    // Going up from a partition's root leads to the partition list, then out.
    ASSERT_TRUE(GoUp(left, ui));
    EXPECT_EQ(left.kind, kLocHdPartition);
    EXPECT_EQ(left.hdLevel, 2);
    ASSERT_TRUE(GoUp(left, ui));
    EXPECT_EQ(left.kind, kLocPcDirectory);
    EXPECT_EQ(left.path, Dir());
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(HdBindingTest, RenamingToTheSameNameMakesNoCall)
{
    ASSERT_TRUE(WriteHdImageFile(PathOf("one.img"), MakeHdImage(HdVolumeLayout())));
    ASSERT_TRUE(BindHdLibrary(ui));
    InstallCounters();
    Location l;
    l.kind = kLocHdImage;
    l.path = PathOf("one.img");
    CatalogEntry e;
    e.ti.kind = kKindProgram;
    e.ti.tiName = "HELLO     ";
    EXPECT_TRUE(RenameHdEntry(ui, l, e, "HELLO"));
    EXPECT_EQ(g_renameCalls, 0);
    EXPECT_EQ(g_selected.size(), 0u);
    // A missing file is another name: the library is asked and answers 224.
    EXPECT_FALSE(RenameHdEntry(ui, l, e, "WORLD"));
    EXPECT_EQ(g_renameCalls, 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Can't rename file <HELLO> to <WORLD>\n\nDSR ERROR 7: File error");
}

} // namespace
} // namespace kestrel::testing
