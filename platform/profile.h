// Profile (ini) files with the semantics of the classic private-profile
// calls, so that a settings file written by hand or by an older build reads
// the same:
//  - section and key names compare without regard to case (ASCII), around
//    them spaces and tabs do not count; the first section of a name and the
//    first key of a name in it win;
//  - a value is trimmed, and one pair of surrounding double or single quotes
//    is removed; a line without "=" and a line starting with ";" hold no key;
//  - integers read like GetPrivateProfileInt: optional spaces, sign and
//    decimal digits up to the first non-digit; a missing key or an empty
//    value gives the default, a value without digits gives 0;
//  - a string read is cut to size - 1 characters (the caller's buffer rule);
//  - a write changes only the line of its key and keeps every other line
//    byte for byte (comments, unknown sections and keys, order, CR LF or LF);
//    a missing key is added at the end of its section, a missing section at
//    the end of the file; new lines use the line end the file already uses;
//  - a missing or unreadable file reads as empty.
// Writing a file replaces it only once its new content is complete: the text
// goes to a temporary file beside it, which is then renamed over it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestrel::platform {

// One profile text held in memory, line by line, for reading several keys or
// changing several keys with one file access.
class Profile {
public:
    Profile() = default;
    explicit Profile(const std::string& text) { Parse(text); }

    void Parse(const std::string& text);
    // The whole text with every change applied; unchanged lines as read.
    std::string Text() const;

    // The value of a key, or none when the section or the key is missing.
    bool Find(const std::string& section, const std::string& key, std::string& value) const;
    // The value cut to size - 1 characters; defaultValue (cut as well) when missing.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, size_t size) const;
    int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
    // Every entry of a section as "key=value" (key and value trimmed, quotes
    // kept; a line without "=" as it stands, trimmed), in file order. With a
    // size other than 0 only the lines that fit completely into a buffer of
    // that many characters (each line plus its NUL, plus a final NUL) are given.
    std::vector<std::string> GetSection(const std::string& section, size_t size = 0) const;
    bool HasSection(const std::string& section) const;

    void SetString(const std::string& section, const std::string& key, const std::string& value);
    // Removes the first line of the key; nothing when missing.
    void DeleteKey(const std::string& section, const std::string& key);

private:
    struct Line {
        std::string text; // without its line end
        std::string end;  // "\r\n", "\n" or "" for a last line without one
    };
    // Index of the section's header line, or npos.
    size_t FindSection(const std::string& section) const;
    // Index of the key's line in the section starting after header, or npos.
    size_t FindKey(size_t header, const std::string& key) const;
    std::string NewLineEnd() const;

    std::vector<Line> m_lines;
};

// Parses a value the way GetPrivateProfileInt does (text already trimmed):
// optional leading spaces, an optional sign, digits up to the first
// non-digit, wrapping at 32 bits; no digits gives 0.
int ParseProfileInt(const std::string& text);

// File access. A missing file reads as empty (LoadProfile gives true); a file
// that exists but cannot be read gives an empty profile and false. Writes
// return false and keep the old file untouched when it could not be read or
// the new file cannot be written completely.
bool LoadProfile(const std::string& path, Profile& profile);
bool SaveProfile(const std::string& path, const Profile& profile);

int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int defaultValue);
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              size_t size);
std::vector<std::string> ReadProfileSection(const std::string& path, const std::string& section,
                                            size_t size = 0);
bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);
// Writes "%d" of value.
bool WriteProfileInt(const std::string& path, const std::string& section, const std::string& key,
                     int value);
bool DeleteProfileKey(const std::string& path, const std::string& section,
                      const std::string& key);

} // namespace kestrel::platform
