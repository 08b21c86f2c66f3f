#include "tokenizer/run_log.h"

namespace kestrel::tokenizer
{

bool RunLog::Open(const std::string &path)
{
    Close();
    // Text mode: the log is a text file for the platform's editors.
    m_file = std::fopen(path.c_str(), "w");
    return m_file != nullptr;
}

void RunLog::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

void RunLog::Write(int level, const std::string &message)
{
    if (!m_file || level > m_verbosity)
        return;
    std::fwrite(message.data(), 1, message.size(), m_file);
    std::fputc('\n', m_file);
}

} // namespace kestrel::tokenizer
