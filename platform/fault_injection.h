// The seam every file write of the program and of the hard-disk library passes through, so
// that tests can make the system refuse any one of them: the Nth call of a run fails with
// "no space left", an input/output error, or writes only part of what it was given.
//
// Nothing is armed in the program: each wrapper then costs one load and one compare before
// it makes the call it stands for, with the same arguments, answer and errno. A test arms a
// FaultPlan; from then on every wrapped call is counted, and the one the plan names (and,
// for a persistent plan, every later one) fails the way a full or failing disk would make
// it fail. Single-threaded, like the rest of the core.
#pragma once

#include <cstddef>
#include <cstdio>

#include <sys/types.h>
#include <unistd.h>

namespace kestrel::platform
{

enum class FaultKind : int {
    NoSpace,    // ENOSPC
    IoError,    // EIO
    ShortWrite, // a write transfers half of its bytes; calls that transfer nothing get ENOSPC
};

// Shared by the program and the hard-disk library (which finds the test's plan by name), so
// it stays a plain record.
struct FaultPlan {
    long failAt = 0; // the call to fail, counted from 1; 0 only counts
    FaultKind kind = FaultKind::NoSpace;
    bool persistent = false;   // every call after failAt fails too (a full disk stays full)
    long calls = 0;            // wrapped calls seen while armed
    long injected = 0;         // calls made to fail
    char firstFailed[16] = {}; // the name of the first call made to fail (the library that
                               // made it may be gone by the time the test reads it)
};

// Arms plan for every later wrapped call of the process (null disarms). The plan stays the
// caller's and must outlive the arming.
void ArmFaults(FaultPlan *plan);

namespace detail
{
// Where the armed plan is kept: never null; it points at a null plan when nothing is armed.
extern FaultPlan *const *g_faultPlanSlot;

ssize_t FaultWrite(int fd, const void *data, size_t length);
ssize_t FaultPwrite(int fd, const void *data, size_t length, off_t offset);
int FaultRename(const char *from, const char *to);
int FaultFtruncate(int fd, off_t length);
int FaultFsync(int fd);
int FaultClose(int fd);
size_t FaultFwrite(const void *data, size_t size, size_t count, std::FILE *file);
int FaultFputc(int c, std::FILE *file);
int FaultFputs(const char *text, std::FILE *file);
int FaultFflush(std::FILE *file);
int FaultFclose(std::FILE *file);
} // namespace detail

inline bool FaultsArmed()
{
    return *detail::g_faultPlanSlot != nullptr;
}

// The wrapped calls: each behaves exactly as the system call or stdio function it is named
// after while nothing is armed.
namespace io
{
inline ssize_t Write(int fd, const void *data, size_t length)
{
    return FaultsArmed() ? detail::FaultWrite(fd, data, length) : ::write(fd, data, length);
}
inline ssize_t Pwrite(int fd, const void *data, size_t length, off_t offset)
{
    return FaultsArmed() ? detail::FaultPwrite(fd, data, length, offset)
                         : ::pwrite(fd, data, length, offset);
}
inline int Ftruncate(int fd, off_t length)
{
    return FaultsArmed() ? detail::FaultFtruncate(fd, length) : ::ftruncate(fd, length);
}
inline int Fsync(int fd)
{
    return FaultsArmed() ? detail::FaultFsync(fd) : ::fsync(fd);
}
inline int Close(int fd)
{
    return FaultsArmed() ? detail::FaultClose(fd) : ::close(fd);
}

inline int Rename(const char *from, const char *to)
{
    return FaultsArmed() ? detail::FaultRename(from, to) : std::rename(from, to);
}
inline size_t Fwrite(const void *data, size_t size, size_t count, std::FILE *file)
{
    return FaultsArmed() ? detail::FaultFwrite(data, size, count, file)
                         : std::fwrite(data, size, count, file);
}
inline int Fputc(int c, std::FILE *file)
{
    return FaultsArmed() ? detail::FaultFputc(c, file) : std::fputc(c, file);
}
inline int Fputs(const char *text, std::FILE *file)
{
    return FaultsArmed() ? detail::FaultFputs(text, file) : std::fputs(text, file);
}
inline int Fflush(std::FILE *file)
{
    return FaultsArmed() ? detail::FaultFflush(file) : std::fflush(file);
}
inline int Fclose(std::FILE *file)
{
    return FaultsArmed() ? detail::FaultFclose(file) : std::fclose(file);
}
} // namespace io

} // namespace kestrel::platform
