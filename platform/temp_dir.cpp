#include "platform/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/paths.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kestrel::platform {

namespace {

const char* EnvValue(const char* name)
{
    const char* value = std::getenv(name);
    return (value && *value) ? value : nullptr;
}

} // namespace

std::string TempBaseDirectory()
{
    for (const char* name : {"TMP", "TEMP", "TMPDIR"})
        if (const char* value = EnvValue(name))
            return value;
    return "/tmp";
}

bool TempDir::Create(const std::string& base)
{
    Remove();
    m_error = 0;
    std::string pattern = JoinPath(base.empty() ? TempBaseDirectory() : base, "kestrel-XXXXXX");
#ifdef _WIN32
    // No mkdtemp there: a fresh name under the user's own temporary folder.
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = pattern.substr(0, pattern.size() - 6) + std::to_string(std::rand());
        if (std::filesystem::create_directory(name, ec)) {
            m_directory = name;
            break;
        }
    }
    if (m_directory.empty()) {
        m_error = ec ? ec.value() : EEXIST;
        return false;
    }
#else
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        m_error = errno;
        return false;
    }
    m_directory = buffer.data(); // mkdtemp makes it 0700
#endif
    m_general = m_directory + kPathSeparator + "ti_tmp.$$$";
    m_archive = m_directory + kPathSeparator + "ti_arc.$$$";
    m_picture = m_directory + kPathSeparator + "ti_pic.gif";
    return true;
}

void TempDir::Remove()
{
    if (m_directory.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(m_directory, ec);
    m_directory.clear();
    m_general.clear();
    m_archive.clear();
    m_picture.clear();
}

TempDir& ProgramTempDir()
{
    static TempDir dir;
    return dir;
}

} // namespace kestrel::platform
