#include "app/qt/common_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

namespace kestrel
{

bool BrowseForLocation(QWidget *owner, const std::string &current, std::string &result)
{
    QFileDialog dialog(owner, kBrowseTitle, QString::fromStdString(current));
    dialog.setObjectName(kBrowseTitle);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    // The own dialog: it behaves the same on every platform and shows the
    // prompt and the selected folder as the status text.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setLabelText(QFileDialog::LookIn, kBrowsePrompt);
    // Opened inside the current folder, so that choosing at once keeps it.
    if (!current.empty())
        dialog.setDirectory(QString::fromStdString(current));
    // The status line under the folder list names the folder that a choice
    // now would give: the start folder first, then each folder selected.
    auto *status = new QLabel(QString::fromStdString(current), &dialog);
    status->setObjectName(kBrowseStatusName);
    status->setTextFormat(Qt::PlainText);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
    auto showSelection = [&dialog, status](const QString &path) {
        status->setText(path);
        dialog.setToolTip(path);
    };
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, showSelection);
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, showSelection);
    dialog.adjustSize();
    CenterOver(&dialog, owner);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    result = dialog.selectedFiles().first().toStdString();
    return true;
}

void CenterOver(QWidget *window, QWidget *reference)
{
    if (!window)
        return;
    QRect area;
    if (reference)
        area = reference->frameGeometry();
    else if (QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry(); // the work area, without the task bars
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
    // A dialog shown here before exec() would stay modeless: exec() does not make an already
    // visible window modal. Every dialog centred this way is the modal step of a command.
    auto *dialog = qobject_cast<QDialog *>(window);
    if (dialog && !dialog->isVisible() && dialog->windowModality() == Qt::NonModal)
        dialog->setWindowModality(Qt::ApplicationModal);
    window->show();
}

void PumpPendingMessages()
{
    // Long work pumps after each unit it does, and a unit may be one 512-byte sector: a quarter
    // of a million pumps for a card, where each look at the event queue costs more than the
    // sector. Events are taken at most every few milliseconds, which no user can tell from
    // every time.
    constexpr qint64 kIntervalNs = 4'000'000;
    static QElapsedTimer last;
    if (last.isValid() && last.nsecsElapsed() < kIntervalNs)
        return;
    QCoreApplication::processEvents();
    last.start();
}

} // namespace kestrel
