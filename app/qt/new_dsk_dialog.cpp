#include "app/qt/new_dsk_dialog.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/qt/common_dialogs.h"
#include "app/qt/dialog_helpers.h"
#include "tifs/floppy/floppy_writer.h"

namespace kestrel
{

DiskDialogUi::DiskDialogUi(Ui &inner, QProgressBar *bar, QLabel *status)
    : ForwardingUi(inner), m_bar(bar), m_status(status)
{
    SetLastMessage(inner.LastMessage());
}

void DiskDialogUi::SetProgressRange(uint32_t maximum)
{
    kestrel::SetProgressRange(m_bar, maximum);
    kestrel::SetProgressPosition(m_bar, 0);
}

void DiskDialogUi::SetProgressPosition(uint32_t position)
{
    kestrel::SetProgressPosition(m_bar, position);
}

void DiskDialogUi::SetStatusText(const std::string &text)
{
    if (m_status)
        m_status->setText(QString::fromStdString(text));
}

void DiskDialogUi::PumpPendingMessages()
{
    kestrel::PumpPendingMessages();
}

NewDskDialog::NewDskDialog(QWidget *owner, Ui &ui, const Options &options, Action action)
    : QDialog(owner), m_ui(ui), m_action(std::move(action))
{
    setObjectName(kNewDskDialogName);
    setWindowTitle(options.title);
    setModal(true);

    auto *labelCaption = new QLabel("Volume label:");
    m_label = new QLineEdit;
    m_label->setObjectName("Label");
    m_label->setMaxLength(10);
    InstallInputFilter(m_label, options.labelFilter);
    labelCaption->setBuddy(m_label);
    auto *labelRow = new QHBoxLayout;
    labelRow->addWidget(labelCaption);
    labelRow->addWidget(m_label);

    auto *geometry = new QGroupBox("Disk geometry");
    auto *presetColumn = new QVBoxLayout(geometry);
    for (int i = 0; i < kPresetCount; ++i) {
        const FloppyPreset *preset = FindPreset(i);
        m_presets[i] = new QRadioButton(QString::fromLatin1(preset->caption));
        m_presets[i]->setObjectName(QString("Preset%1").arg(i));
        if (options.onlyPreset >= 0)
            m_presets[i]->setEnabled(i == options.onlyPreset);
        presetColumn->addWidget(m_presets[i]);
    }
    int checked = options.onlyPreset >= 0 && options.onlyPreset < kPresetCount ? options.onlyPreset
                                                                               : kDefaultPreset;
    m_presets[checked]->setChecked(true);

    m_progress = new QProgressBar;
    m_progress->setObjectName("Progress");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    m_ok = new QPushButton(options.okText);
    m_ok->setObjectName("Ok");
    m_ok->setDefault(true);
    m_cancel = new QPushButton("Cancel");
    m_cancel->setObjectName("Cancel");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    connect(m_ok, &QPushButton::clicked, this, &NewDskDialog::Accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(labelRow);
    layout->addWidget(geometry);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    m_label->setFocus();
}

std::string NewDskDialog::Label() const
{
    return m_label->text().toStdString();
}

int NewDskDialog::Preset() const
{
    for (int i = 0; i < kPresetCount; ++i)
        if (m_presets[i]->isChecked())
            return i;
    return kDefaultPreset;
}

void NewDskDialog::Accept()
{
    if (m_label->text().isEmpty()) {
        m_ui.ShowWarning(kEnterVolumeLabel);
        m_label->setFocus();
        return;
    }
    // The writing cannot be stopped halfway: a disk cut short would be
    // worse than the wait.
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    DiskDialogUi progress(m_ui, m_progress, nullptr);
    m_running = true;
    m_action(Label(), Preset(), progress);
    m_running = false;
    progress.Finish();
    accept();
}

void NewDskDialog::reject()
{
    if (!m_running)
        QDialog::reject();
}

bool RunCreateDskImage(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    if (pane.location.kind != kLocPcDirectory) {
        ui.Beep();
        return true;
    }
    const std::string directory = pane.location.path;
    NewDskDialog dialog(owner, ui, NewDskDialog::Options{},
                        [&](const std::string &label, int preset, Ui &progress) {
                            CreateImage(directory, label, preset, progress);
                        });
    dialog.adjustSize();
    CenterOver(&dialog, owner);
    if (dialog.exec() != QDialog::Accepted)
        return true;
    // Also after a refused overwrite or a failed write: what is on disk now
    // is what the pane should show.
    shell.Reread(side);
    return true;
}

} // namespace kestrel
