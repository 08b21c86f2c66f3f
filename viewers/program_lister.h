// Lists the three stored forms of a tokenized Extended BASIC program: the
// PROGRAM memory image, the long format (INT/VAR 254 records) and the MERGE
// form (DIS/VAR 163 records), one text line per program line, "%d " and the
// line's text, CR LF.
//
// Every lister comes in two shapes: over the bytes that follow the file's
// 128-byte PC header (no I/O, for tests and fuzzing), and over a file open
// for binary reading and positioned at offset 128. The path appears only in
// messages. Damaged data never makes a lister read outside what it was
// given: a line pointer, length byte or record that leaves the data ends the
// listing there and keeps the lines listed before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tifs/ui.h"
#include "viewers/text_block.h"

namespace kestrel
{

// Results of the listers.
enum ListResult : int {
    kListReported = -1,  // a failure was reported (message 4 or 13); abandon the view
    kListNotProgram = 0, // not a program of this form: show the file another way
    kListed = 1,         // text holds the listing
};

// The long-format image holds at most this many bytes.
constexpr size_t kLongImageCapacity = 0x8000;

// PROGRAM image. Result 0 when the header fails its checks, and also when
// not even the first line could be listed (a table or pointers that lie
// outside the file). Fewer than 8 bytes: message 4 with path, result -1.
int ListProgramImageData(const uint8_t *data, size_t size, const std::string &path, TextBlock &text,
                         Ui &ui);
int ListProgramImage(std::FILE *file, const std::string &path, TextBlock &text, Ui &ui);

// Long format; recordCount is the level-3 count of the descriptor. data is
// the file's sectors: the header record's sector, then one sector per
// record. Records beyond the 32 KiB image are not read. Results as for the
// PROGRAM image (a header sector shorter than 256 bytes gives message 4).
int ListLongProgramData(const uint8_t *data, size_t size, uint16_t recordCount,
                        const std::string &path, TextBlock &text, Ui &ui);
int ListLongProgram(std::FILE *file, const std::string &path, uint16_t recordCount, TextBlock &text,
                    Ui &ui);

// MERGE form; sectorCount is the level-3 count (the number of sectors).
// Never returns 0: a file without a line gives an empty text (kListed, with
// the block existing). -1 only when memory runs out (message 13).
int ListMergeData(const uint8_t *data, size_t size, uint16_t sectorCount, const std::string &path,
                  TextBlock &text, Ui &ui);
int ListMergeFile(std::FILE *file, const std::string &path, uint16_t sectorCount, TextBlock &text,
                  Ui &ui);

} // namespace kestrel
