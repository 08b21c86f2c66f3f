// The picture viewers over files: TI-Artist pairs found in the catalog,
// MYART and character-set files, damaged files, files inside a disk image,
// and GIF files written out for the external viewer.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/record_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location_listers.h"
#include "viewers/gif_export.h"
#include "viewers/picture/myart.h"
#include "viewers/picture_views.h"
#include "viewers/tifile_data.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;
using testing::RecordingUi;
using testing::TiFileData;

constexpr Rgb kGrey{0xC2, 0xC2, 0xC2};
constexpr Rgb kBlue{0x00, 0x00, 0xFF};
constexpr Rgb kWhite{0xFF, 0xFF, 0xFF};

// A PROGRAM file of the given sectors, every byte `fill`, under a TI name.
TiFileData ProgramOf(const std::string &name, uint16_t sectors, uint8_t fill)
{
    TiFileData f = testing::ProgramTiFile(std::vector<uint8_t>(sectors * 256u, fill));
    f.fileSpec.name = name;
    return f;
}

// A DIS/FIX 128 file holding the bytes as its records.
TiFileData RecordsOf(const std::string &name, std::vector<uint8_t> bytes)
{
    bytes.resize((bytes.size() + 127) / 128 * 128, 0);
    std::vector<std::string> records;
    for (size_t at = 0; at < bytes.size(); at += 128) {
        records.emplace_back(bytes.begin() + at, bytes.begin() + at + 128);
    }
    TiFileData f = testing::FixedRecordFile(false, 128, records);
    f.fileSpec.name = name;
    return f;
}

class PictureFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("kestrel-pictures-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        m_location.path = m_dir.string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Writes the file; cut > 0 drops that many bytes from its end. The
    // entry joins the location's catalog, where partners are looked for.
    CatalogEntry &Put(const std::string &pcName, const TiFileData &file, size_t cut = 0)
    {
        std::vector<uint8_t> bytes = file.Bytes();
        bytes.resize(bytes.size() - std::min(cut, bytes.size()));
        EXPECT_TRUE(testing::WriteFileBytes((m_dir / pcName).string(), bytes));
        CatalogEntry *entry = AddEntry(m_location.entries);
        *entry = file.Entry(pcName);
        return *entry;
    }

    std::string Temp() const { return (m_dir / "ti_tmp.$$$").string(); }

    fs::path m_dir;
    Location m_location;
    RecordingUi m_ui;
};

TEST_F(PictureFiles, TiArtistWithoutColourFileIsBlueOnGrey)
{
    const CatalogEntry &picture = Put("pic_p", ProgramOf("PIC_P", 24, 0xF0));
    PictureView view;
    ASSERT_TRUE(ShowTiArtistPicture(m_location, picture, Temp(), m_ui, view));
    EXPECT_TRUE(m_ui.Silent());
    ASSERT_TRUE(view.drawn);
    EXPECT_EQ(view.bitmap.Width(), 276);
    EXPECT_EQ(view.bitmap.Height(), 212);
    EXPECT_EQ(view.bitmap.At(10, 10), kBlue);
    EXPECT_EQ(view.bitmap.At(14, 10), kGrey);
    EXPECT_EQ(view.bitmap.At(261, 201), kBlue);
    EXPECT_EQ(view.bitmap.At(262, 201), kGrey);
    EXPECT_EQ(view.bitmap.At(5, 5), kGrey);
    EXPECT_EQ(view.caption, "Kestrel - " + m_dir.string() + "->pic_p (size= 6144 bytes: 256x192)");
}

TEST_F(PictureFiles, TiArtistPairsByNameAndTheColourFileSize)
{
    const CatalogEntry &picture = Put("art_p", ProgramOf("ART_P", 24, 0xF0));
    const CatalogEntry &colours = Put("art_c", ProgramOf("ART_C", 24, 0x9E)); // red on grey
    Put("other_c", ProgramOf("OTHER_C", 24, 0x21));
    const CatalogEntry &thin = Put("thin_p", ProgramOf("THIN_P", 24, 0xF0));
    Put("thin_c", ProgramOf("THIN_C", 23, 0x21));
    const CatalogEntry &lower = Put("low_p", ProgramOf("LOW_p", 24, 0xF0));
    Put("low_c", ProgramOf("LOW_c", 24, 0x21));

    const TiArtistFiles found = FindTiArtistFiles(m_location, picture);
    EXPECT_EQ(found.picture, &picture);
    EXPECT_EQ(found.colours, &colours);
    const TiArtistFiles reversed = FindTiArtistFiles(m_location, colours);
    EXPECT_EQ(reversed.picture, &picture);
    EXPECT_EQ(reversed.colours, &colours);
    EXPECT_EQ(FindTiArtistFiles(m_location, thin).colours, nullptr);
    EXPECT_EQ(FindTiArtistFiles(m_location, lower).colours, nullptr); // upper case only

    PictureView view;
    ASSERT_TRUE(ShowTiArtistPicture(m_location, picture, Temp(), m_ui, view));
    EXPECT_EQ(view.bitmap.At(10, 10), (Rgb{0xFF, 0, 0}));
    EXPECT_EQ(view.bitmap.At(14, 10), kGrey);
    // The colour file selected draws its picture, under the picture's name.
    PictureView fromColours;
    ASSERT_TRUE(ShowTiArtistPicture(m_location, colours, Temp(), m_ui, fromColours));
    EXPECT_EQ(fromColours.bitmap.Bytes(), view.bitmap.Bytes());
    EXPECT_NE(fromColours.caption.find("->art_p (size="), std::string::npos);
    // A colour file of 23 sectors is ignored.
    ASSERT_TRUE(ShowTiArtistPicture(m_location, thin, Temp(), m_ui, view));
    EXPECT_EQ(view.bitmap.At(10, 10), kBlue);
    EXPECT_TRUE(m_ui.Silent());

    // A "_C" file without a picture partner is drawn itself, uncoloured.
    const CatalogEntry &alone = Put("solo_c", ProgramOf("SOLO_C", 24, 0x80));
    ASSERT_TRUE(ShowTiArtistPicture(m_location, alone, Temp(), m_ui, view));
    EXPECT_EQ(view.bitmap.At(10, 10), kBlue);
    EXPECT_EQ(view.bitmap.At(11, 10), kGrey);
    EXPECT_NE(view.caption.find("->solo_c (size="), std::string::npos);
}

TEST_F(PictureFiles, TiArtistFilesCutShort)
{
    // The colour file says 24 sectors and holds 10: message 23, no colours.
    const CatalogEntry &picture = Put("cut_p", ProgramOf("CUT_P", 24, 0xFF));
    Put("cut_c", ProgramOf("CUT_C", 24, 0x61), 14 * 256);
    PictureView view;
    ASSERT_TRUE(ShowTiArtistPicture(m_location, picture, Temp(), m_ui, view));
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Can't read TI-Artist colortable <cut_c>"}));
    EXPECT_EQ(view.bitmap.At(10, 10), kBlue);

    // The picture ends inside its sixth sector: the five whole rows and the
    // whole patterns of the sixth stay, message 6 names the sector.
    m_ui.boxes.clear();
    const CatalogEntry &broken = Put("bad_p", ProgramOf("BAD_P", 24, 0xFF), 18 * 256 + 56);
    ASSERT_TRUE(ShowTiArtistPicture(m_location, broken, Temp(), m_ui, view));
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Can't read sector <6> from <bad_p>"}));
    EXPECT_EQ(view.bitmap.At(10, 10 + 4 * 8), kBlue);
    EXPECT_EQ(view.bitmap.At(10 + 24 * 8, 10 + 5 * 8), kBlue);
    EXPECT_EQ(view.bitmap.At(10 + 25 * 8, 10 + 5 * 8), kGrey);
    EXPECT_EQ(view.bitmap.At(10, 10 + 6 * 8), kGrey);

    // A file that is not there leaves the window empty with "Kestrel".
    m_ui.boxes.clear();
    CatalogEntry missing = broken;
    missing.pcName = "gone_p";
    EXPECT_FALSE(ShowTiArtistPicture(m_location, missing, Temp(), m_ui, view));
    EXPECT_FALSE(view.drawn);
    EXPECT_EQ(view.caption, "Kestrel");
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Can't open file for read <" +
                                                       (m_dir / "gone_p").string() + ">"}));
}

TEST_F(PictureFiles, MyartFilesAndTheGifRefusal)
{
    // 256 mode: 2 unused bytes, then one line of white and half a line of
    // green; the zero bytes that fill the record are black runs of 256.
    std::vector<uint8_t> bytes = {0, 0, 0xFF, 0x00, 0xE0, 0x80};
    const CatalogEntry &m256 = Put("m256", RecordsOf("M256", bytes));
    PictureView view;
    ASSERT_TRUE(ComposePictureView(m_location, m256, kPictureMyart256, Temp(), m_ui, view));
    EXPECT_TRUE(m_ui.Silent());
    EXPECT_EQ(view.bitmap.Width(), 276);
    EXPECT_EQ(view.bitmap.Height(), 232);
    EXPECT_EQ(view.bitmap.At(265, 10), (Rgb{254, 254, 255}));
    EXPECT_EQ(view.bitmap.At(137, 11), (Rgb{0, 254, 0}));
    EXPECT_EQ(view.bitmap.At(138, 11), (Rgb{0, 0, 0}));
    EXPECT_EQ(view.bitmap.At(10, 10 + 61), (Rgb{0, 0, 0}));
    EXPECT_EQ(view.bitmap.At(10, 10 + 62), kGrey); // the record ends
    EXPECT_EQ(view.caption,
              "Kestrel - " + m_dir.string() + "->m256 (size= 128 bytes: 256x212, 256 colors)");

    // 512 mode reads the palette first; run bit 8 in the colour byte.
    std::vector<uint8_t> wide(34, 0);
    wide[2 + 2 * 7] = 0x07; // entry 7: blue
    wide.push_back(0x71);   // 0x12C = 300 pixels
    wide.push_back(0x2C);
    const CatalogEntry &m512 = Put("m512", RecordsOf("M512", wide));
    ASSERT_TRUE(ComposePictureView(m_location, m512, kPictureMyart512, Temp(), m_ui, view));
    EXPECT_EQ(view.bitmap.Width(), 532);
    EXPECT_EQ(view.bitmap.At(309, 10), (Rgb{0, 0, 254}));
    EXPECT_EQ(view.bitmap.At(310, 10), (Rgb{0, 0, 0})); // entry 0 of the zero filling
    EXPECT_EQ(PictureClientSizeFor(kPictureMyart512, view.bitmap).width, 532);
    EXPECT_EQ(PictureClientSizeFor(kPictureMyart512, view.bitmap).height, 464);
    EXPECT_EQ(PictureClientSizeFor(kPictureTiArtist, NewMyartBitmap(256)).width, 552);

    // A GIF picture in a DIS/FIX 128 file is no MYART picture: the window
    // goes first, then message 22.
    const CatalogEntry &gif = Put("gif", RecordsOf("GIFPIC", {'g', 'i', 'F', '8', '9', 'a'}));
    size_t boxesWhenRefused = 99;
    EXPECT_FALSE(ComposePictureView(m_location, gif, kPictureMyart256, Temp(), m_ui, view,
                                    [&] { boxesWhenRefused = m_ui.boxes.size(); }));
    EXPECT_EQ(boxesWhenRefused, 0u);
    EXPECT_FALSE(view.drawn);
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Not a MYART file <gif>"}));

    // Records cut short: message 6 with the record number, drawn so far.
    m_ui.boxes.clear();
    std::vector<uint8_t> long256(5 * 128, 0);
    for (size_t i = 2; i + 1 < long256.size(); i += 2) {
        long256[i] = 0x03;
        long256[i + 1] = 0x00;
    }
    const CatalogEntry &cut = Put("cut", RecordsOf("CUT", long256), 768 - (2 * 128 + 20));
    ASSERT_TRUE(ComposePictureView(m_location, cut, kPictureMyart256, Temp(), m_ui, view));
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Can't read sector <3> from <cut>"}));
    EXPECT_EQ(view.bitmap.At(10, 10 + 126), (Rgb{0, 0, 255})); // 2 records: 127 lines
    EXPECT_EQ(view.bitmap.At(10, 10 + 127), kGrey);
}

// A character set: the 6-byte header and `patterns` patterns of one pixel.
TiFileData CharacterSetOf(unsigned patterns)
{
    std::vector<uint8_t> bytes = {
        0x00, 0x00, static_cast<uint8_t>(patterns * 8 >> 8), static_cast<uint8_t>(patterns * 8),
        0x08, 0x00};
    for (unsigned n = 0; n < patterns; ++n) {
        const uint8_t pattern[8] = {0x80, 0, 0, 0, 0, 0, 0, 0};
        bytes.insert(bytes.end(), pattern, pattern + 8);
    }
    TiFileData f = testing::ProgramTiFile(bytes);
    f.fileSpec.name = "CHARS";
    return f;
}

std::vector<uint8_t> FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

int CountWhite(const Raster &r)
{
    int white = 0;
    for (int y = 0; y < r.Height(); ++y) {
        for (int x = 0; x < r.Width(); ++x) {
            white += r.At(x, y) == kWhite ? 1 : 0;
        }
    }
    return white;
}

TEST_F(PictureFiles, CharacterSetsWholeAndCut)
{
    const CatalogEntry &set = Put("chars", CharacterSetOf(256));
    ASSERT_EQ(set.ti.recordLength, 2054);
    PictureView view;
    ASSERT_TRUE(ComposePictureView(m_location, set, kPictureCharset, Temp(), m_ui, view));
    EXPECT_TRUE(m_ui.Silent());
    EXPECT_EQ(CountWhite(view.bitmap), 192);
    EXPECT_EQ(view.bitmap.At(10 + 15 * 16, 10 + 11 * 16), kWhite);
    EXPECT_EQ(view.bitmap.At(0, 0), kBlue);
    EXPECT_EQ(view.caption,
              "Kestrel - " + m_dir.string() + "->chars (size= 2048 bytes, Vdp address >0800)");

    // Cut inside the third 256-byte piece: 64 patterns and the whole ones of
    // the third piece, message 6 with the piece number.
    const CatalogEntry &cut = Put("cut", CharacterSetOf(256), 2054 - 6 - 2 * 256 - 100 + 250);
    ASSERT_TRUE(ComposePictureView(m_location, cut, kPictureCharset, Temp(), m_ui, view));
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Can't read sector <3> from <cut>"}));
    EXPECT_EQ(CountWhite(view.bitmap), 64 + 12);

    // Cut behind the patterns that fit: all 192 drawn, the damage reported.
    m_ui.boxes.clear();
    const CatalogEntry &tail = Put("tail", CharacterSetOf(256), 2304 - (6 + 6 * 256 + 10));
    ASSERT_TRUE(ComposePictureView(m_location, tail, kPictureCharset, Temp(), m_ui, view));
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Can't read sector <7> from <tail>"}));
    EXPECT_EQ(CountWhite(view.bitmap), 192);

    // No header at all: message 6 with 0.
    m_ui.boxes.clear();
    const CatalogEntry &empty = Put("none", CharacterSetOf(256), 2054 - 4 + 250);
    ASSERT_TRUE(ComposePictureView(m_location, empty, kPictureCharset, Temp(), m_ui, view));
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Can't read sector <0> from <none>"}));
    EXPECT_EQ(CountWhite(view.bitmap), 0);
    EXPECT_EQ(view.caption, "Kestrel - " + m_dir.string() + "->none");
}

TEST_F(PictureFiles, ModesRefuseOtherFileTypesSilently)
{
    const CatalogEntry &program = Put("prog", ProgramOf("PROG", 1, 0));
    const CatalogEntry &records = Put("recs", RecordsOf("RECS", {0, 0}));
    const CatalogEntry &text = Put("text", testing::VariableRecordFile(false, 80, {"HELLO"}));
    PictureView view;
    EXPECT_FALSE(PictureModeAccepts(kPictureMyart256, program));
    EXPECT_FALSE(PictureModeAccepts(kPictureTiArtist, records));
    EXPECT_FALSE(PictureModeAccepts(kPictureCharset, text));
    EXPECT_FALSE(PictureModeAccepts(2, program));
    EXPECT_TRUE(PictureModeAccepts(kPictureMyart512, records));
    EXPECT_FALSE(ComposePictureView(m_location, text, kPictureTiArtist, Temp(), m_ui, view));
    EXPECT_FALSE(ComposePictureView(m_location, program, kPictureMyart512, Temp(), m_ui, view));
    EXPECT_FALSE(WriteGifFile(m_location, program, Temp(), (m_dir / "x.gif").string(), m_ui));
    EXPECT_FALSE(view.drawn);
    EXPECT_TRUE(m_ui.Silent());
    EXPECT_FALSE(fs::exists(m_dir / "x.gif"));
}

TEST_F(PictureFiles, PicturesInsideADiskImageGoThroughTheTemporaryFile)
{
    const std::string dsk = (m_dir / "art.dsk").string();
    ASSERT_EQ(WriteNewImage(*FindPreset(1), "ART", dsk, m_ui), 0);
    const FloppyTarget target{dsk, 0, 1};
    AddFileState state;
    for (auto [name, fill] : {std::pair{"SUN_P", 0x0F}, std::pair{"SUN_C", 0x4B}}) {
        CatalogEntry &entry = Put(name, ProgramOf(name, 24, static_cast<uint8_t>(fill)));
        ASSERT_EQ(AddFileToImage(target, entry, (m_dir / name).string(), state, m_ui), kAddDone);
    }
    RegisterLocationListers();
    Location disk;
    ASSERT_TRUE(ResolveLocationPath(disk, dsk, m_ui));
    const CatalogEntry *colours = FindEntryByName(disk, "SUN_C");
    ASSERT_NE(colours, nullptr);
    PictureView view;
    ASSERT_TRUE(ComposePictureView(disk, *colours, kPictureTiArtist, Temp(), m_ui, view));
    EXPECT_TRUE(m_ui.Silent()) << m_ui.Errors().front();
    EXPECT_EQ(view.bitmap.At(10, 10), (Rgb{0xFF, 0xFF, 0})); // background: yellow
    EXPECT_EQ(view.bitmap.At(14, 10), (Rgb{0, 0, 0x80}));    // foreground: dark blue
    EXPECT_EQ(view.caption, "Kestrel - " + dsk + "->SUN_P (size= 6144 bytes: 256x192)");
    EXPECT_TRUE(fs::exists(Temp()));

    TiFileStream stream = OpenTiFileData(disk, *colours, Temp(), m_ui);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream.path, Temp());
    EXPECT_EQ(std::fgetc(stream.file.get()), 0x4B); // at the data, behind the header
    EXPECT_FALSE(OpenTiFileData(disk, *colours, "", m_ui));
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Can't open file for read <SUN_C>"}));
}

TEST_F(PictureFiles, GifRecordsWrittenUpToTheLevel3Count)
{
    std::vector<uint8_t> bytes = {'G', 'I', 'F', '8', '7', 'a'};
    for (int i = 6; i < 3 * 128; ++i) {
        bytes.push_back(static_cast<uint8_t>(i * 7));
    }
    TiFileData file = RecordsOf("PICTURE", bytes);
    ASSERT_EQ(file.fileSpec.level3, 3);
    file.data.resize(file.data.size(), 0);
    std::fill(file.data.begin() + 3 * 128, file.data.end(), 0xEE); // behind the last record
    const CatalogEntry &entry = Put("picture", file);
    const std::string gif = (m_dir / "ti_pic.gif").string();
    ASSERT_TRUE(WriteGifFile(m_location, entry, Temp(), gif, m_ui));
    EXPECT_TRUE(m_ui.Silent());
    EXPECT_EQ(FileBytes(gif), bytes);

    // Not a GIF: message 21 with the TI name, the viewer is not started.
    const CatalogEntry &other = Put("other", RecordsOf("OTHER", {'G', 'I', 'X'}));
    EXPECT_FALSE(WriteGifFile(m_location, other, Temp(), gif, m_ui));
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Not a GIF file <OTHER>"}));

    // The last sector needs only the record it holds; cut inside that
    // record: message 6 with the sector number.
    const CatalogEntry &tail = Put("tail", file, 100);
    EXPECT_TRUE(WriteGifFile(m_location, tail, Temp(), gif, m_ui));
    EXPECT_EQ(FileBytes(gif), bytes);
    m_ui.boxes.clear();
    const CatalogEntry &cut = Put("cut", file, 256 - 50);
    EXPECT_FALSE(WriteGifFile(m_location, cut, Temp(), gif, m_ui));
    EXPECT_EQ(m_ui.Errors(), (std::vector<std::string>{"Can't read sector <2> from <cut>"}));

    // A GIF file that cannot be made: message 2.
    m_ui.boxes.clear();
    const std::string nowhere = (m_dir / "no" / "such" / "ti_pic.gif").string();
    EXPECT_FALSE(WriteGifFile(m_location, entry, Temp(), nowhere, m_ui));
    EXPECT_EQ(m_ui.Errors(),
              (std::vector<std::string>{"Can't open file for write <" + nowhere + ">"}));
}

} // namespace
} // namespace kestrel
