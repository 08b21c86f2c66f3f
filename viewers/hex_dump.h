// Hexadecimal dump lines: "%08X" offset, " %02X" per byte, a blank and the
// bytes as characters (non-printable as "."), CR LF; 16 bytes a line.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel
{

// Length of one dump line of 16 bytes, CR LF included.
constexpr size_t kHexDumpLineLength = 8 + 16 * 3 + 1 + 16 + 2;

// Dumps `length` bytes (callers pass multiples of 16; a shorter last group
// gets a line of its own) with offsets from startOffset. A line is copied
// only when it ends below `end`; otherwise a NUL is written at the output
// position and the result is null (buffer full). Returns the new output
// position; the text behind it is not terminated.
char *HexDumpLines(const uint8_t *data, size_t length, uint32_t startOffset, char *out, char *end);

} // namespace kestrel
