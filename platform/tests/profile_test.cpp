#include "platform/profile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/tests/scratch_dir.h"

namespace kestrel::platform {
namespace {

using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

TEST(Profile, LookupIgnoresCaseAndTakesTheFirstMatch)
{
    Profile p("; leading comment\n"
              "[Main]\n"
              "  Key = first  \n"
              "key=second\n"
              "[other]\n"
              "key=other\n"
              "[MAIN]\n"
              "late=shadowed section\n");
    std::string v;
    ASSERT_TRUE(p.Find("main", "KEY", v));
    EXPECT_EQ(v, "first");
    // Only the first section of a name is searched.
    EXPECT_FALSE(p.Find("main", "late", v));
    EXPECT_EQ(p.GetString("Other", "Key", "x", 100), "other");
    EXPECT_FALSE(p.Find("missing", "key", v));
}

TEST(Profile, ValuesAreTrimmedAndLoseOnePairOfQuotes)
{
    Profile p("[s]\n"
              "dq=  \"  spaced  \"  \n"
              "sq='single'\n"
              "mixed=\"open'\n"
              "inner=a \"b\" c\n"
              "empty=\n"
              "bare line without equals\n"
              ";commented=1\n");
    EXPECT_EQ(p.GetString("s", "dq", "", 100), "  spaced  ");
    EXPECT_EQ(p.GetString("s", "sq", "", 100), "single");
    EXPECT_EQ(p.GetString("s", "mixed", "", 100), "\"open'");
    EXPECT_EQ(p.GetString("s", "inner", "", 100), "a \"b\" c");
    EXPECT_EQ(p.GetString("s", "empty", "dflt", 100), "");
    EXPECT_EQ(p.GetString("s", "bare line without equals", "dflt", 100), "dflt");
    EXPECT_EQ(p.GetString("s", ";commented", "dflt", 100), "dflt");
}

TEST(Profile, StringReadsAreCutToTheBufferSize)
{
    Profile p("[s]\nk=abcdef\n");
    EXPECT_EQ(p.GetString("s", "k", "", 4), "abc");
    EXPECT_EQ(p.GetString("s", "k", "", 7), "abcdef");
    EXPECT_EQ(p.GetString("s", "k", "", 0), "");
    EXPECT_EQ(p.GetString("s", "missing", "defaultvalue", 8), "default");
}

TEST(Profile, IntegersReadLikeTheClassicCall)
{
    Profile p("[n]\n"
              "neg=  -12abc\n"
              "plus=+7\n"
              "letters=abc\n"
              "empty=\n"
              "quoted=\"42\"\n"
              "wrap=4294967295\n"
              "hex=0x10\n");
    EXPECT_EQ(p.GetInt("n", "neg", 5), -12);
    EXPECT_EQ(p.GetInt("n", "plus", 5), 7);
    EXPECT_EQ(p.GetInt("n", "letters", 5), 0);
    EXPECT_EQ(p.GetInt("n", "empty", 5), 5);
    EXPECT_EQ(p.GetInt("n", "missing", 9999), 9999);
    EXPECT_EQ(p.GetInt("n", "quoted", 5), 42);
    EXPECT_EQ(p.GetInt("n", "wrap", 5), -1);
    EXPECT_EQ(p.GetInt("n", "hex", 5), 0);
}

TEST(Profile, WriteChangesOnlyItsLineAndKeepsCrLf)
{
    const std::string text = "; hand-written\r\n"
                             "[Kestrel]\r\n"
                             "Width = 640\r\n"
                             "unknown=\"kept as is\"\r\n"
                             "\r\n"
                             "[Pc_Ti_File_Conversion]\r\n"
                             "TXT=DIS/VAR 80\r\n";
    Profile p(text);
    EXPECT_EQ(p.Text(), text);
    p.SetString("kestrel", "width", "800");
    p.SetString("KESTREL", "height", "300");
    p.SetString("PageSetup", "MarginLeft", "780");
    EXPECT_EQ(p.Text(), "; hand-written\r\n"
                        "[Kestrel]\r\n"
                        "Width=800\r\n"
                        "unknown=\"kept as is\"\r\n"
                        "height=300\r\n"
                        "\r\n"
                        "[Pc_Ti_File_Conversion]\r\n"
                        "TXT=DIS/VAR 80\r\n"
                        "[PageSetup]\r\n"
                        "MarginLeft=780\r\n");
}

TEST(Profile, AppendsAfterALastLineWithoutLineEnd)
{
    Profile p("[a]\nx=1");
    p.SetString("a", "y", "2");
    p.SetString("b", "z", "3");
    EXPECT_EQ(p.Text(), "[a]\nx=1\ny=2\n[b]\nz=3\n");

    Profile empty;
    empty.SetString("s", "k", "v");
    EXPECT_EQ(empty.Text(), "[s]\nk=v\n");
}

TEST(Profile, AWrittenValueStaysOneLine)
{
    Profile p("[s]\n");
    p.SetString("s", "path", "/a\n[evil]\nkey=1");
    EXPECT_EQ(p.Text(), "[s]\npath=/a\n");
    EXPECT_FALSE(p.HasSection("evil"));
}

TEST(Profile, SectionListsEntriesAndDeleteRemovesOneKey)
{
    Profile p("[conv]\n"
              "; rule comment\n"
              " TXT = \"DIS/VAR 80\" \n"
              "\n"
              "lonely\n"
              "BAS=PROGRAM\n"
              "[next]\n"
              "a=b\n");
    std::vector<std::string> all = p.GetSection("CONV");
    EXPECT_EQ(all, (std::vector<std::string>{"TXT=\"DIS/VAR 80\"", "lonely", "BAS=PROGRAM"}));
    // Whole lines only: 17 + 7 + final NUL fit into 25, the third does not.
    EXPECT_EQ(p.GetSection("conv", 25).size(), 2u);
    EXPECT_TRUE(p.GetSection("none").empty());

    p.DeleteKey("conv", "txt");
    p.DeleteKey("conv", "missing");
    EXPECT_EQ(p.Text(), "[conv]\n; rule comment\n\nlonely\nBAS=PROGRAM\n[next]\na=b\n");
}

TEST(ProfileFile, MissingFileReadsEmptyAndWriteCreatesIt)
{
    ScratchDir dir;
    const std::string path = dir / "new.ini";
    EXPECT_EQ(ReadProfileInt(path, "s", "k", 17), 17);
    EXPECT_EQ(ReadProfileString(path, "s", "k", "d", 10), "d");
    EXPECT_TRUE(ReadProfileSection(path, "s").empty());
    ASSERT_TRUE(WriteProfileInt(path, "s", "k", -12));
    ASSERT_TRUE(WriteProfileString(path, "s", "name", "Courier New"));
    EXPECT_EQ(ReadFile(path), "[s]\nk=-12\nname=Courier New\n");
    EXPECT_EQ(ReadProfileInt(path, "S", "K", 0), -12);
    ASSERT_TRUE(DeleteProfileKey(path, "s", "k"));
    EXPECT_EQ(ReadFile(path), "[s]\nname=Courier New\n");
}

TEST(ProfileFile, ReplacingKeepsModeAndLeavesNoTemporaryBehind)
{
    ScratchDir dir;
    const std::string path = dir / "keep.ini";
    WriteFile(path, "[s]\r\nk=1\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteProfileString(path, "s", "k", "2"));
    EXPECT_EQ(ReadFile(path), "[s]\r\nk=2\r\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        (void)entry, ++files;
    EXPECT_EQ(files, 1);
}

TEST(ProfileFile, WriteThroughALinkReplacesTheTarget)
{
    ScratchDir dir;
    WriteFile(dir / "real.ini", "[s]\nk=1\n");
    std::filesystem::create_symlink(dir / "real.ini", dir / "link.ini");
    ASSERT_TRUE(WriteProfileString(dir / "link.ini", "s", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadFile(dir / "real.ini"), "[s]\nk=2\n");
}

TEST(ProfileFile, FailedWritesChangeNothing)
{
    ScratchDir dir;
    EXPECT_FALSE(WriteProfileString(dir / "no/such/dir.ini", "s", "k", "v"));
    std::filesystem::create_directory(dir / "folder.ini");
    Profile p("[s]\nk=1\n");
    EXPECT_FALSE(LoadProfile(dir / "folder.ini", p));
    EXPECT_TRUE(p.Text().empty());
    EXPECT_FALSE(WriteProfileString(dir / "folder.ini", "s", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini"));
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const std::string path = dir / "locked.ini";
    WriteFile(path, "[s]\nother=keep\n");
    ASSERT_EQ(chmod(path.c_str(), 0200), 0); // writable, not readable
    // Writing would lose "other": the file must stay as it is.
    EXPECT_FALSE(WriteProfileString(path, "s", "k", "v"));
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(ReadFile(path), "[s]\nother=keep\n");
}

} // namespace
} // namespace kestrel::platform
