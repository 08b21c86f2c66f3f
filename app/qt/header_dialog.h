// The dialogs of the header commands over the marked entries of the active
// pane (or its cursor entry): "Convert to V9T9 format", "Convert to TIFILES
// format" and "Set file attributes", each with its confirmation text, a
// progress bar and OK/Cancel; the attributes dialog adds the two
// three-state boxes "Write protect" and "Archive".
#pragma once

#include <vector>

#include <QCheckBox>

#include "app/qt/pane_operations.h"
#include "ops/file_attributes.h"
#include "ops/header_conversion.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kestrel
{

// PaneOperation::ToV9t9 and PaneOperation::ToTifiles. Always true.
bool RunHeaderConversionDialog(QWidget *owner, Shell &shell, Ui &ui, int side, HeaderTarget target);
// PaneOperation::SetAttributes. Always true.
bool RunAttributesDialog(QWidget *owner, Shell &shell, Ui &ui, int side);

// A box of the attributes dialog: unchecked clears the flag, checked sets
// it, partly checked leaves it; a click goes clear, set, leave, clear.
class AttributeBox : public QCheckBox
{
public:
    AttributeBox(const QString &text, int state);
    int State() const;
    void SetState(int state);

protected:
    void nextCheckState() override;
};

class HeaderDialog : public OperationDialog
{
public:
    enum class Mode { ToV9t9, ToTifiles, Attributes };

    HeaderDialog(QWidget *owner, Shell &shell, Ui &ui, int side, Mode mode);
    int Run() { return RunCentred(); }

private:
    void Ok();

    Shell &m_shell;
    int m_side;
    Mode m_mode;
    std::vector<CatalogEntry *> m_entries;
    QLabel *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
    AttributeBox *m_protect = nullptr;
    AttributeBox *m_archive = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace kestrel
