#include "app/qt/check_disk_window.h"

#include <filesystem>

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "drives/image_check.h"

namespace kestrel
{

namespace
{

constexpr int kWidth = 640;
constexpr int kHeight = 400;

} // namespace

CheckDiskWindow::CheckDiskWindow(QWidget *owner, Ui &ui, const std::string &path,
                                 const std::string &shownName)
    : QDialog(owner), m_ui(ui), m_path(path), m_shownName(shownName)
{
    setObjectName("CheckDisk");
    setWindowTitle(QString::fromStdString("Check disk - " + shownName));
    auto *layout = new QVBoxLayout(this);
    m_report = new QPlainTextEdit;
    m_report->setObjectName("Findings");
    m_report->setReadOnly(true);
    m_report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(m_report);
    auto *buttons = new QDialogButtonBox;
    m_repair = buttons->addButton("Repair", QDialogButtonBox::ActionRole);
    m_repair->setObjectName("Repair");
    QPushButton *close = buttons->addButton("Close", QDialogButtonBox::RejectRole);
    close->setObjectName("Close");
    layout->addWidget(buttons);
    connect(m_repair, &QPushButton::clicked, this, [this] { Repair(); });
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    resize(kWidth, kHeight);
    Recheck();
}

void CheckDiskWindow::Show(const std::vector<std::string> &lines)
{
    for (const std::string &line : lines) {
        m_text += line + "\n";
    }
    m_report->setPlainText(QString::fromLatin1(m_text.data(), static_cast<int>(m_text.size())));
}

void CheckDiskWindow::Recheck()
{
    const ImageCheck check = CheckImageFile(m_path, m_ui);
    Show(check.lines);
    m_repair->setEnabled(check.Repairable() && !check.clean);
}

bool CheckDiskWindow::Repair()
{
    RepairOptions options;
    const std::string backup = RepairBackupPath(m_path, options);
    if (m_ui.AskQuestion("Repair " + m_shownName + "?\n\nThe image is copied to " + backup +
                             " before anything is written.",
                         QuestionButtons::YesNo) != Answer::Yes) {
        return false;
    }
    std::error_code error;
    if (std::filesystem::exists(backup, error)) {
        if (m_ui.AskQuestion("The backup " + backup + " exists already. Replace it?",
                             QuestionButtons::YesNo) != Answer::Yes) {
            return false;
        }
        options.replaceBackup = true;
    }
    RepairReport report;
    const bool repaired = RepairImageFile(m_path, options, report, m_ui);
    std::vector<std::string> lines = {std::string()};
    if (!report.backupPath.empty()) {
        lines.push_back("backup: " + report.backupPath);
    }
    for (const std::string &line : report.changes) {
        lines.push_back("repaired: " + line);
    }
    for (const std::string &line : report.unrepaired) {
        lines.push_back("not repaired: " + line);
    }
    if (!report.wrote) {
        lines.push_back("nothing written: the repair has nothing it can mend");
    }
    lines.push_back(std::string());
    lines.push_back("after the repair:");
    Show(lines);
    Recheck();
    return repaired && report.wrote;
}

std::string CheckDiskWindow::Text() const
{
    return m_text;
}

CheckDiskWindow *OpenCheckDiskWindow(QWidget *owner, Ui &ui, const std::string &path,
                                     const std::string &shownName)
{
    auto *window = new CheckDiskWindow(owner, ui, path, shownName);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

} // namespace kestrel
