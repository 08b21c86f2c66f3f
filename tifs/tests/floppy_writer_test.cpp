#include <algorithm>
#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/floppy/vib.h"
#include "tifs/location.h"
#include "tifs/settings.h"
#include "tifs/tests/floppy_test_util.h"

namespace kestrel::testing
{
namespace
{

using FloppyWriter = FloppyFixture;

std::vector<uint8_t> Sector(const std::vector<uint8_t> &image, unsigned n)
{
    return std::vector<uint8_t>(image.begin() + n * 256, image.begin() + (n + 1) * 256);
}

// Adds a subdirectory slot named name whose file index is sector fdir.
void AddSubdirectory(const std::string &path, const std::string &name, uint16_t fdir)
{
    std::vector<uint8_t> image = ReadBytes(path);
    uint8_t *v = image.data();
    std::string padded = (name + "          ").substr(0, 10);
    std::memcpy(v + 20, padded.data(), 10);
    PutWordBE(v, 30, fdir);
    MarkAu(v, fdir / AuSize(GetWordBE(v, 10)), true);
    std::memset(v + fdir * 256, 0, 256);
    ASSERT_TRUE(WriteBytes(path, image));
}

TEST_F(FloppyWriter, NewImageBitmapsOfTheLargePresets)
{
    std::vector<uint8_t> dd = ReadBytes(NewImage(5));
    ASSERT_EQ(dd.size(), 2880u * 256);
    EXPECT_EQ(dd[56], 0x01); // AU 0 holds sectors 0 and 1
    for (size_t i = 57; i < 236; ++i) {
        ASSERT_EQ(dd[i], 0) << i;
    }
    for (size_t i = 236; i < 256; ++i) {
        ASSERT_EQ(dd[i], 0xFF) << i;
    }
    EXPECT_EQ(std::memcmp(dd.data() + 13, "DSK", 3), 0);
    EXPECT_EQ(dd[16], ' ');
    EXPECT_EQ(std::memcmp(dd.data(), "TEST      ", 10), 0);
    for (size_t i = 256; i < 512; ++i) {
        ASSERT_EQ(dd[i], 0);
    }
    for (size_t i = 512; i < dd.size(); ++i) {
        ASSERT_EQ(dd[i], 0xE5);
    }

    std::vector<uint8_t> cf = ReadBytes(NewImage(3, "cf.dsk"));
    EXPECT_EQ(cf[56], 0x03);
    for (size_t i = 57; i < 256; ++i) {
        ASSERT_EQ(cf[i], 0) << i;
    }
}

TEST_F(FloppyWriter, TenSectorFileGoesToSector34AsOneCluster)
{
    std::string image = NewImage(1);
    std::string source;
    TiFileSpec fileSpec;
    fileSpec.tiName = "TEN";
    fileSpec.sectors = 10;
    CatalogEntry entry = PcTiFile(fileSpec, source);
    RecordingUi ui;
    AddFileState state;
    ASSERT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    EXPECT_TRUE(ui.Silent());
    std::vector<uint8_t> bytes = ReadBytes(image);
    EXPECT_EQ(GetWordBE(bytes.data() + 256, 0), 2);
    const uint8_t *fdr = bytes.data() + 2 * 256;
    EXPECT_EQ(fdr[28] + (fdr[29] & 0x0F) * 256, 34);
    EXPECT_EQ((fdr[29] >> 4) + fdr[30] * 16, 9);
    EXPECT_EQ(fdr[31], 0);
    std::vector<uint8_t> pc = ReadBytes(source);
    EXPECT_EQ(std::memcmp(bytes.data() + 34 * 256, pc.data() + 128, 10 * 256), 0);
    for (unsigned s = 34; s < 44; ++s) {
        EXPECT_TRUE(IsAuUsed(bytes.data(), s));
    }
    EXPECT_FALSE(IsAuUsed(bytes.data(), 44));
}

TEST_F(FloppyWriter, FileNeeding76ClustersIsRefusedWithoutWriting)
{
    std::string image = NewImage(0);
    std::vector<uint8_t> bytes = ReadBytes(image);
    // Every other AU from 34 used: free runs of one AU only.
    for (unsigned au = 35; au < 360; au += 2) {
        MarkAu(bytes.data(), au, true);
    }
    for (unsigned au = 3; au < 34; ++au) {
        MarkAu(bytes.data(), au, true);
    }
    ASSERT_TRUE(WriteBytes(image, bytes));
    std::string source;
    TiFileSpec fileSpec;
    fileSpec.tiName = "FRAG";
    fileSpec.sectors = 76;
    CatalogEntry entry = PcTiFile(fileSpec, source);
    RecordingUi ui;
    AddFileState state;
    EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddStopped);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "To many fragments for file <FRAG      >");
    EXPECT_EQ(ReadBytes(image), bytes);

    fileSpec.sectors = 75;
    entry = PcTiFile(fileSpec, source);
    RecordingUi ok;
    EXPECT_EQ(AddFileToImage({image}, entry, source, state, ok), kAddDone);
    EXPECT_TRUE(ok.Silent());
}

TEST_F(FloppyWriter, FullIndexRefusesEvenAReplacement)
{
    std::string image = NewImage(2);
    RecordingUi ui;
    AddFileState state;
    std::string source;
    for (int i = 0; i < 127; ++i) {
        TiFileSpec fileSpec;
        fileSpec.tiName = "F" + std::to_string(1000 + i);
        fileSpec.sectors = 1;
        CatalogEntry entry = PcTiFile(fileSpec, source);
        ASSERT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone) << i;
    }
    ASSERT_TRUE(ui.Silent());
    std::vector<uint8_t> before = ReadBytes(image);
    TiFileSpec fileSpec;
    fileSpec.tiName = "F1000";
    CatalogEntry entry = PcTiFile(fileSpec, source);
    ui.answers.push_back(Answer::Yes);
    EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "DSK is full <" + image + ">");
    EXPECT_EQ(ReadBytes(image), before);
}

TEST_F(FloppyWriter, RenameKeepsTheIndexSorted)
{
    std::string image = NewImage(1);
    RecordingUi ui;
    AddFileState state;
    std::string source;
    for (const char *name : {"DELTA", "ALPHA", "BRAVO"}) {
        TiFileSpec fileSpec;
        fileSpec.tiName = name;
        CatalogEntry entry = PcTiFile(fileSpec, source);
        ASSERT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    }
    Location location;
    ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
    ASSERT_EQ(location.entries.size(), 3u);
    CatalogEntry alpha = *location.entries[0];
    ASSERT_EQ(alpha.ti.tiName, "ALPHA     ");
    ASSERT_TRUE(RenameFileInImage({image}, alpha, "CHARLIE", "CHARLIE", ui));
    EXPECT_EQ(alpha.ti.tiName, "CHARLIE   ");
    ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
    std::vector<std::string> names;
    for (const auto &e : location.entries) {
        names.push_back(e->ti.tiName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"BRAVO     ", "CHARLIE   ", "DELTA     "}));
    CatalogEntry bravo = *location.entries[0];
    EXPECT_FALSE(RenameFileInImage({image}, bravo, "DELTA", "DELTA", ui));
    EXPECT_EQ(ui.Errors().back(), "File <DELTA> allready exist");
    EXPECT_TRUE(ui.Errors().size() == 1);
}

TEST_F(FloppyWriter, DeletingEveryFileRestoresANewImage)
{
    for (int preset = 0; preset < kPresetCount; ++preset) {
        std::string image = NewImage(preset, "p" + std::to_string(preset) + ".dsk");
        std::vector<uint8_t> fresh = ReadBytes(image);
        RecordingUi ui;
        AddFileState state;
        std::string source;
        for (int i = 0; i < 5; ++i) {
            TiFileSpec fileSpec;
            fileSpec.tiName = "N" + std::to_string(i);
            fileSpec.sectors = static_cast<uint16_t>(1 + i * 7);
            CatalogEntry entry = PcTiFile(fileSpec, source);
            ASSERT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
        }
        Location location;
        ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
        ASSERT_EQ(location.entries.size(), 5u);
        for (const auto &e : location.entries) {
            ASSERT_TRUE(DeleteFileFromImage({image}, *e, ui));
        }
        EXPECT_TRUE(ui.Silent());
        std::vector<uint8_t> after = ReadBytes(image);
        EXPECT_EQ(Sector(after, 0), Sector(fresh, 0)) << preset;
        EXPECT_EQ(Sector(after, 1), Sector(fresh, 1)) << preset;
    }
}

TEST_F(FloppyWriter, DeletingAMissingFileNamesIt)
{
    std::string image = NewImage(1);
    CatalogEntry entry;
    entry.ti.kind = kKindDisVar;
    entry.ti.tiName = "GHOST     ";
    RecordingUi ui;
    EXPECT_FALSE(DeleteFileFromImage({image}, entry, ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "File <GHOST     > doesn't exist");
}

TEST_F(FloppyWriter, OverwriteQuestionAndTheAllAnswer)
{
    std::string image = NewImage(1);
    std::string source;
    TiFileSpec fileSpec;
    fileSpec.tiName = "SAME";
    CatalogEntry entry = PcTiFile(fileSpec, source);
    RecordingUi ui;
    AddFileState state;
    ASSERT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    ui.answers = {Answer::No};
    EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "TI file <SAME> allready exist. Overwrite?");
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddStopped);
    ui.answers = {Answer::All};
    EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    EXPECT_TRUE(state.overwriteAll);
    size_t asked = ui.boxes.size();
    EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    EXPECT_EQ(ui.boxes.size(), asked);
    Location location;
    ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
    EXPECT_EQ(location.entries.size(), 1u);
}

// A replaced file keeps its sectors until the new one is complete elsewhere; only a disk
// without room for both gives the new file the old one's sectors. Either way the disk ends
// with the new file alone, its sectors the only ones marked.
TEST_F(FloppyWriter, ReplacementIsWrittenBesideTheOldFileWhileThereIsRoom)
{
    for (uint16_t sectors : {uint16_t{20}, uint16_t{200}}) {
        std::string image = NewImage(0, "replace" + std::to_string(sectors) + ".dsk");
        TiFileSpec fileSpec;
        fileSpec.tiName = "BIG";
        fileSpec.sectors = sectors;
        std::string source;
        RecordingUi ui;
        AddFileState state;
        state.overwriteAll = true;
        ASSERT_EQ(AddFileToImage({image}, PcTiFile(fileSpec, source), source, state, ui),
                  kAddDone);
        const std::vector<uint8_t> before = ReadBytes(image);
        const std::vector<uint8_t> oldFile = ReadBytes(source);

        fileSpec.seed = 77;
        CatalogEntry replacement = PcTiFile(fileSpec, source);
        ASSERT_EQ(AddFileToImage({image}, replacement, source, state, ui), kAddDone);
        ASSERT_TRUE(ui.Silent()) << ui.Errors()[0];
        const std::vector<uint8_t> after = ReadBytes(image);

        // The old data (from sector 34 on) is untouched when both fit on the 358 free sectors.
        const bool room = 2u * sectors < 358u - 32u;
        const bool oldDataKept =
            std::equal(before.begin() + 34 * 256, before.begin() + (34 + sectors) * 256,
                       after.begin() + 34 * 256);
        EXPECT_EQ(oldDataKept, room) << sectors;
        EXPECT_EQ(std::memcmp(after.data() + 34 * 256, oldFile.data() + 128, 256) == 0, room);

        Location location;
        ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
        ASSERT_EQ(location.entries.size(), 1u);
        std::string back = Path("back" + std::to_string(sectors) + ".bin");
        ASSERT_TRUE(SaveEntryAsTiFile(location, *location.entries[0], back, ui));
        std::vector<uint8_t> saved = ReadBytes(back);
        std::vector<uint8_t> wanted = ReadBytes(source);
        ASSERT_EQ(saved.size(), wanted.size());
        EXPECT_TRUE(std::equal(saved.begin() + 128, saved.end(), wanted.begin() + 128));

        unsigned marked = 0;
        for (unsigned au = 0; au < 360; ++au) {
            marked += IsAuUsed(after.data(), au) ? 1 : 0;
        }
        EXPECT_EQ(marked, 2u + 1u + sectors) << "VIB and index, the FDR, the data";
    }
}

// Every file type added and saved again is the same PC file, on every preset
// and in a subdirectory as in the root.
TEST_F(FloppyWriter, PutAndGetRoundTripEveryTypeEveryPreset)
{
    struct Type {
        const char *name;
        uint8_t flags, recordLength, recordsPerSector, eof;
        uint16_t level3;
    };
    const Type types[] = {{"DF80", 0x00, 80, 3, 0, 9},
                          {"DV80", 0x80, 80, 3, 0x40, 3},
                          {"IF128", 0x02, 128, 2, 0, 6},
                          {"IV254", 0x82, 254, 1, 0x20, 3},
                          {"PROG", 0x01, 0, 0, 0x10, 0}};
    for (int preset = 0; preset < kPresetCount; ++preset) {
        std::string image = NewImage(preset, "rt" + std::to_string(preset) + ".dsk");
        AddSubdirectory(image, "SUB", 3);
        for (uint16_t fdir : {uint16_t{1}, uint16_t{3}}) {
            for (bool tifiles : {false, true}) {
                for (const Type &t : types) {
                    TiFileSpec fileSpec;
                    fileSpec.tiName = t.name;
                    fileSpec.flags = t.flags;
                    fileSpec.recordLength = t.recordLength;
                    fileSpec.recordsPerSector = t.recordsPerSector;
                    fileSpec.eofOffset = t.eof;
                    fileSpec.level3 = t.level3;
                    fileSpec.sectors = 3;
                    fileSpec.tifiles = tifiles;
                    fileSpec.seed = static_cast<uint8_t>(preset * 5 + fdir);
                    std::string source;
                    CatalogEntry entry = PcTiFile(fileSpec, source);
                    RecordingUi ui;
                    AddFileState state;
                    state.overwriteAll = true;
                    FloppyTarget target{image, 0, fdir};
                    ASSERT_EQ(AddFileToImage(target, entry, source, state, ui), kAddDone);
                    ASSERT_TRUE(ui.Silent()) << ui.Errors()[0];

                    Location location;
                    ASSERT_TRUE(ListFloppyImage(location, image, fdir, "SUB", false, ui));
                    const CatalogEntry *found = nullptr;
                    for (const auto &e : location.entries) {
                        if (e->ti.tiName == PadTiName(t.name)) {
                            found = e.get();
                        }
                    }
                    ASSERT_NE(found, nullptr) << t.name;
                    ProgramSettings().extractTiFiles = tifiles;
                    std::string back = Path("back.bin");
                    bool saved = SaveEntryAsTiFile(location, *found, back, ui);
                    ProgramSettings().extractTiFiles = false;
                    ASSERT_TRUE(saved) << ui.Errors()[0];
                    EXPECT_EQ(ReadBytes(back), ReadBytes(source))
                        << t.name << " preset " << preset << " fdir " << fdir;
                }
            }
        }
        // The root and the subdirectory each hold their own five files.
        RecordingUi ui;
        Location root;
        ASSERT_TRUE(ListFloppyImage(root, image, 1, "", false, ui));
        EXPECT_EQ(root.entries.size(), 6u); // the slot and five files
        Location sub;
        ASSERT_TRUE(ListFloppyImage(sub, image, 3, "SUB", false, ui));
        EXPECT_EQ(sub.entries.size(), 5u);
        EXPECT_EQ(sub.entries[0]->pcName, image + "->SUB");
    }
}

// High-density disks keep cluster starts in units of 4 sectors: the writer
// must store what the reader takes.
TEST_F(FloppyWriter, HighDensityRoundTrip)
{
    for (uint16_t total : {uint16_t{2880}, uint16_t{5760}}) {
        FloppyPreset preset{"HD", total, 36, 80, 2, 3};
        std::string image = Path("hd" + std::to_string(total) + ".dsk");
        RecordingUi ui;
        ASSERT_EQ(WriteNewImage(preset, "HD", image, ui), 0);
        std::string source;
        for (int i = 0; i < 4; ++i) {
            TiFileSpec fileSpec;
            fileSpec.tiName = "HD" + std::to_string(i);
            fileSpec.sectors = static_cast<uint16_t>(5 + i * 3);
            fileSpec.seed = static_cast<uint8_t>(i + 3);
            CatalogEntry entry = PcTiFile(fileSpec, source);
            AddFileState state;
            ASSERT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
            Location location;
            ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
            const CatalogEntry *found = nullptr;
            for (const auto &e : location.entries) {
                if (e->ti.tiName == PadTiName(fileSpec.tiName)) {
                    found = e.get();
                }
            }
            ASSERT_NE(found, nullptr);
            std::string back = Path("hd.back");
            ASSERT_TRUE(SaveEntryAsTiFile(location, *found, back, ui));
            EXPECT_EQ(ReadBytes(back), ReadBytes(source)) << total << " " << i;
        }
        EXPECT_TRUE(ui.Silent());
    }
}

TEST_F(FloppyWriter, CreateImageAsksBeforeReplacing)
{
    RecordingUi ui;
    std::string path;
    EXPECT_FALSE(CreateImage(dir, "", 1, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Please enter a volume label");
    ASSERT_TRUE(CreateImage(dir, "games", 1, ui, &path));
    EXPECT_EQ(path, Path("games.dsk"));
    EXPECT_EQ(ReadBytes(path).size(), 720u * 256);
    ui.answers = {Answer::No};
    EXPECT_FALSE(CreateImage(dir, "games", 0, ui));
    EXPECT_EQ(ReadBytes(path).size(), 720u * 256);
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(CreateImage(dir, "games", 0, ui));
    EXPECT_EQ(ReadBytes(path).size(), 360u * 256);
    EXPECT_FALSE(CreateImage(dir, "../x", 0, ui));
}

} // namespace
} // namespace kestrel::testing
