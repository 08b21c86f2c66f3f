// The Find and Replace dialogs of a text window: modeless, with the fields
// and buttons of the system's common dialogs, reporting each button as a
// notification to the window that opened them.
#pragma once

#include <QDialog>

#include "app/shell/edit_slots.h"

class QLineEdit;
class QCheckBox;
class QRadioButton;
class QPushButton;

namespace kestrel
{

class FindDialog : public QDialog
{
    Q_OBJECT

public:
    // replace selects the Replace dialog (no direction: it searches down).
    FindDialog(QWidget *owner, bool replace, const std::string &findText,
               const std::string &replacementText, const SearchFlags &flags);

    bool IsReplace() const { return m_replace; }
    std::string FindText() const;
    std::string ReplacementText() const;
    SearchFlags Flags() const;

signals:
    void FindNext();
    void ReplaceOne();
    void ReplaceAll();
    void Terminated();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void UpdateButtons();

    bool m_replace = false;
    QLineEdit *m_find = nullptr;
    QLineEdit *m_replacement = nullptr;
    QCheckBox *m_wholeWord = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QRadioButton *m_up = nullptr;
    QRadioButton *m_down = nullptr;
    QPushButton *m_findNext = nullptr;
    QPushButton *m_replaceButton = nullptr;
    QPushButton *m_replaceAll = nullptr;
};

} // namespace kestrel
