// The PROGRAM form: the TI's memory image of the program (8-byte header,
// line-number table, line texts placed from the top address downward), as a
// PROGRAM file when the program fits video memory (size at most 0x2DFF, top
// 0x37D7), otherwise as a long-format program in INT/VAR 254 records for the
// memory expansion (top 0xFFE7; logged at levels 1 and 2).
// Failures: an empty table, a line number above 65535, a line with more than
// 253 token bytes, an image above 32 KiB, a short write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "tokenizer/line_table.h"

namespace kestrel::tokenizer
{

constexpr uint16_t kVdpTop = 0x37D7;
constexpr uint16_t kCpuTop = 0xFFE7;
constexpr uint16_t kVdpLimit = 0x2DFF;
constexpr size_t kLongRecordLength = 254;

// The memory image with its 8-byte header, top chosen by the program size.
bool BuildProgramImage(const LineTable &table, std::vector<uint8_t> &image);

// The complete file, TIFILES header and body; false on failure.
bool BuildProgramFile(const LineTable &table, const Logger &log, std::vector<uint8_t> &file);

bool WriteProgramFile(std::FILE *out, const LineTable &table, const Logger &log);

} // namespace kestrel::tokenizer
