// Record files written by Extended BASIC on a real machine: every file of the
// record disks extracted through the floppy reader holds the same records as
// its TIFILES and V9T9 reference copies, and views the same; the fragmented
// files of frag.dsk come out whole and in order.
#include <gtest/gtest.h>

#include <iostream>

#include "tests/interop/interop_support.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "viewers/tifile_view.h"

namespace kestrel::interop
{
namespace
{

class RealRecords : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::exists(Corpus("xdt99/disk/recsdis.dsk"))) {
            GTEST_SKIP() << "the corpus " << KESTREL_REALDATA << " is not available";
        }
        RegisterLocationListers();
        m_temp = FreshTempDir("records");
    }
    void TearDown() override { fs::remove_all(m_temp); }

    fs::path m_temp;
};

std::string ViewOf(const Location &location, const CatalogEntry &entry, const std::string &temp,
                   Ui &ui)
{
    TextView view;
    ComposeTiFileView(location, entry, kViewAuto, temp, ui, view);
    return view.text;
}

TEST_F(RealRecords, EveryRecordFileMatchesItsReferenceCopies)
{
    testing::RecordingUi ui;
    Location references;
    ASSERT_TRUE(ResolveLocationPath(references, Corpus("xdt99/files"), ui));
    unsigned compared = 0;
    for (const char *disk : {"recsdis.dsk", "recsint.dsk", "recsgen.dsk"}) {
        Location location;
        ASSERT_TRUE(ResolveLocationPath(location, Corpus(std::string("xdt99/disk/") + disk), ui));
        std::vector<CatalogEntry> entries;
        for (const auto &item : location.entries) {
            entries.push_back(*item);
        }
        for (const CatalogEntry &entry : entries) {
            const std::string name = TrimmedName(entry);
            const std::string extracted = (m_temp / (name + ".out")).string();
            ASSERT_TRUE(SaveEntry(location, entry, extracted, ui)) << disk << " " << name;
            TiData ours;
            ASSERT_TRUE(ReadTiData(extracted, ours)) << name;
            const std::vector<std::string> ourRecords = Records(ours);
            const std::string ourView =
                ViewOf(location, entry, (m_temp / "view.tmp").string(), ui);
            for (const char *suffix : {".tfi", ".v9t9"}) {
                const std::string reference = Corpus("xdt99/files/" + name + suffix);
                if (!fs::exists(reference)) {
                    continue;
                }
                SCOPED_TRACE(std::string(disk) + " " + name + suffix);
                std::cout << "[corpus] " << disk << " " << name << " against files/" << name
                          << suffix << "\n";
                TiData theirs;
                ASSERT_TRUE(ReadTiData(reference, theirs));
                EXPECT_EQ(theirs.flags, ours.flags);
                EXPECT_EQ(theirs.recordLength, ours.recordLength);
                if ((theirs.flags & 0x80) == 0 && theirs.level3 == 0 && ours.level3 != 0) {
                    // The reference's header counts no records where the
                    // TI's own FDR counts them: compare the TI's count of
                    // records from the reference's data, and not the views.
                    std::cout << "[corpus]   " << name << suffix << " says 0 records, the disk's "
                              << "FDR says " << ours.level3 << "\n";
                    theirs.level3 = ours.level3;
                    EXPECT_EQ(Records(theirs), ourRecords);
                    ++compared;
                    continue;
                }
                EXPECT_EQ(theirs.level3, ours.level3);
                EXPECT_EQ(Records(theirs), ourRecords);
                const CatalogEntry *ref = FindEntryByName(references, name + suffix);
                ASSERT_NE(nullptr, ref);
                const CatalogEntry refEntry = *ref;
                EXPECT_EQ(ViewOf(references, refEntry, (m_temp / "view.tmp").string(), ui),
                          ourView);
                ++compared;
            }
        }
    }
    std::cout << "[corpus] " << compared << " record files compared with their references\n";
    EXPECT_GE(compared, 20u);
    EXPECT_TRUE(ui.Silent());
}

// The files of frag.dsk lie in several clusters each; their records run on
// from one cluster into the next. FRAGF1 and FRAGF6 are the records of F1
// and F6 as text, one a line.
TEST_F(RealRecords, FragmentedFilesExtractWholeAndInOrder)
{
    testing::RecordingUi ui;
    Location location;
    ASSERT_TRUE(ResolveLocationPath(location, Corpus("xdt99/disk/frag.dsk"), ui));
    std::vector<CatalogEntry> entries;
    for (const auto &item : location.entries) {
        entries.push_back(*item);
    }
    ASSERT_GE(entries.size(), 16u);
    for (const CatalogEntry &entry : entries) {
        const std::string name = TrimmedName(entry);
        std::cout << "[corpus] frag.dsk " << name << "\n";
        const std::string extracted = (m_temp / (name + ".out")).string();
        ASSERT_TRUE(SaveEntry(location, entry, extracted, ui)) << name;
        TiData ours;
        ASSERT_TRUE(ReadTiData(extracted, ours));
        EXPECT_EQ(ours.sectors * 256u, ours.data.size()) << name;
        const std::vector<std::string> records = Records(ours);
        ASSERT_FALSE(records.empty()) << name;
        // Each record is ">" letter-pairs "<": any sector out of place or
        // missing breaks the sequence of letters from one record to the next.
        char expected = records[0].size() > 1 ? records[0][1] : 0;
        for (const std::string &record : records) {
            ASSERT_GE(record.size(), 3u) << name;
            EXPECT_EQ('>', record.front()) << name;
            EXPECT_EQ('<', record.back()) << name;
            EXPECT_EQ(expected, record[1]) << name << ": records out of order";
            expected = static_cast<char>(record[1] + 1);
        }
        const std::string loose = Corpus("xdt99/files/FRAG" + name);
        if (fs::exists(loose)) {
            std::cout << "[corpus] frag.dsk " << name << " against files/FRAG" << name << "\n";
            std::string text;
            for (const std::string &record : records) {
                text += record + "\n";
            }
            const std::vector<uint8_t> bytes = ReadAll(loose);
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text) << name;
        }
    }
    EXPECT_TRUE(ui.Silent());
}

} // namespace
} // namespace kestrel::interop
