// The optional log file of one call: one message per line, written when the
// message's level is not above the verbosity.
#pragma once

#include <cstdio>
#include <string>

#include "tokenizer/line_table.h"

namespace kestrel::tokenizer
{

class RunLog
{
public:
    explicit RunLog(int verbosity) : m_verbosity(verbosity) {}
    ~RunLog() { Close(); }
    RunLog(const RunLog &) = delete;
    RunLog &operator=(const RunLog &) = delete;

    // Creates (or truncates) the log file; false when it cannot be created.
    bool Open(const std::string &path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

    void Write(int level, const std::string &message);
    // A Logger that writes into this log.
    Logger AsLogger()
    {
        return [this](int level, const std::string &m) { Write(level, m); };
    }

private:
    std::FILE *m_file = nullptr;
    int m_verbosity;
};

} // namespace kestrel::tokenizer
