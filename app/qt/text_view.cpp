#include "app/qt/text_view.h"

#include <QFontDatabase>
#include <QPlainTextEdit>

#include "viewers/tifile_view.h"

namespace kestrel
{

namespace
{

// Text and hexadecimal views of TI files come from the view assembly; the
// picture modes belong to the picture windows, which are not part of this
// window yet, so they show nothing.
bool ComposeView(const Location &location, const CatalogEntry &entry, WindowMode mode, Ui &ui,
                 std::string &caption, std::string &text)
{
    if (mode != kModeText && mode != kModeHex && mode != kModeForth)
        return false;
    if (!IsTiFileKind(entry.ti.kind))
        return false;
    TextView view;
    if (!ComposeTiFileView(location, entry, mode, ui, view) || !view.hasText)
        return false;
    caption = view.caption;
    text = view.text;
    return true;
}

} // namespace

QWidget *ShowTextWindow(QWidget *owner, const std::string &caption, const std::string &text)
{
    auto *edit = new QPlainTextEdit(owner);
    edit->setWindowFlag(Qt::Window);
    edit->setObjectName("EditViewer");
    edit->setAttribute(Qt::WA_DeleteOnClose);
    edit->setReadOnly(true);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit->setWindowTitle(QString::fromStdString(caption));
    QString shown = QString::fromLatin1(text.data(), static_cast<int>(text.size()));
    shown.replace("\r\n", "\n");
    edit->setPlainText(shown);
    edit->resize(600, 800);
    edit->show();
    return edit;
}

void OpenTextView(QWidget *owner, Ui &ui, const Location &location, const CatalogEntry &entry,
                  WindowMode mode)
{
    std::string caption, text;
    if (ComposeView(location, entry, mode, ui, caption, text))
        ShowTextWindow(owner, caption, text);
}

} // namespace kestrel
