#include "drives/pc_source_file.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace kestrel
{

PcSourceFile::~PcSourceFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool PcSourceFile::Open(const std::string &path)
{
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    m_error = m_fd < 0 ? errno : 0;
    return m_fd >= 0;
}

size_t PcSourceFile::Read(uint8_t *to, size_t bytes)
{
    size_t done = 0;
    while (m_fd >= 0 && done < bytes) {
        const ssize_t n = ::read(m_fd, to + done, bytes - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            m_error = n < 0 ? errno : 0;
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

} // namespace kestrel
