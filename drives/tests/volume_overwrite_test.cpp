// A card volume overwritten in place (a DSK copied in, a card image restored
// onto a drive) and stopped by a refused write or a Cancel: each volume must
// be its old disk, an empty disk, or its new disk, never a file index of one
// disk over the sectors of the other.
#include <algorithm>
#include <cstring>
#include <string>

#include "drives/backup_restore.h"
#include "drives/cf7_card.h"
#include "drives/tests/cf7_test_support.h"
#include "platform/fault_injection.h"

namespace kestrel::testing
{
namespace
{

using VolumeOverwrite = Cf7Test;
using platform::FaultKind;
using platform::FaultPlan;

// The write failAt refused: once with an I/O error, or for good as on a full disk.
FaultPlan RefusingAt(long failAt, bool persistent)
{
    FaultPlan plan;
    plan.failAt = failAt;
    plan.kind = persistent ? FaultKind::NoSpace : FaultKind::IoError;
    plan.persistent = persistent;
    return plan;
}

constexpr size_t kSector = 256;

// A 1600-sector disk: a VIB named name with subdirectory SUBDIR (index in
// sector 5) in slot 0, a root index naming sector 2, and every other sector
// filled from seed, so that sectors of two such disks never match.
Bytes MakeVolume(const char *name, uint8_t seed)
{
    Bytes disk(kCf7VolumeBytes);
    for (size_t i = 0; i < disk.size(); ++i) {
        disk[i] = static_cast<uint8_t>(seed + i * 13 + i / kSector);
    }
    MakeVib(disk.data(), name, 1600, 2, 40, 20);
    std::memcpy(disk.data() + vib::kSlots, "SUBDIR    ", 10);
    PutWordBE(disk.data() + vib::kSlots, 10, 5);
    std::memset(disk.data() + kSector, 0, kSector);
    PutWordBE(disk.data() + kSector, 0, 2);
    return disk;
}

Bytes Sector(const Bytes &ti, uint64_t at, uint64_t sector)
{
    return Bytes(ti.begin() + static_cast<long>(at + sector * kSector),
                 ti.begin() + static_cast<long>(at + (sector + 1) * kSector));
}

bool SameFrom(const Bytes &ti, uint64_t at, const Bytes &disk, uint64_t fromSector)
{
    return std::memcmp(ti.data() + at + fromSector * kSector, disk.data() + fromSector * kSector,
                       disk.size() - fromSector * kSector) == 0;
}

// What the volume at byte at of ti (a card's TI bytes) is, judged against
// the old and new disks; the only states a stop may leave:
//   "old", "old root gone" (old VIB, empty root index, old sectors),
//   "empty" (the new VIB without slots and an empty root index),
//   "new root" (the same VIB over the new root index and new sectors), "new".
std::string VolumeState(const Bytes &ti, uint64_t at, const Bytes &oldDisk, const Bytes &newDisk,
                        const uint8_t *mount = nullptr)
{
    const Bytes vib = Sector(ti, at, 0);
    const Bytes index = Sector(ti, at, 1);
    const Bytes noFiles(kSector, 0);
    uint8_t interim[kSector];
    BuildInterimVib(newDisk.data(), mount, interim);
    Bytes newVib(newDisk.begin(), newDisk.begin() + kSector);
    if (mount != nullptr) {
        std::memcpy(newVib.data() + 20, mount, 8);
    }
    if (vib == Bytes(oldDisk.begin(), oldDisk.begin() + kSector) && SameFrom(ti, at, oldDisk, 2)) {
        if (index == Sector(oldDisk, 0, 1)) {
            return "old";
        }
        if (index == noFiles) {
            return "old root gone";
        }
    }
    if (std::memcmp(vib.data(), interim, kSector) == 0) {
        if (index == noFiles) {
            return "empty";
        }
        if (SameFrom(ti, at, newDisk, 1)) {
            return "new root";
        }
    }
    if (vib == newVib && SameFrom(ti, at, newDisk, 1)) {
        return "new";
    }
    return "mixed";
}

bool Allowed(const std::string &state)
{
    return state != "mixed";
}

Bytes CardTiBytes(const std::string &path)
{
    Bytes card = ReadFile(path);
    return Bytes(card.begin() + kCf7HeaderSize, card.end());
}

class CopyIn : public VolumeOverwrite
{
protected:
    void SetUp() override
    {
        VolumeOverwrite::SetUp();
        m_old = MakeVolume("OLD", 0x10);
        m_new = MakeVolume("NEW", 0x80);
        m_card = MakeCardImage(3);
        std::memcpy(m_card.data() + Cf7ImageVolumeBase(2), m_old.data(), m_old.size());
        WriteFile(PathOf("new.dsk"), m_new);
    }

    // Copies new.dsk into volume 2 of a fresh card with plan armed; the result.
    int Copy(FaultPlan *plan, RecordingUi &ui)
    {
        WriteFile(PathOf("card.cf7"), m_card);
        Cf7Card card;
        EXPECT_TRUE(card.OpenImage(PathOf("card.cf7"), true, 2, ui));
        platform::ArmFaults(plan);
        int result = CopyDskToCf7Volume(card, 2, PathOf("new.dsk"), ui);
        platform::ArmFaults(nullptr);
        card.Finish(ui);
        return result;
    }

    std::string State()
    {
        const Bytes ti = CardTiBytes(PathOf("card.cf7"));
        // The volumes around are never touched.
        EXPECT_TRUE(std::all_of(ti.begin(), ti.begin() + kCf7VolumeBytes,
                                [](uint8_t b) { return b == 0; }));
        EXPECT_TRUE(std::all_of(ti.begin() + 2 * kCf7VolumeBytes, ti.end(),
                                [](uint8_t b) { return b == 0; }));
        return VolumeState(ti, kCf7VolumeBytes, m_old, m_new);
    }

    Bytes m_old, m_new, m_card;
};

TEST_F(CopyIn, ARefusedWriteLeavesTheVolumeOldEmptyOrNew)
{
    RecordingUi countingUi;
    FaultPlan counting;
    ASSERT_EQ(Copy(&counting, countingUi), 0);
    EXPECT_EQ(State(), "new");
    // One write per sector and the two that make the volume empty first.
    ASSERT_EQ(counting.calls, 1602);

    const std::pair<long, const char *> expected[] = {
        {1, "old"},      {2, "old root gone"}, {3, "empty"},      {800, "empty"},
        {1600, "empty"}, {1601, "empty"},      {1602, "new root"}};
    for (const auto &[failAt, state] : expected) {
        for (bool persistent : {false, true}) {
            FaultPlan plan = RefusingAt(failAt, persistent);
            RecordingUi ui;
            EXPECT_EQ(Copy(&plan, ui), 2) << failAt;
            EXPECT_FALSE(ui.Errors().empty()) << failAt;
            EXPECT_EQ(State(), state) << "write " << failAt << (persistent ? " (full)" : "");
        }
    }
}

TEST_F(CopyIn, CancelLeavesTheVolumeEmptyUntilTheLastSector)
{
    const std::pair<int, const char *> expected[] = {
        {1, "old root gone"}, {2, "empty"}, {3, "empty"}, {1599, "empty"}, {1600, "empty"}};
    for (const auto &[pumps, state] : expected) {
        RecordingUi ui;
        ui.cancelAfterPumps = pumps;
        EXPECT_EQ(Copy(nullptr, ui), 2) << pumps;
        EXPECT_TRUE(ui.Errors().empty());
        EXPECT_EQ(State(), state) << "cancel after " << pumps;
    }
}

TEST_F(CopyIn, CompletedCopyKeepsTheDisksSectorsAndItsSubdirectory)
{
    // A 360-sector DSK whose slot 0 names a subdirectory and slot 1 holds junk.
    Bytes dsk = MakeDsk("SMALL", 360, 1, 40, 9);
    std::memcpy(dsk.data() + 20, "TOOLS     ", 10);
    PutWordBE(dsk.data(), 30, 7);
    std::memset(dsk.data() + 32, 0x01, 12);
    WriteFile(PathOf("small.dsk"), dsk);
    WriteFile(PathOf("card.cf7"), m_card);
    RecordingUi ui;
    Cf7Card card;
    ASSERT_TRUE(card.OpenImage(PathOf("card.cf7"), true, 2, ui));
    ASSERT_EQ(CopyDskToCf7Volume(card, 2, PathOf("small.dsk"), ui), 0);
    ASSERT_TRUE(card.Finish(ui));

    const Bytes ti = CardTiBytes(PathOf("card.cf7"));
    const Bytes vib = Sector(ti, kCf7VolumeBytes, 0);
    Bytes expectedVib(dsk.begin(), dsk.begin() + kSector);
    std::memset(expectedVib.data() + 32, 0, 12); // the junk slot goes, TOOLS stays
    PutWordBE(expectedVib.data(), 10, 1600);
    std::memset(expectedVib.data() + 56 + 45, 0, kSector - 56 - 45);
    EXPECT_EQ(vib, expectedVib);
    for (uint64_t s = 1; s < 360; ++s) {
        ASSERT_EQ(Sector(ti, kCf7VolumeBytes, s), Sector(dsk, 0, s)) << s;
    }
    for (uint64_t s = 360; s < 1600; ++s) {
        ASSERT_EQ(Sector(ti, kCf7VolumeBytes, s), Bytes(kSector, kCf7Filler)) << s;
    }
}

TEST_F(CopyIn, ADskThatCannotBeReadToItsEndLeavesTheVolumeAlone)
{
    // The VIB says 1600 sectors; the file ends after 900.
    m_new.resize(900 * kSector);
    WriteFile(PathOf("new.dsk"), m_new);
    RecordingUi ui;
    EXPECT_EQ(Copy(nullptr, ui), 2);
    EXPECT_FALSE(ui.Errors().empty());
    const Bytes ti = CardTiBytes(PathOf("card.cf7"));
    EXPECT_TRUE(SameFrom(ti, kCf7VolumeBytes, m_old, 0));
}

TEST_F(VolumeOverwrite, StoppedCopyIntoVolumeOneOfADriveKeepsTheMountRecord)
{
    const uint8_t record[8] = {0xAA, 3, 0, 2, 0, 1, 0, 0};
    Bytes ti = MakeVolume("OLD", 0x10);
    std::memcpy(ti.data() + 20, record, 8);
    WriteFile(PathOf("drive.img"), MakePhysicalCard(2, &ti));
    const Bytes fresh = MakeVolume("NEW", 0x80);
    WriteFile(PathOf("new.dsk"), fresh);
    platform::SetFileDrives({{PathOf("drive.img")}});
    for (int pumps : {2, 900}) {
        RecordingUi ui;
        ui.cancelAfterPumps = pumps;
        Cf7Card card;
        ASSERT_TRUE(card.OpenDrive('D', true, ui));
        EXPECT_EQ(CopyDskToCf7Volume(card, 1, PathOf("new.dsk"), ui), 2);
        ASSERT_TRUE(card.Finish(ui));
        const Bytes drive = ReadFile(PathOf("drive.img"));
        Bytes volume;
        for (uint64_t s = 0; s < kCf7VolumeSectors; ++s) {
            Bytes sector = EvenBytes(drive, s);
            volume.insert(volume.end(), sector.begin(), sector.end());
        }
        EXPECT_EQ(VolumeState(volume, 0, ti, fresh, record), "empty") << pumps;
        MountRecord mount;
        EXPECT_TRUE(DecodeMountRecord(volume.data() + 20, 2, mount));
        EXPECT_EQ(mount.dsk[0], 2);
        EXPECT_EQ(mount.dsk[1], 1);
    }
}

// Restore of a three-volume card image onto a drive holding three other volumes.
class RestoreOverwrite : public VolumeOverwrite
{
protected:
    void SetUp() override
    {
        VolumeOverwrite::SetUp();
        Bytes oldTi;
        Bytes image = MakeCardImage(3, kMount);
        for (uint32_t v = 0; v < 3; ++v) {
            const std::string oldName = "OLD" + std::to_string(v + 1);
            const std::string newName = "NEW" + std::to_string(v + 1);
            m_old[v] = MakeVolume(oldName.c_str(), static_cast<uint8_t>(0x10 + v));
            m_new[v] = MakeVolume(newName.c_str(), static_cast<uint8_t>(0x80 + v));
            oldTi.insert(oldTi.end(), m_old[v].begin(), m_old[v].end());
            std::memcpy(image.data() + Cf7ImageVolumeBase(v + 1), m_new[v].data(), kCf7VolumeBytes);
        }
        m_drive = MakePhysicalCard(3, &oldTi);
        m_image = image;
        WriteFile(PathOf("image.cf7"), m_image);
        platform::SetFileDrives({{PathOf("drive.img")}});
    }

    BackupResult Restore(FaultPlan *plan, RecordingUi &ui)
    {
        WriteFile(PathOf("drive.img"), m_drive);
        platform::ArmFaults(plan);
        BackupResult result = RestoreDrive(PathOf("image.cf7"), 'D', true, ui);
        platform::ArmFaults(nullptr);
        return result;
    }

    // The state of each volume, "old | empty | new".
    std::string States()
    {
        const Bytes drive = ReadFile(PathOf("drive.img"));
        EXPECT_EQ(drive.size(), m_drive.size());
        Bytes ti;
        for (uint64_t s = 0; s < 3 * kCf7VolumeSectors; ++s) {
            Bytes sector = EvenBytes(drive, s);
            ti.insert(ti.end(), sector.begin(), sector.end());
            // The fillers stay the card's wherever a write reached.
            EXPECT_EQ(drive[s * 512 + 1], Cf7FillerFor(s)) << s;
        }
        std::string states;
        for (uint32_t v = 0; v < 3; ++v) {
            states += (v > 0 ? " | " : "") + VolumeState(ti, v * kCf7VolumeBytes, m_old[v],
                                                         m_new[v], v == 0 ? kMount : nullptr);
        }
        return states;
    }

    static constexpr uint8_t kMount[8] = {0xAA, 3, 0, 3, 0, 1, 0, 2};
    Bytes m_old[3], m_new[3];
    Bytes m_drive, m_image;
};

TEST_F(RestoreOverwrite, EveryRefusedWriteLeavesEachVolumeOldEmptyOrNew)
{
    RecordingUi countingUi;
    FaultPlan counting;
    ASSERT_EQ(Restore(&counting, countingUi), BackupResult::Done);
    EXPECT_EQ(States(), "new | new | new");
    // The three 1 MiB blocks stay; each volume adds four single sectors.
    EXPECT_LE(counting.calls, 3 + 3 * 4 + 1);

    for (long failAt = 1; failAt <= counting.calls; ++failAt) {
        for (bool persistent : {false, true}) {
            FaultPlan plan = RefusingAt(failAt, persistent);
            RecordingUi ui;
            const BackupResult result = Restore(&plan, ui);
            if (plan.injected == 0) {
                continue;
            }
            const std::string where = "write " + std::to_string(failAt);
            EXPECT_EQ(result, BackupResult::Failed) << where;
            EXPECT_EQ(ui.LastMessage(), 28) << where;
            const std::string states = States();
            EXPECT_EQ(states.find("mixed"), std::string::npos) << where << ": " << states;
            EXPECT_TRUE(ReadFile(PathOf("image.cf7")) == m_image) << where;
        }
    }
}

TEST_F(RestoreOverwrite, CancelLeavesTheVolumeInProgressEmpty)
{
    const std::pair<int, const char *> expected[] = {
        {1, "old | old | old"},      {2, "empty | old | old"},    {1601, "new | old | old"},
        {1602, "new | empty | old"}, {2049, "new | empty | old"}, {3300, "new | new | empty"},
        {4800, "new | new | empty"},
    };
    for (const auto &[pumps, states] : expected) {
        RecordingUi ui;
        ui.cancelAfterPumps = pumps;
        EXPECT_EQ(Restore(nullptr, ui), BackupResult::Cancelled);
        EXPECT_EQ(States(), states) << "cancel after " << pumps;
    }
}

} // namespace
} // namespace kestrel::testing
