// The menu conversions between DSK and HFE images over a pane's entries.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "ops/hfe_conversions.h"
#include "ops/register_all.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RecordingUi;

class HfeConversion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterAllListers();
        std::string pattern = (fs::temp_directory_path() / "kestrel-hfeconv-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        m_src = m_root + "/src";
        m_out = m_root + "/out";
        fs::create_directory(m_src);
        fs::create_directory(m_out);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }
    Location Open(const std::string &path)
    {
        Location location;
        EXPECT_TRUE(ResolveLocationPath(location, path, m_ui));
        return location;
    }
    CatalogEntry *Find(Location &location, const std::string &name)
    {
        return const_cast<CatalogEntry *>(FindEntryByName(location, name));
    }

    std::string m_root, m_src, m_out;
    RecordingUi m_ui;
};

TEST(HfeConversionNames, ExtensionIsReplacedOrAdded)
{
    EXPECT_EQ(HfeConversionTargetName("games.dsk", HfeDirection::DskToHfe), "games.hfe");
    EXPECT_EQ(HfeConversionTargetName("a.b.hfe", HfeDirection::HfeToDsk), "a.b.dsk");
    EXPECT_EQ(HfeConversionTargetName("DISK", HfeDirection::DskToHfe), "DISK.hfe");
    EXPECT_EQ(HfeConversionTargetName(".hidden", HfeDirection::HfeToDsk), ".hidden.dsk");
}

TEST_F(HfeConversion, MarkedImagesGoBothWaysAndComeBackAsTheyWere)
{
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "ONE", m_src + "/one.dsk", m_ui), 0);
    ASSERT_EQ(WriteNewImage(*FindPreset(2), "TWO", m_src + "/two.dsk", m_ui), 0);
    Location source = Open(m_src);
    Location destination = Open(m_out);
    Find(source, "one.dsk")->marked = true;
    Find(source, "two.dsk")->marked = true;
    EXPECT_EQ(ConvertHfeImages(destination, source, nullptr, HfeDirection::DskToHfe, m_ui), 2);
    EXPECT_TRUE(m_ui.Errors().empty());
    EXPECT_FALSE(Find(source, "one.dsk")->marked);
    ASSERT_NE(Find(destination, "two.hfe"), nullptr);
    EXPECT_EQ(Find(destination, "two.hfe")->ti.kind, kKindHfe);

    // Back again, from the cursor entry alone, into the first directory's
    // neighbour.
    fs::create_directory(m_root + "/back");
    Location back = Open(m_root + "/back");
    EXPECT_EQ(ConvertHfeImages(back, destination, Find(destination, "two.hfe"),
                               HfeDirection::HfeToDsk, m_ui),
              1);
    EXPECT_EQ(ReadBytes(m_root + "/back/two.dsk"), ReadBytes(m_src + "/two.dsk"));
    EXPECT_FALSE(fs::exists(m_root + "/back/one.dsk"));
}

TEST_F(HfeConversion, ExistingTargetIsKeptOnNoAndOnlyDirectoriesTakeImages)
{
    ASSERT_EQ(WriteNewImage(*FindPreset(1), "ONE", m_src + "/one.dsk", m_ui), 0);
    ASSERT_TRUE(testing::WriteBytes(m_out + "/one.hfe", std::vector<uint8_t>(3, 7)));
    Location source = Open(m_src);
    Location destination = Open(m_out);
    m_ui.answers.push_back(Answer::No);
    EXPECT_EQ(ConvertHfeImages(destination, source, Find(source, "one.dsk"), HfeDirection::DskToHfe,
                               m_ui),
              0);
    ASSERT_EQ(m_ui.boxes.size(), 1u);
    EXPECT_EQ(m_ui.boxes[0].kind, "overwrite");
    EXPECT_EQ(ReadBytes(m_out + "/one.hfe").size(), 3u);

    Location image = Open(m_src + "/one.dsk");
    EXPECT_EQ(
        ConvertHfeImages(image, source, Find(source, "one.dsk"), HfeDirection::DskToHfe, m_ui), 0);
    EXPECT_EQ(m_ui.LastMessage(), 52);
}

} // namespace
} // namespace kestrel
