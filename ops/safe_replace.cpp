#include "ops/safe_replace.h"
#include "platform/fault_injection.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel
{

namespace
{

std::string DirectoryOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The side file: a hidden unique name in the target's directory.
int MakeSideFile(const std::string &target, std::string &side)
{
    std::string pattern = JoinPcPath(DirectoryOf(target), "." + NameOf(target) + ".new-XXXXXX");
    int fd = mkstemp(pattern.data());
    if (fd >= 0) {
        side = pattern;
    }
    return fd;
}

} // namespace

ReplacingFile::~ReplacingFile()
{
    if (m_active) {
        Abandon(false);
    }
}

bool ReplacingFile::Reserve(const std::string &target)
{
    if (m_active) {
        Abandon(false);
    }
    m_target = target;
    m_size = m_position = 0;
    m_failed = false;
    m_error = 0;
    std::error_code ec;
    m_targetExisted = std::filesystem::exists(target, ec);
    int fd = MakeSideFile(target, m_side);
    if (fd < 0) {
        m_error = errno;
        m_side.clear();
        return false;
    }
    ::close(fd);
    m_active = true;
    return true;
}

bool ReplacingFile::Open(const std::string &target)
{
    if (m_active) {
        Abandon(false);
    }
    m_target = target;
    m_size = m_position = 0;
    m_failed = false;
    m_error = 0;
    std::error_code ec;
    m_targetExisted = std::filesystem::exists(target, ec);
    int fd = MakeSideFile(target, m_side);
    if (fd < 0) {
        m_error = errno;
        m_side.clear();
        return false;
    }
    m_file = ::fdopen(fd, "w+b");
    if (m_file == nullptr) {
        m_error = errno;
        ::close(fd);
        std::remove(m_side.c_str());
        m_side.clear();
        return false;
    }
    m_active = true;
    return true;
}

bool ReplacingFile::Write(const uint8_t *data, size_t length)
{
    if (m_file == nullptr || m_failed) {
        return false;
    }
    if (m_position != m_size && std::fseek(m_file, 0, SEEK_END) != 0) {
        m_failed = true;
        m_error = errno;
        return false;
    }
    m_position = m_size;
    if (length > 0 && platform::io::Fwrite(data, 1, length, m_file) != length) {
        m_failed = true;
        m_error = errno ? errno : EIO;
        return false;
    }
    m_size += length;
    m_position = m_size;
    return true;
}

bool ReplacingFile::WriteAt(uint64_t offset, const uint8_t *data, size_t length)
{
    if (m_file == nullptr || m_failed || offset > m_size) {
        return false;
    }
    if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0 ||
        (length > 0 && platform::io::Fwrite(data, 1, length, m_file) != length)) {
        m_failed = true;
        m_error = errno ? errno : EIO;
        return false;
    }
    m_position = offset + length;
    if (m_position > m_size) {
        m_size = m_position;
    }
    return true;
}

bool ReplacingFile::Commit()
{
    if (!m_active) {
        return false;
    }
    bool ok = !m_failed;
    if (m_file != nullptr) {
        ok = platform::io::Fflush(m_file) == 0 && ok;
        ok = platform::io::Fsync(::fileno(m_file)) == 0 && ok;
        ok = platform::io::Fclose(m_file) == 0 && ok;
        m_file = nullptr;
    }
    if (!ok) {
        if (m_error == 0) {
            m_error = errno ? errno : EIO;
        }
        Abandon(false);
        return false;
    }
    // The new file takes the old one's permissions; a new one those a plain
    // create would give.
    struct stat old {
    };
    if (m_targetExisted && ::stat(m_target.c_str(), &old) == 0) {
        ::chmod(m_side.c_str(), old.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(m_side.c_str(), 0666 & ~mask);
    }
    if (platform::io::Rename(m_side.c_str(), m_target.c_str()) != 0) {
        m_error = errno;
        Abandon(false);
        return false;
    }
    m_active = false;
    return true;
}

void ReplacingFile::Abandon(bool keepWhenNew)
{
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_active) {
        return;
    }
    m_active = false;
    std::error_code ec;
    // A refused write leaves nothing worth keeping: only a source that ended early does.
    if (keepWhenNew && !m_failed && !m_targetExisted && !std::filesystem::exists(m_target, ec)) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(m_side.c_str(), 0666 & ~mask);
        if (platform::io::Rename(m_side.c_str(), m_target.c_str()) == 0) {
            return;
        }
    }
    std::remove(m_side.c_str());
}

bool SamePcFile(const std::string &a, const std::string &b)
{
    std::error_code ec;
    if (std::filesystem::exists(a, ec) && std::filesystem::exists(b, ec)) {
        bool same = std::filesystem::equivalent(a, b, ec);
        if (!ec) {
            return same;
        }
    }
    std::filesystem::path pa = std::filesystem::absolute(a, ec).lexically_normal();
    std::filesystem::path pb = std::filesystem::absolute(b, ec).lexically_normal();
    return pa == pb;
}

} // namespace kestrel
