// Listings of programs written on real machines, compared with the machine's
// own LIST output (DIS/VAR 80 files next to them). Spacing differs by
// design, so texts are compared with all whitespace removed.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "viewers/picture/character_set.h"
#include "viewers/program_lister.h"
#include "viewers/tifile_view.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;

std::vector<uint8_t> ReadAll(const std::string &path)
{
    std::vector<uint8_t> bytes;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    uint8_t buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    std::fclose(file);
    return bytes;
}

struct DiskFile {
    uint8_t flags = 0;
    uint8_t recordLength = 0;
    uint16_t level3 = 0;
    std::vector<uint8_t> data;
};

// Just enough of a floppy reader for these disks: the root file index in
// sector 1 and each file's data chain.
std::map<std::string, DiskFile> ReadDisk(const std::vector<uint8_t> &image)
{
    std::map<std::string, DiskFile> files;
    auto sector = [&](size_t n) { return image.data() + n * 256; };
    const size_t total = image.size() / 256;
    for (size_t i = 0; i < 127 && total > 1; ++i) {
        const size_t fdrSector = (sector(1)[2 * i] << 8) | sector(1)[2 * i + 1];
        if (fdrSector == 0 || fdrSector >= total) {
            break;
        }
        const uint8_t *fdr = sector(fdrSector);
        std::string name(reinterpret_cast<const char *>(fdr), 10);
        name.erase(name.find_last_not_of(' ') + 1);
        DiskFile file;
        file.flags = fdr[12];
        file.recordLength = fdr[17];
        file.level3 = static_cast<uint16_t>(fdr[18] | (fdr[19] << 8));
        const size_t sectors = (fdr[14] << 8) | fdr[15];
        size_t covered = 0;
        for (size_t c = 28; c + 3 <= 253 && covered < sectors; c += 3) {
            const size_t start = fdr[c] | ((fdr[c + 1] & 0x0F) << 8);
            const size_t last = (fdr[c + 1] >> 4) | (fdr[c + 2] << 4);
            if (start == 0) {
                break;
            }
            for (size_t s = start; covered <= last && covered < sectors && s < total; ++s) {
                file.data.insert(file.data.end(), sector(s), sector(s) + 256);
                ++covered;
            }
        }
        files[name] = file;
    }
    return files;
}

std::string WithoutWhitespace(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        if (!std::isspace(c)) {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// The records of a DIS/VAR listing file joined into text.
std::string RecordsText(const DiskFile &file)
{
    std::string text;
    for (size_t s = 0; s < file.level3 && (s + 1) * 256 <= file.data.size(); ++s) {
        const uint8_t *sector = file.data.data() + s * 256;
        for (size_t pos = 0; pos < 256 && sector[pos] != 0xFF && pos + 1 + sector[pos] <= 256;
             pos += 1 + sector[pos]) {
            text.append(reinterpret_cast<const char *>(sector + pos + 1), sector[pos]);
        }
    }
    return text;
}

void CompareDisk(const std::string &diskPath, size_t expectedPrograms)
{
    const auto image = ReadAll(diskPath);
    if (image.empty()) {
        GTEST_SKIP() << diskPath << " is not available";
    }
    const auto files = ReadDisk(image);
    size_t compared = 0;
    testing::RecordingUi ui;
    for (const auto &[name, file] : files) {
        if (file.flags & 0x01) {
            const auto merge = files.find(name + "-M");
            const auto listing = files.find(name + "-L");
            if (listing == files.end() || (listing->second.flags & 0x01)) {
                continue;
            }
            TextBlock programText;
            ASSERT_EQ(
                ListProgramImageData(file.data.data(), file.data.size(), name, programText, ui),
                kListed)
                << name;
            if (merge != files.end()) {
                TextBlock mergeText;
                ASSERT_EQ(ListMergeData(merge->second.data.data(), merge->second.data.size(),
                                        merge->second.level3, name, mergeText, ui),
                          kListed);
                EXPECT_EQ(programText.Text(), mergeText.Text()) << name;
            }
            EXPECT_EQ(WithoutWhitespace(programText.Text()),
                      WithoutWhitespace(RecordsText(listing->second)))
                << name;
            ++compared;
        }
    }
    EXPECT_GE(compared, expectedPrograms);
    EXPECT_TRUE(ui.Silent());
}

TEST(RealPrograms, ListingsMatchTheMachinesOwnListBasic1)
{
    CompareDisk(std::string(KESTREL_REALDATA) + "/xdt99/disk/basic1.dsk", 5);
}

TEST(RealPrograms, ListingsMatchTheMachinesOwnListBasic2)
{
    CompareDisk(std::string(KESTREL_REALDATA) + "/xdt99/disk/basic2.dsk", 8);
}

TEST(RealPrograms, LongFormatAndProgramImageListAlike)
{
    const std::string dir = std::string(KESTREL_REALDATA) + "/xdt99/basic/";
    const auto program = ReadAll(dir + "sample-n.bin");
    const auto records = ReadAll(dir + "sample-l.bin");
    if (program.empty() || records.empty()) {
        GTEST_SKIP() << "samples are not available";
    }
    // The long-format sample holds its records back to back; give each its sector.
    std::vector<uint8_t> sectors;
    for (size_t pos = 0; pos < records.size();) {
        const size_t n = std::min<size_t>(records[pos], records.size() - pos - 1);
        std::vector<uint8_t> sector(256, 0);
        sector[0] = static_cast<uint8_t>(n);
        std::copy_n(records.begin() + static_cast<std::ptrdiff_t>(pos + 1), n, sector.begin() + 1);
        sectors.insert(sectors.end(), sector.begin(), sector.end());
        pos += 1 + records[pos];
    }
    testing::RecordingUi ui;
    TextBlock a, b;
    ASSERT_EQ(ListProgramImageData(program.data(), program.size(), "n", a, ui), kListed);
    ASSERT_EQ(ListLongProgramData(sectors.data(), sectors.size(),
                                  static_cast<uint16_t>(sectors.size() / 256 - 1), "l", b, ui),
              kListed);
    EXPECT_EQ(a.Text(), b.Text());
    EXPECT_NE(a.Text().find("100 "), std::string::npos);
    EXPECT_NE(a.Text().find("!TEXT"), std::string::npos);
}

} // namespace
} // namespace kestrel

namespace kestrel
{
namespace
{

// The same programs read through the project's own floppy reader: each
// PROGRAM file and its MERGE twin, viewed inside the image, list alike.
TEST(RealPrograms, ViewedInsideTheDiskImage)
{
    const std::string disk = std::string(KESTREL_REALDATA) + "/xdt99/disk/basic1.dsk";
    if (!fs::exists(disk)) {
        GTEST_SKIP() << disk << " is not available";
    }
    RegisterLocationListers();
    testing::RecordingUi ui;
    Location location;
    if (!ResolveLocationPath(location, disk, ui) || location.kind != kLocDskImage) {
        GTEST_SKIP() << "no floppy reader linked in";
    }
    const fs::path temp =
        fs::temp_directory_path() / ("kestrel-dskview-" + std::to_string(::getpid()));
    size_t compared = 0;
    for (const auto &item : location.entries) {
        const CatalogEntry &entry = *item;
        if (entry.ti.kind != kKindProgram) {
            continue;
        }
        std::string name = entry.ti.tiName;
        name.erase(name.find_last_not_of(' ') + 1);
        const CatalogEntry *merge = FindEntryByName(location, name + "-M");
        if (merge == nullptr) {
            continue;
        }
        const CatalogEntry mergeEntry = *merge;
        TextView programView, mergeView;
        ASSERT_TRUE(ComposeTiFileView(location, entry, kViewAuto, temp.string(), ui, programView));
        ASSERT_TRUE(
            ComposeTiFileView(location, mergeEntry, kViewAuto, temp.string(), ui, mergeView));
        EXPECT_EQ(programView.text, mergeView.text) << name;
        EXPECT_FALSE(programView.text.empty());
        EXPECT_EQ(programView.caption, "Kestrel - " + location.path + "->" + name);
        ++compared;
    }
    fs::remove(temp);
    EXPECT_GE(compared, 5u);
    EXPECT_TRUE(ui.Errors().empty());
}

// Memory images saved by the assembler's loader on a real disk carry the
// header a character set has: the length word (header included) before the
// load address. The caption must read them in that order.
TEST(RealMemoryImages, HeaderLengthComesBeforeTheLoadAddress)
{
    const auto image = ReadAll(std::string(KESTREL_REALDATA) + "/xdt99/disk/asmimgs.dsk");
    if (image.empty()) {
        GTEST_SKIP() << "asmimgs.dsk is not available";
    }
    size_t checked = 0;
    for (const auto &[name, file] : ReadDisk(image)) {
        if (!(file.flags & 0x01) || file.data.size() < kCharsetHeaderSize) {
            continue;
        }
        const size_t length = (file.data[2] << 8) | file.data[3];
        const unsigned address = (file.data[4] << 8) | file.data[5];
        // Every image's length fits the sectors it was stored in; its load
        // address lies in the memory expansion, which the length word never does.
        EXPECT_LE(length, file.data.size()) << name;
        EXPECT_GT(length, file.data.size() - 256) << name;
        EXPECT_GE(address, 0x2000u) << name;
        char expected[64];
        std::snprintf(expected, sizeof expected, " (size= %zu bytes, Vdp address >%04X)", length,
                      address);
        EXPECT_EQ(CharsetSizeText(file.data.data()), expected) << name;
        ++checked;
    }
    EXPECT_GE(checked, 6u);
}

} // namespace
} // namespace kestrel
