// The structure inspector: one modeless window per structure of an image
// (VIB, DDR, file index, FDR, partition table, card volume list), each with
// its own copy of the context and sector. ">>" buttons and double clicks on
// list lines open the structures they point to in new windows; a data-chain
// line opens its extent in a sector view. The windows only read the image.
#pragma once

#include <vector>

#include <QPointer>
#include <QWidget>

#include "app/qt/qt_ui.h"
#include "app/shell/shell.h"
#include "drives/inspector/inspector_view.h"
#include "tifs/ui.h"

class QListWidget;
class QPushButton;

namespace kestrel
{

class InspectorWindow : public QWidget
{
    Q_OBJECT

public:
    // Shows view in a new window, placed near `near` (or owner) and moved to
    // lie fully on the virtual screen. owner (the main window, may be null)
    // is the parent of this and of every window opened from it, so that the
    // windows stay independent of each other and close with the program.
    static InspectorWindow *Open(QWidget *owner, InspectorView view, QWidget *near = nullptr);

    const InspectorView &View() const { return m_view; }

    // Follows the link of a field (index into View().fields) or of a list
    // line; false when it has none, is disabled, or the read failed (message
    // 6 through this window's Ui).
    bool FollowField(int index);
    bool FollowLine(int row);
    // The list's ">>": the current line.
    bool FollowCurrentLine();

    // The ">>" of a field (null when the field has no link), the list and
    // the list's ">>" (null without a list).
    QPushButton *FieldButton(int index) const;
    QListWidget *List() const { return m_list; }
    QPushButton *ListButton() const { return m_listButton; }

private:
    InspectorWindow(QWidget *owner, InspectorView view);

    void Build();
    bool Follow(const InspectorLink &link);
    void UpdateListButton();
    void PlaceNear(QWidget *near);

    InspectorView m_view;
    QPointer<QWidget> m_owner;
    QtUi m_ui;
    std::vector<QPushButton *> m_fieldButtons;
    QListWidget *m_list = nullptr;
    QPushButton *m_listButton = nullptr;
};

// "Show image VIB, DDR, FDIR or FDR" (PaneOperation::InspectStructure): for
// the cursor entry of a PC-directory pane of kind 9 (floppy VIB), 12
// (partition table), 13 (hard-disk VIB) or 15 (card volume list) reads the
// image's TI sector 0 (messages 1 and 6) and opens its window. Other kinds
// and other locations open nothing. True when a window opened.
bool RunInspectStructure(QWidget *owner, Shell &shell, Ui &ui, int side);

} // namespace kestrel
