#include "tests/interop/interop_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "tifs/location_listers.h"

namespace kestrel::interop
{

std::string Corpus(const std::string &relative)
{
    return std::string(KESTREL_REALDATA) + "/" + relative;
}

std::vector<uint8_t> ReadAll(const std::string &path)
{
    std::vector<uint8_t> bytes;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    uint8_t buffer[8192];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    std::fclose(file);
    return bytes;
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> SnapshotCorpus()
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> all;
    std::error_code error;
    for (const auto &item : fs::recursive_directory_iterator(KESTREL_REALDATA, error)) {
        if (item.is_regular_file()) {
            all.emplace_back(item.path().string(), ReadAll(item.path().string()));
        }
    }
    return all;
}

fs::path FreshTempDir(const std::string &name)
{
    fs::path dir = fs::temp_directory_path() /
                   ("kestrel-interop-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

bool ReadTiData(const std::string &path, TiData &ti)
{
    const std::vector<uint8_t> bytes = ReadAll(path);
    if (bytes.size() < 128) {
        return false;
    }
    const uint8_t *h = bytes.data();
    if (h[0] == 7 && std::memcmp(h + 1, "TIFILES", 7) == 0) {
        ti.sectors = static_cast<uint16_t>(h[8] << 8 | h[9]);
        ti.flags = h[10];
        ti.recordsPerSector = h[11];
        ti.eof = h[12];
        ti.recordLength = h[13];
        ti.level3 = static_cast<uint16_t>(h[14] | h[15] << 8);
    } else {
        ti.flags = h[12];
        ti.recordsPerSector = h[13];
        ti.sectors = static_cast<uint16_t>(h[14] << 8 | h[15]);
        ti.eof = h[16];
        ti.recordLength = h[17];
        ti.level3 = static_cast<uint16_t>(h[18] | h[19] << 8);
    }
    ti.data.assign(bytes.begin() + 128, bytes.end());
    return true;
}

std::vector<std::string> Records(const TiData &ti)
{
    std::vector<std::string> records;
    const size_t sectors = ti.data.size() / 256;
    if (ti.flags & 0x80) {
        for (size_t s = 0; s < sectors && s < ti.level3; ++s) {
            const uint8_t *sector = ti.data.data() + s * 256;
            size_t pos = 0;
            while (pos < 256 && sector[pos] != 0xFF) {
                const size_t length = sector[pos];
                if (pos + 1 + length > 256) {
                    records.push_back("<record runs past its sector>");
                    break;
                }
                records.emplace_back(reinterpret_cast<const char *>(sector + pos + 1), length);
                pos += 1 + length;
            }
        }
    } else if (ti.recordLength != 0) {
        // One-byte records: 256 to a sector, which the byte holds as 0.
        const size_t perSector =
            ti.recordsPerSector != 0 ? ti.recordsPerSector : 256 / ti.recordLength;
        for (size_t r = 0; r < ti.level3; ++r) {
            const size_t s = r / perSector;
            const size_t at = s * 256 + (r % perSector) * ti.recordLength;
            if (s >= sectors || at + ti.recordLength > ti.data.size()) {
                records.push_back("<record beyond the data>");
                break;
            }
            records.emplace_back(reinterpret_cast<const char *>(ti.data.data() + at),
                                 ti.recordLength);
        }
    }
    return records;
}

bool SaveEntry(const Location &location, const CatalogEntry &entry, const std::string &target,
               Ui &ui)
{
    EntrySaver saver = FindEntrySaver(location.kind);
    return saver != nullptr && saver(location, entry, target, ui);
}

std::string TrimmedName(const CatalogEntry &entry)
{
    std::string name = entry.ti.tiName;
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

} // namespace kestrel::interop
