// Decodes a fuzzed 128-byte PC-side header (TIFILES, V9T9 or Classic99) the way the directory
// scan and the put command do, then writes it back both ways and decodes the result again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "tifs/ti_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kestrel;
    uint8_t header[kHeaderSize] = {};
    std::memcpy(header, data, size < kHeaderSize ? size : kHeaderSize);
    const uint64_t dataLength = size > kHeaderSize ? size - kHeaderSize : 0;
    for (bool withDescription : {false, true}) {
        TiFileDescriptor d;
        if (!DecodeHeader(header, "FUZZ", withDescription, d)) {
            continue;
        }
        if (IsClassic99(d, dataLength) && dataLength > 0) {
            const uint64_t at = Classic99LastSectorOffset(dataLength);
            if (at < dataLength) {
                const uint64_t n = dataLength - at < kSectorSize ? dataLength - at : kSectorSize;
                CorrectClassic99(d, dataLength, data + kHeaderSize + at, static_cast<size_t>(n));
            }
        }
        uint8_t again[kHeaderSize];
        MakeTifilesHeader(d, again);
        TiFileDescriptor back;
        DecodeHeader(again, "FUZZ", true, back);
        MakeV9t9Header(d, again);
        DecodeHeader(again, "FUZZ", false, back);
        TiNameToPcName(d.tiName, true);
        TiNameToPcName(d.tiName, false);
    }
    PcNameToTiName(std::string(reinterpret_cast<const char *>(data), size < 64 ? size : 64));
    return 0;
}
