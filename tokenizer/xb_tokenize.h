// The library's one entry point (ordinal 1).
//
//   int32_t XBTokenize(const char* inputPath, const char* programPath,
//                      const char* mergePath, const char* logPath,
//                      const char* options);
//
// Converts the numbered lines of a PC text file into a PROGRAM file (or a
// long-format program when it is too large for video memory) and/or a MERGE
// file, each with a TIFILES header. Null counts as "". An empty output path
// skips that output; an empty log path means no log. Options: "v=<level>".
// Return codes: 0 success, 10 input not opened, 11 input not read,
// 20 conversion failed, 30 MERGE file not written, 40 PROGRAM file not
// written, 50 log file not created. Nothing escapes the call: any other
// failure inside it gives 20. Calls must not overlap; each starts afresh.
#pragma once

#include <cstdint>

namespace kestrel::tokenizer
{

constexpr int32_t kRcSuccess = 0;
constexpr int32_t kRcOpenInput = 10;
constexpr int32_t kRcReadInput = 11;
constexpr int32_t kRcConvert = 20;
constexpr int32_t kRcWriteMerge = 30;
constexpr int32_t kRcWriteProgram = 40;
constexpr int32_t kRcCreateLog = 50;

extern "C" int32_t XBTokenize(const char *inputPath, const char *programPath, const char *mergePath,
                              const char *logPath, const char *options);

} // namespace kestrel::tokenizer
