#include "app/qt/edit_window.h"

#include <algorithm>
#include <fstream>

#include <QAbstractPrintDialog>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/qt/find_dialog.h"
#include "app/qt/key_translate.h"
#include "app/qt/window_placement.h"
#include "app/shell/directory_report.h"
#include "app/shell/key_codes.h"
#include "app/shell/page_margins.h"
#include "app/shell/print_pagination.h"
#include "app/shell/text_search.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "viewers/sector_range_view.h"
#include "viewers/tifile_view.h"

namespace kestrel
{

namespace
{

constexpr int kCantRead = 4;

struct MenuItem {
    int id;
    const char *text;
};

// The window's menu; 0 is a separator.
const MenuItem kFileMenu[] = {
    {kEditNew, "&New"},
    {kEditOpen, "&Open…"},
    {kEditSave, "&Save"},
    {kEditSaveAs, "Save &As…"},
    {0, nullptr},
    {kEditPrint, "&Print…"},
    {kEditPrintSetup, "P&rint Setup…"},
    {kEditPageSetup, "Page Setup…"},
    {0, nullptr},
    {kEditExit, "E&xit"},
};
const MenuItem kEditMenu[] = {
    {kEditUndo, "&Undo\tCtrl+Z"},
    {0, nullptr},
    {kEditCut, "Cu&t\tCtrl+X"},
    {kEditCopy, "&Copy\tCtrl+C"},
    {kEditPaste, "&Paste\tCtrl+V"},
    {kEditDelete, "&Delete\tDel"},
    {0, nullptr},
    {kEditSelectAll, "Select &All\tCtrl+A"},
};
const MenuItem kSearchMenu[] = {
    {kEditFind, "&Find…\tCtrl+F"},
    {kEditFindNext, "Find &Next\tF3"},
    {kEditFindPrevious, "Find &Previous\tF4"},
    {kEditReplace, "&Replace…"},
};

struct Accelerator {
    int key;
    int command;
};

const Accelerator kAccelerators[] = {
    {kKeyDelete, kEditDelete},   {kKeyCtrl | 'C', kEditCopy},
    {kKeyCtrl | 'X', kEditCut},  {0x1B, kEditExit},
    {kKeyCtrl | 'F', kEditFind}, {kKeyF3, kEditFindNext},
    {kKeyF4, kEditFindPrevious}, {kKeyCtrl | 'V', kEditPaste},
    {kKeyCtrl | 'Z', kEditUndo}, {kKeyCtrl | 'A', kEditSelectAll},
};

// Print settings kept for the whole run: the printer (its device and page
// settings), the copy count and whether the last job was collated.
struct PrintSettings {
    QPrinter printer{QPrinter::HighResolution};
    int copies = 1;
    bool collate = false;
};

PrintSettings &KeptPrintSettings()
{
    static PrintSettings settings;
    return settings;
}

QFont ListFont()
{
    const Settings &settings = ProgramSettings();
    const QString face = QString::fromStdString(settings.fontName);
    QFont font = QFontDatabase::families().contains(face, Qt::CaseInsensitive)
                     ? QFont(face)
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    const int h = settings.fontHeight;
    if (h != 0)
        font.setPixelSize(std::clamp(h < 0 ? -h : h, 4, 200));
    font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(settings.fontWeight, 100, 900)));
    font.setItalic(settings.fontItalic);
    return font;
}

// The printer's own font: a fixed face, as printers offer for plain text.
QFont PrinterFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(10);
    return font;
}

QString FromLatin1(const std::string &text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The text of the edit area, one byte per character, LF between lines.
std::string LfText(const QPlainTextEdit *edit)
{
    QString raw = edit->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return raw.toLatin1().toStdString();
}

bool IsPcFile(const CatalogEntry &entry)
{
    return entry.ti.kind == kKindDos;
}

std::string JoinPath(const std::string &dir, const std::string &name)
{
    if (dir.empty())
        return name;
    if (dir.back() == '/' || dir.back() == '\\')
        return dir + name;
    return dir + "/" + name;
}

} // namespace

int EditAcceleratorCommand(int keyCode)
{
    for (const Accelerator &a : kAccelerators) {
        if (a.key == keyCode)
            return a.command;
    }
    return 0;
}

EditWindow *EditWindow::Create(QWidget *owner, Ui &ui)
{
    EditSlot *slot = ProgramEditSlots().Acquire(EditSlotKind::Text, ui);
    if (!slot)
        return nullptr;
    auto *window = new EditWindow(owner, slot);
    window->show();
    return window;
}

EditWindow::EditWindow(QWidget *owner, EditSlot *slot) : QMainWindow(owner), m_slot(slot)
{
    setWindowFlag(Qt::Window);
    setObjectName("EditViewer");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kProgramName);
    setStyleSheet("QMainWindow#EditViewer { background: #C2C2C2; }");
    m_ui.SetOwner(this);

    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName("Edit");
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setFont(ListFont());
    m_edit->installEventFilter(this);
    setCentralWidget(m_edit);
    setFocusProxy(m_edit);

    BuildMenu();
    ApplyPlacement();
}

EditWindow::~EditWindow()
{
    if (m_find)
        delete m_find.data();
    ProgramEditSlots().Release(m_slot);
}

void EditWindow::BuildMenu()
{
    auto add = [this](const char *title, const MenuItem *items, size_t count) {
        QMenu *menu = menuBar()->addMenu(title);
        connect(menu, &QMenu::aboutToShow, this, &EditWindow::UpdateMenu);
        for (size_t i = 0; i < count; ++i) {
            if (items[i].id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction *action = menu->addAction(items[i].text);
            const int id = items[i].id;
            action->setData(id);
            action->setObjectName(QString::number(id));
            connect(action, &QAction::triggered, this, [this, id] { Command(id); });
            m_actions[id] = action;
        }
    };
    add("&File", kFileMenu, std::size(kFileMenu));
    add("&Edit", kEditMenu, std::size(kEditMenu));
    add("&Search", kSearchMenu, std::size(kSearchMenu));
    m_actions[kEditNew]->setEnabled(false);
    m_actions[kEditOpen]->setEnabled(false);
    // The print dialog chooses the printer itself; one setup item, for the
    // page, is enough.
    m_actions[kEditPrintSetup]->setVisible(false);
    UpdateMenu();
}

QAction *EditWindow::Action(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void EditWindow::ApplyPlacement()
{
    const EditSlotPlacement p = EditSlotTable::Placement(*m_slot, ProgramSettings());
    const int w = std::max(100, p.width);
    const int h = std::max(100, p.height);
    // A slot that was never placed cascades from the main window; a stored
    // placement stays where it was, pulled onto a screen when it lies off.
    if (IsDefaultEditPlacement(p.left, p.top))
        PlaceCascaded(this, parentWidget(), w, h);
    else
        PlaceFullyVisible(this, ClientAtFrame(this, QPoint(p.left, p.top), QSize(w, h)));
}

void EditWindow::StorePlacement()
{
    if (!m_slot)
        return;
    const QRect r = frameGeometry();
    EditSlotTable::UpdatePlacement(*m_slot, ProgramSettings(), r.x(), r.y(), r.width(), r.height());
}

void EditWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    StorePlacement();
}

void EditWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    StorePlacement();
}

void EditWindow::SetText(const std::string &text, const std::string &caption)
{
    m_edit->setPlainText(FromLatin1(ToLfText(text)));
    SetCaption(caption);
    m_edit->setFocus();
    m_edit->moveCursor(QTextCursor::Start);
    SetModified(false);
}

void EditWindow::SetReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
    // A read-only view still shows where the search is.
    m_edit->setTextInteractionFlags(readOnly
                                        ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                        : Qt::TextEditorInteraction);
}

std::string EditWindow::Text() const
{
    return ToCrLfText(LfText(m_edit));
}

bool EditWindow::Modified() const
{
    return m_edit->document()->isModified();
}

void EditWindow::SetModified(bool modified)
{
    m_edit->document()->setModified(modified);
}

void EditWindow::SetCaption(const std::string &caption)
{
    setWindowTitle(FromLatin1(caption));
}

bool EditWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const int command = EditAcceleratorCommand(TranslateKey(key->key(), key->modifiers()));
        if (command != 0) {
            Command(command);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void EditWindow::closeEvent(QCloseEvent *event)
{
    if (QueryCloseEdit(*this, *m_slot, m_ui))
        event->accept();
    else
        event->ignore();
}

void EditWindow::UpdateMenu()
{
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    const bool hasSelection = m_edit->textCursor().hasSelection();
    m_actions[kEditPaste]->setEnabled(clip && clip->hasText());
    m_actions[kEditUndo]->setEnabled(m_edit->document()->isUndoAvailable());
    m_actions[kEditCut]->setEnabled(hasSelection);
    m_actions[kEditCopy]->setEnabled(hasSelection);
    m_actions[kEditDelete]->setEnabled(hasSelection);
    m_actions[kEditSave]->setEnabled(Modified());
    m_actions[kEditFindNext]->setEnabled(!m_slot->findText.empty());
    m_actions[kEditFindPrevious]->setEnabled(!m_slot->findText.empty());
}

void EditWindow::Command(int id)
{
    switch (id) {
    case kEditSaveAs:
        SaveEditAs(*this, *m_slot, m_ui);
        break;
    case kEditPrint:
        PrintCommand();
        break;
    case kEditPrintSetup:
        PrintSetupCommand();
        break;
    case kEditPageSetup:
        PageSetupCommand();
        break;
    case kEditExit:
        close();
        break;
    case kEditUndo:
        if (!m_edit->isReadOnly())
            m_edit->undo();
        break;
    case kEditCut:
        m_edit->cut();
        break;
    case kEditCopy:
        m_edit->copy();
        break;
    case kEditPaste:
        m_edit->paste();
        break;
    case kEditDelete:
        if (!m_edit->isReadOnly())
            m_edit->textCursor().removeSelectedText();
        break;
    case kEditSelectAll:
        m_edit->selectAll();
        break;
    case kEditFind:
        ShowFindDialog(false);
        break;
    case kEditReplace:
        ShowFindDialog(true);
        break;
    case kEditFindNext:
    case kEditFindPrevious: {
        SearchFlags flags = m_slot->find;
        flags.down = id == kEditFindNext;
        Search(m_slot->findText, flags, false);
        break;
    }
    default:
        // New, Open and Save have no action.
        break;
    }
}

bool EditWindow::Search(const std::string &what, SearchFlags flags, bool silent)
{
    const std::string lf = LfText(m_edit);
    const std::string crLf = ToCrLfText(lf);
    const QTextCursor cursor = m_edit->textCursor();
    const TextSelection selection{
        LfToCrLfPosition(lf, static_cast<size_t>(cursor.selectionStart())),
        LfToCrLfPosition(lf, static_cast<size_t>(cursor.selectionEnd()))};
    TextSelection found;
    if (SearchText(crLf, what, selection, flags, found)) {
        QTextCursor select(m_edit->document());
        select.setPosition(static_cast<int>(CrLfToLfPosition(crLf, found.start)));
        select.setPosition(static_cast<int>(CrLfToLfPosition(crLf, found.end)),
                           QTextCursor::KeepAnchor);
        m_edit->setTextCursor(select);
        if (!silent)
            m_edit->ensureCursorVisible();
        return true;
    }
    if (!silent) {
        QMessageBox box(QMessageBox::NoIcon, "String not found", FromLatin1(what), QMessageBox::Ok);
        box.setObjectName("String not found");
        box.exec();
    }
    return false;
}

size_t EditWindow::ReplaceAll(const std::string &what, const std::string &replacement,
                              const SearchFlags &flags)
{
    const QTextCursor remembered = m_edit->textCursor();
    const int anchor = remembered.anchor();
    const int position = remembered.position();
    std::string crLf = Text();
    const size_t count = ReplaceAllText(crLf, what, replacement, flags);
    if (count == 0)
        return 0;
    // One edit for the whole run, so one Undo takes it back.
    QTextCursor all(m_edit->document());
    all.select(QTextCursor::Document);
    all.insertText(FromLatin1(ToLfText(crLf)));
    QTextCursor restore(m_edit->document());
    const int end = static_cast<int>(m_edit->document()->characterCount()) - 1;
    restore.setPosition(std::clamp(anchor, 0, end));
    restore.setPosition(std::clamp(position, 0, end), QTextCursor::KeepAnchor);
    m_edit->setTextCursor(restore);
    return count;
}

void EditWindow::ShowFindDialog(bool replace)
{
    if (m_find) {
        if (m_find->IsReplace() == replace) {
            m_find->raise();
            m_find->activateWindow();
            return;
        }
        delete m_find.data();
    }
    m_find = new FindDialog(this, replace, m_slot->findText, m_slot->replacementText, m_slot->find);
    connect(m_find, &FindDialog::FindNext, this, [this] { FindDialogNotified(0); });
    connect(m_find, &FindDialog::ReplaceOne, this, [this] { FindDialogNotified(1); });
    connect(m_find, &FindDialog::ReplaceAll, this, [this] { FindDialogNotified(2); });
    connect(m_find, &FindDialog::Terminated, this, [this] { m_find = nullptr; });
    m_find->show();
}

void EditWindow::FindDialogNotified(int what)
{
    if (!m_find)
        return;
    m_slot->findText = m_find->FindText().substr(0, kFindTextLimit);
    m_slot->replacementText = m_find->ReplacementText().substr(0, kFindTextLimit);
    m_slot->find = m_find->Flags();
    switch (what) {
    case 0:
        Search(m_slot->findText, m_slot->find, false);
        break;
    case 1:
        // The selection is replaced whatever it holds; the user searches on.
        if (!m_edit->isReadOnly())
            m_edit->textCursor().insertText(FromLatin1(m_slot->replacementText));
        break;
    default:
        if (!m_edit->isReadOnly())
            ReplaceAll(m_slot->findText, m_slot->replacementText, m_slot->find);
        break;
    }
}

void EditWindow::PrintCommand()
{
    PrintSettings &kept = KeptPrintSettings();
    QPrinter &printer = kept.printer;
    printer.setCopyCount(kept.copies);
    printer.setCollateCopies(kept.collate);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName("Print");
    dialog.setOption(QAbstractPrintDialog::PrintSelection, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setMinMax(1, 65535);
    if (dialog.exec() != QDialog::Accepted)
        return;
    kept.copies = std::max(1, printer.copyCount());
    kept.collate = printer.collateCopies();
    const bool selection = dialog.printRange() == QAbstractPrintDialog::Selection;
    // The job makes its copies itself; the device must not repeat them.
    printer.setCopyCount(1);
    PrintTo(printer, selection, kept.copies, kept.collate);
    printer.setCopyCount(kept.copies);
}

void EditWindow::PrintSetupCommand()
{
    QPrintDialog dialog(&KeptPrintSettings().printer, this);
    dialog.setObjectName("Print Setup");
    dialog.setWindowTitle("Print Setup");
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.exec();
}

void EditWindow::PageSetupCommand()
{
    QPrinter &printer = KeptPrintSettings().printer;
    Settings &settings = ProgramSettings();
    const PageMargins margins = MarginsFromSettings(settings);
    printer.setPageMargins(QMarginsF(MarginToMillimetres(margins.left, margins.metric),
                                     MarginToMillimetres(margins.top, margins.metric),
                                     MarginToMillimetres(margins.right, margins.metric),
                                     MarginToMillimetres(margins.bottom, margins.metric)),
                           QPageLayout::Millimeter);
    QPageSetupDialog dialog(&printer, this);
    dialog.setObjectName("Page Setup");
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QMarginsF chosen = printer.pageLayout().margins(QPageLayout::Millimeter);
    PageMargins kept;
    kept.metric = margins.metric;
    kept.left = MarginFromMillimetres(chosen.left(), kept.metric);
    kept.top = MarginFromMillimetres(chosen.top(), kept.metric);
    kept.right = MarginFromMillimetres(chosen.right(), kept.metric);
    kept.bottom = MarginFromMillimetres(chosen.bottom(), kept.metric);
    StoreMargins(settings, kept);
}

bool EditWindow::PrintTo(QPrinter &printer, bool selectionOnly, int copies, bool collate)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Coordinates start at the paper's corner, as on a device without an
    // unprintable border; the margins place the text.
    printer.setFullPage(true);
    const QFont font = PrinterFont();
    const QFontMetrics fm(font, &printer);
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    PrinterMetrics metrics;
    metrics.physicalWidth = paper.width();
    metrics.physicalHeight = paper.height();
    metrics.dpiX = printer.logicalDpiX();
    metrics.dpiY = printer.logicalDpiY();
    metrics.fontHeight = fm.height();
    metrics.externalLeading = std::max(0, fm.leading());
    metrics.averageCharWidth = fm.averageCharWidth();
    const PrintLayout layout = ComputePrintLayout(metrics, MarginsFromSettings(ProgramSettings()));

    const std::string lf = LfText(m_edit);
    const PrintedText printed = CutPrintedLines(SplitTextLines(lf), layout.charsPerLine);
    PrintedRange range{0, printed.lines.size()};
    if (selectionOnly) {
        const QTextCursor cursor = m_edit->textCursor();
        range = SelectionRange(printed,
                               LineOfPosition(lf, static_cast<size_t>(cursor.selectionStart())),
                               LineOfPosition(lf, static_cast<size_t>(cursor.selectionEnd())));
    }
    const std::vector<PrintedPage> pages =
        PaginatePrintJob(range, layout.linesPerPage, copies, collate);
    if (pages.empty()) {
        // Nothing to print makes a job without pages: no document at all.
        QApplication::restoreOverrideCursor();
        return true;
    }

    QPainter painter;
    printer.setDocName("PrintFile text");
    if (!painter.begin(&printer)) {
        QApplication::restoreOverrideCursor();
        QMessageBox::critical(this, "Error", "Unable to start print job");
        return false;
    }

    auto *abort = new QDialog(this);
    abort->setObjectName("AbortDlg");
    abort->setWindowTitle("PrntFile");
    auto *box = new QVBoxLayout(abort);
    box->addWidget(new QLabel("Sending"));
    auto *name = new QLabel(FromLatin1(m_slot->fileName));
    name->setObjectName("1023");
    box->addWidget(name);
    box->addWidget(new QLabel("to print spooler."));
    auto *cancel = new QPushButton("Cancel");
    cancel->setObjectName("Cancel");
    box->addWidget(cancel);
    m_cancelPrint = false;
    connect(cancel, &QPushButton::clicked, this, [this] { m_cancelPrint = true; });
    abort->show();
    cancel->setFocus();
    m_edit->setEnabled(false);
    menuBar()->setEnabled(false);

    painter.setFont(font);
    painter.setPen(Qt::black);
    const int ascent = QFontMetrics(font, &printer).ascent();
    bool first = true;
    for (const PrintedPage &page : pages) {
        QCoreApplication::processEvents();
        if (m_cancelPrint)
            break;
        if (!first)
            printer.newPage();
        first = false;
        for (size_t row = 0; row < page.lineCount; ++row) {
            const int y = layout.originY + static_cast<int>(row) * layout.lineHeight;
            painter.drawText(layout.originX, y + ascent,
                             FromLatin1(printed.lines[page.firstLine + row]));
        }
    }
    painter.end();

    m_edit->setEnabled(true);
    menuBar()->setEnabled(true);
    delete abort;
    QApplication::restoreOverrideCursor();
    return true;
}

EditWindow *OpenTextWindow(QWidget *owner, Ui &ui, const Location *location,
                           const CatalogEntry *entry, int mode)
{
    EditWindow *window = EditWindow::Create(owner, ui);
    if (!window || !entry || !location)
        return window;
    if (IsTiFileKind(entry->ti.kind)) {
        TextView view;
        ComposeTiFileView(*location, *entry, mode, ui, view);
        window->Slot().name = view.recordName.empty() ? entry->ti.tiName : view.recordName;
        if (view.hasText)
            window->SetText(view.text, view.caption);
        window->SetReadOnly(true);
    } else if (IsPcFile(*entry)) {
        const std::string path = JoinPath(location->path, entry->pcName);
        std::ifstream in(path, std::ios::binary);
        if (in) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            in.seekg(0, std::ios::end);
            const std::streamoff size = in.tellg();
            in.seekg(0, std::ios::beg);
            std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
            in.read(text.data(), static_cast<std::streamsize>(text.size()));
            const auto got = static_cast<size_t>(std::max<std::streamsize>(0, in.gcount()));
            QApplication::restoreOverrideCursor();
            if (got < text.size()) {
                text.resize(got);
                ReportError(ui, kCantRead, {path});
            }
            window->SetText(text, std::string(kProgramName) + " - " + entry->pcName);
        }
    }
    return window;
}

EditWindow *OpenSectorViewWindow(QWidget *owner, Ui &ui, const SectorRange &range)
{
    EditWindow *window = EditWindow::Create(owner, ui);
    if (!window)
        return nullptr;
    TextView view;
    ComposeSectorRangeView(range, ui, view);
    window->Slot().name = view.recordName.empty() ? range.label : view.recordName;
    if (view.hasText)
        window->SetText(view.text, view.caption);
    window->SetReadOnly(true);
    return window;
}

EditWindow *OpenDirectoryReportWindow(QWidget *owner, Ui &ui, const Location &location)
{
    EditWindow *window = EditWindow::Create(owner, ui);
    if (!window)
        return nullptr;
    const DirectoryReport report = BuildDirectoryReport(location);
    window->SetText(report.text, report.caption);
    return window;
}

} // namespace kestrel
