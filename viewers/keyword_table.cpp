#include "viewers/keyword_table.h"

namespace kestrel
{

namespace
{

// Spacing classes, named as the listing rules talk about them.
constexpr KeywordInfo Both(const char *text)
{
    return {text, false, true, true};
}
constexpr KeywordInfo Before(const char *text)
{
    return {text, false, true, false};
}
constexpr KeywordInfo AttachBefore(const char *text)
{
    return {text, true, true, false};
}
constexpr KeywordInfo Attach(const char *text)
{
    return {text, true, false, false};
}
constexpr KeywordInfo After(const char *text)
{
    return {text, false, false, true};
}
constexpr KeywordInfo Plain(const char *text)
{
    return {text, false, false, false};
}
constexpr KeywordInfo kNone = {"", false, false, false};

// Indexed by code - 0x80.
constexpr KeywordInfo kKeywords[128] = {
    kNone,               // 80
    Both("ELSE"),        // 81
    Attach(" :: "),      // 82 statement separator, blanks of its own
    Attach("!"),         // 83
    Both("IF"),          // 84
    Both("GO"),          // 85
    Both("GOTO"),        // 86
    Both("GOSUB"),       // 87
    Both("RETURN"),      // 88
    Both("DEF"),         // 89
    Both("DIM"),         // 8A
    Both("END"),         // 8B
    Both("FOR"),         // 8C
    Both("LET"),         // 8D
    Both("BREAK"),       // 8E
    Both("UNBREAK"),     // 8F
    Both("TRACE"),       // 90
    Both("UNTRACE"),     // 91
    Both("INPUT"),       // 92
    Both("DATA"),        // 93
    Both("RESTORE"),     // 94
    Both("RANDOMIZE"),   // 95
    Both("NEXT"),        // 96
    Both("READ"),        // 97
    Both("STOP"),        // 98
    Both("DELETE"),      // 99
    Both("REM"),         // 9A
    Both("ON"),          // 9B
    Both("PRINT"),       // 9C
    Both("CALL"),        // 9D
    Both("OPTION"),      // 9E
    Both("OPEN"),        // 9F
    Both("CLOSE"),       // A0
    Both("SUB"),         // A1
    Both("DISPLAY"),     // A2
    Both("IMAGE"),       // A3
    Both("ACCEPT"),      // A4
    Both("ERROR"),       // A5
    Both("WARNING"),     // A6
    Both("SUBEXIT"),     // A7
    Both("SUBEND"),      // A8
    Both("RUN"),         // A9
    Both("LINPUT"),      // AA
    Both("INTEGER"),     // AB
    kNone,               // AC
    kNone,               // AD
    kNone,               // AE
    kNone,               // AF
    Both("THEN"),        // B0
    Both("TO"),          // B1
    Both("STEP"),        // B2
    AttachBefore(","),   // B3
    AttachBefore(";"),   // B4
    AttachBefore(":"),   // B5
    Attach(")"),         // B6
    Attach("("),         // B7
    Attach("&"),         // B8
    kNone,               // B9
    Both("OR"),          // BA
    Both("AND"),         // BB
    Both("XOR"),         // BC
    Both("NOT"),         // BD
    Attach("="),         // BE
    Attach("<"),         // BF
    Attach(">"),         // C0
    Attach("+"),         // C1
    Attach("-"),         // C2
    Attach("*"),         // C3
    Attach("/"),         // C4
    Attach("^"),         // C5
    kNone,               // C6
    kNone,               // C7 quoted string, decoded before the table
    kNone,               // C8 unquoted string
    kNone,               // C9 line number
    Both("EOF"),         // CA
    Before("ABS"),       // CB
    Before("ATN"),       // CC
    Before("COS"),       // CD
    Before("EXP"),       // CE
    Before("INT"),       // CF
    Before("LOG"),       // D0
    Before("SGN"),       // D1
    Before("SIN"),       // D2
    Before("SQR"),       // D3
    Before("TAN"),       // D4
    Before("LEN"),       // D5
    Before("CHR$"),      // D6
    Before("RND"),       // D7
    Before("SEG$"),      // D8
    Before("POS"),       // D9
    Before("VAL"),       // DA
    Before("STR$"),      // DB
    Before("ASC"),       // DC
    Before("PI"),        // DD
    Both("REC"),         // DE
    Before("MAX"),       // DF
    Before("MIN"),       // E0
    Before("RPT$"),      // E1
    Before("UPRC$"),     // E2
    Before("STATUS"),    // E3
    Before("TIME$"),     // E4
    Before("DATE$"),     // E5
    Before("INTG"),      // E6
    Plain("ALPHA"),      // E7
    Plain("NUMERIC"),    // E8
    Plain("DIGIT"),      // E9
    Plain("UALPHA"),     // EA
    Plain("SIZE"),       // EB
    Both("ALL"),         // EC
    Both("USING"),       // ED
    Both("BEEP"),        // EE
    Both("ERASE"),       // EF
    Both("AT"),          // F0
    Both("BASE"),        // F1
    Plain("TEMPORARY"),  // F2
    After("VARIABLE"),   // F3
    Plain("RELATIVE"),   // F4
    Plain("INTERNAL"),   // F5
    Plain("SEQUENTIAL"), // F6
    Plain("OUTPUT"),     // F7
    Plain("UPDATE"),     // F8
    Plain("APPEND"),     // F9
    After("FIXED"),      // FA
    Plain("PERMANENT"),  // FB
    Both("TAB"),         // FC
    AttachBefore("#"),   // FD
    Plain("VALIDATE"),   // FE
    kNone,               // FF
};

} // namespace

const KeywordInfo &LookupKeyword(uint8_t code)
{
    if (code < 0x80) {
        return kNone;
    }
    return kKeywords[code - 0x80];
}

} // namespace kestrel
