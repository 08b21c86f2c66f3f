// Every demo TI file copied with cp into a floppy image, a hard-disk image and
// a volume of a card image, and saved back with get, is the same file: the
// header fields and every data byte (the archive bit aside, which a copy
// clears, and a TIFILES name, which an FDR does not keep).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "cli/tests/cli_test_support.h"

namespace kestrel::testing
{
namespace
{

namespace fs = std::filesystem;

std::vector<uint8_t> ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool IsTifiles(const std::vector<uint8_t> &bytes)
{
    static const char kMagic[] = "\x07TIFILES";
    return bytes.size() >= 8 && std::equal(kMagic, kMagic + 8, bytes.begin());
}

class CliRoundTrip : public ::testing::Test
{
protected:
    fs::path dir;

    void SetUp() override
    {
        dir = MakeScratchFolder("kestrel-cli-roundtrip");
        ASSERT_FALSE(dir.empty());
        std::ofstream(dir / "Kestrel.ini") << "[Kestrel]\nDllDirectory=" << KESTREL_BIN_DIR
                                           << "\n";
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs a command line in the scratch folder, where Kestrel.ini is.
    CliRun Run(const std::string &line)
    {
        CliRun run;
        const std::string command = "cd '" + dir.string() + "' && " + line + " 2>&1 </dev/null";
        FILE *pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return run;
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.out.append(buffer, n);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }
    CliRun Cli(const std::string &args) { return Run("'" KESTREL_BIN_DIR "/kestrel-cli' " + args); }
};

TEST_F(CliRoundTrip, DemoFilesThroughDiskHardDiskAndCardVolumeComeBackTheSame)
{
    if (!fs::exists(fs::path(KESTREL_BIN_DIR) / "Brackenly32.so"))
        GTEST_SKIP() << "the hard-disk library is not built";
    CliRun demo = Run("'" KESTREL_BIN_DIR "/kestrel-samples' demo");
    ASSERT_EQ(demo.status, 0) << demo.out;

    // The demo's TI files with headers that match their data exactly.
    std::vector<std::string> files;
    for (const char *name : {"DEMO", "DEMO-L", "DEMO-M", "FORTHSCR", "LETTER", "README", "SCORES",
                             "catalog.v9t9", "memimage.v9t9"})
        if (fs::exists(dir / "demo" / name))
            files.push_back(name);
    ASSERT_GE(files.size(), 7u);
    std::string sources;
    for (const std::string &name : files)
        sources += " demo/" + name;

    fs::copy_file(dir / "demo" / "card.cf7", dir / "card.cf7");
    ASSERT_EQ(Cli("mkdsk . DISK --preset 2").status, 0);
    ASSERT_EQ(Cli("mkhd . hd --volume HD:65536").status, 0);
    CliRun init = Cli("cf7-init --yes card.cf7 4 NEWVOL");
    ASSERT_EQ(init.status, 0) << init.out;
    fs::create_directory(dir / "out");

    for (const std::string destination : {"DISK.dsk", "hd.img", "card.cf7/4"}) {
        CliRun copy = Cli("cp --yes" + sources + " " + destination);
        ASSERT_EQ(copy.status, 0) << destination << ": " << copy.out;
        for (const std::string &name : files) {
            std::vector<uint8_t> original = ReadAll(dir / "demo" / name);
            std::string tiName = name.substr(0, name.find('.'));
            for (char &c : tiName)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            const bool tifiles = IsTifiles(original);
            CliRun get = Cli(std::string("get ") + (tifiles ? "--tifiles " : "") + destination +
                             "/" + tiName + " out/back");
            ASSERT_EQ(get.status, 0) << destination << "/" << tiName << ": " << get.out;
            std::vector<uint8_t> back = ReadAll(dir / "out" / "back");
            ASSERT_EQ(back.size(), original.size()) << destination << "/" << tiName;
            const size_t headerFields = tifiles ? 16 : 28;
            const size_t flags = tifiles ? 10 : 12;
            original[flags] &= 0xEF;
            back[flags] &= 0xEF;
            EXPECT_TRUE(std::equal(original.begin(), original.begin() + headerFields, back.begin()))
                << destination << "/" << tiName << ": header fields differ";
            EXPECT_TRUE(std::equal(original.begin() + 128, original.end(), back.begin() + 128))
                << destination << "/" << tiName << ": data differs";
        }
    }
    // Rename and delete reach every kind of destination the same way; on the card only the
    // volume changes.
    const std::vector<uint8_t> cardBefore = ReadAll(dir / "card.cf7");
    const size_t volumeStart = 128 + size_t(3) * 1600 * 256;
    const size_t volumeEnd = volumeStart + size_t(1600) * 256;
    for (const std::string destination : {"DISK.dsk", "hd.img", "card.cf7/4"}) {
        CliRun ren = Cli("ren " + destination + "/README RENAMED");
        ASSERT_EQ(ren.status, 0) << destination << ": " << ren.out;
        EXPECT_EQ(Cli("get " + destination + "/README out/gone").status, 1) << destination;
        ASSERT_EQ(Cli("get " + destination + "/RENAMED out/back").status, 0) << destination;
        std::string victims;
        for (const std::string &name : files) {
            std::string tiName = name.substr(0, name.find('.'));
            for (char &c : tiName)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            victims += " " + destination + "/" + (tiName == "README" ? "RENAMED" : tiName);
        }
        if (destination == "hd.img") { // the library keeps protected files; the others do not
            ASSERT_EQ(Cli("protect off hd.img/CATALOG").status, 0);
            const CliRun missing = Cli("protect on hd.img/NOPE");
            EXPECT_EQ(missing.status, 1);
            EXPECT_NE(missing.out.find("File <NOPE> doesn't exist"), std::string::npos)
                << missing.out;
        }
        CliRun rm = Cli("rm" + victims);
        ASSERT_EQ(rm.status, 0) << destination << ": " << rm.out;
        CliRun ls = Cli("ls --tsv " + destination);
        ASSERT_EQ(ls.status, 0) << ls.out;
        for (const std::string &name : files)
            EXPECT_EQ(ls.out.find(name.substr(0, name.find('.'))), std::string::npos)
                << destination << " still lists " << name;
    }
    const std::vector<uint8_t> cardAfter = ReadAll(dir / "card.cf7");
    ASSERT_EQ(cardAfter.size(), cardBefore.size());
    EXPECT_TRUE(std::equal(cardBefore.begin(), cardBefore.begin() + volumeStart, cardAfter.begin()));
    EXPECT_TRUE(std::equal(cardBefore.begin() + volumeEnd, cardBefore.end(),
                           cardAfter.begin() + volumeEnd));

    // The card's other volumes and its header are untouched by the copy.
    CliRun check = Cli("check card.cf7");
    EXPECT_EQ(check.status, 0) << check.out;
}

} // namespace
} // namespace kestrel::testing
