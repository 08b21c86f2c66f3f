// A fuzzed file put where a pane would meet it: as a PC99 track image, a CF7A+ card image or a
// hard-disk image (the first byte picks the name it gets), recognised by the directory scan,
// entered, and every volume and subdirectory inside entered as far as three levels down. The
// partition table and the hard-disk recogniser also see the first sector directly.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "drives/hd_recognizer.h"
#include "drives/partition_table.h"
#include "fuzz/fuzz_support.h"
#include "ops/register_all.h"
#include "tifs/catalog.h"

namespace
{

using namespace kestrel;

// Locations cannot be copied: each place is reached afresh from the folder, one entry index
// per level.
bool Reach(const std::string &dir, const std::vector<size_t> &steps, Location &location, Ui &ui)
{
    location.path = dir;
    if (!OpenLocation(location, ui)) {
        return false;
    }
    for (size_t step : steps) {
        if (step >= location.entries.size() || location.entries[step]->pcName == ".." ||
            !OpenEntry(location, *location.entries[step], ui)) {
            return false;
        }
    }
    return true;
}

void EnterAll(const std::string &dir, std::vector<size_t> &steps, Ui &ui)
{
    if (steps.size() == 3) {
        return;
    }
    size_t count = 0;
    {
        Location location;
        if (!Reach(dir, steps, location, ui)) {
            return;
        }
        count = location.entries.size() < 8 ? location.entries.size() : 8;
    }
    for (size_t i = 0; i < count; ++i) {
        steps.push_back(i);
        Location inside;
        if (Reach(dir, steps, inside, ui)) {
            EnterAll(dir, steps, ui);
        }
        steps.pop_back();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kestrel::fuzzing;
    static bool registered = false;
    if (!registered) {
        RegisterAllListers();
        registered = true;
    }
    QuietUi ui;
    uint8_t sector0[512] = {};
    std::memcpy(sector0, data, size < sizeof sector0 ? size : sizeof sector0);
    PartitionTable table;
    RecognizePartitionTable(sector0, table);
    HdVolumeInfo info;
    RecognizeHdImage(sector0, true, info);

    static const std::string dir = ScratchPath("container", "dir");
    ::mkdir(dir.c_str(), 0700);
    static const char *const kNames[] = {"fuzz.pc99", "fuzz.cf7", "fuzz.img", "fuzz.dsk"};
    const std::string path = dir + "/" + kNames[size > 0 ? data[0] % 4 : 0];
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    std::vector<size_t> steps;
    EnterAll(dir, steps, ui);
    std::remove(path.c_str());
    return 0;
}
