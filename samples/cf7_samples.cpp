// The demo card image card.cf7: five volumes, three of them initialized
// (SYSTEM, GAMES and NOTES, the last holding a short DISPLAY VARIABLE 80
// text file), volume 4 unformatted and volume 5 filled but without a VIB; the
// card mounts volumes 1, 3 and 2 as DSK1 to DSK3. Made with the card's own
// volume writer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "drives/cf7_card.h"
#include "drives/cf7_layout.h"
#include "drives/cf7_volume.h"
#include "samples/sample.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/vib.h"

namespace kestrel::samples
{
namespace
{

constexpr uint32_t kVolumes = 5;

// "README" as DIS/VAR 80 in FDR sector 2 and data sector 34 of the volume.
void AddReadme(std::vector<uint8_t> &card, uint32_t volume)
{
    const uint64_t base = Cf7ImageVolumeBase(volume);
    uint8_t *vibSector = card.data() + base;
    uint8_t *index = vibSector + 256;
    uint8_t *fdr = vibSector + 2 * 256;
    uint8_t *data = vibSector + 34 * 256;
    const char *lines[] = {"This card holds the demo volumes.", "Volume 4 is not formatted.",
                           "DSK1 is SYSTEM, DSK2 NOTES, DSK3 GAMES."};
    std::memset(data, 0, 256);
    size_t at = 0;
    for (const char *line : lines) {
        size_t length = std::strlen(line);
        data[at++] = static_cast<uint8_t>(length);
        std::memcpy(data + at, line, length);
        at += length;
    }
    data[at] = 0xFF;
    std::memset(fdr, 0, 256);
    std::memcpy(fdr, "README    ", 10);
    fdr[12] = 0x80;                     // DISPLAY VARIABLE
    fdr[13] = 3;                        // records per sector
    PutWordBE(fdr, 14, 1);              // sectors
    fdr[16] = static_cast<uint8_t>(at); // end-of-file offset
    fdr[17] = 80;                       // record length
    PutWordLE(fdr, 18, 1);              // level-3 count: sectors used
    PutClusterEntry(fdr, 0, 34, 0);
    PutWordBE(index, 0, 2);
    MarkAu(vibSector, 2, true);
    MarkAu(vibSector, 34, true);
}

bool MakeCard(const std::string &demoDir)
{
    const std::string path = demoDir + "/card.cf7";
    std::vector<uint8_t> bytes(kCf7HeaderSize + kVolumes * kCf7VolumeBytes, 0);
    BuildCf7ImageHeader("CARD", nullptr, bytes.data());
    // Volume 5 looks used but has no VIB: it lists as unformatted too.
    std::memset(bytes.data() + Cf7ImageVolumeBase(5), kCf7Filler, kCf7VolumeBytes);
    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        if (out != nullptr) {
            std::fclose(out);
        }
        std::fprintf(stderr, "kestrel-samples: cannot write %s\n", path.c_str());
        return false;
    }
    std::fclose(out);

    testing::RecordingUi ui;
    Cf7Card card;
    DiskSummary summary;
    if (!card.OpenImage(path, true, 2, ui) ||
        !InitializeCf7Volume(card, 1, "SYSTEM", ui, summary) ||
        !InitializeCf7Volume(card, 2, "GAMES", ui, summary) ||
        !InitializeCf7Volume(card, 3, "NOTES", ui, summary)) {
        std::fprintf(stderr, "kestrel-samples: cannot initialize the volumes of %s\n",
                     path.c_str());
        return false;
    }
    MountRecord mount;
    mount.dsk[0] = 1;
    mount.dsk[1] = 3;
    mount.dsk[2] = 2;
    bool ok = WriteCf7MountRecord(card, mount, ui) && card.Finish(ui);
    if (!ok) {
        std::fprintf(stderr, "kestrel-samples: cannot write the mount record of %s\n",
                     path.c_str());
        return false;
    }

    // The text file goes in at byte level: the card's own writer has no file adder.
    std::FILE *in = std::fopen(path.c_str(), "rb");
    if (in == nullptr || std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size()) {
        if (in != nullptr) {
            std::fclose(in);
        }
        return false;
    }
    std::fclose(in);
    AddReadme(bytes, 3);
    out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        if (out != nullptr) {
            std::fclose(out);
        }
        return false;
    }
    return std::fclose(out) == 0;
}

} // namespace

KESTREL_SAMPLE(70, "CF7A+ card image", MakeCard);

} // namespace kestrel::samples
