// Reads the numbered lines of a text file into the line table. Each line is
// trimmed; its leading digits are the line number and the rest, cut to 255
// characters and trimmed, its text. Lines that cannot be stored are logged
// ("Line <slot>is strange [<line>]", level 1) and dropped; <slot> is the
// 0-based table index the line would have taken.
#pragma once

#include <cstdio>
#include <string>

#include "tokenizer/line_table.h"

namespace kestrel::tokenizer
{

// Characters removed at both ends of input lines: blanks and control codes.
bool IsTrimmed(unsigned char c);
std::string TrimLine(const std::string &s);

// Reads the open input to its end. False when reading itself fails (the
// lines read so far stay in the table).
bool ReadProgramLines(std::FILE *input, LineTable &table, const Logger &log);

// Stores one raw input line (without its line end); logs it when it is strange.
void StoreProgramLine(const std::string &raw, LineTable &table, const Logger &log);

} // namespace kestrel::tokenizer
