// Shared pieces of the whole-corpus sweep: where the corpus lies, reading
// whole files, TI files as records, and saving entries out of containers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel::interop
{

namespace fs = std::filesystem;

std::string Corpus(const std::string &relative);
std::vector<uint8_t> ReadAll(const std::string &path);
// Every regular file below the corpus with its bytes, to prove nothing wrote.
std::vector<std::pair<std::string, std::vector<uint8_t>>> SnapshotCorpus();
// A fresh directory below the system's temporary one.
fs::path FreshTempDir(const std::string &name);

// A TI file read from a PC file with a TIFILES or V9T9 header.
struct TiData {
    uint8_t flags = 0;
    uint8_t recordsPerSector = 0;
    uint8_t eof = 0;
    uint8_t recordLength = 0;
    uint16_t level3 = 0;
    uint16_t sectors = 0;
    std::vector<uint8_t> data; // after the header
};
bool ReadTiData(const std::string &path, TiData &ti);
// The records of a record file (fixed: level3 of them; variable: those of
// the level3 sectors in use), unused tails of sectors left out.
std::vector<std::string> Records(const TiData &ti);

// Saves entry out of location as a TI file with a header at target.
bool SaveEntry(const Location &location, const CatalogEntry &entry, const std::string &target,
               Ui &ui);
std::string TrimmedName(const CatalogEntry &entry);

} // namespace kestrel::interop
