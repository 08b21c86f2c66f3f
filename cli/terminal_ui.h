// The Ui of the command line: messages on stderr ("ERROR: <text>" for the
// catalog), questions answered by the command's flags (--yes, --no, --all)
// or, on a terminal, by a prompt; without either a question is refused
// (Cancel), so a script never hangs on one.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "tifs/ui.h"

namespace kestrel::cli
{

class TerminalUi : public Ui
{
public:
    TerminalUi();

    void ShowError(const std::string &text) override;
    Answer AskErrorQuestion(const std::string &text) override;
    void ShowDsrError(const std::string &text) override;
    void ShowInfo(const std::string &text) override;
    void ShowWarning(const std::string &text) override;
    void ShowKestrelError(const std::string &text) override;
    Answer AskQuestion(const std::string &text, QuestionButtons buttons) override;
    Answer AskOverwrite(const std::string &text) override;
    // Hands out the paths queued with QueueChosenFile; else false.
    bool ChooseFile(bool save, const std::string &title, const std::string &filter,
                    const std::string &defaultExtension, const std::string &startDir,
                    std::string &name) override;

    // The answer every question gets (from --yes, --no or --all).
    void SetDefaultAnswer(Answer answer) { m_defaultAnswer = answer; }
    void ClearDefaultAnswer() { m_defaultAnswer.reset(); }
    // The answer (No or Cancel) a question gets when no flag answered it and there is no
    // terminal to ask: it is told on the standard error and counted as an error.
    void SetUnaskedAnswer(Answer answer) { m_unaskedAnswer = answer; }
    // Consumes --yes, --no and --all from args; true when one was found.
    bool TakeAnswerFlags(std::vector<std::string> &args);
    void QueueChosenFile(const std::string &path) { m_chosenFiles.push_back(path); }
    // Whether prompts may be shown (stdin is a terminal); tests turn it off.
    void SetInteractive(bool interactive) { m_interactive = interactive; }
    int ErrorCount() const { return m_errors; }

private:
    Answer Ask(const std::string &text, bool offerAll, bool offerCancel, bool okCancel);
    Answer Unanswered(const std::string &text);

    std::optional<Answer> m_defaultAnswer;
    std::optional<Answer> m_unaskedAnswer;
    std::deque<std::string> m_chosenFiles;
    bool m_interactive = false;
    int m_errors = 0;
};

} // namespace kestrel::cli
