#include "app/qt/new_hd_dialog.h"

#include <cstdio>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/qt/common_dialogs.h"
#include "app/qt/input_filters.h"
#include "app/qt/new_dsk_dialog.h"

namespace kestrel
{

QString HdSizeText(uint32_t sectors)
{
    const unsigned long bytes = static_cast<unsigned long>(sectors) * 256ul;
    char text[64];
    std::snprintf(text, sizeof text, ">%08X    (%lu.%03lu,%03lu Mb)",
                  static_cast<unsigned>(sectors), bytes / 1000000ul, bytes / 1000ul % 1000ul,
                  bytes % 1000ul);
    return QString::fromLatin1(text);
}

NewHdDialog::NewHdDialog(QWidget *owner, Ui &ui, Location &pane)
    : QDialog(owner), m_ui(ui), m_pane(pane)
{
    m_sizes.fill(kNewHdMinSectors);
    setObjectName(kNewHdDialogName);
    setWindowTitle(kNewHdDialogName);
    setModal(true);

    auto *grid = new QGridLayout;
    auto *nameCaption = new QLabel("File name:");
    m_fileName = new QLineEdit;
    m_fileName->setObjectName("FileName");
    m_fileName->setMaxLength(11);
    InstallInputFilter(m_fileName, InputFilter::PcName);
    nameCaption->setBuddy(m_fileName);
    grid->addWidget(nameCaption, 0, 0);
    grid->addWidget(m_fileName, 0, 1);
    grid->addWidget(new QLabel(".img"), 0, 2);

    m_oneVolume = new QRadioButton("One volume");
    m_oneVolume->setObjectName("OneVolume");
    m_partitioned = new QRadioButton("Partitions");
    m_partitioned->setObjectName("Partitioned");
    m_oneVolume->setChecked(true);
    auto *modes = new QButtonGroup(this);
    modes->addButton(m_oneVolume);
    modes->addButton(m_partitioned);
    auto *modeRow = new QHBoxLayout;
    modeRow->addWidget(m_oneVolume);
    modeRow->addWidget(m_partitioned);
    modeRow->addStretch();

    auto *partitions = new QGroupBox("Partitions");
    auto *partitionGrid = new QGridLayout(partitions);
    auto *selectors = new QButtonGroup(this);
    for (int k = 0; k < kHdPartitionCount; ++k) {
        m_selectors[k] = new QRadioButton(QString("Partition %1").arg(k + 1));
        m_selectors[k]->setObjectName(QString("Partition%1").arg(k + 1));
        selectors->addButton(m_selectors[k], k);
        m_used[k] = new QCheckBox("used");
        m_used[k]->setObjectName(QString("Used%1").arg(k + 1));
        partitionGrid->addWidget(m_selectors[k], k, 0);
        partitionGrid->addWidget(m_used[k], k, 1);
    }
    m_selectors[0]->setChecked(true);
    // The first partition is the one a partitioned image always has.
    m_used[0]->setChecked(true);
    m_used[0]->setEnabled(false);

    auto *labelCaption = new QLabel("Volume label:");
    m_label = new QLineEdit;
    m_label->setObjectName("VolumeLabel");
    m_label->setMaxLength(10);
    InstallInputFilter(m_label, InputFilter::Label);
    labelCaption->setBuddy(m_label);

    m_size = new QSlider(Qt::Horizontal);
    m_size->setObjectName("Size");
    m_size->setRange(static_cast<int>(kNewHdMinSectors / kHdSizeStep),
                     static_cast<int>(kNewHdMaxSectors / kHdSizeStep));
    m_size->setSingleStep(1);
    m_size->setPageStep(16);
    m_size->setValue(static_cast<int>(kNewHdMinSectors / kHdSizeStep));
    m_sizeText = new QLabel(HdSizeText(kNewHdMinSectors));
    m_sizeText->setObjectName("SizeText");

    auto *volumeGrid = new QGridLayout;
    volumeGrid->addWidget(labelCaption, 0, 0);
    volumeGrid->addWidget(m_label, 0, 1);
    volumeGrid->addWidget(new QLabel("Size:"), 1, 0);
    volumeGrid->addWidget(m_size, 1, 1);
    volumeGrid->addWidget(m_sizeText, 2, 1);

    m_progress = new QProgressBar;
    m_progress->setObjectName("Progress");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    m_create = new QPushButton("Create");
    m_create->setObjectName("Create");
    m_create->setDefault(true);
    m_cancel = new QPushButton("Cancel");
    m_cancel->setObjectName("Cancel");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_create);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(modeRow);
    layout->addWidget(partitions);
    layout->addLayout(volumeGrid);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    connect(m_label, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_labels[m_current] = text.toStdString(); });
    connect(m_size, &QSlider::valueChanged, this, [this](int) {
        m_sizes[m_current] = SliderSectors();
        m_sizeText->setText(HdSizeText(m_sizes[m_current]));
    });
    connect(selectors, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            SelectVolume(id);
    });
    connect(m_partitioned, &QRadioButton::toggled, this, [this] { ModeChanged(); });
    connect(m_create, &QPushButton::clicked, this, &NewHdDialog::Create);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    ModeChanged();
    m_fileName->setFocus();
}

uint32_t NewHdDialog::SliderSectors() const
{
    return static_cast<uint32_t>(m_size->value()) * kHdSizeStep;
}

void NewHdDialog::SelectVolume(int index)
{
    if (index < 0 || index >= kHdPartitionCount)
        return;
    m_current = index;
    const std::string label = m_labels[index];
    const uint32_t sectors = m_sizes[index];
    m_label->setText(QString::fromStdString(label));
    m_size->setValue(static_cast<int>(sectors / kHdSizeStep));
    m_sizeText->setText(HdSizeText(sectors));
}

void NewHdDialog::ModeChanged()
{
    const bool partitioned = m_partitioned->isChecked();
    for (int k = 0; k < kHdPartitionCount; ++k) {
        m_selectors[k]->setEnabled(partitioned);
        m_used[k]->setEnabled(partitioned && k > 0);
    }
    // One volume is edited in the fields of partition 1.
    if (!partitioned)
        m_selectors[0]->setChecked(true);
}

int NewHdDialog::UsedPartitions() const
{
    int count = 1;
    while (count < kHdPartitionCount && m_used[count]->isChecked())
        ++count;
    return count;
}

NewHdImage NewHdDialog::Description() const
{
    const bool partitioned = m_partitioned->isChecked();
    const int count = partitioned ? UsedPartitions() : 1;
    std::vector<std::string> labels(m_labels.begin(), m_labels.begin() + count);
    std::vector<uint32_t> sizes(m_sizes.begin(), m_sizes.begin() + count);
    return DescribeNewHdImage(m_fileName->text().toStdString(), partitioned, labels, sizes);
}

void NewHdDialog::Create()
{
    if (m_fileName->text().isEmpty()) {
        m_ui.ShowWarning("Please enter a file name");
        m_fileName->setFocus();
        return;
    }
    const int count = m_partitioned->isChecked() ? UsedPartitions() : 1;
    for (int k = 0; k < count; ++k) {
        if (m_labels[k].empty()) {
            m_selectors[k]->setChecked(true);
            m_ui.ShowWarning(kEnterVolumeLabel);
            m_label->setFocus();
            return;
        }
    }
    // Writing up to a gigabyte: there is no stopping halfway,
    // so nothing may start a second run meanwhile.
    m_create->setEnabled(false);
    m_cancel->setEnabled(false);
    DiskDialogUi progress(m_ui, m_progress, nullptr);
    m_running = true;
    CreateNewHdImage(progress, m_pane, Description());
    m_running = false;
    progress.Finish();
    accept();
}

void NewHdDialog::reject()
{
    if (!m_running)
        QDialog::reject();
}

bool RunCreateHdImage(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    if (pane.location.kind != kLocPcDirectory) {
        ui.Beep();
        return true;
    }
    NewHdDialog dialog(owner, ui, pane.location);
    dialog.adjustSize();
    CenterOver(&dialog, owner);
    if (dialog.exec() != QDialog::Accepted)
        return true;
    shell.Reread(side);
    return true;
}

} // namespace kestrel
