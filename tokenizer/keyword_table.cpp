#include "tokenizer/keyword_table.h"

namespace kestrel::tokenizer
{

const Keyword kKeywords[kKeywordCount] = {
    {"ELSE", 0x81},
    {"::", 0x82},
    {"!", 0x83},
    {"IF", 0x84},
    {"GO", 0x85},
    {"GOTO", 0x86},
    {"GOSUB", 0x87},
    {"RETURN", 0x88},
    {"DEF", 0x89},
    {"DIM", 0x8A},
    {"END", 0x8B},
    {"FOR", 0x8C},
    {"LET", 0x8D},
    {"BREAK", 0x8E},
    {"UNBREAK", 0x8F},
    {"TRACE", 0x90},
    {"UNTRACE", 0x91},
    {"INPUT", 0x92},
    {"DATA", 0x93},
    {"RESTORE", 0x94},
    {"RANDOMIZE", 0x95},
    {"NEXT", 0x96},
    {"READ", 0x97},
    {"STOP", 0x98},
    {"DELETE", 0x99},
    {"REM", 0x9A},
    {"ON", 0x9B},
    {"PRINT", 0x9C},
    {"CALL", 0x9D},
    {"OPTION", 0x9E},
    {"OPEN", 0x9F},
    {"CLOSE", 0xA0},
    {"SUB", 0xA1},
    {"DISPLAY", 0xA2},
    {"IMAGE", 0xA3},
    {"ACCEPT", 0xA4},
    {"ERROR", 0xA5},
    {"WARNING", 0xA6},
    {"SUBEXIT", 0xA7},
    {"SUBEND", 0xA8},
    {"RUN", 0xA9},
    {"LINPUT", 0xAA},
    {"THEN", 0xB0},
    {"TO", 0xB1},
    {"STEP", 0xB2},
    {",", 0xB3},
    {";", 0xB4},
    {":", 0xB5},
    {")", 0xB6},
    {"(", 0xB7},
    {"&", 0xB8},
    {"OR", 0xBA},
    {"AND", 0xBB},
    {"XOR", 0xBC},
    {"NOT", 0xBD},
    {"=", 0xBE},
    {"<", 0xBF},
    {">", 0xC0},
    {"+", 0xC1},
    {"-", 0xC2},
    {"*", 0xC3},
    {"/", 0xC4},
    {"^", 0xC5},
    {"Quotedstring", 0xC7},
    {"Unquotedstring", 0xC8},
    {"Linenumber", 0xC9},
    {"EOF", 0xCA},
    {"ABS", 0xCB},
    {"ATN", 0xCC},
    {"COS", 0xCD},
    {"EXP", 0xCE},
    {"INT", 0xCF},
    {"LOG", 0xD0},
    {"SGN", 0xD1},
    {"SIN", 0xD2},
    {"SQR", 0xD3},
    {"TAN", 0xD4},
    {"LEN", 0xD5},
    {"CHR$", 0xD6},
    {"RND", 0xD7},
    {"SEG$", 0xD8},
    {"POS", 0xD9},
    {"VAL", 0xDA},
    {"STR$", 0xDB},
    {"ASC", 0xDC},
    {"PI", 0xDD},
    {"REC", 0xDE},
    {"MAX", 0xDF},
    {"MIN", 0xE0},
    {"RPT$", 0xE1},
    {"ALPHA", 0xE7},
    {"NUMERIC", 0xE8},
    {"DIGIT", 0xE9},
    {"SIZE", 0xEB},
    {"ALL", 0xEC},
    {"USING", 0xED},
    {"BEEP", 0xEE},
    {"ERASE", 0xEF},
    {"AT", 0xF0},
    {"BASE", 0xF1},
    {"VARIABLE", 0xF3},
    {"RELATIVE", 0xF4},
    {"INTERNAL", 0xF5},
    {"SEQUENTIAL", 0xF6},
    {"OUTPUT", 0xF7},
    {"UPDATE", 0xF8},
    {"APPEND", 0xF9},
    {"FIXED", 0xFA},
    {"PERMANENT", 0xFB},
    {"TAB", 0xFC},
    {"#", 0xFD},
    {"VALIDATE", 0xFE},
};

int TokenOf(const std::string &word)
{
    size_t b = 0;
    size_t e = word.size();
    while (b < e && static_cast<unsigned char>(word[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(word[e - 1]) <= ' ')
        --e;
    if (b == e)
        return -1;
    std::string upper = word.substr(b, e - b);
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    for (const Keyword &k : kKeywords) {
        if (upper == k.name)
            return k.code;
    }
    return -1;
}

const char *KeywordName(uint8_t code)
{
    for (const Keyword &k : kKeywords) {
        if (k.code == code)
            return k.name;
    }
    return nullptr;
}

bool IsLineNumberContext(uint8_t code)
{
    switch (code) {
    case kTokenElse:
    case kTokenGoto:
    case kTokenGosub:
    case kTokenReturn:
    case kTokenBreak:
    case kTokenUnbreak:
    case kTokenRestore:
    case kTokenError:
    case kTokenRun:
    case kTokenThen:
    case kTokenUsing:
        return true;
    default:
        return false;
    }
}

} // namespace kestrel::tokenizer
