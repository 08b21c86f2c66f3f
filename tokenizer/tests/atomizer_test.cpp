// The atomizer's steps, seen through the tokens of MERGE records written by
// the loaded library.
#include "tokenizer_fixture.h"

#include <algorithm>

namespace kestrel::testing
{
namespace
{

std::string B(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

using Atomizer = TokenizerTest;

TEST_F(Atomizer, DelimitersSeparatorsAndNumbers)
{
    EXPECT_EQ(Hex(TokensOf("X=1::Y=2")),
              Hex("X" + B({0xBE, 0xC8, 1}) + "1" + B({0x82}) + "Y" + B({0xBE, 0xC8, 1}) + "2"));
    // Colons with a space between them stay two colon words.
    EXPECT_EQ(Hex(TokensOf("PRINT : :")), Hex(B({0x9C, 0xB5, 0xB5})));
    EXPECT_EQ(Hex(TokensOf("PRINT 1.5E3")), Hex(B({0x9C, 0xC8, 5}) + "1.5E3"));
    // Lower-case e does not make a number; the word is a name, upper-cased.
    EXPECT_EQ(Hex(TokensOf("PRINT 1e3")), Hex(B({0x9C}) + "1E3"));
    EXPECT_EQ(Hex(TokensOf("A$=B$&C$")), Hex("A$" + B({0xBE}) + "B$" + B({0xB8}) + "C$"));
    EXPECT_EQ(Hex(TokensOf("OPEN #1:A$")), Hex(B({0x9F, 0xFD, 0xC8, 1}) + "1" + B({0xB5}) + "A$"));
}

TEST_F(Atomizer, SignedExponentStaysOneConstant)
{
    EXPECT_EQ(Hex(TokensOf("K=1E-1")), Hex("K" + B({0xBE, 0xC8, 4}) + "1E-1"));
    EXPECT_EQ(Hex(TokensOf("K=1.5E+10-X")),
              Hex("K" + B({0xBE, 0xC8, 7}) + "1.5E+10" + B({0xC2}) + "X"));
    // Only a number ending in E takes the sign; E-1 alone is a name minus 1.
    EXPECT_EQ(Hex(TokensOf("F=E-1")), Hex("F" + B({0xBE}) + "E" + B({0xC2, 0xC8, 1}) + "1"));
}

TEST_F(Atomizer, LineNumberContexts)
{
    EXPECT_EQ(Hex(TokensOf("GOTO 100")), Hex(B({0x86, 0xC9, 0x00, 0x64})));
    EXPECT_EQ(Hex(TokensOf("ON X GOSUB 10,20")),
              Hex(B({0x9B}) + "X" + B({0x87, 0xC9, 0, 10, 0xB3, 0xC9, 0, 20})));
    // TO is no context: the number after GO TO stays a number.
    EXPECT_EQ(Hex(TokensOf("GO TO 100")), Hex(B({0x85, 0xB1, 0xC8, 3}) + "100"));
    EXPECT_EQ(Hex(TokensOf("IF A THEN 100 ELSE 200")),
              Hex(B({0x84}) + "A" + B({0xB0, 0xC9, 0, 100, 0x81, 0xC9, 0, 200})));
    EXPECT_EQ(Hex(TokensOf("RESTORE 300::RUN 5::BREAK 7,8")),
              Hex(B({0x94, 0xC9, 1, 0x2C, 0x82, 0xA9, 0xC9, 0, 5, 0x82, 0x8E, 0xC9, 0, 7, 0xB3,
                     0xC9, 0, 8})));
    // A list goes on only behind a line number: PRINT 1,2 keeps numbers.
    EXPECT_EQ(Hex(TokensOf("PRINT 1,2")), Hex(B({0x9C, 0xC8, 1}) + "1" + B({0xB3, 0xC8, 1}) + "2"));
    EXPECT_EQ(Hex(TokensOf("ON ERROR 65535")), Hex(B({0x9B, 0xA5, 0xC9, 0xFF, 0xFF})));
}

TEST_F(Atomizer, NamesAfterCallAndSub)
{
    EXPECT_EQ(Hex(TokensOf("CALL clear")), Hex(B({0x9D, 0xC8, 5}) + "CLEAR"));
    EXPECT_EQ(Hex(TokensOf("SUB PRINT(X)")),
              Hex(B({0xA1, 0xC8, 5}) + "PRINT" + B({0xB7}) + "X" + B({0xB6})));
    EXPECT_EQ(Hex(TokensOf("call hchar(1,2,42)")),
              Hex(B({0x9D, 0xC8, 5}) + "HCHAR" + B({0xB7, 0xC8, 1}) + "1" + B({0xB3, 0xC8, 1}) +
                  "2" + B({0xB3, 0xC8, 2}) + "42" + B({0xB6})));
}

TEST_F(Atomizer, QuotedStringsAndDoubledQuotes)
{
    EXPECT_EQ(Hex(TokensOf("PRINT \"Hi there\"")), Hex(B({0x9C, 0xC7, 8}) + "Hi there"));
    EXPECT_EQ(Hex(TokensOf("PRINT \"A\"\"B\"")), Hex(B({0x9C, 0xC7, 3}) + "A\"B"));
    EXPECT_EQ(Hex(TokensOf("PRINT \"\"\"\"")), Hex(B({0x9C, 0xC7, 1}) + "\""));
    // A string typed against a keyword leaves the keyword a word of its own.
    EXPECT_EQ(Hex(TokensOf("PRINT\"X\"")), Hex(B({0x9C, 0xC7, 1}) + "X"));
    // Keywords and delimiters inside a string are text.
    EXPECT_EQ(Hex(TokensOf("A$=\"GOTO 10::\"")), Hex("A$" + B({0xBE, 0xC7, 9}) + "GOTO 10::"));
}

TEST_F(Atomizer, CommentsKeepTheirText)
{
    EXPECT_EQ(Hex(TokensOf("REM Hello there")), Hex(B({0x9A}) + " Hello there"));
    EXPECT_EQ(Hex(TokensOf("! mixed Case :: PRINT")), Hex(B({0x83}) + " mixed Case :: PRINT"));
    // Behind another statement the comment is upper-cased, as names are.
    EXPECT_EQ(Hex(TokensOf("X=1::REM Hello there")),
              Hex("X" + B({0xBE, 0xC8, 1}) + "1" + B({0x82, 0x9A}) + " HELLO THERE"));
    // A comment that reads like a keyword, string or number stays text.
    EXPECT_EQ(Hex(TokensOf("REM PRINT")), Hex(B({0x9A}) + " PRINT"));
    EXPECT_EQ(Hex(TokensOf("A=1 !2")), Hex("A" + B({0xBE, 0xC8, 1}) + "1" + B({0x83}) + "2"));
    EXPECT_EQ(Hex(TokensOf("!\"quoted\"")), Hex(B({0x83}) + "\"quoted\""));
    EXPECT_EQ(Hex(TokensOf("REM")), Hex(B({0x9A})));
    // An open quote inside a comment is comment text, kept as typed.
    EXPECT_EQ(Hex(TokensOf("REM say \"hi")), Hex(B({0x9A}) + " say \"hi"));
}

TEST_F(Atomizer, DataStatements)
{
    EXPECT_EQ(Hex(TokensOf("DATA 1,\"A,B\",X")), Hex(B({0x93, 0xC8, 1}) + "1" + B({0xB3, 0xC7, 3}) +
                                                     "A,B" + B({0xB3, 0xC8, 1}) + "X"));
    // Items keep their case and inner blanks; empty items yield nothing.
    EXPECT_EQ(Hex(TokensOf("data Hello World,,x")),
              Hex(B({0x93, 0xC8, 11}) + "Hello World" + B({0xB3, 0xB3, 0xC8, 1}) + "x"));
    // A doubled quote inside a quoted item is one quote of the item.
    EXPECT_EQ(Hex(TokensOf("DATA \"A\"\"B\",C")),
              Hex(B({0x93, 0xC7, 3}) + "A\"B" + B({0xB3, 0xC8, 1}) + "C"));
    EXPECT_EQ(Hex(TokensOf("DATA 1::PRINT")), Hex(B({0x93, 0xC8, 8}) + "1::PRINT"));
    EXPECT_EQ(Hex(TokensOf("DATA")), Hex(B({0x93})));
}

TEST_F(Atomizer, ImageFormatIsTakenAsTyped)
{
    EXPECT_EQ(Hex(TokensOf("IMAGE Total: ###.##")), Hex(B({0xA3, 0xC8, 13}) + "Total: ###.##"));
    EXPECT_EQ(Hex(TokensOf("IMAGE \"Hello ##\"")), Hex(B({0xA3, 0xC7, 8}) + "Hello ##"));
}

TEST_F(Atomizer, UpperCasingAndKeywordLookup)
{
    EXPECT_EQ(Hex(TokensOf("print abc;len(x$)")),
              Hex(B({0x9C}) + "ABC" + B({0xB4, 0xD5, 0xB7}) + "X$" + B({0xB6})));
    // Keywords only as whole words: PRINTER is a name.
    EXPECT_EQ(Hex(TokensOf("PRINTER=1")), Hex("PRINTER" + B({0xBE, 0xC8, 1}) + "1"));
    // The table's spelled-out names of C7 to C9 never match a word.
    EXPECT_EQ(Hex(TokensOf("QUOTEDSTRING=1")), Hex("QUOTEDSTRING" + B({0xBE, 0xC8, 1}) + "1"));
    EXPECT_EQ(Hex(TokensOf("")), "");
}

TEST_F(Atomizer, TracesAtLevelFive)
{
    const TokenizerRun run = Run("10 PRINT A\n20 DATA 1,X\n", false, true, "v=5");
    ASSERT_EQ(run.rc, 0);
    auto has = [&](const std::string &l) {
        return std::find(run.log.begin(), run.log.end(), l) != run.log.end();
    };
    EXPECT_TRUE(has("10 PRINT A -> PRINT|A| -> 9C[PRINT] 41 (?A)"));
    EXPECT_TRUE(has("  DATA [1]"));
    EXPECT_TRUE(has("  DATA [,]"));
    EXPECT_TRUE(has("20 DATA 1,X ->  -> 93[DATA] C8[Unquotedstring] 01 31 B3[,] C8[Unquotedstring] "
                    "01 58 (???1???X)"));
}

TEST_F(Atomizer, SplitErrorsAreLoggedAndTheLineIsKept)
{
    std::string longLine = "10 X=";
    for (int i = 0; i < 100; ++i)
        longLine += "A+";
    longLine += "B\n";
    TokenizerRun run = Run(longLine + "20 PRINT \"open\n", false, true);
    EXPECT_EQ(run.rc, 0);
    EXPECT_NE(std::find(run.log.begin(), run.log.end(), "Error: Line 10 too long."), run.log.end());
    EXPECT_NE(std::find(run.log.begin(), run.log.end(), "Error atomizing line 20."), run.log.end());
    const auto records = MergeRecords(run.merge);
    ASSERT_EQ(records.size(), 2u);
    // The words collected before slot 128 are converted; nothing past it.
    EXPECT_EQ(records[0].tokens.size(), 128u);
    // The open string runs to the line's end.
    EXPECT_EQ(Hex(records[1].tokens), Hex(B({0x9C, 0xC7, 4}) + "open"));
}

TEST_F(Atomizer, UncaughtFailuresEndTheConversion)
{
    std::string data = "10 DATA 1";
    for (int i = 0; i < 200; ++i)
        data += ",1";
    const std::vector<std::string> inputs = {data + "\n", "10 GOTO 65536\n",
                                             "10 DATA \"never closed\n",
                                             "10 GOTO 99999999999999999999\n"};
    for (const std::string &input : inputs) {
        const TokenizerRun run = Run(input, true, true);
        EXPECT_EQ(run.rc, 20) << input;
        EXPECT_FALSE(run.programWritten);
        EXPECT_FALSE(run.mergeWritten);
        EXPECT_NE(
            std::find(run.log.begin(), run.log.end(), "Error converting file " + PathOf("in.txt")),
            run.log.end());
    }
    // 63 DATA items and their commas still fit the 128 words.
    std::string fits = "10 DATA 1";
    for (int i = 0; i < 63; ++i)
        fits += ",1";
    EXPECT_EQ(Run(fits + "\n", false, false).rc, 0);
}

} // namespace
} // namespace kestrel::testing
