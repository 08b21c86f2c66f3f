// The fault walk: each writing command runs once to count its writes, then again and again
// with the Nth write refused (no space, an I/O error, a short write), N = 1, 2, 3, ... until
// it writes without a fault. After every refused write:
//   - the command said so: a numbered message was shown and the exit status is not 0;
//   - every file it only reads is byte for byte as before;
//   - every file it writes is its old bytes (or still absent) or its complete new bytes;
//     an image updated in place that is neither holds every file whole, each as it was before
//     or as the complete run left it, and still checks clean;
//   - nothing else is left beside the targets (no side or partial files).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/rawdisk.h"
#include "tests/faults/in_process_cli.h"
#include "tests/support/recording_ui.h"
#include "tifs/disk_check/disk_repair.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/settings.h"

namespace kestrel::testing
{
namespace
{

namespace fs = std::filesystem;
using platform::FaultKind;
using platform::FaultPlan;

// An image that a command changes in place, and the location that lists its files.
struct ImageTarget {
    std::string path;     // relative to the work folder
    std::string location; // the location listed for its files (relative)
    bool checkable;       // "check" reads it
    // The hard-disk library names a new file before it writes its data; a new file that could
    // not be written whole is taken out again, but when the image refuses every later write
    // too (a full disk) it stays, named and incomplete, after the failure was reported.
    bool newFileMayStayPartial = false;
};

struct Operation {
    std::string name;
    std::vector<std::string> fixtures; // demo files copied into the work folder
    std::vector<std::string> args;     // "{W}" stands for the work folder
    std::vector<ImageTarget> images;   // changed in place; every other change is a PC file
    // Prepares the work folder beyond the fixtures (drives, settings); may be empty.
    std::function<void(const std::string &)> prepare;
    // Runs the operation instead of a command (args unused); the status and messages.
    std::function<InProcessRun(const std::string &, FaultPlan *)> run;
};

struct Totals {
    int operations = 0;
    long faults = 0;
    int lostData = 0;
    int halfWritten = 0;
    int failureAsSuccess = 0;
    int leftovers = 0;
    int afterAnswer = 0;
    int recovered = 0;
    int partialNew = 0;
    int underSideName = 0;
};

Totals &TheTotals()
{
    static Totals totals;
    return totals;
}

std::string DemoFolder()
{
    static std::string demo;
    if (demo.empty()) {
        demo = NewScratchFolder("kestrel-faults-demo") + "/demo";
        const std::string command =
            std::string(KESTREL_BIN_DIR) + "/kestrel-samples '" + demo + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    return demo;
}

std::string Expand(const std::string &arg, const std::string &work)
{
    std::string text = arg;
    for (size_t at = text.find("{W}"); at != std::string::npos; at = text.find("{W}")) {
        text.replace(at, 3, work);
    }
    return text;
}

class Walker
{
public:
    explicit Walker(const Operation &operation) : m_op(operation) {}

    std::string Fresh()
    {
        if (!m_work.empty()) {
            fs::remove_all(m_work);
        }
        m_work = NewScratchFolder("kestrel-faults-work");
        for (const std::string &name : m_op.fixtures) {
            fs::copy(DemoFolder() + "/" + name, m_work + "/" + name, fs::copy_options::recursive);
        }
        if (m_op.prepare) {
            m_op.prepare(m_work);
        }
        return m_work;
    }

    InProcessRun Run(FaultPlan *plan)
    {
        if (m_op.run) {
            return m_op.run(m_work, plan);
        }
        std::vector<std::string> args;
        for (const std::string &arg : m_op.args) {
            args.push_back(Expand(arg, m_work));
        }
        return RunInProcess(args, plan);
    }

    std::map<std::string, std::string> Images(const std::string &work)
    {
        std::map<std::string, std::string> contents;
        for (const ImageTarget &image : m_op.images) {
            bool ok = false;
            auto files = LocationFiles(work + "/" + image.location, ok);
            for (const auto &[name, bytes] : files) {
                contents[image.location + "/" + name] = bytes;
            }
            if (!ok) {
                contents[image.location] = "<unlistable>";
            }
        }
        return contents;
    }

    // A hard-disk file replaced through the library is written whole under a side name, the
    // old one deleted, and the new one renamed: two library calls that cannot be one. A
    // refused rename leaves the complete new file under its side name, which the message
    // names; the file it was to become is then missing. The contents are compared past the
    // header, which carries the name.
    bool CompleteUnderSideName(const std::string &file, const std::string &bytes,
                               const std::map<std::string, std::string> &now) const
    {
        for (const auto &[name, complete] : m_imagesAfter) {
            if (now.count(name) == 0 && complete.size() == bytes.size() && bytes.size() > 128 &&
                complete.compare(128, std::string::npos, bytes, 128, std::string::npos) == 0 &&
                m_said.find(file.substr(file.rfind('/') + 1)) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    bool MayStayPartial(const std::string &file) const
    {
        for (const ImageTarget &image : m_op.images) {
            if (image.newFileMayStayPartial && file.rfind(image.location + "/", 0) == 0) {
                return true;
            }
        }
        return false;
    }

    bool IsImage(const std::string &relative) const
    {
        for (const ImageTarget &image : m_op.images) {
            if (image.path == relative) {
                return true;
            }
        }
        return false;
    }

    void Walk()
    {
        // The run without faults: what the complete result looks like.
        Fresh();
        m_before = FilesBelow(m_work);
        m_imagesBefore = Images(m_work);
        FaultPlan counting;
        InProcessRun clean = Run(&counting);
        ASSERT_EQ(clean.status, 0) << m_op.name << "\n" << clean.err;
        ASSERT_GT(counting.calls, 0) << m_op.name << " writes nothing through the seam";
        m_after = FilesBelow(m_work);
        m_imagesAfter = Images(m_work);
        ++TheTotals().operations;

        const std::vector<std::pair<FaultKind, bool>> plans = {{FaultKind::NoSpace, true},
                                                               {FaultKind::IoError, false},
                                                               {FaultKind::ShortWrite, false}};
        for (const auto &[kind, persistent] : plans) {
            for (long n = 1;; n = Next(n, counting.calls)) {
                Fresh();
                FaultPlan plan;
                plan.failAt = n;
                plan.kind = kind;
                plan.persistent = persistent;
                InProcessRun run = Run(&plan);
                if (plan.injected == 0) {
                    EXPECT_EQ(run.status, 0) << m_op.name << " without a fault at call " << n;
                    break;
                }
                if (plan.failAt > run.callsInCommand) {
                    // The library's image is closed after the command answered, when the
                    // program lets the library go; every write was made and judged before.
                    ++TheTotals().afterAnswer;
                    continue;
                }
                TheTotals().faults += 1;
                if (run.status == 0 && FilesBelow(m_work) == m_after) {
                    // A short write that the caller carried on to the end: nothing failed.
                    ++TheTotals().recovered;
                    continue;
                }
                Judge(run, plan);
                if (::testing::Test::HasFailure()) {
                    return; // one case shown in full is enough to work on
                }
            }
        }
        fs::remove_all(m_work);
    }

private:
    // Every call up to 120, then about 60 more spread over the rest, and the last ones: a
    // command that writes a card sector by sector makes thousands of calls of one kind.
    static long Next(long n, long total)
    {
        if (n < 120 || n + 8 >= total) {
            return n + 1;
        }
        const long step = std::max(1L, (total - 120) / 60);
        return std::min(n + step, total - 8);
    }

    void Judge(const InProcessRun &run, const FaultPlan &plan)
    {
        m_plan = plan;
        m_said = run.err;
        Totals &totals = TheTotals();
        const std::string where = m_op.name + ", " + KindName(plan) + " at call " +
                                  std::to_string(plan.failAt) + " (" + plan.firstFailed + ")";
        if (run.status == 0 || run.errors + run.dsrErrors == 0) {
            ++totals.failureAsSuccess;
            ADD_FAILURE() << where << ": answered " << run.status << " with " << run.errors
                          << " messages\n"
                          << run.err;
        }
        const auto now = FilesBelow(m_work);
        for (const auto &[name, bytes] : now) {
            const bool wasThere = m_before.count(name) != 0;
            const bool isResult = m_after.count(name) != 0;
            if (!wasThere && !isResult) {
                ++totals.leftovers;
                ADD_FAILURE() << where << ": left " << name;
                continue;
            }
            if (wasThere && bytes == m_before.at(name)) {
                continue;
            }
            if (isResult && bytes == m_after.at(name)) {
                continue;
            }
            if (!IsImage(name)) {
                bool written = wasThere && m_before.at(name) != (isResult ? m_after.at(name) : "");
                written =
                    written || (isResult && (!wasThere || m_before.at(name) != m_after.at(name)));
                if (written) {
                    ++totals.halfWritten;
                    ADD_FAILURE() << where << ": " << name << " is half written (" << bytes.size()
                                  << " bytes)";
                } else {
                    ++totals.lostData;
                    ADD_FAILURE() << where << ": " << name
                                  << ", which the command only reads, changed";
                }
            }
        }
        for (const auto &[name, bytes] : m_before) {
            if (now.count(name) == 0 && m_after.count(name) != 0) {
                ++totals.lostData;
                ADD_FAILURE() << where << ": " << name << " is gone";
            }
        }
        JudgeImages(where);
    }

    // An image that is neither its old nor its new self: every file in it must be whole.
    void JudgeImages(const std::string &where)
    {
        bool changed = false;
        std::string checkReport; // shown with every finding: the check's view of the damage
        for (const ImageTarget &image : m_op.images) {
            bool exists = false;
            const std::string bytes = ReadAll(m_work + "/" + image.path, &exists);
            const bool old = m_before.count(image.path) && m_before.at(image.path) == bytes;
            const bool complete = m_after.count(image.path) && m_after.at(image.path) == bytes;
            if (exists && !old && !complete) {
                changed = true;
                if (image.checkable) {
                    InProcessRun check = RunInProcess({"check", m_work + "/" + image.path});
                    checkReport += check.out;
                    if (check.status != 0 && !OnlyUnusedSectors(check.out)) {
                        ++TheTotals().halfWritten;
                        ADD_FAILURE() << where << ": " << image.path << " no longer checks clean\n"
                                      << check.out;
                    }
                }
            }
        }
        if (!changed) {
            return;
        }
        const auto files = Images(m_work);
        for (const auto &[name, bytes] : files) {
            const bool asBefore = m_imagesBefore.count(name) && m_imagesBefore.at(name) == bytes;
            const bool asAfter = m_imagesAfter.count(name) && m_imagesAfter.at(name) == bytes;
            if (!asBefore && !asAfter && m_imagesBefore.count(name) == 0 &&
                MayStayPartial(name)) {
                if (m_plan.persistent) {
                    ++TheTotals().partialNew;
                    continue;
                }
                if (CompleteUnderSideName(name, bytes, files)) {
                    ++TheTotals().underSideName;
                    continue;
                }
            }
            if (!asBefore && !asAfter) {
                ++TheTotals().halfWritten;
                ADD_FAILURE() << where << ": " << name << " is not whole in the image\n"
                              << checkReport << "(left in " << m_work << ")\n"
                              << m_said;
            }
        }
        for (const auto &[name, bytes] : m_imagesBefore) {
            const bool untouched = m_imagesAfter.count(name) && m_imagesAfter.at(name) == bytes;
            if (untouched && files.count(name) == 0) {
                ++TheTotals().lostData;
                ADD_FAILURE() << where << ": " << name << " was lost from the image\n"
                              << checkReport << "(left in " << m_work << ")";
            }
        }
    }

    // An update in place that stops between its sector writes may leave sectors marked used
    // that no file claims yet (or any more): space lost until the disk is tidied, while every
    // file stays whole. That is the most an in-place update can promise; anything else the
    // check finds is damage.
    static bool OnlyUnusedSectors(const std::string &checkOutput)
    {
        std::istringstream lines(checkOutput);
        for (std::string line; std::getline(lines, line);) {
            const bool summary = line.find("problem") != std::string::npos ||
                                 line.find(": clean") != std::string::npos ||
                                 line.find("checked:") != std::string::npos;
            if (!summary && line.find("marked used but belong to no file") == std::string::npos &&
                !CountOneAhead(line)) {
                return false;
            }
        }
        return true;
    }

    // A hard-disk directory's file count and its file index are two sectors: the count is
    // raised before a new file is named and lowered after one is let go, so an update stopped
    // between them leaves a count one ahead of the index, which readers take as the index
    // says.
    static bool CountOneAhead(const std::string &line)
    {
        unsigned says = 0, lists = 0;
        const size_t at = line.find("its record says ");
        if (at == std::string::npos ||
            std::sscanf(line.c_str() + at, "its record says %u files, its file index lists %u",
                        &says, &lists) != 2) {
            return false;
        }
        return says == lists + 1;
    }

    static std::string KindName(const FaultPlan &plan)
    {
        switch (plan.kind) {
        case FaultKind::NoSpace:
            return "no space";
        case FaultKind::IoError:
            return "I/O error";
        case FaultKind::ShortWrite:
            return "short write";
        }
        return "?";
    }

    const Operation &m_op;
    FaultPlan m_plan;
    std::string m_said; // what the judged run said on its error stream
    std::string m_work;
    std::map<std::string, std::string> m_before, m_after, m_imagesBefore, m_imagesAfter;
};

void PrintTo(const Operation &operation, std::ostream *out)
{
    *out << operation.name;
}

class FaultWalk : public ::testing::TestWithParam<Operation>
{
};

TEST_P(FaultWalk, EveryRefusedWriteIsReportedAndLosesNothing)
{
    Walker walker(GetParam());
    walker.Walk();
}

const ImageTarget kGames{"games.dsk", "games.dsk", true};
const ImageTarget kHd{"hd.img", "hd.img", true, true};
const ImageTarget kParts{"parts.img", "parts.img/VOL1", true, true};
const ImageTarget kCard{"card.cf7", "card.cf7/GAMES", true};

const ImageTarget kNotes{"card.cf7", "card.cf7/NOTES", true};
const ImageTarget kHfe{"games.hfe", "games.hfe", true};

// A card in a drive: the demo card's sectors without the image header, in a file that stands
// in for the drive "D:".
void PrepareDrive(const std::string &work)
{
    const std::string card = ReadAll(DemoFolder() + "/card.cf7");
    WriteAll(work + "/drive.raw", card.substr(128));
    platform::SetFileDrives({{work + "/drive.raw", platform::kRawSectorSize}});
}

void PrepareSettings(const std::string &work)
{
    WriteAll(work + "/Kestrel.ini", "[Kestrel]\r\nextracttifiles=1\r\n; kept as it is\r\n");
}

// The demo disk as an HFE image, made by the program's own conversion.
void PrepareHfe(const std::string &work)
{
    InProcessRun made = RunInProcess({"dsk-to-hfe", DemoFolder() + "/games.dsk",
                                      work + "/games.hfe"});
    ASSERT_EQ(made.status, 0) << made.err;
}

// A disk whose bitmap was lost (every AU after the first marked free), for the repair to
// rebuild: one sector written through the image's own sector layer, so that a PC99 track
// image stays a track image.
void ClearBitmap(const std::string &path)
{
    FileImage image;
    ASSERT_TRUE(image.Open(path, true)) << path;
    FloppyDisk disk(image, 0, path);
    RecordingUi ui;
    ASSERT_TRUE(disk.Open(ui)) << path;
    uint8_t vib[256];
    std::memcpy(vib, disk.Vib(), sizeof vib);
    std::memset(vib + 57, 0, 256 - 57 - 20);
    ASSERT_TRUE(WriteFloppySector(disk, 0, vib, ui)) << path;
    ASSERT_TRUE(image.Flush());
}

void PrepareDamagedPc99(const std::string &work)
{
    ClearBitmap(work + "/games_sd.pc99");
}

void PrepareDamagedDsk(const std::string &work)
{
    ClearBitmap(work + "/games.dsk");
}

// The settings file is written as the program ends, when no box can be shown any more: the
// answer of the write is all that can tell of a failure, and it stands for the message here.
InProcessRun SaveSettingsFile(const std::string &work, FaultPlan *plan)
{
    Settings settings;
    LoadSettings(settings, work + "/Kestrel.ini");
    settings.dllDirectory = "/opt/elsewhere/";
    platform::ArmFaults(plan);
    const bool saved = SaveSettings(settings);
    platform::ArmFaults(nullptr);
    InProcessRun run;
    run.status = saved ? 0 : 1;
    run.errors = saved ? 0 : 1;
    run.callsInCommand = plan->calls;
    return run;
}

std::vector<Operation> Operations()
{
    return {
        {"PutIntoDsk",
         {"games.dsk", "DEMO"},
         {"put", "--yes", "{W}/games.dsk", "{W}/DEMO"},
         {kGames}},
        {"PutReplacingInDsk",
         {"games.dsk", "SCORES"},
         {"put", "--yes", "{W}/games.dsk", "{W}/SCORES"},
         {kGames}},
        {"PutIntoHd", {"hd.img", "DEMO"}, {"put", "--yes", "{W}/hd.img", "{W}/DEMO"}, {kHd}},
        {"PutReplacingInHd",
         {"hd.img", "README"},
         {"put", "--yes", "{W}/hd.img", "{W}/README"},
         {kHd}},
        {"PutIntoPartition",
         {"parts.img", "DEMO"},
         {"put", "--yes", "{W}/parts.img/VOL1", "{W}/DEMO"},
         {kParts}},
        {"PutIntoCardVolume",
         {"card.cf7", "DEMO"},
         {"cp", "--yes", "{W}/DEMO", "{W}/card.cf7/GAMES"},
         {kCard}},
        {"DeleteInDsk", {"games.dsk"}, {"rm", "{W}/games.dsk/README"}, {kGames}},
        {"DeleteInHd", {"hd.img"}, {"rm", "{W}/hd.img/README"}, {kHd}},
        {"RenameInDsk", {"games.dsk"}, {"ren", "{W}/games.dsk/README", "AREADME"}, {kGames}},
        {"RenameInHd", {"hd.img"}, {"ren", "{W}/hd.img/README", "AREADME"}, {kHd}},
        {"DeleteInPartition", {"parts.img"}, {"rm", "{W}/parts.img/VOL1/HELLO"}, {kParts}},
        {"RenameInPartition",
         {"parts.img"},
         {"ren", "{W}/parts.img/VOL1/HELLO", "ZHELLO"},
         {kParts}},
        {"NewDsk", {}, {"mkdsk", "--yes", "{W}", "BLANK", "--preset", "1"}, {}},
        {"NewHd", {}, {"mkhd", "--yes", "{W}", "NEWHD", "--volume", "ONE:65536"}, {}},
        {"NewPartitionedHd",
         {},
         {"mkhd", "--yes", "{W}", "TWOHD", "--volume", "ONE:65536", "--volume", "TWO:65536"},
         {}},
        {"TiToPc", {"games.dsk"}, {"ti2pc", "--method", "1", "{W}/games.dsk/README", "{W}"}, {}},
        {"PcToTi",
         {"plain.txt"},
         {"pc2ti", "--type", "DIS/VAR", "--reclen", "80", "--method", "1", "{W}/plain.txt", "{W}"},
         {}},
        {"ToTifiles", {"memimage.v9t9"}, {"totifiles", "{W}/memimage.v9t9"}, {}},
        {"Attributes", {"SCORES"}, {"attr", "--protect", "on", "{W}/SCORES"}, {}},
        {"ExtractDsk", {"games.dsk"}, {"extract", "{W}/games.dsk", "{W}"}, {}},
        {"ArcToDsk", {"games.ark"}, {"arc2dsk", "{W}/games.ark", "{W}"}, {}},
        {"CardInit",
         {"card.cf7"},
         {"cf7-init", "--yes", "{W}/card.cf7", "4", "FRESH"},
         {{"card.cf7", "card.cf7/FRESH", true}}},
        {"CardVolumeOut",
         {"card.cf7"},
         {"cf7-get", "--yes", "{W}/card.cf7", "2", "{W}/vol.dsk"},
         {}},
        // Volume 3 (NOTES) becomes GAMES, subdirectory and all; volume 2 was named GAMES too
        // and is made BASIC first, so that the names list volume 3 before and after.
        {"CardVolumeIn",
         {"card.cf7", "games.dsk", "basic.dsk"},
         {"cf7-put", "--yes", "{W}/card.cf7", "3", "{W}/games.dsk"},
         {{"card.cf7", "card.cf7/NOTES", true},
          {"card.cf7", "card.cf7/GAMES", true},
          {"card.cf7", "card.cf7/GAMES/SUB1", true}},
         [](const std::string &work) {
             InProcessRun put =
                 RunInProcess({"cf7-put", "--yes", work + "/card.cf7", "2", work + "/basic.dsk"});
             ASSERT_EQ(put.status, 0) << put.err;
         }},
        {"DeleteInCardVolume", {"card.cf7"}, {"rm", "{W}/card.cf7/NOTES/README"}, {kNotes}},
        {"RenameInCardVolume",
         {"card.cf7"},
         {"ren", "{W}/card.cf7/NOTES/README", "AREADME"},
         {kNotes}},
        {"ToV9t9", {"SCORES"}, {"tov9t9", "{W}/SCORES"}, {}},
        {"ExtractArc", {"games.ark"}, {"extract", "{W}/games.ark", "{W}"}, {}},
        {"Backup", {}, {"backup", "D", "{W}/backup.cf7"}, {}, PrepareDrive},
        // The drive holds the demo card with games.dsk (and its subdirectory) in volume 2; the
        // backup has basic.dsk there and games.dsk in volume 3. drive.raw is checked as the
        // card's sectors.
        {"Restore",
         {},
         {"restore", "--yes", "{W}/backup.cf7", "D"},
         {{"drive.raw", "drive.raw", true}},
         [](const std::string &work) {
             WriteAll(work + "/drive.raw", std::string(size_t{5} * 1600 * 512, '\0'));
             platform::SetFileDrives({{work + "/drive.raw", platform::kRawSectorSize}});
             const std::string demo = DemoFolder();
             fs::copy(demo + "/card.cf7", work + "/old.cf7");
             fs::copy(demo + "/card.cf7", work + "/backup.cf7");
             for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
                      {"cf7-put", "--yes", work + "/old.cf7", "2", demo + "/games.dsk"},
                      {"restore", "--yes", work + "/old.cf7", "D"},
                      {"cf7-put", "--yes", work + "/backup.cf7", "2", demo + "/basic.dsk"},
                      {"cf7-put", "--yes", work + "/backup.cf7", "3", demo + "/games.dsk"}}) {
                 InProcessRun step = RunInProcess(args);
                 ASSERT_EQ(step.status, 0) << args[0] << "\n" << step.err;
             }
             fs::remove(work + "/old.cf7");
         }},
        {"SettingsFile", {}, {}, {}, PrepareSettings, SaveSettingsFile},
        {"PutIntoHfe",
         {"DEMO"},
         {"put", "--yes", "{W}/games.hfe", "{W}/DEMO"},
         {kHfe},
         PrepareHfe},
        {"DeleteInHfe", {}, {"rm", "{W}/games.hfe/README"}, {kHfe}, PrepareHfe},
        {"RenameInHfe", {}, {"ren", "{W}/games.hfe/README", "AREADME"}, {kHfe}, PrepareHfe},
        {"RepairDsk",
         {"games.dsk"},
         {"check", "--repair", "{W}/games.dsk"},
         {kGames},
         PrepareDamagedDsk},
        {"RepairPc99",
         {"games_sd.pc99"},
         {"check", "--repair", "{W}/games_sd.pc99"},
         {{"games_sd.pc99", "games_sd.pc99", true}},
         PrepareDamagedPc99},
    };
}

INSTANTIATE_TEST_SUITE_P(Commands, FaultWalk, ::testing::ValuesIn(Operations()),
                         [](const auto &info) { return info.param.name; });

// Prints the figures of the whole walk once every operation has run.
class SummaryPrinter : public ::testing::Environment
{
public:
    void TearDown() override
    {
        const Totals &t = TheTotals();
        if (t.operations == 0) {
            return;
        }
        std::printf("fault walk: %d operations covered, %ld faults injected, %d lost data, %d "
                    "half-written targets, %d failures reported as success, %d files left "
                    "behind; %d short writes completed by their caller, %d faults after the "
                    "command answered, "
                    "%d new hard-disk files left incomplete by a disk that refused every "
                    "later write, %d replacements left whole under the side name their "
                    "message names\n",
                    t.operations, t.faults, t.lostData, t.halfWritten, t.failureAsSuccess,
                    t.leftovers, t.recovered, t.afterAnswer, t.partialNew,
                    t.underSideName);
    }
};

const auto *const kSummary = ::testing::AddGlobalTestEnvironment(new SummaryPrinter);

} // namespace
} // namespace kestrel::testing
