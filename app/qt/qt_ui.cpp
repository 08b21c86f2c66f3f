#include "app/qt/qt_ui.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "app/qt/common_dialogs.h"

namespace kestrel
{

namespace
{

int ShowBox(QWidget *owner, QMessageBox::Icon icon, const char *caption, const std::string &text,
            QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, QString::fromUtf8(caption), QString::fromStdString(text), buttons, owner);
    box.setObjectName(QString::fromUtf8(caption));
    return box.exec();
}

Answer FromButton(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::YesToAll:
        return Answer::All;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

} // namespace

void QtUi::ShowError(const std::string &text)
{
    ShowBox(m_owner, QMessageBox::Critical, "ERROR", text, QMessageBox::Ok);
}

Answer QtUi::AskErrorQuestion(const std::string &text)
{
    return FromButton(ShowBox(m_owner, QMessageBox::Critical, "ERROR", text,
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));
}

void QtUi::ShowDsrError(const std::string &text)
{
    ShowBox(m_owner, QMessageBox::Critical, "DSR ERROR", text, QMessageBox::Ok);
}

void QtUi::ShowInfo(const std::string &text)
{
    ShowBox(m_owner, QMessageBox::Information, "Kestrel", text, QMessageBox::Ok);
}

void QtUi::ShowWarning(const std::string &text)
{
    ShowBox(m_owner, QMessageBox::Warning, "Kestrel", text, QMessageBox::Ok);
}

void QtUi::ShowKestrelError(const std::string &text)
{
    ShowBox(m_owner, QMessageBox::Critical, "Kestrel", text, QMessageBox::Ok);
}

Answer QtUi::AskQuestion(const std::string &text, QuestionButtons buttons)
{
    QMessageBox::StandardButtons b = QMessageBox::Yes | QMessageBox::No;
    if (buttons == QuestionButtons::YesNoCancel)
        b |= QMessageBox::Cancel;
    else if (buttons == QuestionButtons::OkCancel)
        b = QMessageBox::Ok | QMessageBox::Cancel;
    return FromButton(ShowBox(m_owner, QMessageBox::Question, "Kestrel", text, b));
}

Answer QtUi::AskOverwrite(const std::string &text)
{
    QMessageBox box(
        QMessageBox::Question, "Overwrite file(s)", QString::fromStdString(text),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::Cancel, m_owner);
    box.setObjectName("Overwrite file(s)");
    box.button(QMessageBox::YesToAll)->setText("All");
    return FromButton(box.exec());
}

QString QtFileFilter(const std::string &filter)
{
    std::string text = filter;
    for (char &c : text)
        if (c == '\0')
            c = '|';
    QStringList parts = QString::fromStdString(text).split('|', Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return QString::fromStdString(text);
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        QString description = parts[i];
        if (!description.contains('('))
            description += " (" + patterns + ")";
        out << description;
    }
    return out.join(";;");
}

bool QtUi::ChooseFile(bool save, const std::string &title, const std::string &filter,
                      const std::string &defaultExtension, const std::string &startDir,
                      std::string &name)
{
    QString start = QString::fromStdString(startDir);
    QString proposed = QString::fromStdString(name);
    if (!proposed.isEmpty())
        start = start.isEmpty() ? proposed : start + "/" + QFileInfo(proposed).fileName();
    QFileDialog dialog(m_owner, QString::fromStdString(title), start, QtFileFilter(filter));
    dialog.setObjectName(QString::fromStdString(title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    name = dialog.selectedFiles().first().toStdString();
    return true;
}

QProgressDialog *QtUi::Progress()
{
    if (!m_progress) {
        m_progress = new QProgressDialog(m_owner);
        m_progress->setObjectName("Progress");
        m_progress->setWindowTitle("Kestrel");
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setWindowModality(Qt::WindowModal);
    }
    return m_progress;
}

void QtUi::SetProgressRange(uint32_t maximum)
{
    Progress()->setRange(0, static_cast<int>(std::min<uint32_t>(maximum, INT32_MAX)));
    Progress()->setValue(0);
    Progress()->show();
}

void QtUi::SetProgressPosition(uint32_t position)
{
    Progress()->setValue(static_cast<int>(std::min<uint32_t>(position, INT32_MAX)));
}

void QtUi::SetStatusText(const std::string &text)
{
    Progress()->setLabelText(QString::fromStdString(text));
}

void QtUi::PumpPendingMessages()
{
    kestrel::PumpPendingMessages();
}

bool QtUi::CancelPressed()
{
    return m_progress && m_progress->wasCanceled();
}

void QtUi::Beep()
{
    QApplication::beep();
}

void QtUi::EndProgress()
{
    if (m_progress) {
        m_progress->close();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
}

} // namespace kestrel
