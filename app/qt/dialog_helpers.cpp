#include "app/qt/dialog_helpers.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace kestrel
{

QString NumberText(int value)
{
    return QString::number(value);
}

QString Hex16Text(uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, ">%04X", static_cast<unsigned>(value));
    return QString::fromLatin1(text);
}

QString Hex32Text(uint32_t value)
{
    char text[12];
    std::snprintf(text, sizeof text, ">%08X", static_cast<unsigned>(value));
    return QString::fromLatin1(text);
}

void SetItemText(QWidget *item, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(item))
        label->setText(text);
    else if (auto *edit = qobject_cast<QLineEdit *>(item))
        edit->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(item))
        button->setText(text);
    else if (item)
        item->setWindowTitle(text);
}

void SetCheck(QAbstractButton *box, bool checked)
{
    if (box)
        box->setChecked(checked);
}

bool GetCheck(const QAbstractButton *box)
{
    return box && box->isChecked();
}

void FillNumberCombo(QComboBox *combo, unsigned first, unsigned last, unsigned selected,
                     const QString &leadingText)
{
    if (!combo)
        return;
    combo->clear();
    if (!leadingText.isEmpty())
        combo->addItem(leadingText);
    for (unsigned n = first; n <= last; ++n) {
        combo->addItem(QString(" %1").arg(n));
        if (n == UINT_MAX)
            break;
    }
    int index = combo->findText(QString(" %1").arg(selected));
    combo->setCurrentIndex(index >= 0 ? index : 0);
}

void FillTextCombo(QComboBox *combo, const std::vector<std::string> &texts, int selected)
{
    if (!combo)
        return;
    combo->clear();
    for (const auto &t : texts)
        combo->addItem(QString::fromStdString(t));
    if (selected >= 0 && selected < combo->count())
        combo->setCurrentIndex(selected);
}

void SetProgressRange(QProgressBar *bar, uint32_t maximum)
{
    if (bar)
        bar->setRange(0, static_cast<int>(std::min<uint32_t>(maximum, INT_MAX)));
}

void SetProgressPosition(QProgressBar *bar, uint32_t position)
{
    if (bar)
        bar->setValue(static_cast<int>(std::min<uint32_t>(position, INT_MAX)));
}

} // namespace kestrel
