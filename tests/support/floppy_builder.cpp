#include "tests/support/floppy_builder.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kestrel::testing
{

namespace
{

struct Geometry {
    unsigned spt;
    size_t track, first, record, mark, data;
    uint8_t gap;
};

Geometry GeometryOf(int kind)
{
    if (kind == 10) {
        return {9, 3253, 16, 334, 6, 31, 0x00};
    }
    return {18, 6872, 40, 340, 13, 58, 0x4E};
}

} // namespace

std::vector<uint8_t> MakeTiFileBytes(const TiFileSpec &fileSpec)
{
    std::vector<uint8_t> bytes(128 + size_t{fileSpec.sectors} * 256, 0);
    uint8_t *h = bytes.data();
    if (fileSpec.tifiles) {
        h[0] = 0x07;
        std::memcpy(h + 1, "TIFILES", 7);
        h[8] = static_cast<uint8_t>(fileSpec.sectors >> 8);
        h[9] = static_cast<uint8_t>(fileSpec.sectors);
        h[10] = fileSpec.flags;
        h[11] = fileSpec.recordsPerSector;
        h[12] = fileSpec.eofOffset;
        h[13] = fileSpec.recordLength;
        h[14] = static_cast<uint8_t>(fileSpec.level3);
        h[15] = static_cast<uint8_t>(fileSpec.level3 >> 8);
        for (size_t i = 16; i < 128; i += 2) {
            h[i] = 0xCA;
            h[i + 1] = 0x53;
        }
    } else {
        std::string name = (fileSpec.tiName + "          ").substr(0, 10);
        std::memcpy(h, name.data(), 10);
        h[12] = fileSpec.flags;
        h[13] = fileSpec.recordsPerSector;
        h[14] = static_cast<uint8_t>(fileSpec.sectors >> 8);
        h[15] = static_cast<uint8_t>(fileSpec.sectors);
        h[16] = fileSpec.eofOffset;
        h[17] = fileSpec.recordLength;
        h[18] = static_cast<uint8_t>(fileSpec.level3);
        h[19] = static_cast<uint8_t>(fileSpec.level3 >> 8);
    }
    for (size_t i = 128; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + fileSpec.seed * 31 + (i >> 8));
    }
    return bytes;
}

bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    // An empty vector may hold no buffer at all, which fwrite must not be given.
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> MakePc99Image(const std::vector<uint8_t> &dsk, int kind,
                                   unsigned tracksPerSide, unsigned sides,
                                   const std::vector<unsigned> &order)
{
    Geometry g = GeometryOf(kind);
    unsigned tracks = tracksPerSide * sides;
    std::vector<uint8_t> image(g.track * tracks, g.gap);
    for (unsigned i = 0; i < tracks; ++i) {
        bool side1 = i >= tracksPerSide;
        unsigned logicalTrack = side1 ? 3 * tracksPerSide - i - 1 : i;
        unsigned cylinder = side1 ? 2 * tracksPerSide - 1 - i : i;
        for (unsigned r = 0; r < g.spt; ++r) {
            unsigned sector = order.empty() ? r : order[r % order.size()];
            uint8_t *rec = image.data() + i * g.track + g.first + r * g.record;
            rec[g.mark] = 0xFE;
            rec[g.mark + 1] = static_cast<uint8_t>(cylinder);
            rec[g.mark + 2] = side1 ? 1 : 0;
            rec[g.mark + 3] = static_cast<uint8_t>(sector);
            rec[g.mark + 4] = 1;
            rec[g.data - 1] = 0xFB;
            size_t from = (size_t{logicalTrack} * g.spt + sector) * 256;
            if (from + 256 <= dsk.size()) {
                std::memcpy(rec + g.data, dsk.data() + from, 256);
            }
        }
    }
    return image;
}

size_t Pc99IdMarkOffset(int kind, unsigned track, unsigned record)
{
    Geometry g = GeometryOf(kind);
    return track * g.track + g.first + record * g.record + g.mark;
}

} // namespace kestrel::testing
