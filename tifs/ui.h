// The one interface through which core operations talk to the user: message
// boxes, questions, file choosers, progress and cancellation. The Qt program,
// the command line and the tests each provide one.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

enum class Answer { Yes, No, All, Cancel, Ok };

enum class QuestionButtons { YesNo, YesNoCancel, OkCancel };

class Ui {
public:
    virtual ~Ui() = default;

    // A numbered catalog message, already formatted; caption "ERROR".
    virtual void ShowError(const std::string& text) = 0;
    // The same box with Yes, No and Cancel (AskError).
    virtual Answer AskErrorQuestion(const std::string& text) = 0;
    // The hard-disk library's error box, caption "DSR ERROR".
    virtual void ShowDsrError(const std::string& text) = 0;
    // Information, warning and question boxes captioned "Kestrel".
    virtual void ShowInfo(const std::string& text) = 0;
    virtual void ShowWarning(const std::string& text) = 0;
    // The error box captioned "Kestrel": a library that cannot be used, the tokenizer's
    // failure. An interface without icons may show it as it shows a warning.
    virtual void ShowKestrelError(const std::string& text) { ShowWarning(text); }
    virtual Answer AskQuestion(const std::string& text, QuestionButtons buttons) = 0;
    // "Overwrite file(s)": Yes, No, All or Cancel for the named target.
    virtual Answer AskOverwrite(const std::string& text) = 0;

    // A file chooser. startDir is where it opens; name holds the proposed
    // file name and, on success, the chosen full path. False when cancelled.
    virtual bool ChooseFile(bool save, const std::string& title, const std::string& filter,
                            const std::string& defaultExtension, const std::string& startDir,
                            std::string& name) = 0;

    virtual void SetProgressRange(uint32_t maximum) { (void)maximum; }
    virtual void SetProgressPosition(uint32_t position) { (void)position; }
    virtual void SetStatusText(const std::string& text) { (void)text; }
    // Lets the windows repaint during long work (PumpPendingMessages).
    virtual void PumpPendingMessages() {}
    // True once the user pressed Cancel in the running operation's dialog.
    virtual bool CancelPressed() { return false; }
    virtual void Beep() {}

    // The program-wide number of the last catalog message shown. Operations
    // that need to know whether anything failed set it to 0 first.
    int LastMessage() const { return m_lastMessage; }
    void SetLastMessage(int number) { m_lastMessage = number; }

private:
    int m_lastMessage = 0;
};

} // namespace kestrel
