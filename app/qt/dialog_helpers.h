// Small helpers for dialog items: texts and numbers in the program's forms,
// check boxes, number and text combo boxes, progress bars.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QString>

class QWidget;
class QComboBox;
class QProgressBar;
class QAbstractButton;

namespace kestrel
{

// "%d", ">%04X" and ">%08X".
QString NumberText(int value);
QString Hex16Text(uint16_t value);
QString Hex32Text(uint32_t value);

// Sets the text of a label, line edit or button.
void SetItemText(QWidget *item, const QString &text);
inline void SetItemNumber(QWidget *item, int value)
{
    SetItemText(item, NumberText(value));
}
inline void SetItemHex16(QWidget *item, uint16_t value)
{
    SetItemText(item, Hex16Text(value));
}
inline void SetItemHex32(QWidget *item, uint32_t value)
{
    SetItemText(item, Hex32Text(value));
}

void SetCheck(QAbstractButton *box, bool checked);
bool GetCheck(const QAbstractButton *box);

// The numbers first to last, each as " %u", selecting the one equal to
// selected; with a leading text item, that item comes first. When no number
// matches, the first item is selected.
void FillNumberCombo(QComboBox *combo, unsigned first, unsigned last, unsigned selected,
                     const QString &leadingText = QString());
void FillTextCombo(QComboBox *combo, const std::vector<std::string> &texts, int selected);

// The range of a progress bar (0 to maximum) and its position.
void SetProgressRange(QProgressBar *bar, uint32_t maximum);
void SetProgressPosition(QProgressBar *bar, uint32_t position);

} // namespace kestrel
