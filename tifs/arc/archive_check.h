// The check of an ARC archive kept as a PC file: its header, its directory
// (the "END!" mark, member records with sound types), and its data: in an
// uncompressed archive the members' sectors are all there; in a compressed
// one the LZW stream decodes without damage to exactly the sectors that the
// members' sizes add up to. Reads only; the checks on the bytes do no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tifs/ui.h"

namespace kestrel
{

struct ArchiveCheckResult {
    std::vector<std::string> findings;
    unsigned members = 0;
    uint64_t memberSectors = 0; // what the directory's sizes add up to
    std::string summary;        // "<n> members, <s> sectors: clean" or "...: <k> problems"
    bool Clean() const { return findings.empty(); }
};

// Checks the bytes that follow the archive file's 128-byte header.
ArchiveCheckResult CheckArchiveData(const uint8_t *data, size_t length, bool compressed);

// True when the PC file at path is a TI file that can hold an archive
// (DIS/FIX or INT/FIX 128 behind a TIFILES or V9T9 header).
bool IsArchiveFile(const std::string &path);

// Opens the archive file at path and checks it. False when it cannot be
// read or is no archive file (a finding says which).
bool CheckArchiveFile(const std::string &path, ArchiveCheckResult &result);

} // namespace kestrel
