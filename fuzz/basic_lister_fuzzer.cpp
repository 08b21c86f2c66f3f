// Feeds fuzzed bytes to the three BASIC listers and the record formatters.
// The viewer sources are compiled into this program so that they carry the
// fuzzer's coverage and address checks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/support/recording_ui.cpp"
#include "viewers/detokenize_line.cpp"
#include "viewers/forth_blocks.cpp"
#include "viewers/hex_dump.cpp"
#include "viewers/keyword_table.cpp"
#include "viewers/program_lister.cpp"
#include "viewers/record_text.cpp"
#include "viewers/text_block.cpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4) {
        return 0;
    }
    using namespace kestrel;
    testing::RecordingUi ui;
    const uint16_t count = static_cast<uint16_t>((data[0] << 8) | data[1]);
    CatalogEntry entry;
    entry.ti.recordLength = data[2];
    entry.ti.recordsPerSector = data[3];
    entry.ti.level3Count = count;
    data += 4;
    size -= 4;

    TextBlock program, longForm, merge;
    ListProgramImageData(data, size, "f", program, ui);
    ListLongProgramData(data, size, count, "f", longForm, ui);
    ListMergeData(data, size, count, "f", merge, ui);

    // Small buffers so that the full-buffer paths run as well.
    std::vector<char> out(1 + count % 2048);
    char *end = out.data() + out.size();
    uint32_t records = 0;
    uint32_t forthSectors = 0;
    char *fixed = out.data();
    char *variable = out.data();
    char *forth = out.data();
    char *hex = out.data();
    for (size_t pos = 0; pos < size; pos += 256) {
        const size_t length = size - pos < 256 ? size - pos : 256;
        if (fixed) {
            fixed = FixedRecordsToText(false, data + pos, length, records, entry, fixed, end);
        }
        if (variable) {
            variable = VariableRecordsToText(data + pos, length, variable, end);
        }
        if (forth) {
            forth = ForthBlocksToText(data + pos, length, forthSectors, forth, end);
        }
        if (hex) {
            hex = HexDumpLines(data + pos, length, static_cast<uint32_t>(pos), hex, end);
        }
    }
    LooksLikeForthData(data, size);
    return 0;
}
