// The default choices of the two conversions, from the settings sections
// "Pc_Ti_File_Conversion" (by PC extension) and "Ti_Pc_File_Conversion" (by
// TI file type and record length). The parsers take the section's lines so
// that they can be fed directly; the readers fetch the program's settings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tifs/ti_file.h"

namespace kestrel
{

constexpr const char *kPcTiSection = "Pc_Ti_File_Conversion";
constexpr const char *kTiPcSection = "Ti_Pc_File_Conversion";
constexpr size_t kRuleSectionLimit = 512; // the section is read into 512 bytes

// A method keyword of the PC-to-TI list ("select", "removecrandorlf",
// "convertcrlftocr", "convertcrlftolf", "binary"), any case; -1 when none.
int PcToTiMethodFromKeyword(const std::string &keyword);
// A method keyword of the TI-to-PC list ("select", "AddCrLf", "AddLf",
// "binary"), any case; -1 when none.
int TiToPcMethodFromKeyword(const std::string &keyword);

struct PcToTiDefaults {
    bool found = false;
    uint8_t typeFlags = 0xFF; // none chosen
    int recordLength = 0;     // 0: none
    int method = 0;           // 0: none
};

// The first line whose key equals the extension of pcName (no case; a dot in
// front of the key is allowed). The value: a type word, for all but
// "program" a record length (the first digits after the character that
// follows the word), a comma and a method keyword. PROGRAM sets binary.
PcToTiDefaults FindPcToTiDefaults(const std::vector<std::string> &lines, const std::string &pcName);

struct TiToPcDefaults {
    bool found = false;
    std::string extension; // ".txt"; "" for none
    int method = 0;
};

// The first line whose key starts with the file's type name and, except for
// PROGRAM, names its record length (the first digits after the name). The
// value: an extension up to the first blank or comma ("." put in front, at
// most 4 characters), a comma and a method keyword; PROGRAM sets binary
// unless the value names a method.
TiToPcDefaults FindTiToPcDefaults(const std::vector<std::string> &lines, const TiFileDescriptor &d);

// The lines of a section as far as they fit the 512-byte buffer it is read into.
std::vector<std::string> LimitRuleSection(const std::vector<std::string> &lines);

// The same, from the program's settings file.
PcToTiDefaults ReadPcToTiDefaults(const std::string &pcName);
TiToPcDefaults ReadTiToPcDefaults(const TiFileDescriptor &d);

// "DIS/FIX", "DIS/VAR", "INT/FIX", "INT/VAR" or "PROGRAM" from the flags.
const char *TiFileTypeName(uint16_t flags);

} // namespace kestrel
