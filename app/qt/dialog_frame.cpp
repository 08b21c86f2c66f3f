#include "app/qt/dialog_frame.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLayout>
#include <QMessageBox>
#include <QProgressDialog>

namespace kestrel
{

namespace
{

class DialogFramePolicy : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Polish && watched->isWidgetType()) {
            auto *dialog = qobject_cast<QDialog *>(watched);
            if (dialog != nullptr && IsOwnDialog(dialog))
                FixDialogFrame(dialog);
        }
        return false;
    }
};

} // namespace

bool IsOwnDialog(const QDialog *dialog)
{
    if (dialog == nullptr)
        return false;
    // The print and page dialogs come from a module of their own; they are
    // told apart by their class names rather than by linking it here.
    const char *name = dialog->metaObject()->className();
    return qobject_cast<const QFileDialog *>(dialog) == nullptr &&
           qobject_cast<const QFontDialog *>(dialog) == nullptr &&
           qobject_cast<const QColorDialog *>(dialog) == nullptr &&
           qobject_cast<const QMessageBox *>(dialog) == nullptr &&
           qobject_cast<const QInputDialog *>(dialog) == nullptr &&
           qobject_cast<const QProgressDialog *>(dialog) == nullptr &&
           qstrcmp(name, "QPrintDialog") != 0 && qstrcmp(name, "QPageSetupDialog") != 0 &&
           qstrcmp(name, "QPrintPreviewDialog") != 0;
}

void FixDialogFrame(QDialog *dialog)
{
    if (dialog == nullptr)
        return;
    dialog->setSizeGripEnabled(false);
    if (QLayout *layout = dialog->layout())
        layout->setSizeConstraint(QLayout::SetFixedSize);
    // Changing the flags of a window that exists already would make it anew
    // (and hide it); one shown once keeps the frame it got.
    if (!dialog->testAttribute(Qt::WA_WState_Created)) {
        const Qt::WindowFlags wanted = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (dialog->windowFlags() != wanted)
            dialog->setWindowFlags(wanted);
    }
}

void InstallDialogFramePolicy()
{
    static DialogFramePolicy *policy = nullptr;
    if (policy != nullptr || qApp == nullptr)
        return;
    policy = new DialogFramePolicy(qApp);
    qApp->installEventFilter(policy);
}

} // namespace kestrel
