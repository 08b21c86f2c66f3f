#include "platform/profile.h"
#include "platform/fault_injection.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kestrel::platform {

namespace {

namespace fs = std::filesystem;

constexpr const char* kBlanks = " \t\r\v\f";
constexpr const char* kUtf8Mark = "\xEF\xBB\xBF";

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::string StripQuotes(const std::string& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

enum class LineKind { Blank, Comment, Section, Key, Other };

// What a line holds. For a section, name is its name; for a key, name and
// value are trimmed (the value keeps its quotes).
LineKind Classify(const std::string& raw, bool first, std::string& name, std::string& value)
{
    std::string text = raw;
    if (first && text.compare(0, 3, kUtf8Mark) == 0)
        text.erase(0, 3);
    text = Trim(text);
    if (text.empty())
        return LineKind::Blank;
    if (text[0] == ';')
        return LineKind::Comment;
    if (text[0] == '[') {
        size_t close = text.find(']');
        name = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        return LineKind::Section;
    }
    size_t eq = text.find('=');
    if (eq == std::string::npos) {
        name = text;
        return LineKind::Other;
    }
    name = Trim(text.substr(0, eq));
    value = Trim(text.substr(eq + 1));
    return LineKind::Key;
}

// A value is one line of the file: a line break in it would end the value
// early and let the rest be read as keys of their own.
std::string OneLine(const std::string& value)
{
    size_t end = value.find_first_of("\r\n");
    return end == std::string::npos ? value : value.substr(0, end);
}

std::string Cut(const std::string& text, size_t size)
{
    if (size == 0)
        return std::string();
    return text.size() > size - 1 ? text.substr(0, size - 1) : text;
}

} // namespace

void Profile::Parse(const std::string& text)
{
    m_lines.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = text.substr(pos);
            pos = text.size();
        } else {
            line.text = text.substr(pos, nl - pos);
            line.end = "\n";
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.pop_back();
                line.end = "\r\n";
            }
            pos = nl + 1;
        }
        m_lines.push_back(std::move(line));
    }
}

std::string Profile::Text() const
{
    std::string out;
    for (const Line& line : m_lines) {
        out += line.text;
        out += line.end;
    }
    return out;
}

size_t Profile::FindSection(const std::string& section) const
{
    std::string name, value;
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (Classify(m_lines[i].text, i == 0, name, value) == LineKind::Section &&
            EqualNoCase(name, section))
            return i;
    return std::string::npos;
}

size_t Profile::FindKey(size_t header, const std::string& key) const
{
    std::string name, value;
    for (size_t i = header + 1; i < m_lines.size(); ++i) {
        LineKind kind = Classify(m_lines[i].text, false, name, value);
        if (kind == LineKind::Section)
            break;
        if (kind == LineKind::Key && EqualNoCase(name, key))
            return i;
    }
    return std::string::npos;
}

std::string Profile::NewLineEnd() const
{
    for (const Line& line : m_lines)
        if (!line.end.empty())
            return line.end;
#ifdef _WIN32
    return "\r\n";
#else
    return "\n";
#endif
}

bool Profile::Find(const std::string& section, const std::string& key, std::string& value) const
{
    size_t header = FindSection(section);
    if (header == std::string::npos)
        return false;
    size_t at = FindKey(header, key);
    if (at == std::string::npos)
        return false;
    std::string name;
    Classify(m_lines[at].text, false, name, value);
    value = StripQuotes(value);
    return true;
}

std::string Profile::GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue, size_t size) const
{
    std::string value;
    if (!Find(section, key, value))
        value = defaultValue;
    return Cut(value, size);
}

int Profile::GetInt(const std::string& section, const std::string& key, int defaultValue) const
{
    std::string value;
    if (!Find(section, key, value) || value.empty())
        return defaultValue;
    return ParseProfileInt(value);
}

std::vector<std::string> Profile::GetSection(const std::string& section, size_t size) const
{
    std::vector<std::string> out;
    size_t header = FindSection(section);
    if (header == std::string::npos)
        return out;
    size_t used = 1; // the final NUL
    std::string name, value;
    for (size_t i = header + 1; i < m_lines.size(); ++i) {
        LineKind kind = Classify(m_lines[i].text, false, name, value);
        if (kind == LineKind::Section)
            break;
        std::string entry;
        if (kind == LineKind::Key)
            entry = name + "=" + value;
        else if (kind == LineKind::Other)
            entry = name;
        else
            continue;
        if (size != 0 && used + entry.size() + 1 > size)
            break;
        used += entry.size() + 1;
        out.push_back(std::move(entry));
    }
    return out;
}

bool Profile::HasSection(const std::string& section) const
{
    return FindSection(section) != std::string::npos;
}

void Profile::SetString(const std::string& section, const std::string& key,
                        const std::string& value)
{
    const std::string text = Trim(key) + "=" + OneLine(value);
    const std::string end = NewLineEnd();
    size_t header = FindSection(section);
    if (header == std::string::npos) {
        if (!m_lines.empty() && m_lines.back().end.empty())
            m_lines.back().end = end;
        m_lines.push_back({"[" + section + "]", end});
        m_lines.push_back({text, end});
        return;
    }
    size_t at = FindKey(header, key);
    if (at != std::string::npos) {
        // Keep the spelling of the key as the file has it.
        std::string name, old;
        Classify(m_lines[at].text, false, name, old);
        m_lines[at].text = name + "=" + OneLine(value);
        return;
    }
    // After the section's last entry, so that blank lines and comments that
    // lead into the next section stay where they are.
    size_t last = header;
    std::string name, old;
    for (size_t i = header + 1; i < m_lines.size(); ++i) {
        LineKind kind = Classify(m_lines[i].text, false, name, old);
        if (kind == LineKind::Section)
            break;
        if (kind == LineKind::Key || kind == LineKind::Other)
            last = i;
    }
    if (m_lines[last].end.empty())
        m_lines[last].end = end;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(last + 1), Line{text, end});
}

void Profile::DeleteKey(const std::string& section, const std::string& key)
{
    size_t header = FindSection(section);
    if (header == std::string::npos)
        return;
    size_t at = FindKey(header, key);
    if (at != std::string::npos)
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(at));
}

int ParseProfileInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

bool LoadProfile(const std::string& path, Profile& profile)
{
    std::error_code dirError;
    if (fs::is_directory(fs::path(path), dirError)) {
        profile.Parse(std::string());
        return false; // opens, but holds no text to keep
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        profile.Parse(std::string());
        std::error_code ec;
        return !fs::exists(fs::path(path), ec) && !ec;
    }
    std::ostringstream text;
    text << in.rdbuf();
    profile.Parse(in.bad() ? std::string() : text.str());
    return !in.bad();
}

bool SaveProfile(const std::string& path, const Profile& profile)
{
    const std::string text = profile.Text();
    std::error_code ec;
    // Through a link the file it points at is replaced, not the link.
    fs::path target = fs::path(path);
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved;
    }
#ifdef _WIN32
    fs::path temp = target;
    temp += ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
#else
    std::string pattern = target.string() + ".XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < text.size()) {
        ssize_t n = io::Write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<size_t>(n);
    }
    // The new file gets the old one's permissions, or the usual ones for a
    // new file, not the private mode of the temporary.
    struct stat old {};
    mode_t mode;
    if (stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (ok && fchmod(fd, mode) != 0)
        ok = false;
    if (ok && io::Fsync(fd) != 0)
        ok = false;
    if (io::Close(fd) != 0)
        ok = false;
    if (ok && io::Rename(pattern.c_str(), target.c_str()) != 0)
        ok = false;
    if (!ok)
        unlink(pattern.c_str());
    return ok;
#endif
}

int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key,
                   int defaultValue)
{
    Profile profile;
    LoadProfile(path, profile);
    return profile.GetInt(section, key, defaultValue);
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              size_t size)
{
    Profile profile;
    LoadProfile(path, profile);
    return profile.GetString(section, key, defaultValue, size);
}

std::vector<std::string> ReadProfileSection(const std::string& path, const std::string& section,
                                            size_t size)
{
    Profile profile;
    LoadProfile(path, profile);
    return profile.GetSection(section, size);
}

bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value)
{
    Profile profile;
    if (!LoadProfile(path, profile))
        return false; // never replace a file whose content we could not read
    profile.SetString(section, key, value);
    return SaveProfile(path, profile);
}

bool WriteProfileInt(const std::string& path, const std::string& section, const std::string& key,
                     int value)
{
    return WriteProfileString(path, section, key, std::to_string(value));
}

bool DeleteProfileKey(const std::string& path, const std::string& section,
                      const std::string& key)
{
    Profile profile;
    if (!LoadProfile(path, profile))
        return false; // never replace a file whose content we could not read
    profile.DeleteKey(section, key);
    return SaveProfile(path, profile);
}

} // namespace kestrel::platform
