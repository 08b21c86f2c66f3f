// kestrel-cli on hard-disk images, run as a program in a scratch folder
// whose Kestrel.ini points the library directory at the build.
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "drives/drives_registration.h"
#include "drives/tests/hd_test_support.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"

namespace kestrel::testing
{
namespace
{

class HdCliTest : public HdTest
{
protected:
    void SetUp() override
    {
        HdTest::SetUp();
        std::FILE *ini = std::fopen(PathOf("Kestrel.ini").c_str(), "w");
        std::fprintf(ini, "[Kestrel]\nDllDirectory=%s\n", KESTREL_BIN_DIR);
        std::fclose(ini);
        std::filesystem::create_directories(PathOf("demo"));
    }

    // Runs the command in the scratch folder; output and status.
    std::string Run(const std::string &args, int *status = nullptr)
    {
        return Shell("'" KESTREL_BIN_DIR "/kestrel-cli' " + args, status);
    }
    std::string Shell(const std::string &line, int *status = nullptr)
    {
        std::string command = "cd '" + Dir() + "' && " + line + " 2>&1";
        std::FILE *pipe = popen(command.c_str(), "r");
        std::string out;
        std::array<char, 4096> buffer;
        size_t got;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            out.append(buffer.data(), got);
        }
        int rc = pclose(pipe);
        if (status != nullptr) {
            *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        }
        return out;
    }
};

TEST_F(HdCliTest, MakeBrowseAndDescribeImages)
{
    int rc = -1;
    Run("mkhd demo hd --volume HARD:65536", &rc);
    EXPECT_EQ(rc, 0);
    Run("mkhd demo parts --volume VOL1:65536 --volume VOL2:0x10000", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(std::filesystem::file_size(PathOf("demo/hd.img")), 65536u * 256);
    EXPECT_EQ(std::filesystem::file_size(PathOf("demo/parts.img")), (2 + 131072u) * 256);

    // An existing image is kept unless the question is answered yes.
    Run("mkhd demo hd --volume OTHER:65536", &rc);
    EXPECT_EQ(rc, 1);
    Run("mkhd --yes demo hd --volume HARD:70000", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(std::filesystem::file_size(PathOf("demo/hd.img")), 70000u * 256);

    Run("mkdir demo/hd.img UTIL", &rc);
    EXPECT_EQ(rc, 0);
    Run("mkdir demo/hd.img/UTIL DEEP", &rc);
    EXPECT_EQ(rc, 0);
    Run("mkdir demo/parts.img/VOL2 UTIL", &rc);
    EXPECT_EQ(rc, 0);
    std::string again = Run("mkdir demo/hd.img UTIL", &rc);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(again.find("DSR ERROR 7: File error"), std::string::npos) << again;

    Run("mkdir demo/hd.img SPARE", &rc);
    EXPECT_EQ(rc, 0);
    Run("ren demo/hd.img/SPARE SPARE", &rc); // the same name: nothing to do
    EXPECT_EQ(rc, 0);
    Run("ren demo/hd.img/SPARE OTHER", &rc);
    EXPECT_EQ(rc, 0);
    Run("ren demo/hd.img/OTHER BAD.NAME", &rc);
    EXPECT_EQ(rc, 1);
    std::string renamed = Run("ls demo/hd.img");
    EXPECT_NE(renamed.find("OTHER"), std::string::npos) << renamed;
    EXPECT_EQ(renamed.find("SPARE"), std::string::npos) << renamed;
    Run("rm demo/hd.img/OTHER", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Run("ls demo/hd.img").find("OTHER"), std::string::npos);

    std::string top = Run("ls demo", &rc);
    EXPECT_NE(top.find("PTIMG"), std::string::npos) << top;
    EXPECT_NE(top.find("HDIMG"), std::string::npos) << top;
    EXPECT_NE(Run("ls demo/hd.img").find("UTIL"), std::string::npos);
    EXPECT_NE(Run("ls demo/hd.img/UTIL").find("DEEP"), std::string::npos);
    std::string volumes = Run("ls demo/parts.img");
    EXPECT_NE(volumes.find("VOL1"), std::string::npos) << volumes;
    EXPECT_NE(volumes.find("VOL2"), std::string::npos) << volumes;
    EXPECT_NE(Run("ls demo/parts.img/VOL2").find("UTIL"), std::string::npos);
    Run("ls demo/parts.img/VOL2/UTIL", &rc);
    EXPECT_EQ(rc, 0);

    std::string info = Run("info demo/parts.img", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(info.find("volume 2: VOL2"), std::string::npos) << info;
    EXPECT_NE(info.find("partition offset: 32769 blocks, 32768 blocks"), std::string::npos);
    EXPECT_NE(info.find("sectors per AU: 2"), std::string::npos);
    EXPECT_NE(info.find("subdirectories in root: 1"), std::string::npos);
}

TEST_F(HdCliTest, BadVolumeSpecificationsAreRefused)
{
    int rc = 0;
    Run("mkhd demo small --volume A:1000", &rc);
    EXPECT_EQ(rc, 1);
    std::string out = Run("mkhd demo nolabel --volume :65536", &rc);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("Please enter a volume label"), std::string::npos) << out;
    Run("mkhd demo five --volume A:65536 --volume B:65536 --volume C:65536 --volume D:65536 "
        "--volume E:65536",
        &rc);
    EXPECT_EQ(rc, 1);
    EXPECT_FALSE(std::filesystem::exists(PathOf("demo/small.img")));
    EXPECT_FALSE(std::filesystem::exists(PathOf("demo/five.img")));
    Run("info demo", &rc);
    EXPECT_EQ(rc, 1);
}

} // namespace
} // namespace kestrel::testing

namespace kestrel::testing
{
namespace
{

// Every TI file of the demo folder goes into a new image's root and a
// subdirectory, comes back out unchanged, and once all are deleted the
// image has exactly the free AUs it started with.
TEST_F(HdCliTest, DemoFilesRoundTripAndFreeCountReturns)
{
    int rc = -1;
    Shell("'" KESTREL_BIN_DIR "/kestrel-samples' sample", &rc);
    ASSERT_EQ(rc, 0);
    RegisterLocationListers();
    RegisterDriveListers();
    Location demo;
    demo.path = demo.startPath = PathOf("sample");
    ASSERT_TRUE(OpenLocation(demo, ui));
    struct DemoFile {
        std::string pcName;
        std::string tiName; // what the file is called inside the image
        bool tifiles;
        bool protect;
    };
    std::vector<DemoFile> files;
    for (const auto &e : demo.entries) {
        if (IsTiFileKind(e->ti.kind) &&
            (e->ti.headerKind == kHeaderTifiles || e->ti.headerKind == kHeaderV9t9)) {
            std::string tiName = e->ti.tiName.substr(0, e->ti.tiName.find(' '));
            files.push_back({e->pcName, tiName, e->ti.headerKind == kHeaderTifiles,
                             (e->ti.flags & kFlagProtected) != 0});
        }
    }
    ASSERT_GE(files.size(), 5u);

    Run("mkhd . rt --volume RT:65536", &rc);
    ASSERT_EQ(rc, 0);
    const std::string freshInfo = Run("info rt.img");
    Run("mkdir rt.img SUB", &rc);
    ASSERT_EQ(rc, 0);
    std::string all;
    for (const auto &f : files) {
        all += " sample/" + f.pcName;
    }
    std::string out = Run("put rt.img" + all, &rc);
    EXPECT_EQ(rc, 0) << out;
    out = Run("put rt.img/SUB" + all, &rc);
    EXPECT_EQ(rc, 0) << out;

    std::filesystem::create_directories(PathOf("back"));
    for (const auto &where : {std::string("rt.img/"), std::string("rt.img/SUB/")}) {
        for (const auto &f : files) {
            std::string target = "back/" + f.pcName;
            std::filesystem::remove(PathOf(target));
            out = Run(std::string("get ") + (f.tifiles ? "--tifiles " : "") + where + f.tiName +
                          " " + target,
                      &rc);
            EXPECT_EQ(rc, 0) << out;
            std::vector<uint8_t> back = ReadAll(PathOf(target));
            std::vector<uint8_t> original = ReadAll(PathOf("sample/" + f.pcName));
            if (f.tifiles && back.size() == original.size() && back.size() >= 128) {
                // A TIFILES header written from an FDR carries no file name:
                // bytes 16 to 25 are filler where the demo file had its name.
                std::copy(original.begin() + 16, original.begin() + 26, back.begin() + 16);
            }
            if (original.size() >= 128) {
                // Copying into an image clears the archive bit, as every copy does.
                original[f.tifiles ? 10 : 12] &= static_cast<uint8_t>(~kFlagArchive);
            }
            EXPECT_EQ(back, original) << where << f.pcName;
        }
    }
    std::string rmArgs;
    for (const auto &f : files) {
        if (f.protect) {
            Run("protect off rt.img/" + f.tiName, &rc);
            EXPECT_EQ(rc, 0);
            Run("protect off rt.img/SUB/" + f.tiName, &rc);
            EXPECT_EQ(rc, 0);
        }
        rmArgs += " rt.img/" + f.tiName + " rt.img/SUB/" + f.tiName;
    }
    out = Run("rm" + rmArgs + " rt.img/SUB", &rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(Run("info rt.img"), freshInfo);
}

} // namespace
} // namespace kestrel::testing
