// The Ui of the program: message boxes owned by the main window, the file
// chooser, and a progress dialog with Cancel for long operations.
#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include "tifs/ui.h"

namespace kestrel
{

class QtUi : public Ui
{
public:
    // The owner of every box; may be set later (the browser at start-up has none).
    void SetOwner(QWidget *owner) { m_owner = owner; }
    QWidget *Owner() const { return m_owner; }

    void ShowError(const std::string &text) override;
    Answer AskErrorQuestion(const std::string &text) override;
    void ShowDsrError(const std::string &text) override;
    void ShowInfo(const std::string &text) override;
    void ShowWarning(const std::string &text) override;
    void ShowKestrelError(const std::string &text) override;
    Answer AskQuestion(const std::string &text, QuestionButtons buttons) override;
    Answer AskOverwrite(const std::string &text) override;
    bool ChooseFile(bool save, const std::string &title, const std::string &filter,
                    const std::string &defaultExtension, const std::string &startDir,
                    std::string &name) override;

    void SetProgressRange(uint32_t maximum) override;
    void SetProgressPosition(uint32_t position) override;
    void SetStatusText(const std::string &text) override;
    void PumpPendingMessages() override;
    bool CancelPressed() override;
    void Beep() override;

    // Closes the progress dialog of the operation that just ended.
    void EndProgress();

private:
    QProgressDialog *Progress();

    QPointer<QWidget> m_owner;
    QPointer<QProgressDialog> m_progress;
};

// "Text (*.txt)|*.txt|All (*.*)|*.*" or NUL-separated pairs into a Qt filter.
QString QtFileFilter(const std::string &filter);

} // namespace kestrel
