#include "app/qt/info_dialogs.h"

#include <iterator>

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariant>

namespace kestrel
{

namespace
{

constexpr int kOkId = 1;

struct FieldRow {
    int id;
    const char *label;
    int labelId; // 0: the label has no id of its own
};

constexpr FieldRow kDiskRows[] = {
    {1007, "PC name", 0},          {1000, "Volume label", 0},    {1002, "Size (sectors)", 0},
    {1001, "Free (AU's)", 0},      {1003, "Used (AU's)", 0},     {1004, "Media type", 0},
    {1010, "Media protection", 0}, {1005, "Tracks per side", 0}, {1009, "Sectors per track", 0},
    {1006, "Number of sides", 0},  {1008, "Density", 0},         {1011, "Sectors per AU", 0},
};

constexpr FieldRow kFileRows[] = {
    {1012, "PC name", 0},
    {1014, "TI name", 0},
    {1015, "Size", 0},
    {1016, "Type", 0},
    {1017, "Record length", kRecordLengthLabelId},
    {1019, "Records per sector", 0},
    {1020, "End of file offset", 0},
    {1018, "Write protected", 0},
    {1024, "Archive", 0},
    {1021, "V9t9 format", 0},
};

constexpr FieldRow kImageRows[] = {
    {1030, "PC name", 0},
    {1031, "Filesize", 0},
    {1032, "Media type", 0},
};

// Row labels of the per-volume block of the image information.
constexpr const char *kVolumeRowLabels[] = {
    "Volume label",   "Partition offset", "Partition size", "Total AU's",
    "Sectors per AU", "Size (sectors)",   "Free (sectors)", "Used (sectors)",
};

QLineEdit *MakeField(int id)
{
    auto *field = new QLineEdit;
    field->setReadOnly(true);
    field->setMinimumWidth(120);
    SetControlId(field, id);
    return field;
}

// The dialog frame: caption, the body and an OK button (id 1) that closes it.
QDialog *MakeInfoDialog(QWidget *owner, const char *caption, QLayout *body)
{
    auto *dialog = new QDialog(owner);
    dialog->setObjectName(caption);
    dialog->setWindowTitle(caption);
    dialog->setModal(true);
    auto *ok = new QPushButton("OK");
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, [dialog] { dialog->done(1); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto *outer = new QVBoxLayout(dialog);
    outer->addLayout(body);
    outer->addLayout(buttons);
    return dialog;
}

template <size_t N> void AddRows(QGridLayout *grid, const FieldRow (&rows)[N], int firstRow = 0)
{
    for (size_t i = 0; i < N; ++i) {
        auto *label = new QLabel(rows[i].label);
        if (rows[i].labelId != 0)
            SetControlId(label, rows[i].labelId);
        const int row = firstRow + static_cast<int>(i);
        grid->addWidget(label, row, 0);
        grid->addWidget(MakeField(rows[i].id), row, 1, 1, -1);
    }
}

void Fill(QWidget *dialog, const InfoFields &fields)
{
    for (const InfoField &field : fields) {
        QWidget *control = FindControl(dialog, field.id);
        const QString text = QString::fromLatin1(field.text.c_str());
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->setText(text);
        else if (auto *label = qobject_cast<QLabel *>(control))
            label->setText(text);
    }
}

int Show(QDialog *dialog, const InfoFields &fields)
{
    Fill(dialog, fields);
    const int result = dialog->exec();
    delete dialog;
    return result;
}

int ShowDiskInformation(QWidget *owner, const CatalogEntry &entry)
{
    auto *grid = new QGridLayout;
    AddRows(grid, kDiskRows);
    return Show(MakeInfoDialog(owner, "Disk Information", grid), DiskInformationFields(entry));
}

int ShowFileInformation(QWidget *owner, const Location &location, const CatalogEntry &entry)
{
    auto *grid = new QGridLayout;
    AddRows(grid, kFileRows);
    return Show(MakeInfoDialog(owner, "File Information", grid),
                FileInformationFields(location, entry));
}

int ShowImageInformation(QWidget *owner, Ui &ui, const Location &location,
                         const CatalogEntry &entry)
{
    auto *grid = new QGridLayout;
    AddRows(grid, kImageRows);
    const int top = static_cast<int>(std::size(kImageRows));
    for (int k = 0; k < 4; ++k)
        grid->addWidget(new QLabel(QString("Partition %1").arg(k + 1)), top, k + 1);
    for (int r = 0; r < 8; ++r)
        grid->addWidget(new QLabel(kVolumeRowLabels[r]), top + 1 + r, 0);
    for (int k = 0; k < 4; ++k) {
        const ImagePartitionIds &ids = kImagePartitionIds[k];
        const int column[8] = {ids.label,        ids.offset,  ids.size, ids.totalAus,
                               ids.sectorsPerAu, ids.sectors, ids.free, ids.used};
        for (int r = 0; r < 8; ++r)
            grid->addWidget(MakeField(column[r]), top + 1 + r, k + 1);
    }
    QDialog *dialog = MakeInfoDialog(owner, "Image Information", grid);
    // The figures are read before the dialog shows, so that message 1 comes
    // first and the dialog then opens with its fields as they are.
    InfoFields fields;
    ImageInformationFields(ui, location, entry, fields);
    return Show(dialog, fields);
}

} // namespace

void SetControlId(QWidget *control, int id)
{
    control->setObjectName(QString::number(id));
    control->setProperty("controlId", id);
}

QWidget *FindControl(const QWidget *dialog, int id)
{
    for (QWidget *child : dialog->findChildren<QWidget *>()) {
        if (child->property("controlId").toInt() == id)
            return child;
    }
    return nullptr;
}

bool RunInformation(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    const Pane &pane = shell.GetPane(side);
    const CatalogEntry *cursor = pane.CursorEntry();
    if (cursor == nullptr)
        return true;
    // A copy: the dialog's event loop may let the pane list itself again.
    const CatalogEntry entry = *cursor;
    switch (InfoDialogFor(entry.ti.kind)) {
    case InfoDialogKind::Disk:
        ShowDiskInformation(owner, entry);
        break;
    case InfoDialogKind::Image:
        ShowImageInformation(owner, ui, pane.location, entry);
        break;
    case InfoDialogKind::File:
        ShowFileInformation(owner, pane.location, entry);
        break;
    }
    return true;
}

} // namespace kestrel
