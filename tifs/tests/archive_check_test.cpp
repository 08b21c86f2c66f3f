#include "tifs/arc/archive_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/arc_writer.h"
#include "tests/support/floppy_builder.h"

namespace kestrel
{
namespace
{

std::vector<testing::ArcMember> Members()
{
    std::vector<testing::ArcMember> members;
    for (int m = 0; m < 3; ++m) {
        std::vector<uint8_t> data(size_t(256) * (m + 2));
        for (size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<uint8_t>(i * (m + 3) + i / 7);
        }
        members.push_back(testing::ArcMemberFrom("FILE" + std::to_string(m), 0x00, 80, 3, 0,
                                                 static_cast<uint16_t>(3 * (m + 2)), data));
    }
    return members;
}

std::string Joined(const ArchiveCheckResult &result)
{
    std::string text;
    for (const std::string &line : result.findings) {
        text += line + "\n";
    }
    return text;
}

TEST(ArchiveCheck, SoundArchivesOfBothFormsAreClean)
{
    for (bool compressed : {false, true}) {
        const std::vector<uint8_t> sectors = testing::BuildArcSectors(Members(), compressed);
        ArchiveCheckResult result = CheckArchiveData(sectors.data(), sectors.size(), compressed);
        EXPECT_TRUE(result.Clean()) << Joined(result);
        EXPECT_EQ("3 members, 9 sectors: clean", result.summary);
    }
}

TEST(ArchiveCheck, MembersThatRunPastTheDataOfAnUncompressedArchive)
{
    std::vector<uint8_t> sectors = testing::BuildArcSectors(Members(), false);
    sectors.resize(sectors.size() - 256 * 2);
    ArchiveCheckResult result = CheckArchiveData(sectors.data(), sectors.size(), false);
    EXPECT_EQ("Member FILE2: its 4 sectors run past the archive's end (sector 10 of 8)\n",
              Joined(result));

    std::vector<uint8_t> noMark = testing::BuildArcSectors(Members(), false);
    noMark[252] = 'X';
    result = CheckArchiveData(noMark.data(), noMark.size(), false);
    EXPECT_NE(std::string::npos, Joined(result).find("without its \"END!\" mark"))
        << Joined(result);
}

TEST(ArchiveCheck, CompressedStreamsThatEndEarlyOrBreakOrSayTooLittle)
{
    const std::vector<uint8_t> good = testing::BuildArcSectors(Members(), true);

    // Cut: the stream stops before the members' sectors are all there.
    std::vector<uint8_t> cut(good.begin(), good.begin() + good.size() / 2);
    ArchiveCheckResult result = CheckArchiveData(cut.data(), cut.size(), true);
    EXPECT_NE(std::string::npos, Joined(result).find("The compressed stream ends after"))
        << Joined(result);

    // A code the table cannot hold yet, early in the stream.
    std::vector<uint8_t> broken = good;
    broken[40] = 0xFF;
    broken[41] = 0xFF;
    result = CheckArchiveData(broken.data(), broken.size(), true);
    EXPECT_NE(std::string::npos, Joined(result).find("is damaged")) << Joined(result);

    // A stream that does not open with a clear code.
    std::vector<uint8_t> noClear = good;
    noClear[0] = 0x00;
    result = CheckArchiveData(noClear.data(), noClear.size(), true);
    EXPECT_EQ("The compressed stream does not begin with a clear code\n", Joined(result));

    // A directory whose sizes say less than the stream holds.
    std::vector<testing::ArcMember> members = Members();
    std::vector<uint8_t> plain = testing::ArcPlainSectors(members, true);
    plain.resize(plain.size() + 512, 0x55); // two sectors no member owns
    std::vector<uint8_t> longer = kestrel::LzwCompress(plain);
    result = CheckArchiveData(longer.data(), longer.size(), true);
    EXPECT_EQ("The compressed stream holds more than the 9 sectors the members need\n",
              Joined(result));
}

TEST(ArchiveCheck, AnArchiveFileWhoseHeaderSaysMoreThanItHolds)
{
    const std::vector<uint8_t> sectors = testing::BuildArcSectors(Members(), false);
    std::vector<uint8_t> file = testing::ArcFileBytes(sectors, false);
    const std::string path = ::testing::TempDir() + "/check_archive.ark";
    ASSERT_TRUE(testing::WriteBytes(path, file));
    ASSERT_TRUE(IsArchiveFile(path));
    ArchiveCheckResult result;
    EXPECT_TRUE(CheckArchiveFile(path, result));
    EXPECT_TRUE(result.Clean()) << Joined(result);

    file.resize(file.size() - 256);
    ASSERT_TRUE(testing::WriteBytes(path, file));
    EXPECT_TRUE(CheckArchiveFile(path, result));
    EXPECT_EQ(0u, Joined(result).find("The header says 10 sectors, but the file holds 9\n"))
        << Joined(result);

    const std::string text = ::testing::TempDir() + "/check_archive.txt";
    ASSERT_TRUE(testing::WriteBytes(text, std::vector<uint8_t>(300, 'a')));
    EXPECT_FALSE(IsArchiveFile(text));
    EXPECT_FALSE(CheckArchiveFile(text, result));
}

} // namespace
} // namespace kestrel
