// The demo floppies: games.dsk (DSSD) with a file of every type, the
// subdirectory SUB1 and a file that carries a description in its FDR; and
// games_sd.pc99 / games_dd.pc99, the same kind of disk as PC99 track images
// in single and double density.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "samples/sample.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/floppy/vib.h"
#include "tifs/ti_header.h"

namespace kestrel::samples
{
namespace
{

using testing::TiFileSpec;

struct DemoFile {
    const char *name;
    uint8_t flags, recordLength, recordsPerSector, eof;
    uint16_t level3, sectors;
};

const DemoFile kRootFiles[] = {
    {"README", 0x80, 80, 3, 0x40, 2, 2}, {"SCORES", 0x00, 40, 6, 0, 10, 2},
    {"LEVELS", 0x02, 128, 2, 0, 8, 4},   {"SAVEGAME", 0x82, 254, 1, 0x20, 3, 3},
    {"GAME", 0x01, 0, 0, 0x10, 0, 8},    {"LOCKED", 0x88, 80, 3, 0x30, 1, 1},
};
const DemoFile kSubFiles[] = {
    {"TOOLS", 0x01, 0, 0, 0x80, 0, 4},
    {"NOTES", 0x80, 80, 3, 0x10, 1, 1},
};

bool Fail(const std::string &what)
{
    std::fprintf(stderr, "kestrel-samples: %s\n", what.c_str());
    return false;
}

bool AddFiles(const std::string &image, uint16_t fdir, const DemoFile *files, size_t count,
              const std::string &staging)
{
    for (size_t i = 0; i < count; ++i) {
        const DemoFile &f = files[i];
        TiFileSpec fileSpec;
        fileSpec.tiName = f.name;
        fileSpec.flags = f.flags;
        fileSpec.recordLength = f.recordLength;
        fileSpec.recordsPerSector = f.recordsPerSector;
        fileSpec.eofOffset = f.eof;
        fileSpec.level3 = f.level3;
        fileSpec.sectors = f.sectors;
        fileSpec.seed = static_cast<uint8_t>(i + fdir);
        std::vector<uint8_t> bytes = testing::MakeTiFileBytes(fileSpec);
        if (!testing::WriteBytes(staging, bytes)) {
            return Fail("cannot write " + staging);
        }
        CatalogEntry entry;
        entry.pcName = f.name;
        DecodeHeader(bytes.data(), entry.pcName, false, entry.ti);
        testing::RecordingUi ui;
        AddFileState state;
        if (AddFileToImage({image, 0, fdir}, entry, staging, state, ui) != kAddDone ||
            !ui.Silent()) {
            return Fail("cannot add " + std::string(f.name) + " to " + image);
        }
    }
    return true;
}

// Makes the subdirectory slot SUB1 with its file index at sector `fdir`.
bool AddSubdirectory(const std::string &image, uint16_t fdir)
{
    std::vector<uint8_t> bytes = testing::ReadBytes(image);
    if (bytes.size() < (size_t{fdir} + 1) * 256) {
        return Fail("short image " + image);
    }
    std::memcpy(bytes.data() + 20, "SUB1      ", 10);
    PutWordBE(bytes.data(), 30, fdir);
    MarkAu(bytes.data(), fdir, true);
    std::memset(bytes.data() + size_t{fdir} * 256, 0, 256);
    return testing::WriteBytes(image, bytes) || Fail("cannot write " + image);
}

bool Describe(const std::string &image, const char *tiName, const char *text)
{
    std::vector<uint8_t> bytes = testing::ReadBytes(image);
    for (unsigned w = 0; w < 127; ++w) {
        uint16_t sector = GetWordBE(bytes.data() + 256, w * 2);
        if (sector == 0 || (size_t{sector} + 1) * 256 > bytes.size()) {
            break;
        }
        uint8_t *fdr = bytes.data() + size_t{sector} * 256;
        if (std::memcmp(fdr, PadTiName(tiName).data(), 10) == 0) {
            std::memset(fdr + 217, 0, 39);
            std::memcpy(fdr + 220, text, std::strlen(text));
            return testing::WriteBytes(image, bytes) || Fail("cannot write " + image);
        }
    }
    return Fail(std::string("no ") + tiName + " in " + image);
}

bool MakeDisk(const std::string &image, int preset, const std::string &label,
              const std::string &staging, bool withSubdirectory)
{
    testing::RecordingUi ui;
    if (WriteNewImage(*FindPreset(preset), label, image, ui) != 0) {
        return Fail("cannot write " + image);
    }
    const uint16_t subFdir = 33; // below the first data AU, above the FDRs
    return (!withSubdirectory || AddSubdirectory(image, subFdir)) &&
           AddFiles(image, 1, kRootFiles, std::size(kRootFiles), staging) &&
           (!withSubdirectory ||
            AddFiles(image, subFdir, kSubFiles, std::size(kSubFiles), staging)) &&
           Describe(image, "README", "Start here: how to play");
}

bool MakeFloppies(const std::string &demoDir)
{
    const std::string staging = demoDir + "/.floppy_staging.tmp";
    const std::string games = demoDir + "/games.dsk";
    bool ok = MakeDisk(games, kDefaultPreset, "GAMES", staging, true);
    // PC99 images are never written by the program: they are made here from
    // sector dumps of the matching density.
    const std::string sdDump = demoDir + "/.sd_staging.tmp";
    const std::string ddDump = demoDir + "/.dd_staging.tmp";
    ok = ok && MakeDisk(sdDump, kDefaultPreset, "TRACKSSD", staging, false) &&
         testing::WriteBytes(demoDir + "/games_sd.pc99",
                             testing::MakePc99Image(testing::ReadBytes(sdDump), 10, 40, 2,
                                                    {0, 7, 5, 3, 1, 8, 6, 4, 2})) &&
         MakeDisk(ddDump, 2, "TRACKSDD", staging, false) &&
         testing::WriteBytes(demoDir + "/games_dd.pc99",
                             testing::MakePc99Image(testing::ReadBytes(ddDump), 11, 40, 2));
    std::remove(staging.c_str());
    std::remove(sdDump.c_str());
    std::remove(ddDump.c_str());
    return ok;
}

} // namespace

KESTREL_SAMPLE(30, "floppy and PC99 images", MakeFloppies);

} // namespace kestrel::samples
