#include "ops/conversion_rules.h"

#include <cctype>

#include "ops/line_reader.h"
#include "ops/ti_to_pc.h"
#include "tifs/settings.h"

namespace kestrel
{

namespace
{

std::string Lower(std::string text)
{
    for (char &c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Trim(const std::string &text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool SplitLine(const std::string &line, std::string &key, std::string &value)
{
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return !key.empty();
}

// The first run of digits at or after from; -1 when there is none.
int FirstNumber(const std::string &text, size_t from)
{
    size_t at = from;
    while (at < text.size() && !std::isdigit(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    if (at >= text.size()) {
        return -1;
    }
    int value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        value = value * 10 + (text[at] - '0');
        if (value > 100000) {
            return -1;
        }
        ++at;
    }
    return value;
}

std::string MethodKeyword(const std::string &value)
{
    const size_t comma = value.find(',');
    return comma == std::string::npos ? std::string() : Trim(value.substr(comma + 1));
}

} // namespace

int PcToTiMethodFromKeyword(const std::string &keyword)
{
    static const char *const kWords[kPcTiMethodCount] = {
        "select", "removecrandorlf", "convertcrlftocr", "convertcrlftolf", "binary"};
    const std::string word = Lower(Trim(keyword));
    for (int i = 0; i < kPcTiMethodCount; ++i) {
        if (word == kWords[i]) {
            return i;
        }
    }
    return -1;
}

int TiToPcMethodFromKeyword(const std::string &keyword)
{
    static const char *const kWords[kTiPcMethodCount] = {"select", "addcrlf", "addlf", "binary"};
    const std::string word = Lower(Trim(keyword));
    for (int i = 0; i < kTiPcMethodCount; ++i) {
        if (word == kWords[i]) {
            return i;
        }
    }
    return -1;
}

const char *TiFileTypeName(uint16_t flags)
{
    if (flags & kFlagProgram) {
        return "PROGRAM";
    }
    const bool internal = (flags & kFlagInternal) != 0;
    if (flags & kFlagVariable) {
        return internal ? "INT/VAR" : "DIS/VAR";
    }
    return internal ? "INT/FIX" : "DIS/FIX";
}

std::vector<std::string> LimitRuleSection(const std::vector<std::string> &lines)
{
    // Each line takes its bytes and a terminating zero; one more zero ends the list.
    std::vector<std::string> kept;
    size_t used = 1;
    for (const std::string &line : lines) {
        if (used + line.size() + 1 > kRuleSectionLimit) {
            break;
        }
        used += line.size() + 1;
        kept.push_back(line);
    }
    return kept;
}

PcToTiDefaults FindPcToTiDefaults(const std::vector<std::string> &lines, const std::string &pcName)
{
    PcToTiDefaults result;
    const size_t dot = pcName.find_last_of('.');
    if (dot == std::string::npos || dot + 1 >= pcName.size()) {
        return result;
    }
    const std::string extension = Lower(pcName.substr(dot + 1));
    static const struct {
        const char *word;
        uint8_t flags;
    } kTypes[] = {{"dis/fix", 0x00},
                  {"dis/var", 0x80},
                  {"int/fix", 0x02},
                  {"int/var", 0x82},
                  {"program", 0x01}};
    for (const std::string &line : lines) {
        std::string key;
        std::string value;
        if (!SplitLine(line, key, value)) {
            continue;
        }
        key = Lower(key);
        if (!key.empty() && key[0] == '.') {
            key.erase(0, 1);
        }
        if (key != extension) {
            continue;
        }
        result.found = true;
        const std::string word = Lower(value.substr(0, 7));
        for (const auto &type : kTypes) {
            if (word == type.word) {
                result.typeFlags = type.flags;
            }
        }
        if (result.typeFlags == 0x01) {
            result.method = kPcTiBinary;
        } else if (result.typeFlags != 0xFF) {
            const int length = FirstNumber(value, 8);
            result.recordLength = length >= 1 && length <= 255 ? length : 0;
            const int method = PcToTiMethodFromKeyword(MethodKeyword(value));
            result.method = method > 0 ? method : 0;
        }
        return result;
    }
    return result;
}

TiToPcDefaults FindTiToPcDefaults(const std::vector<std::string> &lines, const TiFileDescriptor &d)
{
    TiToPcDefaults result;
    const std::string type = TiFileTypeName(d.flags);
    const bool program = (d.flags & kFlagProgram) != 0;
    for (const std::string &line : lines) {
        std::string key;
        std::string value;
        if (!SplitLine(line, key, value)) {
            continue;
        }
        if (Lower(key.substr(0, 7)) != Lower(type)) {
            continue;
        }
        if (!program && FirstNumber(key, 7) != static_cast<int>(d.recordLength)) {
            continue;
        }
        result.found = true;
        size_t end = 0;
        while (end < value.size() && value[end] != ' ' && value[end] != '\t' && value[end] != ',') {
            ++end;
        }
        std::string extension = value.substr(0, end);
        if (!extension.empty()) {
            if (extension[0] != '.') {
                extension.insert(extension.begin(), '.');
            }
            result.extension = extension.substr(0, 4);
        }
        const int method = TiToPcMethodFromKeyword(MethodKeyword(value));
        if (method > 0) {
            result.method = method;
        } else if (program) {
            result.method = kTiPcBinary;
        }
        return result;
    }
    return result;
}

PcToTiDefaults ReadPcToTiDefaults(const std::string &pcName)
{
    return FindPcToTiDefaults(LimitRuleSection(ReadSettingSection(kPcTiSection)), pcName);
}

TiToPcDefaults ReadTiToPcDefaults(const TiFileDescriptor &d)
{
    return FindTiToPcDefaults(LimitRuleSection(ReadSettingSection(kTiPcSection)), d);
}

} // namespace kestrel
