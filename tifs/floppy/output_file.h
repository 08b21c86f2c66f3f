// A PC file written beside its target and put in place when complete, so an
// existing file is never replaced by a partial one. A failed write keeps what
// was read only when there was no file of that name before; a refused write
// keeps nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

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
    // one stays as it was. False when the
    // file could not be closed or renamed.
    bool Finish(bool complete);

private:
    std::string m_target;
    std::string m_part;
    std::FILE *m_file = nullptr;
    bool m_writeFailed = false;
    bool m_targetExisted = false;
    bool m_finished = false;
};

} // namespace kestrel
