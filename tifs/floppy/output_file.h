// A PC file written so that an existing file is never replaced by a partial
// one: a new name is written in place, an existing one through a side file
// that takes its place when complete (platform/safe_write.h). A failed write
// keeps what was read only when there was no file of that name before; a
// refused write keeps nothing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/safe_write.h"

namespace kestrel
{

class OutputFile
{
public:
    explicit OutputFile(const std::string &target);
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    bool Open();
    bool Write(const uint8_t *data, size_t length);
    // complete: put the file in place. Otherwise a new target keeps the
    // partial content (unless a write or the close was refused) and an existing
    // one stays as it was. False when the file could not be written, closed or
    // renamed.
    bool Finish(bool complete);

private:
    std::string m_target;
    platform::SafeFileWriter m_writer;
    bool m_writeFailed = false;
    bool m_finished = false;
};

} // namespace kestrel
