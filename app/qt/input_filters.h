// Input filters of dialog edit fields: each drops certain typed or pasted
// characters and keeps everything else.
#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

namespace kestrel
{

enum class InputFilter {
    Name,   // drops space " * . / : < > ? \ |
    PcName, // as Name, but a period is allowed
    Label,  // drops space and period
    Hex,    // keeps hexadecimal digits only
};

// The text with the filter's characters removed.
QString FilterText(InputFilter filter, const QString &text);

class FilterValidator : public QValidator
{
public:
    FilterValidator(InputFilter filter, QObject *parent) : QValidator(parent), m_filter(filter) {}
    State validate(QString &input, int &pos) const override;

private:
    InputFilter m_filter;
};

// Installs the filter on an edit field.
void InstallInputFilter(QLineEdit *edit, InputFilter filter);

} // namespace kestrel
