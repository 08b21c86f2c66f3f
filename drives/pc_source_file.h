// A PC file read from start to end for copying into an image, with plain system reads: no
// stream buffer to fill and copy out of, one call for each block the copy asks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrel
{

class PcSourceFile
{
public:
    PcSourceFile() = default;
    PcSourceFile(const PcSourceFile &) = delete;
    PcSourceFile &operator=(const PcSourceFile &) = delete;
    ~PcSourceFile();

    // False when the file cannot be opened for reading; Error() gives the system's reason.
    bool Open(const std::string &path);
    int Error() const { return m_error; }

    // Reads until bytes are in or the file ends; the count read. A failed read ends it short
    // too, with Error() set.
    size_t Read(uint8_t *to, size_t bytes);

private:
    int m_fd = -1;
    int m_error = 0;
};

} // namespace kestrel
