// "Check disk": a window with the findings of the check of one image file
// and a Repair button for the kinds that can be repaired. Repair asks before
// it writes, backs the image up beside itself first (asking again before it
// replaces an older backup), then shows what it changed and the check anew.
#pragma once

#include <string>

#include <QDialog>

#include "tifs/ui.h"

class QPlainTextEdit;
class QPushButton;

namespace kestrel
{

class CheckDiskWindow : public QDialog
{
public:
    CheckDiskWindow(QWidget *owner, Ui &ui, const std::string &path, const std::string &shownName);

    // Runs the check again and shows its lines; the Repair button is enabled
    // only for damage the repair can mend.
    void Recheck();
    // The Repair button: true when the image was repaired.
    bool Repair();
    std::string Text() const;

private:
    void Show(const std::vector<std::string> &lines);

    Ui &m_ui;
    std::string m_path;
    std::string m_shownName;
    std::string m_text;
    QPlainTextEdit *m_report = nullptr;
    QPushButton *m_repair = nullptr;
};

// Opens the window (non-modal, deleted when closed) for the image at path.
CheckDiskWindow *OpenCheckDiskWindow(QWidget *owner, Ui &ui, const std::string &path,
                                     const std::string &shownName);

} // namespace kestrel
