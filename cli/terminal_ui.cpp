#include "cli/terminal_ui.h"

#include <cstdio>
#include <iostream>
#include <vector>

#include <unistd.h>

namespace kestrel::cli
{

TerminalUi::TerminalUi() : m_interactive(isatty(STDIN_FILENO) != 0) {}

void TerminalUi::ShowError(const std::string &text)
{
    ++m_errors;
    std::fprintf(stderr, "ERROR: %s\n", text.c_str());
}

Answer TerminalUi::AskErrorQuestion(const std::string &text)
{
    ++m_errors;
    return Ask("ERROR: " + text, false, true, false);
}

void TerminalUi::ShowDsrError(const std::string &text)
{
    ++m_errors;
    std::fprintf(stderr, "DSR ERROR: %s\n", text.c_str());
}

void TerminalUi::ShowInfo(const std::string &text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
}

void TerminalUi::ShowWarning(const std::string &text)
{
    std::fprintf(stderr, "WARNING: %s\n", text.c_str());
}

void TerminalUi::ShowKestrelError(const std::string &text)
{
    ShowError(text);
}

Answer TerminalUi::AskQuestion(const std::string &text, QuestionButtons buttons)
{
    switch (buttons) {
    case QuestionButtons::YesNo:
        return Ask(text, false, false, false);
    case QuestionButtons::YesNoCancel:
        return Ask(text, false, true, false);
    case QuestionButtons::OkCancel:
        return Ask(text, false, true, true);
    }
    return Answer::Cancel;
}

Answer TerminalUi::AskOverwrite(const std::string &text)
{
    return Ask("Overwrite file(s): " + text, true, true, false);
}

bool TerminalUi::ChooseFile(bool, const std::string &, const std::string &, const std::string &,
                            const std::string &, std::string &name)
{
    if (m_chosenFiles.empty()) {
        return false;
    }
    name = m_chosenFiles.front();
    m_chosenFiles.pop_front();
    return true;
}

bool TerminalUi::TakeAnswerFlags(std::vector<std::string> &args)
{
    bool found = false;
    for (auto it = args.begin(); it != args.end();) {
        if (*it == "--yes" || *it == "--no" || *it == "--all") {
            SetDefaultAnswer(*it == "--yes"  ? Answer::Yes
                             : *it == "--no" ? Answer::No
                                             : Answer::All);
            it = args.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found;
}

// A question nobody can answer stops the work as Cancel would, but the command must not then
// end as if it had done what it was asked: the question is told and counted as an error.
Answer TerminalUi::Unanswered(const std::string &text)
{
    std::fprintf(stderr, "kestrel-cli: %s: no answer, stopped (answer with --yes, --no or --all)\n",
                 text.c_str());
    ++m_errors;
    return Answer::Cancel;
}

Answer TerminalUi::Ask(const std::string &text, bool offerAll, bool offerCancel, bool okCancel)
{
    if (m_defaultAnswer) {
        Answer answer = *m_defaultAnswer;
        if (okCancel) {
            return answer == Answer::No || answer == Answer::Cancel ? Answer::Cancel : Answer::Ok;
        }
        if (answer == Answer::All && !offerAll) {
            return Answer::Yes;
        }
        return answer;
    }
    if (!m_interactive) {
        if (m_unaskedAnswer) {
            // The work goes on with the answer meant for this case, but it was not what the
            // command was asked to do, and the status says so.
            std::fprintf(stderr, "kestrel-cli: %s: no terminal to ask, answered %s (answer with "
                                 "--yes, --no or --all)\n",
                         text.c_str(), *m_unaskedAnswer == Answer::No ? "no" : "cancel");
            ++m_errors;
            return *m_unaskedAnswer;
        }
        return Unanswered(text);
    }
    std::string choices = okCancel ? "[o]k/[c]ancel"
                                   : std::string("[y]es/[n]o") + (offerAll ? "/[a]ll" : "") +
                                         (offerCancel ? "/[c]ancel" : "");
    for (;;) {
        std::fprintf(stderr, "%s %s? ", text.c_str(), choices.c_str());
        std::fflush(stderr);
        std::string line;
        if (!std::getline(std::cin, line)) {
            return Unanswered(text);
        }
        char c = line.empty() ? '\0' : static_cast<char>(line[0] | 0x20);
        if (okCancel) {
            if (c == 'o' || c == 'y')
                return Answer::Ok;
            if (c == 'c' || c == 'n')
                return Answer::Cancel;
            continue;
        }
        if (c == 'y')
            return Answer::Yes;
        if (c == 'n')
            return Answer::No;
        if (c == 'a' && offerAll)
            return Answer::All;
        if (c == 'c' && offerCancel)
            return Answer::Cancel;
    }
}

} // namespace kestrel::cli
