#include "ops/safe_replace.h"
#include "platform/fault_injection.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel
{

ReplacingFile::~ReplacingFile()
{
    Abandon(false);
}

void ReplacingFile::DropReserved()
{
    if (m_reserved) {
        std::remove(m_side.c_str());
        m_reserved = false;
    }
    m_side.clear();
}

bool ReplacingFile::Reserve(const std::string &target)
{
    Abandon(false);
    m_target = target;
    m_error = 0;
    std::error_code ec;
    m_targetExisted = std::filesystem::exists(target, ec);
    int fd = platform::CreateSideFile(target, m_side);
    if (fd < 0) {
        m_error = errno;
        m_side.clear();
        return false;
    }
    ::close(fd);
    m_reserved = true;
    return true;
}

bool ReplacingFile::Open(const std::string &target)
{
    Abandon(false);
    m_target = target;
    return m_writer.Open(target);
}

bool ReplacingFile::Write(const uint8_t *data, size_t length)
{
    return m_writer.Write(data, length);
}

bool ReplacingFile::WriteAt(uint64_t offset, const uint8_t *data, size_t length)
{
    return m_writer.WriteAt(offset, data, length);
}

bool ReplacingFile::Commit()
{
    if (!m_reserved) {
        return m_writer.Commit(false);
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
        DropReserved();
        return false;
    }
    m_reserved = false;
    m_side.clear();
    return true;
}

void ReplacingFile::Abandon(bool keepWhenNew)
{
    if (m_writer.IsOpen()) {
        // A refused write leaves nothing worth keeping: only a source that ended early does.
        m_writer.Abandon(keepWhenNew && !m_writer.Failed());
    }
    if (!m_reserved) {
        return;
    }
    std::error_code ec;
    if (keepWhenNew && !m_targetExisted && !std::filesystem::exists(m_target, ec)) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(m_side.c_str(), 0666 & ~mask);
        if (platform::io::Rename(m_side.c_str(), m_target.c_str()) == 0) {
            m_reserved = false;
            m_side.clear();
            return;
        }
    }
    DropReserved();
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
