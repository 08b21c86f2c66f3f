#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "tifs/ti_header.h"

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
    std::string text;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
            text.append(buffer, n);
        }
        std::fclose(f);
    }
    return text;
}

class CliLs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kestrel-cli-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        m_root = mkdtemp(buffer.data());
        m_dir = m_root + "/dir";
        fs::create_directory(m_dir);
    }
    void TearDown() override { fs::remove_all(m_root); }

    void Write(const std::string &name, const std::vector<uint8_t> &bytes)
    {
        FILE *f = std::fopen((m_dir + "/" + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    static std::vector<uint8_t> TiFile(const char *name, uint8_t flags, uint16_t sectors,
                                       uint8_t recordLength, bool tifiles, size_t dataBytes)
    {
        kestrel::TiFileDescriptor d;
        d.tiName = kestrel::PadTiName(name);
        d.flags = flags;
        d.sectors = sectors;
        d.recordLength = recordLength;
        d.recordsPerSector = recordLength ? 3 : 0;
        d.level3Count = recordLength ? sectors : 0;
        d.eofOffset = recordLength ? 0x40 : 0x10;
        std::vector<uint8_t> bytes(128 + dataBytes, 0);
        if (tifiles) {
            kestrel::MakeTifilesHeader(d, bytes.data());
        } else {
            kestrel::MakeV9t9Header(d, bytes.data());
        }
        return bytes;
    }

    void MakeFolder()
    {
        Write("readme", TiFile("README", kestrel::kFlagVariable, 1, 80, true, 256));
        Write("game.prg", TiFile("GAME", kestrel::kFlagProgram, 2, 0, false, 512));
        std::vector<uint8_t> classic = TiFile("C99", kestrel::kFlagVariable, 1, 80, true, 172);
        classic[128 + 33] = 0xFF;
        Write("classic", classic);
        Write("pc.txt", std::vector<uint8_t>(100, 'a'));
        fs::create_directory(m_dir + "/my.dir");
        Write("flag04", TiFile("FLAG", 0x04, 1, 80, false, 256));
    }

    CliRun Ls(const std::string &args)
    {
        std::string out = m_root + "/out";
        std::string err = m_root + "/err";
        std::string command = "cd '" + m_root + "' && '" KESTREL_BIN_DIR "/kestrel-cli' ls " +
                              args + " >'" + out + "' 2>'" + err + "' </dev/null";
        CliRun run;
        int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadAll(out);
        run.err = ReadAll(err);
        return run;
    }

    std::string m_root;
    std::string m_dir;
};

TEST_F(CliLs, TsvPrintsThePaneCellsInTiNameOrder)
{
    MakeFolder();
    CliRun run = Ls("--tsv dir");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    // One alphabet: plain PC files go by their file names among the TI files.
    EXPECT_EQ(run.out, "my.dir\tmydir\t\tSUBDIR  \t\t\n"
                       "classic\tclassic   \t     1\tDIS/VAR     80\t -- classic99\t\n"
                       "flag04\t\t\tDOS     \t\t\n"
                       "game.prg\tGAME      \t     2\tPROGRAM    272\t -- v9t9\t\n"
                       "pc.txt\t\t\tDOS     \t\t\n"
                       "readme\treadme    \t     1\tDIS/VAR     80\t -- tifiles\t\n"
                       "0 / 4 sectors in 0 / 5 TI-file(s)\n");
}

TEST_F(CliLs, SortOptionAndSettingsDefault)
{
    MakeFolder();
    CliRun bySectors = Ls("--tsv --sort 2 dir");
    ASSERT_EQ(bySectors.status, 0);
    // Sectors first: the PC files (0) lead, the 2-sector program comes last.
    EXPECT_EQ(bySectors.out.substr(bySectors.out.rfind("game.prg")).find("game.prg\t"), 0u);
    EXPECT_LT(bySectors.out.find("readme"), bySectors.out.find("game.prg"));

    FILE *ini = std::fopen((m_root + "/Kestrel.ini").c_str(), "wb");
    ASSERT_NE(ini, nullptr);
    std::fputs("[Kestrel]\r\nsortby=0\r\n", ini);
    std::fclose(ini);
    CliRun byPcName = Ls("--tsv dir");
    ASSERT_EQ(byPcName.status, 0);
    EXPECT_EQ(byPcName.out.substr(0, byPcName.out.find('\n')), "my.dir\tmydir\t\tSUBDIR  \t\t");
    std::string second = byPcName.out.substr(byPcName.out.find('\n') + 1);
    EXPECT_EQ(second.substr(0, second.find('\t')), "classic");
}

TEST_F(CliLs, ColumnsAndJson)
{
    MakeFolder();
    CliRun columns = Ls("dir");
    ASSERT_EQ(columns.status, 0);
    EXPECT_NE(columns.out.find("readme    readme           1  DIS/VAR     80   -- tifiles\n"),
              std::string::npos)
        << columns.out;
    EXPECT_NE(columns.out.find("\n0 / 4 sectors in 0 / 5 TI-file(s)\n"), std::string::npos);

    CliRun json = Ls("--json dir");
    ASSERT_EQ(json.status, 0);
    for (const char *key :
         {"\"pc_name\": \"classic\"", "\"ti_name\": \"classic   \"", "\"kind_name\": \"DIS/VAR\"",
          "\"header_kind\": 3", "\"eof_offset\": 33", "\"record_length\": 272",
          "\"status\": \"0 / 4 sectors in 0 / 5 TI-file(s)\"", "\"fdr_sector\": 0",
          "\"image_size\": 0", "\"base_offset\": 0", "\"container_kind\": 0"}) {
        EXPECT_NE(json.out.find(key), std::string::npos) << key;
    }
}

TEST_F(CliLs, ErrorsGoToStderrWithStatusOne)
{
    CliRun missing = Ls("nothing-here");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "ERROR: Can't read file or directory <nothing-here>\n\n"
                           "ERROR 2: No such file or directory\n");
    EXPECT_EQ(Ls("").status, 1);
    EXPECT_EQ(Ls("--tsv --json dir").status, 1);
    EXPECT_EQ(Ls("--sort x dir").status, 1);
}

} // namespace
