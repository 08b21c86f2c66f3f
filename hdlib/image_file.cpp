#include "hdlib/image_file.h"
#include "platform/fault_injection.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>

#include <new>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::hdlib
{

namespace
{

// Images are addressed with 32-bit signed byte offsets; nothing past 2 GiB is mapped.
constexpr uint64_t kMaxMapped = 0x80000000ull;

// The one guarded range and the jump back into the transfer that touches it. The library
// serves one caller at a time, so one range and one jump target suffice.
const uint8_t *volatile g_guardedBase = nullptr;
volatile size_t g_guardedLength = 0;
sigjmp_buf *volatile g_jump = nullptr;
struct sigaction g_previous = {};
bool g_installed = false;

void OnBusError(int signal, siginfo_t *info, void *context)
{
    const auto *address = static_cast<const uint8_t *>(info->si_addr);
    sigjmp_buf *jump = g_jump;
    if (jump && address >= g_guardedBase && address < g_guardedBase + g_guardedLength)
        siglongjmp(*jump, 1);
    // Not ours: put the previous disposition back; the faulting access runs again and meets
    // it, as if this handler had never been installed.
    sigaction(signal, &g_previous, nullptr);
    (void)context;
}

void InstallGuard(const uint8_t *base, size_t length)
{
    g_guardedBase = base;
    g_guardedLength = length;
    if (g_installed)
        return;
    struct sigaction action = {};
    action.sa_sigaction = OnBusError;
    sigemptyset(&action.sa_mask);
    // SA_NODEFER keeps SIGBUS unblocked after the jump, so the jump target needs no saved
    // signal mask (saving it would cost a system call on every transfer).
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    g_installed = sigaction(SIGBUS, &action, &g_previous) == 0;
}

void RemoveGuard()
{
    g_guardedBase = nullptr;
    g_guardedLength = 0;
    if (!g_installed)
        return;
    struct sigaction current = {};
    // Only a handler that is still ours is replaced; one installed after ours stays.
    if (sigaction(SIGBUS, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) &&
        current.sa_sigaction == OnBusError)
        sigaction(SIGBUS, &g_previous, nullptr);
    g_installed = false;
}

// Copies 256 bytes out of the mapping; false when the pages are gone.
bool GuardedCopy(void *to, const void *from)
{
    sigjmp_buf jump;
    if (sigsetjmp(jump, 0) != 0) {
        g_jump = nullptr;
        return false;
    }
    g_jump = &jump;
    std::memcpy(to, from, 256);
    g_jump = nullptr;
    return true;
}

// Moves length bytes with positioned I/O, which leaves no buffer behind and needs no seek.
template <typename Step> bool TransferAll(size_t length, Step step)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = step(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

ImageFile::~ImageFile()
{
    Close();
}

bool ImageFile::Open(const char *path)
{
    Close();
    m_fd = ::open(path, O_RDWR | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    if (!m_run)
        m_run.reset(new (std::nothrow) uint8_t[kRunBytes]);
    struct stat info = {};
    if (fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 256)
        return true; // no mapping: devices, tiny files and the like use positioned I/O
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    const size_t length = static_cast<size_t>(size < kMaxMapped ? size : kMaxMapped);
    void *map = mmap(nullptr, length, PROT_READ, MAP_SHARED, m_fd, 0);
    if (map == MAP_FAILED)
        return true;
    m_map = static_cast<uint8_t *>(map);
    m_mapped = length;
    InstallGuard(m_map, m_mapped);
    return true;
}

void ImageFile::Unmap()
{
    if (!m_map)
        return;
    RemoveGuard();
    munmap(m_map, m_mapped);
    m_map = nullptr;
    m_mapped = 0;
}

bool ImageFile::Close()
{
    const bool flushed = Flush();
    Unmap();
    if (m_fd >= 0)
        platform::io::Close(m_fd);
    m_fd = -1;
    return flushed;
}

bool ImageFile::ReadSector(uint64_t offset, uint8_t *data)
{
    if (m_fd < 0)
        return false;
    if (InRun(offset)) {
        std::memcpy(data, m_run.get() + (offset - m_runStart), 256);
        return true;
    }
    if (Mapped(offset)) {
        if (GuardedCopy(data, m_map + offset))
            return true;
        Unmap();
    }
    return TransferAll(256, [&](size_t done) {
        return pread(m_fd, data + done, 256 - done, static_cast<off_t>(offset + done));
    });
}

bool ImageFile::WriteSector(uint64_t offset, const uint8_t *data)
{
    if (m_fd < 0)
        return false;
    if (!m_run) {
        return TransferAll(256, [&](size_t done) {
            return platform::io::Pwrite(m_fd, data + done, 256 - done,
                                        static_cast<off_t>(offset + done));
        });
    }
    if (InRun(offset)) {
        std::memcpy(m_run.get() + (offset - m_runStart), data, 256);
        return true;
    }
    if (m_runLength == 0 || offset != m_runStart + m_runLength || m_runLength == kRunBytes) {
        if (!Flush())
            return false;
        m_runStart = offset;
    }
    std::memcpy(m_run.get() + m_runLength, data, 256);
    m_runLength += 256;
    return true;
}

bool ImageFile::Flush()
{
    if (m_runLength == 0)
        return true;
    const size_t length = m_runLength;
    m_runLength = 0;
    if (m_fd < 0)
        return false;
    const uint8_t *run = m_run.get();
    return TransferAll(length, [&](size_t done) {
        return platform::io::Pwrite(m_fd, run + done, length - done,
                                    static_cast<off_t>(m_runStart + done));
    });
}

uint64_t ImageFile::Size() const
{
    if (m_fd < 0)
        return 0;
    // The end found by a seek, which block devices answer too; positioned I/O ignores it.
    const off_t end = lseek(m_fd, 0, SEEK_END);
    const uint64_t runEnd = m_runLength != 0 ? m_runStart + m_runLength : 0;
    return end < 0 ? runEnd : std::max(static_cast<uint64_t>(end), runEnd);
}

} // namespace kestrel::hdlib
