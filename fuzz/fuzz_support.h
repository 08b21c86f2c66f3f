// What every fuzz program needs around the code under test: a Ui that answers nothing and
// cancels every question, so no input can wait for a person, and scratch files that
// concurrent fuzz jobs do not share.
#pragma once

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "tifs/ui.h"

namespace kestrel::fuzzing
{

class QuietUi : public kestrel::Ui
{
public:
    void ShowError(const std::string &) override {}
    kestrel::Answer AskErrorQuestion(const std::string &) override
    {
        return kestrel::Answer::Cancel;
    }
    void ShowDsrError(const std::string &) override {}
    void ShowInfo(const std::string &) override {}
    void ShowWarning(const std::string &) override {}
    kestrel::Answer AskQuestion(const std::string &, kestrel::QuestionButtons) override
    {
        return kestrel::Answer::Cancel;
    }
    kestrel::Answer AskOverwrite(const std::string &) override { return kestrel::Answer::Cancel; }
    bool ChooseFile(bool, const std::string &, const std::string &, const std::string &,
                    const std::string &, std::string &) override
    {
        return false;
    }
};

// A file below TMPDIR (else /tmp) named after the fuzzer and this process.
inline std::string ScratchPath(const char *fuzzer, const char *name)
{
    const char *base = std::getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/kestrel-" + fuzzer + "-fuzz-" +
           std::to_string(::getpid()) + "-" + name;
}

} // namespace kestrel::fuzzing
