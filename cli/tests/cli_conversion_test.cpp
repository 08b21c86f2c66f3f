// The conversion commands of kestrel-cli, run as a script would run them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class CliConversion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kestrel-conv-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        fs::create_directory(m_root + "/src");
        fs::create_directory(m_root + "/ti");
        fs::create_directory(m_root + "/back");
        WriteAll(m_root + "/Kestrel.ini", "[Kestrel]\ndllDirectory=" KESTREL_BIN_DIR "/\n");
    }
    void TearDown() override { fs::remove_all(m_root); }

    CliRun Run(const std::string &args)
    {
        const std::string out = m_root + "/.out", err = m_root + "/.err";
        const std::string command = "cd '" + m_root + "' && '" KESTREL_BIN_DIR "/kestrel-cli' " +
                                    args + " >'" + out + "' 2>'" + err + "' </dev/null";
        const int raw = std::system(command.c_str());
        CliRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadAll(out);
        run.err = ReadAll(err);
        return run;
    }

    std::string File(const std::string &name) const { return m_root + "/" + name; }

    std::string m_root;
};

// Lines up to the record length come back as they went in.
const char kText[] = "First line\r\n\r\n"
                     "A line of exactly eighty characters fills one record of DIS/VAR 80 to its "
                     "end!!!\r\nlast\r\n";

TEST_F(CliConversion, TextToDisVar80AndBackIsIdentical)
{
    WriteAll(File("src/doc.txt"), kText);
    CliRun to = Run("pc2ti --type DIS/VAR --reclen 80 --method 1 --name DOC src/doc.txt ti");
    ASSERT_EQ(to.status, 0) << to.err;
    CliRun back = Run("ti2pc --method 1 --ext .txt ti/DOC back");
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadAll(File("back/DOC.txt")), kText);
}

TEST_F(CliConversion, TextThroughADiskImageAndBack)
{
    WriteAll(File("src/doc.txt"), kText);
    ASSERT_EQ(Run("mkdsk . WORK").status, 0);
    CliRun to = Run("pc2ti --type DIS/VAR --reclen 80 --method 1 --name DOC src/doc.txt WORK.dsk");
    ASSERT_EQ(to.status, 0) << to.err;
    CliRun back = Run("ti2pc --method 1 --ext .txt WORK.dsk/DOC back");
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadAll(File("back/DOC.txt")), kText);
}

TEST_F(CliConversion, MissingChoiceIsReportedWithTheDialogsText)
{
    WriteAll(File("src/doc.qqq"), "x");
    CliRun run = Run("pc2ti src/doc.qqq ti");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Please select a filetype"), std::string::npos) << run.err;
    // A rule of the settings file fills the choice in.
    WriteAll(File("Kestrel.ini"), "[Kestrel]\n[Pc_Ti_File_Conversion]\nqqq=int/fix 64, binary\n");
    run = Run("pc2ti src/doc.qqq ti");
    ASSERT_EQ(run.status, 0) << run.err;
    CliRun ls = Run("ls ti");
    EXPECT_NE(ls.out.find("INT/FIX     64"), std::string::npos) << ls.out;
    // And the other section picks extension and method for the way back.
    CliRun none = Run("ti2pc ti/DOC back");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("Please select a conversion methode"), std::string::npos);
    WriteAll(File("Kestrel.ini"), "[Kestrel]\n[Ti_Pc_File_Conversion]\nINT/FIX 64=bin,binary\n");
    CliRun back = Run("ti2pc ti/DOC back");
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadAll(File("back/DOC.bin")).substr(0, 1), "x");
    EXPECT_EQ(ReadAll(File("back/DOC.bin")).size(), 64u);
}

TEST_F(CliConversion, InterruptedConversionLeavesTheOldTarget)
{
    WriteAll(File("src/doc.txt"), kText);
    ASSERT_EQ(Run("pc2ti --type DIS/VAR --reclen 80 --method 1 --name DOC src/doc.txt ti").status,
              0);
    std::string ti = ReadAll(File("ti/DOC"));
    ti.resize(ti.size() - 100); // the data sector is cut short
    WriteAll(File("ti/DOC"), ti);
    WriteAll(File("back/DOC.txt"), "precious");
    CliRun run = Run("ti2pc --yes --method 1 --ext .txt ti/DOC back");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Can't read sector <1>"), std::string::npos) << run.err;
    EXPECT_EQ(ReadAll(File("back/DOC.txt")), "precious");
    EXPECT_EQ(std::distance(fs::directory_iterator(File("back")), fs::directory_iterator()), 1);
    // Without --yes and without a terminal the question is answered No.
    run = Run("ti2pc --method 1 --ext .txt ti/DOC back");
    EXPECT_EQ(ReadAll(File("back/DOC.txt")), "precious");
}

TEST_F(CliConversion, ProgramListingThroughXbListsTheSameLines)
{
    const std::string listing = "100 CALL CLEAR\n110 PRINT \"HELLO\"\n120 GOTO 110\n";
    WriteAll(File("src/hello.txt"), listing);
    CliRun run = Run("xb --name HELLO src/hello.txt ti");
    ASSERT_EQ(run.status, 0) << run.err;
    CliRun view = Run("view ti/HELLO");
    ASSERT_EQ(view.status, 0) << view.err;
    const std::string text = view.out.substr(view.out.find('\n') + 1);
    EXPECT_NE(text.find("100 CALL CLEAR"), std::string::npos) << text;
    EXPECT_NE(text.find("110 PRINT \"HELLO\""), std::string::npos) << text;
    EXPECT_NE(text.find("120 GOTO 110"), std::string::npos) << text;
}

TEST_F(CliConversion, HeadersAndAttributesInPlace)
{
    WriteAll(File("src/doc.txt"), "text\n");
    ASSERT_EQ(Run("pc2ti --type DIS/VAR --reclen 80 --method 1 --name doc src/doc.txt ti").status,
              0);
    const std::string v9t9 = ReadAll(File("ti/doc"));
    ASSERT_EQ(Run("totifiles ti/doc").status, 0);
    EXPECT_EQ(ReadAll(File("ti/doc")).substr(1, 7), "TIFILES");
    ASSERT_EQ(Run("attr --protect on ti/doc").status, 0);
    EXPECT_EQ(static_cast<uint8_t>(ReadAll(File("ti/doc"))[10]), 0x88);
    ASSERT_EQ(Run("attr --protect off ti/doc").status, 0);
    ASSERT_EQ(Run("tov9t9 ti/doc").status, 0);
    EXPECT_EQ(ReadAll(File("ti/doc")).substr(10), v9t9.substr(10));
}

} // namespace

namespace
{

TEST_F(CliConversion, TextAndBasicThroughAHardDiskImage)
{
    if (!fs::exists(KESTREL_BIN_DIR "/Brackenly32.so")) {
        GTEST_SKIP() << "hard-disk library not built";
    }
    WriteAll(File("src/doc.txt"), kText);
    WriteAll(File("src/hello.txt"), "10 PRINT \"HELLO\"\n20 END\n");
    ASSERT_EQ(Run("mkhd . HD --volume WORK:65536").status, 0);
    CliRun to = Run("pc2ti --type DIS/VAR --reclen 80 --method 1 --name DOC src/doc.txt HD.img");
    ASSERT_EQ(to.status, 0) << to.err;
    CliRun back = Run("ti2pc --method 1 --ext .txt HD.img/DOC back");
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadAll(File("back/DOC.txt")), kText);
    CliRun xb = Run("xb --log --name PROG src/hello.txt HD.img");
    ASSERT_EQ(xb.status, 0) << xb.err;
    EXPECT_TRUE(fs::exists(File("PROG.log"))); // beside the image file
    CliRun view = Run("view HD.img/PROG");
    EXPECT_NE(view.out.find("10 PRINT \"HELLO\""), std::string::npos) << view.out << view.err;
}

} // namespace

namespace
{

TEST_F(CliConversion, TextAndBasicThroughTheSecondVolumeOfACardImage)
{
    std::string card(128, '\0');
    card.replace(0, 10, "CARD      ");
    card.replace(12, 4, std::string("CF7\0", 4));
    card.append(2 * 409600, '\0');
    WriteAll(File("card.cf7"), card);
    ASSERT_EQ(Run("cf7-init card.cf7 1 VOLA").status, 0);
    ASSERT_EQ(Run("cf7-init card.cf7 2 VOLB").status, 0);
    const std::string volumeA = ReadAll(File("card.cf7")).substr(128, 409600);
    WriteAll(File("src/doc.txt"), kText);
    WriteAll(File("src/hello.txt"), "10 PRINT \"HELLO\"\n20 END\n");
    CliRun to = Run("pc2ti --type DIS/VAR --reclen 80 --method 1 --name DOC src/doc.txt "
                    "card.cf7/VOLB");
    ASSERT_EQ(to.status, 0) << to.err;
    ASSERT_EQ(Run("xb --name PROG src/hello.txt card.cf7/VOLB").status, 0);
    // The first volume is not touched by what goes into the second.
    EXPECT_EQ(ReadAll(File("card.cf7")).substr(128, 409600), volumeA);
    CliRun back = Run("ti2pc --method 1 --ext .txt card.cf7/VOLB/DOC back");
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadAll(File("back/DOC.txt")), kText);
    CliRun view = Run("view card.cf7/VOLB/PROG");
    EXPECT_NE(view.out.find("10 PRINT \"HELLO\""), std::string::npos) << view.out << view.err;
}

} // namespace
