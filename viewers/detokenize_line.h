// Turns one tokenized Extended BASIC line back into text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "viewers/keyword_table.h"

namespace kestrel
{

// The most text one token byte can produce: a blank and the longest keyword.
// A quoted string yields at most 2n + 3 characters for its n + 2 bytes and a
// line number 6 for 3, so no byte does worse than this.
constexpr size_t kMaxTextPerTokenByte = 1 + kLongestKeywordText;

// Size of a buffer that holds the text of any line: up to 255 token bytes,
// CR LF and the NUL.
constexpr size_t kDetokenizedLineSize = 255 * kMaxTextPerTokenByte + 3;

// Size of a buffer for a whole listing line: "65535 " in front of the text.
constexpr size_t kListingLineSize = 6 + kDetokenizedLineSize;

// Writes the text of the line whose `length` token bytes start at tokens,
// then CR, LF and a NUL, to out (which must hold kDetokenizedLineSize bytes,
// enough for any length up to 255). Decoding stops at the first 0 byte or at
// the end of the length, whichever comes first; a string or line number cut
// short by the length is written as far as its bytes go. Never reads outside
// tokens[0 .. length). Returns the position of the NUL.
char *DetokenizeLine(char *out, uint8_t length, const uint8_t *tokens);

} // namespace kestrel
