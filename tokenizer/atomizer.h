// The line atomizer: turns the text of every line of the table into the
// tokenized form of Extended BASIC (keyword codes, 0xC7 quoted strings, 0xC8
// unquoted strings, 0xC9 line numbers, upper-case names) and keeps the
// program size. Each line is traced at level 5 as
//     <number> <text> -> <word>|<word>| -> <TokenDump of the tokens>
#pragma once

#include <string>

#include "tokenizer/line_table.h"

namespace kestrel::tokenizer
{

constexpr size_t kWordSlots = 128;

// Converts every line in table order and sets the program size. Errors of a
// single line's split are logged (level 0) and the line is still converted.
// False for a failure that ends the whole conversion: more than 128 words in
// a DATA line, a DATA string without its closing quote, a referenced line
// number above 65535, or a program size above 65535.
bool AtomizeProgram(LineTable &table, const Logger &log);

// Tokenizes one line (number for the log lines only); false as above.
bool AtomizeLine(ProgramLine &line, const Logger &log);

// Trace form: "9C[PRINT] 41 (?A)".
std::string TokenDump(const std::string &tokens);

} // namespace kestrel::tokenizer
