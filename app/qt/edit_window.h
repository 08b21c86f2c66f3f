// The text window ("EditViewer"): one edit area in the list font with the
// window's menu and accelerators, clipboard and undo, Find and Replace,
// Save As with the question on close, and printing. Each window holds one of
// the 16 slots for its lifetime; Qt owns and deletes it when it closes.
#pragma once

#include <map>
#include <string>

#include <QMainWindow>
#include <QPointer>

#include "app/qt/qt_ui.h"
#include "app/shell/edit_document.h"
#include "app/shell/edit_slots.h"
#include "tifs/location.h"

class QAction;
class QPlainTextEdit;
class QPrinter;

namespace kestrel
{

class FindDialog;

// Command ids of the window's menu.
enum EditCommand : int {
    kEditNew = 40018,
    kEditOpen = 40019,
    kEditSave = 40020,
    kEditSaveAs = 40021,
    kEditPrint = 40022,
    kEditPrintSetup = 40023,
    kEditPageSetup = 40074,
    kEditExit = 40024,
    kEditUndo = 40025,
    kEditCut = 40026,
    kEditCopy = 40027,
    kEditPaste = 40028,
    kEditDelete = 40029,
    kEditSelectAll = 40076,
    kEditFind = 40030,
    kEditReplace = 40033,
    kEditFindNext = 40031,
    kEditFindPrevious = 40032,
};

// The command of a key (the program's key codes) in the window's
// accelerator table, 0 for none.
int EditAcceleratorCommand(int keyCode);

class EditWindow : public QMainWindow, private EditText
{
    Q_OBJECT

public:
    // A window in the first free slot, shown empty with caption "Kestrel";
    // null after message 15 when all slots are taken.
    static EditWindow *Create(QWidget *owner, Ui &ui);
    ~EditWindow() override;

    // The text (CR LF or LF line ends) and caption; the edit area gets the
    // focus and the text counts as unmodified.
    void SetText(const std::string &text, const std::string &caption);
    void SetReadOnly(bool readOnly);

    void Command(int id);
    // Enables the menu items for the current state (also done whenever a
    // menu opens).
    void UpdateMenu();

    // A search with the slot's find text in the given direction and flags;
    // not silent: a miss shows the "String not found" box.
    bool Search(const std::string &what, SearchFlags flags, bool silent);
    size_t ReplaceAll(const std::string &what, const std::string &replacement,
                      const SearchFlags &flags);

    // The print job on an already chosen printer: all of the text, or the
    // lines of the selection; copies and collation are done here. False when
    // the job could not start.
    bool PrintTo(QPrinter &printer, bool selectionOnly, int copies = 1, bool collate = false);

    EditSlot &Slot() { return *m_slot; }
    QPlainTextEdit *Editor() const { return m_edit; }
    QAction *Action(int id) const;
    FindDialog *OpenFindDialog() const { return m_find; }
    std::string Text() const override; // CR LF line ends

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    EditWindow(QWidget *owner, EditSlot *slot);

    bool Modified() const override;
    void SetModified(bool modified) override;
    void SetCaption(const std::string &caption) override;

    void BuildMenu();
    void ApplyPlacement();
    void StorePlacement();
    void ShowFindDialog(bool replace);
    void FindDialogNotified(int what);
    void PrintCommand();
    void PrintSetupCommand();
    void PageSetupCommand();

    EditSlot *m_slot = nullptr;
    QPlainTextEdit *m_edit = nullptr;
    QPointer<FindDialog> m_find;
    std::map<int, QAction *> m_actions;
    QtUi m_ui;
    bool m_cancelPrint = false;
};

// A text window on an entry of location: a TI file (kinds 1 to 5) as its
// composed view in mode 0, 2 or 7, read-only; a PC file (kind 17) read whole
// and writable; no entry or another kind, an empty window. Null when no slot
// was free.
EditWindow *OpenTextWindow(QWidget *owner, Ui &ui, const Location *location,
                           const CatalogEntry *entry, int mode);

// The sector view of the structure inspector, read-only; null when no slot
// was free.
struct SectorRange;
EditWindow *OpenSectorViewWindow(QWidget *owner, Ui &ui, const SectorRange &range);

// The directory report of location in a new, writable text window.
EditWindow *OpenDirectoryReportWindow(QWidget *owner, Ui &ui, const Location &location);

} // namespace kestrel
