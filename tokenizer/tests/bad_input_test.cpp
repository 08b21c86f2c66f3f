// Hostile input: every run ends with a return code and a log, never a crash.
#include "tokenizer_fixture.h"

#include <random>

namespace kestrel::testing
{
namespace
{

using BadInput = TokenizerTest;

TEST_F(BadInput, BinaryGarbageAndOddLines)
{
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const size_t size = 1 + random() % 6000;
        for (size_t i = 0; i < size; ++i) {
            // Many digits, quotes, colons and line ends to reach every step.
            const unsigned r = random() % 10;
            const char pick[] = "1\"::,\n !E";
            text.push_back(r < 9 ? pick[r] : static_cast<char>(random() & 0xFF));
        }
        const TokenizerRun run = Run(text, true, true, "v=5");
        EXPECT_TRUE(run.rc == 0 || run.rc == 20 || run.rc == 30 || run.rc == 40) << run.rc;
        EXPECT_FALSE(run.log.empty());
    }
}

TEST_F(BadInput, NulBytesAndLongLines)
{
    std::string text = "10 PRINT \"A";
    text.push_back('\0');
    text += "B\"\n20 ";
    text += std::string(10000, '(');
    text += "\n30 ";
    text.push_back('\0');
    text += "\n";
    const TokenizerRun run = Run(text, true, true, "v=5");
    EXPECT_EQ(run.rc, 0);
    const auto records = MergeRecords(run.merge);
    ASSERT_GE(records.size(), 1u);
    EXPECT_EQ(records[0].tokens, std::string("\x9C\xC7\x03"
                                             "A\0B",
                                             6));
}

TEST_F(BadInput, ManyDataItemsAndHugeNumbers)
{
    std::string data = "10 DATA ";
    for (int i = 0; i < 200; ++i)
        data += "X,";
    EXPECT_EQ(Run(data + "\n", true, true).rc, 20);
    EXPECT_EQ(Run("99999999999 PRINT\n", true, true).rc, 40);
    EXPECT_EQ(Run("10 PRINT \"unclosed\n", true, true).rc, 0);
    EXPECT_EQ(Run("10 GOSUB 10,99999999999\n", true, true).rc, 20);
}

} // namespace
} // namespace kestrel::testing
