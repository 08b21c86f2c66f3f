// Reading an archive file: a TI file of record length 128 kept as a PC file
// behind its 128-byte header, so that archive sector n lies at file offset
// 128 + n * 256. DIS/FIX archives hold their members uncompressed, INT/FIX
// archives one LZW stream (lzw_decoder.h).
//
// Each function opens the file, does its work and closes the file on every
// path; failures are reported through ui with the catalog's numbered
// messages and the function returns false. A fresh decompression context is
// used for every listing and every member read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "tifs/arc/archive_directory.h"
#include "tifs/ti_file.h"
#include "tifs/ui.h"

namespace kestrel
{

constexpr size_t kArcUncompressedChunkSectors = 50;
constexpr uint8_t kArcStreamStart = 0x80; // a compressed stream opens with a clear code

// Which form an archive has, from the archive file's own type: 1 uncompressed
// (DIS/FIX 128), 2 compressed (INT/FIX 128), 0 no archive.
enum class ArchiveForm { None = 0, Uncompressed = 1, Compressed = 2 };
ArchiveForm ArchiveFormOf(const TiFileDescriptor &archive);

// The archive being read: the PC file, the TI descriptor of the archive file
// (from its catalog entry) and the name the messages show.
struct ArchiveFile {
    std::string path;
    TiFileDescriptor ti;
    std::string displayName;
};

// Lists the directory. Reports 1 "Can't open file for read" when the file
// does not open; 17 "Not an archive" when the header is short, the type is
// not DIS/FIX or INT/FIX 128, an uncompressed archive begins with "GIF", or
// a compressed directory is damaged. A compressed archive whose first byte is
// not 0x80 lists no members and no message. compressed tells the form.
bool ReadArchiveDirectory(const ArchiveFile &archive, ArchiveDirectory &directory, bool &compressed,
                          Ui &ui);

// Receives the member's sectors in order: count whole sectors of data,
// the first of them being sector firstSector of the member (from 0). Returns
// false to stop the read (after reporting whatever made it stop).
using ArchiveSectorSink =
    std::function<bool(const uint8_t *data, size_t count, size_t firstSector)>;

// Reads the sectors of member index (from 0) in chunks of at most 50 sectors
// (uncompressed) or 25 (compressed). expected is the member as the pane
// listed it: when the archive no longer holds that member at that index,
// 17 "Not an archive" is reported rather than handing out another file's
// data. Data that ends before the member's last sector, or a damaged stream,
// report 6 "Can't read sector <%d> from <%s>" with the archive sector that
// could not be read; a failing seek reports 14 "Seek error in file".
bool ReadArchiveMember(const ArchiveFile &archive, size_t index, const TiFileDescriptor &expected,
                       const ArchiveSectorSink &sink, Ui &ui);

} // namespace kestrel
