#include "tifs/floppy/output_file.h"
#include "platform/fault_injection.h"

#include <filesystem>

namespace kestrel
{

OutputFile::OutputFile(const std::string &target) : m_target(target), m_part(target + ".part$$$") {}

OutputFile::~OutputFile()
{
    if (!m_finished) {
        Finish(false);
    }
}

bool OutputFile::Open()
{
    std::error_code error;
    m_targetExisted = std::filesystem::exists(m_target, error);
    m_file = std::fopen(m_part.c_str(), "wb");
    return m_file != nullptr;
}

bool OutputFile::Write(const uint8_t *data, size_t length)
{
    const bool written =
        m_file != nullptr && platform::io::Fwrite(data, 1, length, m_file) == length;
    m_writeFailed = m_writeFailed || !written;
    return written;
}

bool OutputFile::Finish(bool complete)
{
    m_finished = true;
    if (m_file == nullptr) {
        return false;
    }
    bool closed = platform::io::Fclose(m_file) == 0;
    m_file = nullptr;
    // What a refused write left is no part of the file: only a source that ended early
    // leaves its readable part behind.
    if ((complete && closed) || (!m_targetExisted && closed && !m_writeFailed)) {
        if (platform::io::Rename(m_part.c_str(), m_target.c_str()) == 0) {
            return closed;
        }
    }
    std::remove(m_part.c_str());
    return false;
}

} // namespace kestrel
