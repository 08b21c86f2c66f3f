// The BASIC and data files of the demo directory: one Extended BASIC program
// in its three stored forms (PROGRAM, long format and MERGE), Forth screens,
// a DISPLAY VARIABLE 80 text and an INTERNAL FIXED file, built byte by byte.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "samples/sample.h"
#include "tests/support/basic_builder.h"
#include "tests/support/record_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"

namespace kestrel::samples
{
namespace
{

using testing::BasicLine;
using testing::TokenLine;

// Token codes of the demo program.
constexpr uint8_t kCall = 0x9D, kPrint = 0x9C, kFor = 0x8C, kTo = 0xB1, kNext = 0x96, kIf = 0x84,
                  kThen = 0xB0, kGoto = 0x86, kRem = 0x9A, kEquals = 0xBE, kPlus = 0xC1,
                  kSemicolon = 0xB4, kSeparator = 0x82, kOpenParen = 0xB7, kCloseParen = 0xB6,
                  kComma = 0xB3, kLess = 0xBF, kInput = 0x92, kEnd = 0x8B, kDisplay = 0xA2,
                  kAt = 0xF0, kSeg = 0xD8, kLen = 0xD5, kColon = 0xB5;

std::vector<BasicLine> DemoProgram()
{
    return {
        {100, TokenLine().Keyword(kRem).Literal("KESTREL DEMO").Bytes()},
        {110, TokenLine()
                  .Keyword(kCall)
                  .Unquoted("CLEAR")
                  .Keyword(kSeparator)
                  .Keyword(kCall)
                  .Unquoted("SCREEN")
                  .Keyword(kOpenParen)
                  .Unquoted("8")
                  .Keyword(kCloseParen)
                  .Bytes()},
        {120, TokenLine()
                  .Keyword(kDisplay)
                  .Keyword(kAt)
                  .Keyword(kOpenParen)
                  .Unquoted("3")
                  .Keyword(kComma)
                  .Unquoted("5")
                  .Keyword(kCloseParen)
                  .Keyword(kColon)
                  .Quoted("HELLO FROM \"KESTREL\"")
                  .Bytes()},
        {130, TokenLine()
                  .Keyword(kFor)
                  .Literal("I")
                  .Keyword(kEquals)
                  .Unquoted("1")
                  .Keyword(kTo)
                  .Unquoted("5")
                  .Bytes()},
        {140, TokenLine()
                  .Keyword(kPrint)
                  .Literal("I")
                  .Keyword(kSemicolon)
                  .Keyword(kSeg)
                  .Keyword(kOpenParen)
                  .Quoted("ABCDE")
                  .Keyword(kComma)
                  .Unquoted("1")
                  .Keyword(kComma)
                  .Literal("I")
                  .Keyword(kCloseParen)
                  .Bytes()},
        {150, TokenLine().Keyword(kNext).Literal("I").Bytes()},
        {160,
         TokenLine().Keyword(kInput).Quoted("YOUR NAME? ").Keyword(kColon).Literal("N$").Bytes()},
        {170, TokenLine()
                  .Keyword(kIf)
                  .Keyword(kLen)
                  .Keyword(kOpenParen)
                  .Literal("N$")
                  .Keyword(kCloseParen)
                  .Keyword(kLess)
                  .Unquoted("1")
                  .Keyword(kThen)
                  .LineRef(160)
                  .Bytes()},
        {180, TokenLine()
                  .Keyword(kPrint)
                  .Quoted("HI, ")
                  .Keyword(kPlus)
                  .Literal("N$")
                  .Keyword(kSeparator)
                  .Keyword(kGoto)
                  .LineRef(200)
                  .Bytes()},
        {200, TokenLine().Keyword(kEnd).Bytes()},
    };
}

std::vector<std::vector<std::string>> ForthScreens()
{
    return {
        {"( SQUARES AND CUBES )", ": SQUARE ( N -- N*N ) DUP * ;",
         ": CUBE ( N -- N*N*N ) DUP SQUARE * ;",
         ": TABLE 11 1 DO I . I SQUARE . I CUBE . CR LOOP ;"},
        {"( GREETINGS )", ": HELLO .\" HELLO FROM KESTREL\" CR ;", ": GREET 3 0 DO HELLO LOOP ;"},
        {"( COUNTDOWN )", ": COUNTDOWN 0 SWAP DO I . -1 +LOOP ;", "10 COUNTDOWN"},
    };
}

// The files of this part, also put into the demo image basic.dsk.
std::vector<std::pair<std::string, testing::TiFileData>> &Written()
{
    static std::vector<std::pair<std::string, testing::TiFileData>> written;
    return written;
}

bool Write(const std::string &path, const testing::TiFileData &file)
{
    Written().emplace_back(path, file);
    if (!testing::WriteFileBytes(path, file.Bytes())) {
        std::fprintf(stderr, "kestrel-samples: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

testing::TiFileData Named(testing::TiFileData file, const char *name)
{
    file.fileSpec.name = name;
    return file;
}

// basic.dsk: the same files inside a floppy image, so that a view from
// inside a container can be compared with the view of the PC file.
bool MakeBasicImage(const std::string &demoDir)
{
    testing::RecordingUi ui;
    const std::string image = demoDir + "/basic.dsk";
    const FloppyPreset *preset = FindPreset(kDefaultPreset);
    if (preset == nullptr || WriteNewImage(*preset, "BASIC", image, ui) != 0) {
        std::fprintf(stderr, "kestrel-samples: cannot write %s\n", image.c_str());
        return false;
    }
    FloppyTarget target;
    target.imagePath = image;
    AddFileState state;
    for (const auto &[path, file] : Written()) {
        const std::string pcName = path.substr(path.find_last_of('/') + 1);
        if (AddFileToImage(target, file.Entry(pcName), path, state, ui) != kAddDone ||
            !ui.Errors().empty()) {
            std::fprintf(stderr, "kestrel-samples: cannot add %s to %s\n", pcName.c_str(),
                         image.c_str());
            return false;
        }
    }
    return true;
}

bool MakeBasicSamples(const std::string &demoDir)
{
    const auto program = DemoProgram();
    bool ok = Write(demoDir + "/DEMO",
                    Named(testing::ProgramTiFile(testing::BuildProgramFile(program)), "DEMO"));
    ok = Write(demoDir + "/DEMO-L",
               Named(testing::LongProgramTiFile(testing::BuildLongProgram(program)), "DEMO-L")) &&
         ok;
    ok = Write(demoDir + "/DEMO-M",
               Named(testing::MergeTiFile(testing::BuildMergeFile(program)), "DEMO-M")) &&
         ok;
    // Forth screens are only recognised in files of more than 40 sectors.
    ok = Write(demoDir + "/FORTHSCR",
               Named(testing::ForthScreenFile(ForthScreens(), 32), "FORTHSCR")) &&
         ok;
    ok = Write(demoDir + "/LETTER",
               Named(testing::VariableRecordFile(false, 80,
                                                 {"Dear user,", "",
                                                  "this DIS/VAR 80 file is shown line by line.",
                                                  "Press F4 to see its bytes.", "", "Kestrel"}),
                     "LETTER")) &&
         ok;
    std::vector<std::string> scores;
    const char *const names[] = {"ALICE", "BOB", "CAROL", "DAVE", "EVE"};
    for (int i = 0; i < 5; ++i) {
        std::string record(32, '\0');
        record.replace(0, std::string(names[i]).size(), names[i]);
        record[30] = static_cast<char>((1000 - i * 130) >> 8);
        record[31] = static_cast<char>((1000 - i * 130) & 0xFF);
        scores.push_back(record);
    }
    ok = Write(demoDir + "/SCORES", Named(testing::FixedRecordFile(true, 32, scores), "SCORES")) &&
         ok;
    return MakeBasicImage(demoDir) && ok;
}

} // namespace

KESTREL_SAMPLE(40, "BASIC programs and data files", MakeBasicSamples);

} // namespace kestrel::samples
