// The PC files of the demo directory: TI files with each kind of header
// (TIFILES, V9T9, Classic99), a protected file, a subdirectory with a file
// in it and a plain PC file, all written with the header writers of tifs.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "samples/sample.h"
#include "tifs/ti_file.h"
#include "tifs/ti_header.h"

namespace kestrel::samples
{
namespace
{

struct TiData {
    TiFileDescriptor d;
    std::vector<uint8_t> data; // whole sectors
};

bool WriteFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "kestrel-samples: cannot write %s\n", path.c_str());
    }
    return ok;
}

// DISPLAY VARIABLE records: a length byte and the text per record, 0xFF
// after the last record of each sector.
TiData VariableText(const std::string &tiName, uint8_t recordLength,
                    const std::vector<std::string> &lines)
{
    TiData file;
    std::vector<uint8_t> sector;
    uint8_t lastUsed = 0;
    auto closeSector = [&]() {
        sector.push_back(0xFF);
        lastUsed = static_cast<uint8_t>(sector.size() - 1);
        sector.resize(kSectorSize, 0);
        file.data.insert(file.data.end(), sector.begin(), sector.end());
        sector.clear();
    };
    for (const std::string &line : lines) {
        std::string text = line.substr(0, recordLength);
        if (sector.size() + 1 + text.size() + 1 > kSectorSize) {
            closeSector();
        }
        sector.push_back(static_cast<uint8_t>(text.size()));
        sector.insert(sector.end(), text.begin(), text.end());
    }
    closeSector();
    file.d.tiName = PadTiName(tiName);
    file.d.flags = kFlagVariable;
    file.d.kind = kKindDisVar;
    file.d.recordLength = recordLength;
    file.d.recordsPerSector = static_cast<uint8_t>(kSectorSize / (recordLength + 1));
    file.d.sectors = static_cast<uint16_t>(file.data.size() / kSectorSize);
    file.d.level3Count = file.d.sectors;
    file.d.eofOffset = lastUsed;
    return file;
}

// DISPLAY FIXED records padded with spaces.
TiData FixedText(const std::string &tiName, uint8_t recordLength,
                 const std::vector<std::string> &lines)
{
    TiData file;
    uint8_t perSector = static_cast<uint8_t>(kSectorSize / recordLength);
    size_t index = 0;
    while (index < lines.size()) {
        std::vector<uint8_t> sector(kSectorSize, 0);
        for (uint8_t r = 0; r < perSector && index < lines.size(); ++r, ++index) {
            std::string text = lines[index].substr(0, recordLength);
            text.resize(recordLength, ' ');
            std::memcpy(sector.data() + r * recordLength, text.data(), recordLength);
        }
        file.data.insert(file.data.end(), sector.begin(), sector.end());
    }
    file.d.tiName = PadTiName(tiName);
    file.d.flags = 0;
    file.d.kind = kKindDisFix;
    file.d.recordLength = recordLength;
    file.d.recordsPerSector = perSector;
    file.d.sectors = static_cast<uint16_t>(file.data.size() / kSectorSize);
    file.d.level3Count = static_cast<uint16_t>(lines.size());
    return file;
}

// A memory image: bytes of a PROGRAM file, sized to the byte.
TiData MemoryImage(const std::string &tiName, size_t size)
{
    TiData file;
    size_t sectors = (size + kSectorSize - 1) / kSectorSize;
    file.data.assign(sectors * kSectorSize, 0);
    for (size_t i = 0; i < size; ++i) {
        file.data[i] = static_cast<uint8_t>((i * 7 + 3) & 0xFF);
    }
    file.d.tiName = PadTiName(tiName);
    file.d.flags = kFlagProgram;
    file.d.kind = kKindProgram;
    file.d.sectors = static_cast<uint16_t>(sectors);
    file.d.eofOffset = static_cast<uint8_t>(size % kSectorSize);
    file.d.recordLength = ProgramSize(file.d.sectors, file.d.eofOffset);
    return file;
}

std::vector<uint8_t> WithHeader(const TiData &file, bool tifiles)
{
    std::vector<uint8_t> bytes(kHeaderSize);
    if (tifiles) {
        MakeTifilesHeader(file.d, bytes.data());
    } else {
        MakeV9t9Header(file.d, bytes.data());
    }
    bytes.insert(bytes.end(), file.data.begin(), file.data.end());
    return bytes;
}

const std::vector<std::string> kReadme = {
    "KESTREL DEMO DIRECTORY",
    "",
    "THIS FOLDER HOLDS TI FILES WITH TIFILES,",
    "V9T9 AND CLASSIC99 HEADERS, A SUBDIRECTORY",
    "AND A PLAIN PC FILE.",
    "PRESS F3 ON A FILE TO VIEW IT.",
};

bool MakePcFiles(const std::string &demoDir)
{
    bool ok = true;
    // TIFILES headers carry no name: the TI name comes from the PC name.
    ok =
        WriteFile(demoDir + "/README", WithHeader(VariableText("README", 80, kReadme), true)) && ok;

    TiData program = MemoryImage("MEMIMAGE", 600);
    ok = WriteFile(demoDir + "/memimage.v9t9", WithHeader(program, false)) && ok;

    // Classic99 writes only the bytes the file uses: 44 data bytes, no padding.
    TiData notes = VariableText("NOTES", 80, {"CLASSIC99 KEEPS NO SECTOR PADDING", "LAST LINE"});
    std::vector<uint8_t> classic = WithHeader(notes, true);
    classic.resize(kHeaderSize + notes.d.eofOffset + 1);
    ok = WriteFile(demoDir + "/NOTES", classic) && ok;

    TiData fixed = FixedText(
        "CATALOG", 80, {"FIXED RECORDS OF 80 CHARACTERS", "PROTECTED", "AND MARKED FOR ARCHIVING"});
    fixed.d.flags |= kFlagProtected | kFlagArchive;
    ok = WriteFile(demoDir + "/catalog.v9t9", WithHeader(fixed, false)) && ok;

    const std::string subdir = demoDir + "/more.dir";
    std::error_code ec;
    std::filesystem::create_directory(subdir, ec);
    if (ec) {
        std::fprintf(stderr, "kestrel-samples: cannot create %s\n", subdir.c_str());
        return false;
    }
    TiData inner = VariableText("INSIDE", 80, {"A FILE IN A SUBDIRECTORY"});
    ok = WriteFile(subdir + "/INSIDE", WithHeader(inner, true)) && ok;

    const std::string text = "A plain PC file: it has no TI header and is listed as DOS.\n";
    ok = WriteFile(demoDir + "/plain.txt", std::vector<uint8_t>(text.begin(), text.end())) && ok;
    return ok;
}

} // namespace

KESTREL_SAMPLE(10, "PC files", MakePcFiles);

} // namespace kestrel::samples
