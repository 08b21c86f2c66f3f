// The value forms every structure window uses, over the bytes of one sector.
// Offsets past the sector give an empty text instead of reading beyond it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrel::inspector
{

// printf into a string (the windows' texts are short; cut at 255 characters).
std::string Format(const char *format, ...) __attribute__((format(printf, 1, 2)));

// A byte as a character: itself when printable ASCII, else a space.
char Printable(uint8_t byte);

// The 10 name bytes, each through Printable.
std::string NameText(const uint8_t *sector, size_t offset);
// The name up to its first space (for the lines that list FDRs).
std::string ShortName(const uint8_t *sector, size_t offset);

std::string ByteText(const uint8_t *sector, size_t offset);     // ">%02X"
std::string ByteCharText(const uint8_t *sector, size_t offset); // ">%02X (%c)"
std::string WordText(const uint8_t *sector, size_t offset);     // ">%04X", big-endian
std::string LongText(const uint8_t *sector, size_t offset);     // ">%08lX", big-endian

// ">%08lX (hms) %02u:%02u:%02u (ymd) %02u-%02u-%02u": the four bytes as one
// big-endian value, then hours, minutes, seconds (stored halved), year,
// month and day from their bit fields.
std::string DateTimeText(const uint8_t *sector, size_t offset);

} // namespace kestrel::inspector
