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
    return m_writer.Write(data, length);
}

bool OutputFile::Finish(bool complete)
{
    m_finished = true;
    if (!m_writer.IsOpen()) {
        return false;
    }
    if (!complete) {
        m_writer.Abandon(true);
        return false;
    }
    return m_writer.Commit(true);
}

} // namespace kestrel
