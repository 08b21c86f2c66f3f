// The Ui an operation gets while a dialog of its own is open: every box and question goes
// to the program's Ui, which owns the window they are shown over; what the dialog shows
// itself (progress, status, Cancel) is left to the dialog's own Ui.
#pragma once

#include "tifs/ui.h"

namespace kestrel
{

class ForwardingUi : public Ui
{
public:
    explicit ForwardingUi(Ui &inner) : m_inner(inner) {}

    void ShowError(const std::string &text) override
    {
        BeforeError();
        m_inner.ShowError(text);
    }
    Answer AskErrorQuestion(const std::string &text) override
    {
        BeforeError();
        return m_inner.AskErrorQuestion(text);
    }
    void ShowDsrError(const std::string &text) override
    {
        BeforeError();
        m_inner.ShowDsrError(text);
    }
    void ShowInfo(const std::string &text) override { m_inner.ShowInfo(text); }
    void ShowWarning(const std::string &text) override { m_inner.ShowWarning(text); }
    void ShowKestrelError(const std::string &text) override { m_inner.ShowKestrelError(text); }
    Answer AskQuestion(const std::string &text, QuestionButtons buttons) override
    {
        return m_inner.AskQuestion(text, buttons);
    }
    Answer AskOverwrite(const std::string &text) override { return m_inner.AskOverwrite(text); }
    bool ChooseFile(bool save, const std::string &title, const std::string &filter,
                    const std::string &defaultExtension, const std::string &startDir,
                    std::string &name) override
    {
        return m_inner.ChooseFile(save, title, filter, defaultExtension, startDir, name);
    }
    void Beep() override { m_inner.Beep(); }

protected:
    // Runs before an error box is handed on (a dialog that keeps its own last message
    // number hands it over here).
    virtual void BeforeError() {}

    Ui &m_inner;
};

} // namespace kestrel
