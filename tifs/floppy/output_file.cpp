#include "tifs/floppy/output_file.h"
#include "platform/fault_injection.h"

namespace kestrel
{

OutputFile::OutputFile(const std::string &target) : m_target(target) {}

OutputFile::~OutputFile()
{
    if (!m_finished) {
        Finish(false);
    }
}

bool OutputFile::Open()
{
    return m_writer.Open(m_target);
}

bool OutputFile::Write(const uint8_t *data, size_t length)
{
    const bool written = m_writer.Write(data, length);
    m_writeFailed = m_writeFailed || !written;
    return written;
}

bool OutputFile::Finish(bool complete)
{
    m_finished = true;
    if (!m_writer.IsOpen()) {
        return false;
    }
    // What a refused write left is no part of the file: only a source that ended early
    // leaves its readable part behind.
    if (!complete) {
        m_writer.Abandon(!m_writeFailed);
        return false;
    }
    return m_writer.Commit(false);
}

} // namespace kestrel
