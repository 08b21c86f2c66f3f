#include "app/qt/input_filters.h"

#include <QLineEdit>

namespace kestrel
{

namespace
{

bool Drops(InputFilter filter, QChar c)
{
    switch (filter) {
    case InputFilter::Name:
        return QStringLiteral(" \"*./:<>?\\|").contains(c);
    case InputFilter::PcName:
        return QStringLiteral(" \"*/:<>?\\|").contains(c);
    case InputFilter::Label:
        return c == ' ' || c == '.';
    case InputFilter::Hex:
        return !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
    }
    return false;
}

} // namespace

QString FilterText(InputFilter filter, const QString &text)
{
    QString out;
    for (QChar c : text)
        if (!Drops(filter, c))
            out += c;
    return out;
}

QValidator::State FilterValidator::validate(QString &input, int &pos) const
{
    QString kept;
    int newPos = pos;
    for (int i = 0; i < input.size(); ++i) {
        if (Drops(m_filter, input[i])) {
            if (i < pos)
                --newPos;
        } else {
            kept += input[i];
        }
    }
    input = kept;
    pos = std::max(0, newPos);
    return Acceptable;
}

void InstallInputFilter(QLineEdit *edit, InputFilter filter)
{
    if (edit)
        edit->setValidator(new FilterValidator(filter, edit));
}

} // namespace kestrel
