// The MERGE form of a program (DIS/VAR 163): one record per line, length
// byte L = tokens + 3, line number, tokens, 0; a sector's records end with
// 0xFF; the file ends with the record 02 FF FF and a 0xFF mark.
// Failures: a line number above 65535, a record longer than the declared
// record length 163 (the TI cannot read it back), a body above 32 KiB, a
// short write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "tokenizer/line_table.h"

namespace kestrel::tokenizer
{

constexpr size_t kMergeRecordLength = 163;

// The complete file, TIFILES header and body; false on failure.
bool BuildMergeFile(const LineTable &table, std::vector<uint8_t> &file);

bool WriteMergeFile(std::FILE *out, const LineTable &table);

} // namespace kestrel::tokenizer
