#include "platform/fault_injection.h"

#include <cerrno>
#include <cstring>

#ifdef __GLIBC__
#include <stdio_ext.h>
#endif

namespace kestrel::platform::detail
{

namespace
{

// Counts the call and says whether it is to fail, remembering the first that does.
bool Due(const char *name)
{
    FaultPlan *plan = *g_faultPlanSlot;
    if (plan == nullptr) {
        return false;
    }
    const long call = ++plan->calls;
    const bool due =
        plan->failAt > 0 && (call == plan->failAt || (plan->persistent && call > plan->failAt));
    if (due) {
        if (plan->injected++ == 0) {
            std::strncpy(plan->firstFailed, name, sizeof plan->firstFailed - 1);
        }
    }
    return due;
}

// The error a refused call leaves in errno.
int ErrorOf(FaultKind kind)
{
    return kind == FaultKind::IoError ? EIO : ENOSPC;
}

FaultKind Kind()
{
    return (*g_faultPlanSlot)->kind;
}

// After a short write the disk is as full as it gets: later calls of a persistent plan get
// ENOSPC, as the system gives them.
bool ShortNow()
{
    const FaultPlan *plan = *g_faultPlanSlot;
    return plan->kind == FaultKind::ShortWrite && plan->calls == plan->failAt;
}

} // namespace

ssize_t FaultWrite(int fd, const void *data, size_t length)
{
    if (!Due("write")) {
        return ::write(fd, data, length);
    }
    if (ShortNow() && length > 1) {
        return ::write(fd, data, length / 2);
    }
    errno = ErrorOf(Kind());
    return -1;
}

ssize_t FaultPwrite(int fd, const void *data, size_t length, off_t offset)
{
    if (!Due("pwrite")) {
        return ::pwrite(fd, data, length, offset);
    }
    if (ShortNow() && length > 1) {
        return ::pwrite(fd, data, length / 2, offset);
    }
    errno = ErrorOf(Kind());
    return -1;
}

int FaultRename(const char *from, const char *to)
{
    if (!Due("rename")) {
        return std::rename(from, to);
    }
    errno = ErrorOf(Kind());
    return -1;
}

int FaultFtruncate(int fd, off_t length)
{
    if (!Due("ftruncate")) {
        return ::ftruncate(fd, length);
    }
    errno = ErrorOf(Kind());
    return -1;
}

int FaultFsync(int fd)
{
    if (!Due("fsync")) {
        return ::fsync(fd);
    }
    errno = Kind() == FaultKind::NoSpace ? ENOSPC : EIO;
    return -1;
}

int FaultClose(int fd)
{
    if (!Due("close")) {
        return ::close(fd);
    }
    // The descriptor is gone either way, as after a real failed close.
    ::close(fd);
    errno = ErrorOf(Kind());
    return -1;
}

size_t FaultFwrite(const void *data, size_t size, size_t count, std::FILE *file)
{
    if (!Due("fwrite")) {
        return std::fwrite(data, size, count, file);
    }
    if (ShortNow() && size != 0) {
        // Half of the items, or of the bytes of a single item.
        if (count > 1) {
            return std::fwrite(data, size, count / 2, file);
        }
        if (count == 1 && size > 1) {
            std::fwrite(data, 1, size / 2, file);
        }
        errno = ENOSPC;
        return 0;
    }
    errno = ErrorOf(Kind());
    return 0;
}

int FaultFputc(int c, std::FILE *file)
{
    if (!Due("fputc")) {
        return std::fputc(c, file);
    }
    errno = ErrorOf(Kind());
    return EOF;
}

int FaultFputs(const char *text, std::FILE *file)
{
    if (!Due("fputs")) {
        return std::fputs(text, file);
    }
    if (ShortNow()) {
        std::fwrite(text, 1, std::strlen(text) / 2, file);
    }
    errno = ErrorOf(Kind());
    return EOF;
}

int FaultFflush(std::FILE *file)
{
    if (!Due("fflush")) {
        return std::fflush(file);
    }
    errno = ErrorOf(Kind());
    return EOF;
}

int FaultFclose(std::FILE *file)
{
    if (!Due("fclose")) {
        return std::fclose(file);
    }
    // What was still buffered never reaches the disk, as when the final flush is refused; the
    // stream is released all the same.
#ifdef __GLIBC__
    if (file != nullptr) {
        __fpurge(file);
    }
#endif
    if (file != nullptr) {
        std::fclose(file);
    }
    errno = ErrorOf(Kind());
    return EOF;
}

} // namespace kestrel::platform::detail
