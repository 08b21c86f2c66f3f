#include "tests/support/recording_ui.h"

namespace kestrel::testing {

bool RecordingUi::ChooseFile(bool save, const std::string& title, const std::string& filter,
                             const std::string& defaultExtension, const std::string& startDir,
                             std::string& name)
{
    chooserCalls.push_back({save, title, filter, defaultExtension, startDir, name});
    if (chosenFiles.empty())
        return false;
    name = chosenFiles.front();
    chosenFiles.pop_front();
    return true;
}

std::vector<std::string> RecordingUi::Errors() const
{
    std::vector<std::string> out;
    for (const auto& box : boxes)
        if (box.kind == "error" || box.kind == "ask-error")
            out.push_back(box.text);
    return out;
}

Answer RecordingUi::NextAnswer()
{
    if (answers.empty())
        return Answer::Cancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

} // namespace kestrel::testing
