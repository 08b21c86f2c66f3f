// Reads a fuzzed HFE image as a floppy: the track decoders on the raw bytes,
// then the image's sectors, its listing and a write of one sector. Inputs
// that do not begin with the HFE signature get a header and track list made
// from their first bytes, so that most of the fuzzer's time goes into the
// track decoding rather than into finding the signature. Whatever the bytes,
// nothing may crash, hang or touch memory outside the image.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/hfe_image.h"
#include "tifs/floppy/hfe_track.h"
#include "tifs/floppy/vib.h"

namespace
{

using namespace kestrel;

// A header and track list for the bytes after the first four: up to six cylinders,
// sides and encoding from bytes 0 to 2, a track length from byte 3; every
// cylinder's track points at the same data.
std::vector<uint8_t> WithHeader(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> bytes(1024, 0xFF);
    std::memcpy(bytes.data(), "HXCPICFE", 8);
    bytes[hfe::kRevision] = 0;
    bytes[hfe::kCylinders] = static_cast<uint8_t>(1 + data[0] % 6);
    bytes[hfe::kSides] = static_cast<uint8_t>(data[1] % 3);
    bytes[hfe::kEncoding] = (data[2] & 1) ? hfe::kEncodingFm : hfe::kEncodingMfm;
    PutWordLE(bytes.data(), hfe::kTrackList, 1);
    const size_t body = size - 4;
    const uint16_t length =
        static_cast<uint16_t>(std::min<size_t>(body, size_t{data[3]} * 256 + 512));
    for (unsigned c = 0; c < bytes[hfe::kCylinders]; ++c) {
        PutWordLE(bytes.data(), 512 + c * 4, 2);
        PutWordLE(bytes.data(), 512 + c * 4 + 2, length);
    }
    bytes.insert(bytes.end(), data + 4, data + size);
    return bytes;
}

void ReadAsFloppy(std::vector<uint8_t> &bytes)
{
    fuzzing::QuietUi ui;
    MemoryImage raw(bytes);
    HfeImage image(raw);
    if (!image.Open()) {
        return;
    }
    const uint64_t sectors = image.Size() / kSectorSize;
    uint8_t sector[kSectorSize];
    for (uint64_t s = 0; s < sectors && s < 64; ++s) {
        if (!image.ReadAt(s * kSectorSize, sector, sizeof sector)) {
            image.ReportFault(s * kSectorSize, sizeof sector, ui, "fuzz.hfe");
        }
    }
    FloppyDisk disk(image, 0, "fuzz.hfe");
    if (disk.Open(ui)) {
        Catalog catalog;
        FloppyListing how;
        how.pcName = "fuzz.hfe";
        ListFloppyDirectory(disk, how, catalog, ui);
    }
    std::memset(sector, 0xA5, sizeof sector);
    if (sectors > 0) {
        image.WriteAt(((sectors - 1) / 2) * kSectorSize, sector, sizeof sector);
        image.ReadAt(0, sector, sizeof sector);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    DecodeTrackSide(data, size, TrackEncoding::Fm);
    DecodeTrackSide(data, size, TrackEncoding::Mfm);
    std::vector<uint8_t> bytes(data, data + size);
    if (!HasHfeSignature(data, size)) {
        if (size < 8) {
            return 0;
        }
        bytes = WithHeader(data, size);
    }
    ReadAsFloppy(bytes);
    return 0;
}
