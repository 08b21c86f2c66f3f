#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/library.h"
#include "tests/support/recording_ui.h"
#include "viewers/detokenize_line.h"
#include "viewers/keyword_table.h"
#include "viewers/tokenizer_loader.h"

namespace kestrel
{
namespace
{

const std::string kLibraryName = platform::LibraryFileName("Wendover32");

class TokenizerLoader : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UnloadTokenizerLibrary();
        if (!std::filesystem::exists(std::string(KESTREL_BIN_DIR) + "/" + kLibraryName))
            GTEST_SKIP() << "Wendover32 is not built";
    }
    void TearDown() override { UnloadTokenizerLibrary(); }
    testing::RecordingUi ui;
};

TEST(TokenizerLibraryPath, FollowsTheDllDirectoryRule)
{
    EXPECT_EQ(TokenizerLibraryPath("./", "/home/ti"), "/home/ti/./" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath("./libs", "/home/ti"), "/home/ti/./libs/" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath(".\\", "/home/ti"), "/home/ti/./" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath("/opt/k", "/home/ti"), "/opt/k/" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath("/opt/k/", "/home/ti"), "/opt/k/" + kLibraryName);
    EXPECT_EQ(TokenizerLibraryPath("", "/home/ti"), "/home/ti/./" + kLibraryName);
}

TEST_F(TokenizerLoader, LoadsBindsAndUnloads)
{
    EXPECT_EQ(TokenizerEntry(), nullptr);
    ASSERT_TRUE(LoadTokenizerLibrary(ui, KESTREL_BIN_DIR));
    EXPECT_TRUE(ui.Silent());
    ASSERT_NE(TokenizerEntry(), nullptr);
    EXPECT_EQ(TokenizerEntry()("/no/such/input.txt", nullptr, nullptr, nullptr, ""), 10);
    // Bound once, later calls keep it whatever the directory says.
    EXPECT_TRUE(LoadTokenizerLibrary(ui, "/no/such/dir"));
    EXPECT_TRUE(ui.Silent());
    UnloadTokenizerLibrary();
    EXPECT_FALSE(TokenizerLibraryLoaded());
    EXPECT_EQ(TokenizerEntry(), nullptr);
}

TEST_F(TokenizerLoader, RelativeDirectoryNamesASubdirectoryOfTheWorkingDirectory)
{
    const std::filesystem::path bin(KESTREL_BIN_DIR);
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(bin.parent_path());
    const bool loaded = LoadTokenizerLibrary(ui, "./" + bin.filename().string());
    std::filesystem::current_path(saved);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(ui.Silent());
}

TEST_F(TokenizerLoader, WithoutADirectoryTheLibraryBesideTheProgramIsFoundFromAnyFolder)
{
    std::string scratch = (std::filesystem::temp_directory_path() / "tokload-XXXXXX").string();
    ASSERT_NE(mkdtemp(scratch.data()), nullptr);
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(scratch);
    const bool loaded = LoadTokenizerLibrary(ui, "");
    std::filesystem::current_path(saved);
    std::filesystem::remove_all(scratch);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(ui.Silent());
}

TEST_F(TokenizerLoader, MissingLibraryIsReportedAndRetried)
{
    EXPECT_FALSE(LoadTokenizerLibrary(ui, "/no/such/dir"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].kind, "kestrel-error");
    EXPECT_EQ(ui.boxes[0].text, "Unable to locate /no/such/dir/" + kLibraryName);
    EXPECT_FALSE(TokenizerLibraryLoaded());
    // A failed load is tried again.
    EXPECT_TRUE(LoadTokenizerLibrary(ui, KESTREL_BIN_DIR));
    EXPECT_EQ(ui.boxes.size(), 1u);
}

// The lister and the tokenizer share no code; these runs check that their
// keyword tables agree: every keyword the lister prints is read back by the
// tokenizer as the same code, and a listing tokenized again gives the same
// tokens.
class TokenizerRoundTrip : public TokenizerLoader
{
protected:
    void SetUp() override
    {
        TokenizerLoader::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(LoadTokenizerLibrary(ui, KESTREL_BIN_DIR));
        std::string templ = (std::filesystem::temp_directory_path() / "roundtrip-XXXXXX").string();
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        m_dir = templ;
    }
    void TearDown() override
    {
        std::error_code ec;
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir, ec);
        TokenizerLoader::TearDown();
    }

    struct Line {
        uint16_t number;
        std::string tokens; // without the ending 0
    };

    // Tokenizes the text into a MERGE file and returns its records.
    std::vector<Line> Tokenize(const std::string &text)
    {
        const std::string in = (m_dir / "in.txt").string();
        const std::string out = (m_dir / "out").string();
        std::ofstream(in, std::ios::binary) << text;
        EXPECT_EQ(TokenizerEntry()(in.c_str(), "", out.c_str(), "", ""), 0);
        std::ifstream f(out, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)),
                                         std::istreambuf_iterator<char>());
        std::vector<Line> lines;
        for (size_t s = 128; s + 256 <= bytes.size(); s += 256) {
            for (size_t p = s; p < s + 256 && bytes[p] != 0xFF && bytes[p] >= 3;) {
                const size_t len = bytes[p];
                if (p + 1 + len > s + 256)
                    break;
                const auto number = static_cast<uint16_t>(bytes[p + 1] << 8 | bytes[p + 2]);
                if (number == 0xFFFF)
                    return lines;
                lines.push_back(
                    {number, std::string(bytes.begin() + p + 3, bytes.begin() + p + len)});
                p += 1 + len;
            }
        }
        return lines;
    }

    static std::string Listing(const std::vector<Line> &lines)
    {
        std::string text;
        std::vector<char> buffer(kDetokenizedLineSize);
        for (const Line &l : lines) {
            std::string tokens = l.tokens + std::string(1, '\0');
            DetokenizeLine(buffer.data(), static_cast<uint8_t>(tokens.size()),
                           reinterpret_cast<const uint8_t *>(tokens.data()));
            text += std::to_string(l.number) + " " + buffer.data();
        }
        return text;
    }

    void ExpectRoundTrip(const std::string &program)
    {
        const std::vector<Line> first = Tokenize(program);
        ASSERT_FALSE(first.empty());
        const std::string listing = Listing(first);
        const std::vector<Line> second = Tokenize(listing);
        ASSERT_EQ(second.size(), first.size()) << listing;
        for (size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(second[i].number, first[i].number);
            std::string again = second[i].tokens;
            // The lister spaces after REM although the comment keeps its own
            // leading blank, so every listing adds one blank to a REM text.
            const size_t rem = again.find("\x9A  ");
            if (rem != std::string::npos && first[i].tokens.find("\x9A ") == rem)
                again.erase(rem + 1, 1);
            EXPECT_EQ(again, first[i].tokens) << "line " << first[i].number;
        }
    }

    std::filesystem::path m_dir;
};

TEST_F(TokenizerRoundTrip, EveryListedKeywordReadsBackAsItsCode)
{
    // The lister knows these, the tokenizer writes them as names.
    const std::set<int> listerOnly = {0xAB, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xEA, 0xF2};
    std::string program;
    int number = 1;
    for (int code = 0x81; code <= 0xFE; ++code) {
        const std::string text = LookupKeyword(static_cast<uint8_t>(code)).text;
        if (text.empty() || code == 0x82)
            continue;
        // Comments swallow the rest of the line; they get lines of their own.
        const std::string line = code == 0x9A || code == 0x83 ? text + " X" : "X=Y," + text + ",Z";
        program += std::to_string(number++) + " " + line + "\n";
        const std::vector<Line> lines = Tokenize("1 " + line + "\n");
        ASSERT_EQ(lines.size(), 1u) << text;
        const std::string &t = lines[0].tokens;
        const size_t at = code == 0x9A || code == 0x83 ? 0 : 4;
        if (listerOnly.count(code))
            EXPECT_NE(t.find(text), std::string::npos) << text;
        else
            EXPECT_EQ(static_cast<uint8_t>(t.at(at)), code) << text;
    }
    program += std::to_string(number++) + " A=1::B=2\n";
    ExpectRoundTrip(program);
}

TEST_F(TokenizerRoundTrip, ProgramsTokenizedAgainFromTheirListing)
{
    ExpectRoundTrip(
        "10 CALL CLEAR :: DIM A(10),B$(2,3)\n"
        "20 FOR I=1 TO 10 STEP 2 :: A(I)=SQR(I)*PI^2 :: NEXT I\n"
        "30 IF A(1)>=2 AND NOT B THEN 100 ELSE 200\n"
        "40 ON X GOSUB 10,20,30 :: ON ERROR 300\n"
        "50 PRINT \"He said \"\"Hi\"\"\";TAB(5);SEG$(B$(1,1),2,3)&CHR$(65)\n"
        "60 DATA 1,\"A,B\",Hello World,-1.5E-3\n"
        "70 OPEN #1:\"DSK1.FILE\",RELATIVE,INTERNAL,OUTPUT,FIXED 80 :: CLOSE #1\n"
        "80 DISPLAY AT(3,4)SIZE(5):USING \"##.#\":X :: ACCEPT AT(1,1)VALIDATE(DIGIT):N$\n"
        "90 SUB FOO(X,Y) :: SUBEXIT :: SUBEND\n"
        "100 REM The End :: not a statement\n"
        "110 X=1E-10+2.5 ! tail comment\n"
        "120 IMAGE Total: ###.##\n"
        "130 RESTORE 60 :: READ A,B$ :: LINPUT C$ :: RANDOMIZE :: RETURN\n");
}

} // namespace
} // namespace kestrel
