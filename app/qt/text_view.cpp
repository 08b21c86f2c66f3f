#include "app/qt/text_view.h"

#include <QPlainTextEdit>
#include <QFontDatabase>

namespace kestrel {

namespace {

// Views of TI files come from the view assembly of the viewers; until it is
// linked in, there is nothing to compose.
bool ComposeView(const Location& location, const CatalogEntry& entry, ViewMode mode, Ui& ui,
                 std::string& caption, std::string& text)
{
    (void)location;
    (void)entry;
    (void)mode;
    (void)ui;
    (void)caption;
    (void)text;
    return false;
}

} // namespace

QWidget* ShowTextWindow(QWidget* owner, const std::string& caption, const std::string& text)
{
    auto* edit = new QPlainTextEdit(owner);
    edit->setWindowFlag(Qt::Window);
    edit->setObjectName("EditViewer");
    edit->setAttribute(Qt::WA_DeleteOnClose);
    edit->setReadOnly(true);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit->setWindowTitle(QString::fromStdString(caption));
    edit->setPlainText(QString::fromLatin1(text.data(), static_cast<int>(text.size())));
    edit->resize(600, 800);
    edit->show();
    return edit;
}

void OpenTextView(QWidget* owner, Ui& ui, const Location& location, const CatalogEntry& entry,
                  ViewMode mode)
{
    std::string caption, text;
    if (ComposeView(location, entry, mode, ui, caption, text))
        ShowTextWindow(owner, caption, text);
}

} // namespace kestrel
