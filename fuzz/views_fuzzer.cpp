// Fuzzed sectors through the text views of fixed and variable records and of Forth screens,
// into output buffers of every size from none to a few sectors' worth.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tifs/catalog.h"
#include "viewers/forth_blocks.h"
#include "viewers/record_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kestrel;
    if (size < 2) {
        return 0;
    }
    CatalogEntry entry;
    entry.ti.recordLength = data[0];
    entry.ti.recordsPerSector = data[1];
    entry.ti.level3Count = static_cast<uint16_t>(data[0] << 8 | data[1]);
    const uint8_t *body = data + 2;
    const size_t length = size - 2;
    for (size_t room : {size_t{0}, size_t{7}, size_t{300}, length * 4 + 64}) {
        std::vector<char> out(room + 1);
        char *end = out.data() + room;
        uint32_t counter = 0;
        FixedRecordsToText(false, body, length, counter, entry, out.data(), end);
        counter = 0;
        FixedRecordsToText(true, body, length, counter, entry, out.data(), end);
        VariableRecordsToText(body, length, out.data(), end);
        counter = 0;
        ForthBlocksToText(body, length, counter, out.data(), end);
    }
    LooksLikeForthData(body, length);
    return 0;
}
