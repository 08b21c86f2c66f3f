// The checks of CF7A+ card images and hard-disk images, on the demo images
// that kestrel-samples makes, each damaged one way by the test.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "drives/cf7_check.h"
#include "drives/cf7_layout.h"
#include "drives/hd_check.h"
#include "drives/image_check.h"
#include "drives/tests/hd_test_support.h"
#include "tifs/byte_order.h"

namespace kestrel::testing
{
namespace
{

// What a shell command printed (both streams, when it asks for them) and its exit status.
std::string RunShell(const std::string &command, int &status)
{
    std::FILE *pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    size_t got = 0;
    while (pipe != nullptr && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, got);
    }
    const int rc = pipe != nullptr ? pclose(pipe) : -1;
    status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

class CheckTest : public HdTest
{
protected:
    void SetUp() override
    {
        HdTest::SetUp();
        const std::string command =
            "'" KESTREL_BIN_DIR "/kestrel-samples' '" + PathOf("demo") + "' >/dev/null 2>&1";
        ASSERT_EQ(0, std::system(command.c_str()));
        UnloadHdLibrary();
    }

    // A copy of the demo file, changed by damage, and its path.
    std::string Damaged(const std::string &demoName,
                        const std::function<void(std::vector<uint8_t> &)> &damage)
    {
        std::vector<uint8_t> bytes = ReadAll(PathOf("demo/" + demoName));
        damage(bytes);
        const std::string path = PathOf("damaged_" + demoName);
        std::FILE *f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }

    std::string CardFindings(const std::string &path)
    {
        CardCheckResult result;
        EXPECT_TRUE(CheckCardImage(path, result, ui));
        std::string text;
        for (const std::string &line : result.findings) {
            text += line + "\n";
        }
        for (const CardVolumeCheck &v : result.volumes) {
            for (const std::string &line : v.result.findings) {
                text += v.pcName + ": " + line + "\n";
            }
        }
        EXPECT_EQ(text.empty(), result.Clean());
        return text;
    }

    std::string HdFindings(const std::string &path)
    {
        std::vector<HdVolumeCheck> volumes;
        EXPECT_TRUE(CheckHdImage(path, volumes, ui));
        std::string text;
        for (const HdVolumeCheck &v : volumes) {
            EXPECT_TRUE(v.checked);
            for (const std::string &line : v.result.findings) {
                text += line + "\n";
            }
        }
        return text;
    }
};

constexpr size_t kVolume1 = 128; // byte of volume 1 in a card image

TEST_F(CheckTest, TheDemoCardIsCleanAndItsCutCopiesAreNot)
{
    EXPECT_EQ("", CardFindings(PathOf("demo/card.cf7")));
    const std::pair<size_t, const char *> cuts[] = {
        {128, "The card holds no whole volume: 0 bytes follow its header\n"},
        {200, "The card image ends 72 bytes into a TI sector\n"},
        {409743, "The card image ends 15 bytes into a TI sector\n"},
        {819456, "The card image ends 128 bytes into a TI sector\n"},
        {819968, "The card ends 2 sectors into volume 3, which is not there whole\n"},
        {2048127, "The card ends 1599 sectors into volume 5, which is not there whole\n"},
    };
    for (const auto &[size, line] : cuts) {
        const std::string path =
            Damaged("card.cf7", [size = size](std::vector<uint8_t> &b) { b.resize(size); });
        EXPECT_NE(std::string::npos, CardFindings(path).find(line)) << size;
    }
    // The demo mounts volumes 1, 3 and 2; cut to one volume, two of them are gone.
    const std::string one =
        Damaged("card.cf7", [](std::vector<uint8_t> &b) { b.resize(128 + 409600); });
    EXPECT_EQ("The card mounts volume 3 as DSK2, but it holds 1 volumes\n"
              "The card mounts volume 2 as DSK3, but it holds 1 volumes\n",
              CardFindings(one));
}

TEST_F(CheckTest, CardVolumesWithImpossibleTotalsOrNamesAndAHeaderWithStrayBytes)
{
    auto total = [&](uint16_t value) {
        return CardFindings(Damaged("card.cf7", [value](std::vector<uint8_t> &b) {
            PutWordBE(b.data() + kVolume1, 10, value);
        }));
    };
    EXPECT_EQ("VOL #001: The disk says it has 0 sectors; a disk needs at least 2\n", total(0));
    EXPECT_EQ(0u, total(0xFFFF).find(
                      "VOL #001: The disk says it has 65535 sectors, but its volume holds 1600\n"));
    const std::string slash =
        Damaged("card.cf7", [](std::vector<uint8_t> &b) { b[kVolume1 + 2] = '/'; });
    EXPECT_EQ("VOL #001: The disk name \"SY/TEM\" holds a \"/\"\n", CardFindings(slash));
    const std::string nul =
        Damaged("card.cf7", [](std::vector<uint8_t> &b) { b[kVolume1 + 2] = 0; });
    EXPECT_EQ("VOL #001: The disk name \"SY?TEM\" holds a NUL byte\n", CardFindings(nul));
    const std::string header = Damaged("card.cf7", [](std::vector<uint8_t> &b) {
        b[10] = 0xFF;
        b[11] = 0xFF;
    });
    EXPECT_EQ("Card header byte 10 is >FF; a card header keeps it zero\n"
              "Card header byte 11 is >FF; a card header keeps it zero\n",
              CardFindings(header));
}

// Where the demo hard disk keeps what the damage below changes.
struct HdLayout {
    unsigned spau = 1;
    size_t index = 0;    // byte of the root file index
    size_t firstFdr = 0; // byte of the FDR its first word names
    unsigned firstFdrAu = 0;
};

HdLayout LayoutOf(const std::vector<uint8_t> &b)
{
    HdLayout l;
    l.spau = (b[16] >> 4) + 1u;
    l.index = size_t{GetWordBE(b.data(), 24)} * l.spau * 256;
    l.firstFdrAu = GetWordBE(b.data() + l.index, 0);
    l.firstFdr = size_t{l.firstFdrAu} * l.spau * 256;
    return l;
}

// The demo card as a drive holds it: each TI sector in the even bytes of a
// 512-byte sector, as a card copied sector by sector or a drive's stand-in is.
TEST_F(CheckTest, ACardsSectorsInAFileAreCheckedAsTheCard)
{
    const std::vector<uint8_t> image = ReadAll(PathOf("demo/card.cf7"));
    auto sectorsOf = [&](const std::function<void(std::vector<uint8_t> &)> &damage) {
        std::vector<uint8_t> ti(image.begin() + kVolume1, image.end());
        damage(ti);
        std::vector<uint8_t> drive(ti.size() * 2);
        for (size_t s = 0; s * 256 < ti.size(); ++s) {
            SpreadTiSector(ti.data() + s * 256, Cf7FillerFor(s), drive.data() + s * 512);
        }
        drive.resize(drive.size() + 700 * 512, 0xE5); // a medium ends where it ends
        const std::string path = PathOf("card.raw");
        std::FILE *f = std::fopen(path.c_str(), "wb");
        std::fwrite(drive.data(), 1, drive.size(), f);
        std::fclose(f);
        return path;
    };
    const std::string clean = sectorsOf([](std::vector<uint8_t> &) {});
    EXPECT_TRUE(IsCardSectorsFile(clean));
    ImageCheck check = CheckImageFile(clean, ui);
    EXPECT_EQ(check.kind, ImageCheckKind::CardSectors);
    EXPECT_TRUE(check.clean);
    EXPECT_FALSE(check.Repairable());
    ASSERT_FALSE(check.lines.empty());
    EXPECT_EQ(check.lines.front(), "VOL #0001: 0 files, 0 subdirectories, 2 sectors in use: clean");
    EXPECT_EQ(check.lines.back(), "3 volumes checked: clean");

    // Volume 3's README loses its data sector from the bitmap.
    const std::string damaged = sectorsOf([](std::vector<uint8_t> &ti) {
        ti[2 * kCf7VolumeBytes + 56 + 34 / 8] &= static_cast<uint8_t>(~(1u << (34 % 8)));
    });
    check = CheckImageFile(damaged, ui);
    EXPECT_EQ(check.kind, ImageCheckKind::CardSectors);
    EXPECT_FALSE(check.clean);

    // Neither a card image, a DSK image nor a card with no formatted volume is one.
    EXPECT_FALSE(IsCardSectorsFile(PathOf("demo/card.cf7")));
    EXPECT_FALSE(IsCardSectorsFile(PathOf("demo/games.dsk")));
    EXPECT_FALSE(IsCardSectorsFile(sectorsOf([](std::vector<uint8_t> &ti) {
        for (size_t v = 0; v < 5; ++v) {
            ti[v * kCf7VolumeBytes + 13] = 0;
        }
    })));
}

TEST_F(CheckTest, HardDiskVolumesAreCheckedThroughTheLibrary)
{
    EXPECT_EQ("", HdFindings(PathOf("demo/hd.img")));
    EXPECT_EQ("", HdFindings(PathOf("demo/parts.img")));

    // The bit of the first file's FDR cleared in the bitmap.
    const std::string bitmap = Damaged("hd.img", [](std::vector<uint8_t> &b) {
        const HdLayout l = LayoutOf(b);
        b[256 + l.firstFdrAu / 8] &= static_cast<uint8_t>(~(0x80 >> (l.firstFdrAu % 8)));
    });
    const unsigned au = LayoutOf(ReadAll(bitmap)).firstFdrAu;
    EXPECT_EQ("AU " + std::to_string(au) + " is in use but marked free in the bitmap\n",
              HdFindings(bitmap));

    // The FDR's link back to its file index.
    const std::string link = Damaged("hd.img", [](std::vector<uint8_t> &b) {
        const HdLayout l = LayoutOf(b);
        PutWordBE(b.data() + l.firstFdr, 36, 0x1234);
    });
    EXPECT_NE(std::string::npos, HdFindings(link).find("as its file index, not"))
        << HdFindings(link);

    // The first two files of the root swapped in the file index.
    const std::string order = Damaged("hd.img", [](std::vector<uint8_t> &b) {
        const HdLayout l = LayoutOf(b);
        std::swap(b[l.index], b[l.index + 2]);
        std::swap(b[l.index + 1], b[l.index + 3]);
    });
    EXPECT_NE(std::string::npos, HdFindings(order).find("is out of order after"))
        << HdFindings(order);

    // The FDR's count of data AUs.
    const std::string count = Damaged("hd.img", [](std::vector<uint8_t> &b) {
        const HdLayout l = LayoutOf(b);
        PutWordBE(b.data() + l.firstFdr, 34, GetWordBE(b.data() + l.firstFdr, 34) + 5);
    });
    EXPECT_NE(std::string::npos, HdFindings(count).find("AUs allocated, but its chain holds"))
        << HdFindings(count);
}

TEST_F(CheckTest, TheCommandChecksEveryKindItKnowsAndSaysWhenItCannot)
{
    std::FILE *ini = std::fopen(PathOf("Kestrel.ini").c_str(), "w");
    std::fprintf(ini, "[Kestrel]\nDllDirectory=%s\n", KESTREL_BIN_DIR);
    std::fclose(ini);
    auto run = [&](const std::string &args, int &status) {
        const std::string command =
            "cd '" + Dir() + "' && '" KESTREL_BIN_DIR "/kestrel-cli' " + args + " 2>&1";
        return RunShell(command, status);
    };
    int status = -1;
    for (const char *clean : {"hd.img", "parts.img", "games.ark", "library.ark", "card.cf7",
                              "games.dsk", "games_sd.pc99", "games_dd.pc99"}) {
        const std::string out = run(std::string("check demo/") + clean, status);
        EXPECT_EQ(0, status) << clean << "\n" << out;
        EXPECT_NE(std::string::npos, out.find("clean")) << clean << "\n" << out;
    }
    const std::string text = run("check demo/plain.txt", status);
    EXPECT_EQ(2, status) << text;
    EXPECT_NE(std::string::npos, text.find("that can be checked")) << text;
    // A PC99 image whose first ID field is gone is damage, not another kind.
    const std::string pc99 =
        Damaged("games_sd.pc99", [](std::vector<uint8_t> &b) { b[22] ^= 0xFF; });
    run("check '" + pc99 + "'", status);
    EXPECT_EQ(1, status);

    // info on a card: each volume's AUs, which a 1600-sector volume has 1600 of.
    const std::string info = run("info demo/card.cf7", status);
    EXPECT_EQ(0, status) << info;
    EXPECT_NE(std::string::npos, info.find("volume 1: SYSTEM")) << info;
    EXPECT_NE(std::string::npos, info.find("  total AUs: 1600\n  sectors per AU: 1\n")) << info;
    EXPECT_NE(std::string::npos, info.find("  free AUs: 1598\n")) << info;
    EXPECT_NE(std::string::npos, info.find("volume 4: UNFORMATED")) << info;
    EXPECT_EQ(std::string::npos, info.find("total AUs: 0")) << info;
}

TEST_F(CheckTest, RepairMendsCardVolumesAndTheCommandBacksUpFirst)
{
    // Volume 3's README: its data sector's bit cleared in its bitmap.
    const size_t volume3 = 128 + 2 * 409600;
    const std::string card = Damaged("card.cf7", [](std::vector<uint8_t> &b) {
        b[128 + 2 * 409600 + 56 + 34 / 8] &= static_cast<uint8_t>(~(1u << (34 % 8)));
    });
    const std::vector<uint8_t> before = ReadAll(card);
    EXPECT_EQ("VOL #003: AU 34 is in use but marked free in the bitmap\n", CardFindings(card));
    RepairReport report;
    ASSERT_TRUE(RepairCardImage(card, RepairOptions(), report, ui));
    ASSERT_EQ(1u, report.changes.size());
    EXPECT_EQ("VOL #003: The bitmap was rebuilt: 1 AUs marked used, 0 marked free",
              report.changes[0]);
    EXPECT_EQ(before, ReadAll(card + ".bak"));
    EXPECT_EQ("", CardFindings(card));
    // Only that one bitmap byte changed on the whole card.
    std::vector<uint8_t> after = ReadAll(card);
    ASSERT_EQ(before.size(), after.size());
    size_t differing = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        differing += after[i] != before[i] ? 1 : 0;
    }
    EXPECT_EQ(1u, differing);
    EXPECT_NE(before[volume3 + 56 + 4], after[volume3 + 56 + 4]);
}

TEST_F(CheckTest, CheckRepairOnTheCommandLine)
{
    const std::string disk = Damaged("games.dsk", [](std::vector<uint8_t> &b) {
        b[56 + 5] ^= 0x10; // one data AU of the bitmap flipped
    });
    auto run = [&](const std::string &args, int &status) {
        const std::string command = "'" KESTREL_BIN_DIR "/kestrel-cli' " + args + " 2>&1";
        return RunShell(command, status);
    };
    int status = -1;
    run("check '" + disk + "'", status);
    EXPECT_EQ(1, status);
    const std::vector<uint8_t> before = ReadAll(disk);
    const std::string backup = PathOf("games.saved");
    std::string out = run("check --repair --backup '" + backup + "' '" + disk + "'", status);
    EXPECT_EQ(0, status) << out;
    EXPECT_NE(std::string::npos, out.find("repaired: The bitmap was rebuilt")) << out;
    EXPECT_NE(std::string::npos, out.find("after the repair:")) << out;
    EXPECT_EQ(before, ReadAll(backup));
    EXPECT_FALSE(std::filesystem::exists(disk + ".bak"));
    run("check '" + disk + "'", status);
    EXPECT_EQ(0, status);

    // Nothing to mend: nothing written, no backup.
    out = run("check --repair '" + PathOf("demo/games.dsk") + "'", status);
    EXPECT_EQ(0, status) << out;
    EXPECT_FALSE(std::filesystem::exists(PathOf("demo/games.dsk.bak")));
    // Options that make no sense together are refused.
    run("check --no-backup --backup x '" + disk + "'", status);
    EXPECT_EQ(1, status);
    run("check --repair '" + PathOf("demo/plain.txt") + "'", status);
    EXPECT_EQ(2, status);

    // An HFE image is checked and mended through the sector dump it holds.
    const std::string track = PathOf("games.hfe");
    const std::string damagedDisk = Damaged("games.dsk", [](std::vector<uint8_t> &b) {
        b[56 + 5] ^= 0x10;
    });
    run("dsk-to-hfe '" + PathOf("demo/games.dsk") + "' '" + track + "'", status);
    ASSERT_EQ(0, status);
    out = run("check '" + track + "'", status);
    EXPECT_EQ(0, status) << out;
    run("dsk-to-hfe '" + damagedDisk + "' '" + track + "'", status);
    ASSERT_EQ(0, status);
    out = run("check '" + track + "'", status);
    EXPECT_EQ(1, status) << out;
    out = run("check --repair --no-backup '" + track + "'", status);
    EXPECT_EQ(0, status) << out;
    EXPECT_NE(std::string::npos, out.find("repaired: The bitmap was rebuilt")) << out;
    const std::string back = PathOf("games_back.dsk");
    run("hfe-to-dsk '" + track + "' '" + back + "'", status);
    ASSERT_EQ(0, status);
    EXPECT_EQ(ReadAll(PathOf("demo/games.dsk")), ReadAll(back));
}

} // namespace
} // namespace kestrel::testing
