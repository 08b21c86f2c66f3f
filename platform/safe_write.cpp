#include "platform/safe_write.h"
#include "platform/fault_injection.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::platform
{

namespace
{

// Large enough that a TI file goes to the system in one call, small enough to
// cost nothing per file.
constexpr size_t kBufferSize = 64 * 1024;

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

bool WriteAll(int fd, const uint8_t *data, size_t length, uint64_t offset, int &error)
{
    while (length > 0) {
        ssize_t n = platform::io::Pwrite(fd, data, length, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            return false;
        }
        data += n;
        length -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

} // namespace

int CreateSideFile(const std::string &target, std::string &side)
{
    std::string dir = DirectoryOf(target);
    std::string pattern = (dir == "/" ? dir : dir + "/") + "." + NameOf(target) + ".new-XXXXXX";
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) {
        side = pattern;
    }
    return fd;
}

SafeFileWriter::~SafeFileWriter()
{
    if (m_fd >= 0) {
        Abandon(false);
    }
}

void SafeFileWriter::Reset()
{
    m_side.clear();
    m_replacing = false;
    m_failed = false;
    m_error = 0;
    m_size = 0;
    m_flushed = 0;
    m_buffer.clear();
}

bool SafeFileWriter::Open(const std::string &target)
{
    if (m_fd >= 0) {
        Abandon(false);
    }
    Reset();
    m_target = target;
    // A free name is written in place; the exclusive create is also the test
    // for "free", so no stat comes before it.
    m_fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (m_fd < 0 && errno == EEXIST) {
        m_replacing = true;
        m_fd = CreateSideFile(target, m_side);
    }
    if (m_fd < 0) {
        m_error = errno != 0 ? errno : EIO;
        m_replacing = false;
        m_side.clear();
        return false;
    }
    return true;
}

bool SafeFileWriter::Fail(int error)
{
    m_failed = true;
    if (m_error == 0) {
        m_error = error != 0 ? error : EIO;
    }
    return false;
}

bool SafeFileWriter::Flush()
{
    if (m_buffer.empty()) {
        return true;
    }
    int error = 0;
    if (!WriteAll(m_fd, m_buffer.data(), m_buffer.size(), m_flushed, error)) {
        m_buffer.clear();
        return Fail(error);
    }
    m_flushed += m_buffer.size();
    m_buffer.clear();
    return true;
}

bool SafeFileWriter::Write(const uint8_t *data, size_t length)
{
    if (m_fd < 0 || m_failed) {
        return false;
    }
    if (length == 0) {
        return true;
    }
    try {
        if (m_buffer.size() + length > kBufferSize) {
            if (!Flush()) {
                return false;
            }
            if (length >= kBufferSize) {
                // Already a large piece: straight to the system.
                int error = 0;
                if (!WriteAll(m_fd, data, length, m_flushed, error)) {
                    return Fail(error);
                }
                m_flushed += length;
                m_size = m_flushed;
                return true;
            }
        }
        if (m_buffer.capacity() == 0) {
            m_buffer.reserve(kBufferSize);
        }
        m_buffer.insert(m_buffer.end(), data, data + length);
    } catch (const std::bad_alloc &) {
        return Fail(ENOMEM);
    }
    m_size += length;
    return true;
}

bool SafeFileWriter::WriteAt(uint64_t offset, const uint8_t *data, size_t length)
{
    if (m_fd < 0 || m_failed || offset > m_size) {
        return false;
    }
    if (offset >= m_flushed) {
        // Still in the buffer: patched there, written with the rest.
        size_t at = static_cast<size_t>(offset - m_flushed);
        try {
            if (at + length > m_buffer.size()) {
                m_buffer.resize(at + length);
            }
        } catch (const std::bad_alloc &) {
            return Fail(ENOMEM);
        }
        std::memcpy(m_buffer.data() + at, data, length);
        m_size = std::max<uint64_t>(m_size, offset + length);
        return true;
    }
    if (!Flush()) {
        return false;
    }
    int error = 0;
    if (!WriteAll(m_fd, data, length, offset, error)) {
        return Fail(error);
    }
    m_size = std::max<uint64_t>(m_size, offset + length);
    m_flushed = m_size;
    return true;
}

bool SafeFileWriter::Commit(bool keepNewOnFailure)
{
    if (m_fd < 0) {
        return false;
    }
    bool ok = !m_failed && Flush();
    if (ok && m_replacing) {
        // The new file takes the old one's permissions (a dangling link's
        // replacement those a plain create would give).
        struct stat old {
        };
        mode_t mode;
        if (::stat(m_target.c_str(), &old) == 0) {
            mode = old.st_mode & 07777;
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(m_fd, mode);
    }
    if (ok) {
        int fd = m_fd;
        m_fd = -1;
        if (platform::io::Close(fd) != 0) {
            m_fd = -2; // closed, but the write is still to be undone
            ok = Fail(errno);
        }
    }
    if (ok && m_replacing && platform::io::Rename(m_side.c_str(), m_target.c_str()) != 0) {
        m_fd = -2;
        ok = Fail(errno);
    }
    if (!ok) {
        if (m_error == 0) {
            m_error = EIO;
        }
        if (m_fd == -1) {
            m_fd = -2;
        }
        Abandon(keepNewOnFailure);
        return false;
    }
    m_fd = -1;
    return true;
}

void SafeFileWriter::Abandon(bool keepWhenNew)
{
    if (m_fd == -1) {
        return;
    }
    if (m_replacing) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        ::unlink(m_side.c_str());
    } else if (!keepWhenNew) {
        // Only the file this writer made goes, not one put under the name since.
        struct stat mine {
        }, named{};
        bool known = m_fd >= 0 && ::fstat(m_fd, &mine) == 0;
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        if (!known || (::lstat(m_target.c_str(), &named) == 0 && named.st_dev == mine.st_dev &&
                       named.st_ino == mine.st_ino)) {
            ::unlink(m_target.c_str());
        }
    } else {
        if (m_fd >= 0) {
            Flush();
            ::close(m_fd);
        }
    }
    m_fd = -1;
    m_buffer.clear();
}

} // namespace kestrel::platform
