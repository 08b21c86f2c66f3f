// A Ui for tests: records every box it was asked to show and answers from
// queues that the test fills. An empty answer queue answers Cancel (and
// false for a file chooser), so an unexpected question never hangs a test.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "tifs/ui.h"

namespace kestrel::testing {

struct RecordedBox {
    // "error", "ask-error", "dsr", "info", "warning", "kestrel-error", "question", "overwrite"
    std::string kind;
    std::string text;
};

class RecordingUi : public Ui {
public:
    void ShowError(const std::string& text) override { Record("error", text); }
    Answer AskErrorQuestion(const std::string& text) override { Record("ask-error", text); return NextAnswer(); }
    void ShowDsrError(const std::string& text) override { Record("dsr", text); }
    void ShowInfo(const std::string& text) override { Record("info", text); }
    void ShowWarning(const std::string& text) override { Record("warning", text); }
    void ShowKestrelError(const std::string& text) override { Record("kestrel-error", text); }
    Answer AskQuestion(const std::string& text, QuestionButtons) override { Record("question", text); return NextAnswer(); }
    Answer AskOverwrite(const std::string& text) override { Record("overwrite", text); return NextAnswer(); }
    bool ChooseFile(bool save, const std::string& title, const std::string& filter,
                    const std::string& defaultExtension, const std::string& startDir,
                    std::string& name) override;

    void SetProgressRange(uint32_t maximum) override { progressMaximum = maximum; }
    void SetProgressPosition(uint32_t position) override { progressPosition = position; }
    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void PumpPendingMessages() override { ++pumps; }
    bool CancelPressed() override { return cancelAfterPumps >= 0 && pumps >= cancelAfterPumps; }
    void Beep() override { ++beeps; }

    // Errors only (kind "error" and "ask-error"), in order.
    std::vector<std::string> Errors() const;
    bool Silent() const { return boxes.empty(); }

    std::vector<RecordedBox> boxes;
    std::deque<Answer> answers;
    std::deque<std::string> chosenFiles; // full paths the chooser returns, in order
    struct ChooserCall { bool save; std::string title, filter, defaultExtension, startDir, proposedName; };
    std::vector<ChooserCall> chooserCalls;
    std::vector<std::string> statusTexts;
    uint32_t progressMaximum = 0;
    uint32_t progressPosition = 0;
    int pumps = 0;
    int beeps = 0;
    int cancelAfterPumps = -1; // >= 0: Cancel counts as pressed once this many pumps happened

private:
    void Record(const char* kind, const std::string& text) { boxes.push_back({kind, text}); }
    Answer NextAnswer();
};

} // namespace kestrel::testing
