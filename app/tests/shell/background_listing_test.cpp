// PC folders listed on a worker thread: the rows and their order equal the
// listing made on the spot, leaving a folder stops its scan for good, the
// scan's failures reach the Ui on the shell's thread, and keys keep working
// while rows arrive.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "app/shell/catalog_location_service.h"
#include "tifs/catalog_order.h"
#include "app/shell/key_codes.h"
#include "app/shell/shell.h"
#include "app/tests/shell/fake_locations.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/pc_directory_scan.h"
#include "tifs/ti_header.h"

namespace kestrel::testing
{
namespace
{

namespace fs = std::filesystem;

// A Ui that notes on which thread each message came.
class ThreadNotingUi : public RecordingUi
{
public:
    void ShowError(const std::string &text) override
    {
        threads.push_back(std::this_thread::get_id());
        RecordingUi::ShowError(text);
    }
    std::vector<std::thread::id> threads;
};

class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/kestrel-bgscan-XXXXXX";
        EXPECT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
};

void WriteBytes(const fs::path &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// count TI files of several kinds, sizes and header forms, with TI names in
// another order than the PC names, a few names that differ in case only,
// short PC files, subdirectories, and entries the scan leaves out.
void MakeMixedFolder(const fs::path &dir, int count)
{
    fs::create_directories(dir);
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        TiFileDescriptor d;
        char name[32], tiName[16];
        std::snprintf(name, sizeof name, i % 17 == 0 ? "file%05d" : "FILE%05d", i);
        if (i % 11 == 0)
            tiName[0] = '\0';
        else
            std::snprintf(tiName, sizeof tiName, "T%05d", (i * 7919) % count);
        d.tiName = PadTiName(tiName);
        const int sectors = 1 + (i * 13) % 5;
        const bool variable = i % 2 == 0;
        d.flags = static_cast<uint8_t>((variable ? kFlagVariable : 0) |
                                       (i % 3 == 0 ? kFlagProtected : 0) |
                                       (i % 7 == 0 ? kFlagInternal : 0));
        d.recordLength = static_cast<uint8_t>(i % 9 == 0 ? 128 : 80);
        d.recordsPerSector = 3;
        d.sectors = static_cast<uint16_t>(sectors);
        d.level3Count = static_cast<uint16_t>(variable ? sectors : sectors * 3);
        d.eofOffset = variable ? 100 : 0;
        bytes.assign(kHeaderSize + sectors * kSectorSize, ' ');
        if (i % 4 == 0)
            MakeV9t9Header(d, bytes.data());
        else
            MakeTifilesHeader(d, bytes.data());
        if (i % 10 == 1)
            bytes.resize(bytes.size() - 100); // Classic99 form: no padding
        if (i % 23 == 0)
            bytes.assign(40, 'x'); // a PC file too short for a header
        WriteBytes(dir / name, bytes);
    }
    for (const char *sub : {"zsub", "Asub", "m.i.d"})
        fs::create_directory(dir / sub);
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    mkfifo((dir / "fifo").c_str(), 0600);
}

std::vector<std::string> Rows(LocationService &service, const Location &location)
{
    std::vector<std::string> rows;
    for (const auto &e : location.entries) {
        std::string row = e->pcName;
        for (const std::string &cell : service.Cells(location, *e))
            row += "|" + cell;
        rows.push_back(row);
    }
    return rows;
}

// The folder as it was listed before: on the spot, then sorted.
std::vector<std::string> OnTheSpot(const std::string &path, int order, int laterOrder = -1,
                                   int levels = 0)
{
    RegisterLocationListers();
    CatalogLocationService service;
    RecordingUi ui;
    Location location;
    location.path = path;
    location.pcLevelsEntered = levels;
    location.sortOrder = order;
    EXPECT_TRUE(OpenLocation(location, ui));
    SortCatalog(location);
    if (laterOrder >= 0) {
        location.sortOrder = laterOrder;
        SortCatalog(location);
    }
    return Rows(service, location);
}

class BackgroundShellTest : public ::testing::Test
{
protected:
    TempFolder temp;
    CatalogLocationService locations;
    RecordingHost host;
    ThreadNotingUi ui;
    Shell shell{host, locations, ui};
    std::atomic<int> wakes{0};

    void SetUp() override
    {
        RegisterLocationListers();
        locations.SetBackgroundScans(true);
        shell.SetScanWake([this] { ++wakes; });
        shell.SetScanFirstWait(0);
    }

    void Start(const std::string &left, const std::string &right, int order)
    {
        const int widths[kColumnCount] = {100, 100, 100, 100, 100, 100};
        shell.SetStartLocations(left, right, order, widths);
        shell.GetPane(0).rowsPerPage = 20;
        shell.GetPane(1).rowsPerPage = 20;
        shell.ListBothPanes();
    }

    // What the event loop does: deliver whenever a worker woke us.
    bool DeliverUntilDone(int side, int ms = 20000)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (shell.Scanning(side)) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            shell.DeliverScans();
        }
        return true;
    }
};

TEST_F(BackgroundShellTest, EveryOrderGivesTheRowsOfTheListingOnTheSpot)
{
    const fs::path dir = temp.root / "mixed";
    MakeMixedFolder(dir, 3000);
    for (int order = 0; order <= kSortScanOrder; ++order) {
        SCOPED_TRACE(order);
        Start(dir.string(), (temp.root).string(), order);
        EXPECT_TRUE(DeliverUntilDone(0));
        const std::vector<std::string> expected = OnTheSpot(dir.string(), order);
        ASSERT_EQ(expected.size(), 3000u + 3u); // the link and the FIFO are left out
        EXPECT_EQ(Rows(locations, shell.GetPane(0).location), expected);
    }
    // The rows really came in more than one batch.
    EXPECT_GT(wakes.load(), 2);
    EXPECT_TRUE(ui.Silent());
}

TEST_F(BackgroundShellTest, SortingWhileRowsArriveEndsAsSortingAfterTheListing)
{
    const fs::path dir = temp.root / "mixed";
    MakeMixedFolder(dir, 6000);
    Start(dir.string(), temp.root.string(), kSortTiName);
    ASSERT_TRUE(shell.Scanning(0));
    shell.SortAndShow(0, kSortKind);
    EXPECT_TRUE(DeliverUntilDone(0));
    EXPECT_EQ(Rows(locations, shell.GetPane(0).location),
              OnTheSpot(dir.string(), kSortTiName, kSortKind));
}

TEST_F(BackgroundShellTest, ASmallFolderIsCompleteWhenTheStepReturns)
{
    const fs::path dir = temp.root / "small";
    MakeMixedFolder(dir, 40);
    shell.SetScanFirstWait(5000);
    Start(dir.string(), dir.string(), kSortTiName);
    EXPECT_FALSE(shell.Scanning(0));
    EXPECT_FALSE(shell.Scanning(1));
    EXPECT_EQ(Rows(locations, shell.GetPane(1).location), OnTheSpot(dir.string(), kSortTiName));
    EXPECT_EQ(shell.ScanProgressText(0), "");
}

TEST_F(BackgroundShellTest, LeavingTheFolderMidScanShowsTheNewLocationOnly)
{
    const fs::path big = temp.root / "big";
    const fs::path small = temp.root / "small";
    MakeMixedFolder(big, 20000);
    MakeMixedFolder(small, 30);
    Start(big.string(), small.string(), kSortPcName);
    ASSERT_TRUE(shell.Scanning(0));
    EXPECT_NE(shell.ScanProgressText(0).find("files..."), std::string::npos);
    shell.DeliverScans();

    // Another location.
    shell.GetPane(0).location.startPath = small.string();
    shell.GotoRoot(0);
    EXPECT_TRUE(DeliverUntilDone(0));
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        shell.DeliverScans();
    }
    EXPECT_EQ(Rows(locations, shell.GetPane(0).location), OnTheSpot(small.string(), kSortPcName));

    // Reread, then Escape: what was listed stays and nothing more comes.
    shell.GetPane(0).location.startPath = big.string();
    shell.GotoRoot(0);
    shell.Reread(0);
    ASSERT_TRUE(shell.Scanning(0));
    shell.SetActiveSide(0);
    shell.Key(kKeyEscape);
    EXPECT_FALSE(shell.Scanning(0));
    const std::vector<std::string> kept = Rows(locations, shell.GetPane(0).location);
    EXPECT_LT(kept.size(), 20003u);
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        shell.DeliverScans();
    }
    EXPECT_EQ(Rows(locations, shell.GetPane(0).location), kept);

    // Entering a subdirectory mid-scan lists the subdirectory alone.
    shell.Reread(0);
    ASSERT_TRUE(shell.Scanning(0));
    fs::create_directory(big / "Asub" / "inner");
    Pane &p = shell.GetPane(0);
    int sub = -1;
    while (sub < 0 && shell.Scanning(0)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        shell.DeliverScans();
        for (int i = 0; i < p.Count(); ++i)
            if (p.Entry(i)->pcName == "Asub")
                sub = i;
    }
    ASSERT_GE(sub, 0);
    ASSERT_TRUE(shell.Scanning(0)) << "the folder was listed before its end could be tried";
    shell.OpenEntry(0, sub);
    EXPECT_TRUE(DeliverUntilDone(0));
    std::vector<std::string> names;
    for (const auto &e : p.location.entries)
        names.push_back(e->pcName);
    EXPECT_EQ(names, (std::vector<std::string>{"..", "inner"}));
    EXPECT_TRUE(ui.Silent());
}

TEST_F(BackgroundShellTest, SwappedPanesTakeTheirScansAlong)
{
    const fs::path big = temp.root / "big";
    const fs::path small = temp.root / "small";
    MakeMixedFolder(big, 8000);
    MakeMixedFolder(small, 10);
    Start(big.string(), small.string(), kSortPcName);
    ASSERT_TRUE(shell.Scanning(0));
    shell.Swap();
    EXPECT_TRUE(shell.Scanning(1));
    EXPECT_TRUE(DeliverUntilDone(1));
    EXPECT_EQ(Rows(locations, shell.GetPane(1).location), OnTheSpot(big.string(), kSortPcName));
    EXPECT_EQ(Rows(locations, shell.GetPane(0).location), OnTheSpot(small.string(), kSortPcName));
}

TEST_F(BackgroundShellTest, AScanThatFailsReportsOnTheShellsThread)
{
    const fs::path dir = temp.root / "few";
    MakeMixedFolder(dir, 20);
    // A pattern that matches nothing fails only once every name was read:
    // on the worker, while the step has long returned.
    const std::string pattern = (dir / "*.nothing").string();
    Start(pattern, dir.string(), kSortPcName);
    EXPECT_TRUE(DeliverUntilDone(0));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0].rfind("Can't read file or directory <" + pattern + ">", 0), 0u)
        << ui.Errors()[0];
    ASSERT_EQ(ui.threads.size(), 1u);
    EXPECT_EQ(ui.threads[0], std::this_thread::get_id());
    EXPECT_TRUE(shell.GetPane(0).Empty());
    // The other pane listed as ever.
    EXPECT_TRUE(DeliverUntilDone(1));
    EXPECT_EQ(shell.GetPane(1).Count(), 20 + 3);
}

TEST_F(BackgroundShellTest, KeysWhileRowsArriveKeepThePaneConsistent)
{
    const fs::path dir = temp.root / "big";
    MakeMixedFolder(dir, 20000);
    Start(dir.string(), temp.root.string(), kSortTiName);
    ASSERT_TRUE(shell.Scanning(0));
    shell.SetActiveSide(0);
    const int keys[] = {kKeyDown,   kKeyPageDown,         kKeyInsert,   kKeyEnd,
                        kKeyInsert, kKeyUp | kKeyShift,   kKeyPageUp,   kKeyHome,
                        kKeyDown,   kKeyGrayPlus | kKeyCtrl, kKeyGrayMinus, kKeyTab,
                        kKeyTab,    kKeyR};
    int step = 0;
    Pane &p = shell.GetPane(0);
    const CatalogEntry *followed = nullptr;
    while (shell.Scanning(0) && step < 2000) {
        const bool watching = step >= 40 && step < 60;
        if (!watching)
            shell.Key(keys[step % (sizeof keys / sizeof keys[0])]);
        if (!watching && step % 5 == 0)
            shell.SortAndShow(0, step % 5);
        ++step;
        if (step == 40) {
            // The keys may have left the other pane active (Tab): the cursor followed is this
            // pane's, moved by the user.
            shell.SetActiveSide(0);
            // Home and Down with a delivery between them: whatever row the cursor was on,
            // at least one of the two moves it, and the shell sees the user moved.
            shell.Key(kKeyHome);
            shell.DeliverScans();
            shell.Key(kKeyDown);
            followed = p.CursorEntry();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (step >= 40 && step < 60) {
            shell.DeliverScans();
            // Rows listed above it do not take the cursor off its entry.
            if (shell.Scanning(0))
                EXPECT_EQ(p.CursorEntry(), followed);
            continue;
        }
        shell.DeliverScans();
        ASSERT_GE(p.cursor, 0);
        ASSERT_LT(p.cursor, std::max(1, p.Count()));
        ASSERT_LE(p.top, std::max(0, p.Count() - 1));
    }
    EXPECT_TRUE(DeliverUntilDone(0));
    EXPECT_EQ(p.Count(), 20000 + 3);
    EXPECT_LT(p.cursor, p.Count());
}

TEST_F(BackgroundShellTest, ADialogHoldsTheRowsUntilItCloses)
{
    const fs::path dir = temp.root / "big";
    MakeMixedFolder(dir, 10000);
    Start(dir.string(), temp.root.string(), kSortPcName);
    ASSERT_TRUE(shell.Scanning(0));
    {
        Shell::ScanHold hold(shell);
        const int before = shell.GetPane(0).Count();
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        shell.DeliverScans();
        EXPECT_EQ(shell.GetPane(0).Count(), before);
    }
    EXPECT_TRUE(DeliverUntilDone(0));
    EXPECT_EQ(Rows(locations, shell.GetPane(0).location), OnTheSpot(dir.string(), kSortPcName));
}

TEST(PaneCatalogOrder, KeyedSortAndBatchMergeEqualSortCatalogInEveryOrder)
{
    std::mt19937 random(99);
    const uint16_t kinds[] = {kKindDisFix, kKindDisVar, kKindIntFix, kKindIntVar, kKindProgram,
                              kKindDos,    kKindSubdir, kKindUpDir,  kKindDsk,    kKindPc99Sd,
                              kKindHfe,    kKindHdImage, kKindCf7Image};
    const char *const names[] = {"abc", "ABC", "aBd", "", "   ", "Z", "z\0y", "zz", "a_b",
                                 "A[", "\xe9t\xe9", "MIKE", "mike ", "0", "~",
                                 // Past the sixteen bytes a sort key holds of a name:
                                 "SIXTEEN_BYTES_AB", "sixteen_bytes_abc", "Sixteen_Bytes_AbD",
                                 "sixteen_bytes_ab\0x", "SIXTEEN_BYTES_AC"};
    const int nameCount = static_cast<int>(sizeof names / sizeof names[0]);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        Location location;
        location.kind = round % 2 == 0 ? kLocPcDirectory : kLocDskImage;
        for (int i = 0; i < 300; ++i) {
            CatalogEntry *e = AddEntry(location.entries);
            e->pcName =
                std::string(names[pick(nameCount)]) + (pick(3) == 0 ? "" : std::to_string(pick(4)));
            if (pick(9) == 0)
                e->pcName += std::string(1, '\0') + "tail";
            e->ti.tiName = names[pick(nameCount)];
            e->ti.kind = kinds[pick(13)];
            e->ti.sectors = static_cast<uint16_t>(pick(4) == 0 ? 0xFFFF : pick(5));
            e->ti.flags = static_cast<uint8_t>(pick(2) ? kFlagProtected : 0);
            e->ti.description = std::to_string(i); // tells equal entries apart
        }
        for (int order = 0; order <= kSortScanOrder; ++order) {
            SCOPED_TRACE(::testing::Message() << "round " << round << " order " << order);
            Location expected;
            CopyLocationState(expected, location);
            for (const auto &e : location.entries)
                expected.entries.push_back(std::make_unique<CatalogEntry>(*e));
            // The comparison itself, one pair at a time, is what the keys must agree with.
            if (order <= kSortProtection)
                std::stable_sort(expected.entries.begin(), expected.entries.end(),
                                 [order, &expected](const auto &a, const auto &b) {
                                     return CatalogSortsBefore(
                                         order, expected.kind == kLocPcDirectory, *a, *b);
                                 });

            Catalog keyed;
            for (const auto &e : location.entries)
                keyed.push_back(std::make_unique<CatalogEntry>(*e));
            const bool pc = location.kind == kLocPcDirectory;
            SortCatalogByKeys(keyed, order, pc);

            Catalog merged;
            size_t at = 0;
            while (at < location.entries.size()) {
                const size_t n = std::min<size_t>(1 + pick(60), location.entries.size() - at);
                Catalog batch;
                for (size_t i = 0; i < n; ++i)
                    batch.push_back(std::make_unique<CatalogEntry>(*location.entries[at + i]));
                at += n;
                MergeSortedBatch(merged, std::move(batch), order, pc);
            }
            ASSERT_EQ(keyed.size(), expected.entries.size());
            ASSERT_EQ(merged.size(), expected.entries.size());
            for (size_t i = 0; i < keyed.size(); ++i) {
                ASSERT_EQ(keyed[i]->ti.description, expected.entries[i]->ti.description) << i;
                ASSERT_EQ(merged[i]->ti.description, expected.entries[i]->ti.description) << i;
            }
        }
    }
}

TEST(PaneFolderScanPieces, StepsOfAnySizeListWhatTheScanOnTheSpotLists)
{
    TempFolder temp;
    const fs::path dir = temp.root / "mixed";
    MakeMixedFolder(dir, 700);
    RegisterLocationListers();
    CatalogLocationService service;
    RecordingUi ui;
    Location whole;
    whole.path = dir.string();
    whole.pcLevelsEntered = 1; // lists ".."
    ASSERT_EQ(ScanPcDirectory(whole, (dir / "*.*").string(), ui), 0);
    for (size_t step : {1u, 7u, 128u, 5000u}) {
        SCOPED_TRACE(step);
        PcDirectoryScan scan((dir / "*.*").string(), 1);
        ASSERT_EQ(scan.Open(), 0);
        ASSERT_EQ(scan.ReadNames(), 0);
        Location pieces;
        pieces.path = whole.path;
        while (scan.Next(pieces.entries, step)) {
        }
        EXPECT_EQ(Rows(service, pieces), Rows(service, whole));
    }
    EXPECT_EQ(whole.entries.front()->pcName, "..");
    PcDirectoryScan missing((temp.root / "none" / "*.*").string(), 0);
    EXPECT_EQ(missing.Open(), ENOENT);
    PcDirectoryScan cancelled((dir / "*.*").string(), 0);
    ASSERT_EQ(cancelled.Open(), 0);
    std::atomic<bool> cancel{true};
    EXPECT_EQ(cancelled.ReadNames(&cancel), ECANCELED);
}

} // namespace
} // namespace kestrel::testing
