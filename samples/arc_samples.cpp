// The demo archives: games.ark (compressed, INT/FIX 128) and library.ark
// (uncompressed, DIS/FIX 128) in the demo directory, made with the test
// writer of archives, so that the panes have archives to open and the
// command line has something to list.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "samples/sample.h"
#include "tests/support/arc_writer.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/ti_header.h"

namespace kestrel::samples
{
namespace
{

using testing::ArcMember;
using testing::ArcMemberFrom;

// DISPLAY VARIABLE records: a length byte and the text, 0xFF after the last
// record of each sector; returns the member with level-3 = sectors used.
ArcMember VariableTextMember(const std::string &name, uint8_t recordLength,
                             const std::vector<std::string> &lines)
{
    std::vector<uint8_t> data;
    std::vector<uint8_t> sector;
    auto closeSector = [&]() {
        sector.push_back(0xFF);
        sector.resize(256, 0);
        data.insert(data.end(), sector.begin(), sector.end());
        sector.clear();
    };
    uint8_t eof = 0;
    for (std::string line : lines) {
        if (line.size() > recordLength) {
            line.resize(recordLength);
        }
        if (sector.size() + 1 + line.size() + 1 > 256) {
            closeSector();
        }
        sector.push_back(static_cast<uint8_t>(line.size()));
        sector.insert(sector.end(), line.begin(), line.end());
    }
    eof = static_cast<uint8_t>(sector.size());
    closeSector();
    uint16_t sectors = static_cast<uint16_t>(data.size() / 256);
    return ArcMemberFrom(name, 0x80, recordLength, static_cast<uint8_t>(256 / (recordLength + 1)),
                         eof, sectors, data);
}

// FIXED records of one length, space-padded (DISPLAY) or zero-padded.
ArcMember FixedMember(const std::string &name, uint8_t flags, uint8_t recordLength,
                      const std::vector<std::string> &records)
{
    uint8_t perSector = static_cast<uint8_t>(256 / recordLength);
    std::vector<uint8_t> data;
    for (size_t i = 0; i < records.size(); ++i) {
        if (i % perSector == 0) {
            data.resize((data.size() + 255) / 256 * 256, 0);
        }
        std::string record = records[i];
        record.resize(recordLength, (flags & 0x02) ? '\0' : ' ');
        data.insert(data.end(), record.begin(), record.end());
    }
    return ArcMemberFrom(name, flags, recordLength, perSector, 0,
                         static_cast<uint16_t>(records.size()), data);
}

// A PROGRAM memory image as character-set editors save one: the 6-byte
// header (a flag word, the length of the image with its header, and the
// video-memory address it loads to), then the patterns of the digits and
// letters, 8 bytes each, top row first, leftmost pixel in bit 7.
ArcMember CharacterSetMember()
{
    static const uint8_t kGlyphs[][8] = {
        {0x38, 0x44, 0x4C, 0x54, 0x64, 0x44, 0x38, 0x00}, // 0
        {0x10, 0x30, 0x10, 0x10, 0x10, 0x10, 0x38, 0x00}, // 1
        {0x38, 0x44, 0x04, 0x08, 0x10, 0x20, 0x7C, 0x00}, // 2
        {0x38, 0x44, 0x04, 0x18, 0x04, 0x44, 0x38, 0x00}, // 3
        {0x08, 0x18, 0x28, 0x48, 0x7C, 0x08, 0x08, 0x00}, // 4
        {0x7C, 0x40, 0x78, 0x04, 0x04, 0x44, 0x38, 0x00}, // 5
        {0x18, 0x20, 0x40, 0x78, 0x44, 0x44, 0x38, 0x00}, // 6
        {0x7C, 0x04, 0x08, 0x10, 0x20, 0x20, 0x20, 0x00}, // 7
        {0x38, 0x44, 0x44, 0x38, 0x44, 0x44, 0x38, 0x00}, // 8
        {0x38, 0x44, 0x44, 0x3C, 0x04, 0x08, 0x30, 0x00}, // 9
        {0x10, 0x28, 0x44, 0x44, 0x7C, 0x44, 0x44, 0x00}, // A
        {0x78, 0x44, 0x44, 0x78, 0x44, 0x44, 0x78, 0x00}, // B
        {0x38, 0x44, 0x40, 0x40, 0x40, 0x44, 0x38, 0x00}, // C
        {0x78, 0x44, 0x44, 0x44, 0x44, 0x44, 0x78, 0x00}, // D
        {0x7C, 0x40, 0x40, 0x78, 0x40, 0x40, 0x7C, 0x00}, // E
        {0x7C, 0x40, 0x40, 0x78, 0x40, 0x40, 0x40, 0x00}, // F
        {0x38, 0x44, 0x40, 0x5C, 0x44, 0x44, 0x3C, 0x00}, // G
        {0x44, 0x44, 0x44, 0x7C, 0x44, 0x44, 0x44, 0x00}, // H
        {0x38, 0x10, 0x10, 0x10, 0x10, 0x10, 0x38, 0x00}, // I
        {0x1C, 0x08, 0x08, 0x08, 0x08, 0x48, 0x30, 0x00}, // J
        {0x44, 0x48, 0x50, 0x60, 0x50, 0x48, 0x44, 0x00}, // K
        {0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x7C, 0x00}, // L
        {0x44, 0x6C, 0x54, 0x54, 0x44, 0x44, 0x44, 0x00}, // M
        {0x44, 0x44, 0x64, 0x54, 0x4C, 0x44, 0x44, 0x00}, // N
        {0x38, 0x44, 0x44, 0x44, 0x44, 0x44, 0x38, 0x00}, // O
        {0x78, 0x44, 0x44, 0x78, 0x40, 0x40, 0x40, 0x00}, // P
        {0x38, 0x44, 0x44, 0x44, 0x54, 0x48, 0x34, 0x00}, // Q
        {0x78, 0x44, 0x44, 0x78, 0x50, 0x48, 0x44, 0x00}, // R
        {0x3C, 0x40, 0x40, 0x38, 0x04, 0x04, 0x78, 0x00}, // S
        {0x7C, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x00}, // T
        {0x44, 0x44, 0x44, 0x44, 0x44, 0x44, 0x38, 0x00}, // U
        {0x44, 0x44, 0x44, 0x44, 0x44, 0x28, 0x10, 0x00}, // V
        {0x44, 0x44, 0x44, 0x54, 0x54, 0x54, 0x28, 0x00}, // W
        {0x44, 0x44, 0x28, 0x10, 0x28, 0x44, 0x44, 0x00}, // X
        {0x44, 0x44, 0x28, 0x10, 0x10, 0x10, 0x10, 0x00}, // Y
        {0x7C, 0x04, 0x08, 0x10, 0x20, 0x40, 0x7C, 0x00}, // Z
    };
    constexpr uint16_t kPatternTable = 0x0900; // character 32 of the pattern table at >0800
    std::vector<uint8_t> image(6);
    for (const auto &glyph : kGlyphs) {
        image.insert(image.end(), glyph, glyph + 8);
    }
    const size_t length = image.size();
    image[0] = 0x00; // the last (only) file of the image
    image[1] = 0x00;
    image[2] = static_cast<uint8_t>(length >> 8);
    image[3] = static_cast<uint8_t>(length);
    image[4] = static_cast<uint8_t>(kPatternTable >> 8);
    image[5] = static_cast<uint8_t>(kPatternTable);
    return ArcMemberFrom("CHARSET", 0x01, 0, 0, static_cast<uint8_t>(length % 256), 0, image);
}

std::vector<ArcMember> GameMembers()
{
    std::vector<std::string> readme = {
        "GAMES ARCHIVE",
        "",
        "This archive packs the files of three small games.",
        "Open it with Enter, view a member with F3 or F4,",
        "and copy a member out with F5.",
    };
    for (int i = 1; i <= 40; ++i) {
        readme.push_back("Line " + std::to_string(i) + " of the notes: keep the high scores safe.");
    }
    std::vector<std::string> levels;
    for (int i = 1; i <= 24; ++i) {
        levels.push_back("LEVEL " + std::to_string(i) + "  ####....####....####....####");
    }
    std::vector<std::string> scores;
    for (int i = 0; i < 30; ++i) {
        std::string record = "PLAYER" + std::to_string(i);
        record.push_back(static_cast<char>(i * 7));
        scores.push_back(record);
    }
    return {
        VariableTextMember("README", 80, readme),
        FixedMember("LEVELS", 0x00, 80, levels),
        FixedMember("SCORES", 0x02, 32, scores),
        CharacterSetMember(),
    };
}

bool WriteArchive(const std::string &path, const std::vector<ArcMember> &members, bool compressed)
{
    std::vector<uint8_t> bytes =
        testing::ArcFileBytes(testing::BuildArcSectors(members, compressed), compressed);
    if (!testing::WriteArcTestFile(path, bytes)) {
        std::fprintf(stderr, "arc samples: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// Adds a TI file (a PC file with its header) to the image under tiName.
bool AddToDisk(const std::string &image, const std::string &source, const std::string &tiName)
{
    std::vector<uint8_t> bytes;
    CatalogEntry entry;
    if (!testing::ReadArcTestFile(source, bytes) || bytes.size() < 128 ||
        !DecodeHeader(bytes.data(), tiName, false, entry.ti)) {
        return false;
    }
    entry.pcName = source.substr(source.find_last_of('/') + 1);
    entry.ti.tiName = PadTiName(tiName);
    FloppyTarget target;
    target.imagePath = image;
    AddFileState state;
    testing::RecordingUi ui;
    return AddFileToImage(target, entry, source, state, ui) == kAddDone && ui.Errors().empty();
}

// A floppy image that holds both archives and, loose, the README they pack.
bool MakeArchiveDisk(const std::string &demoDir, const std::vector<ArcMember> &members)
{
    const std::string image = demoDir + "/archives.dsk";
    const std::string readme = demoDir + "/.arc-readme.tmp";
    const ArcMember &text = members[0];
    testing::RecordingUi ui;
    const FloppyPreset *preset = FindPreset(kDefaultPreset);
    bool ok = preset != nullptr && WriteNewImage(*preset, "ARCHIVES", image, ui) == 0 &&
              testing::WriteArcTestFile(
                  readme, testing::TiFileBytes(static_cast<uint8_t>(text.ti.flags),
                                               static_cast<uint8_t>(text.ti.recordLength),
                                               text.ti.recordsPerSector, text.ti.level3Count,
                                               text.data, text.ti.eofOffset)) &&
              AddToDisk(image, demoDir + "/games.ark", "GAMES") &&
              AddToDisk(image, demoDir + "/library.ark", "LIBRARY") &&
              AddToDisk(image, readme, "README");
    std::remove(readme.c_str());
    if (!ok) {
        std::fprintf(stderr, "arc samples: cannot make %s\n", image.c_str());
    }
    return ok;
}

bool MakeArchives(const std::string &demoDir)
{
    std::vector<ArcMember> members = GameMembers();
    return WriteArchive(demoDir + "/games.ark", members, true) &&
           WriteArchive(demoDir + "/library.ark", members, false) &&
           MakeArchiveDisk(demoDir, members);
}

} // namespace

KESTREL_SAMPLE(60, "ARC archives", MakeArchives);

} // namespace kestrel::samples
