#include "app/qt/find_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrel
{

FindDialog::FindDialog(QWidget *owner, bool replace, const std::string &findText,
                       const std::string &replacementText, const SearchFlags &flags)
    : QDialog(owner), m_replace(replace)
{
    setObjectName(replace ? "Replace" : "Find");
    setWindowTitle(replace ? "Replace" : "Find");
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *grid = new QGridLayout;
    auto *findLabel = new QLabel("Fi&nd what:");
    m_find = new QLineEdit(QString::fromLatin1(findText.c_str()));
    m_find->setObjectName("FindWhat");
    m_find->setMaxLength(static_cast<int>(kFindTextLimit));
    findLabel->setBuddy(m_find);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(m_find, 0, 1);
    if (replace) {
        auto *replaceLabel = new QLabel("Re&place with:");
        m_replacement = new QLineEdit(QString::fromLatin1(replacementText.c_str()));
        m_replacement->setObjectName("ReplaceWith");
        m_replacement->setMaxLength(static_cast<int>(kFindTextLimit));
        replaceLabel->setBuddy(m_replacement);
        grid->addWidget(replaceLabel, 1, 0);
        grid->addWidget(m_replacement, 1, 1);
    }
    m_wholeWord = new QCheckBox("Match &whole word only");
    m_wholeWord->setObjectName("WholeWord");
    m_wholeWord->setChecked(flags.wholeWord);
    m_matchCase = new QCheckBox("Match &case");
    m_matchCase->setObjectName("MatchCase");
    m_matchCase->setChecked(flags.matchCase);
    auto *options = new QVBoxLayout;
    options->addWidget(m_wholeWord);
    options->addWidget(m_matchCase);
    auto *lower = new QHBoxLayout;
    lower->addLayout(options);
    if (!replace) {
        auto *direction = new QGroupBox("Direction");
        m_up = new QRadioButton("&Up");
        m_up->setObjectName("Up");
        m_down = new QRadioButton("&Down");
        m_down->setObjectName("Down");
        (flags.down ? m_down : m_up)->setChecked(true);
        auto *d = new QHBoxLayout(direction);
        d->addWidget(m_up);
        d->addWidget(m_down);
        lower->addWidget(direction);
    }

    auto *buttons = new QVBoxLayout;
    m_findNext = new QPushButton("&Find Next");
    m_findNext->setObjectName("FindNext");
    m_findNext->setDefault(true);
    buttons->addWidget(m_findNext);
    connect(m_findNext, &QPushButton::clicked, this, &FindDialog::FindNext);
    if (replace) {
        m_replaceButton = new QPushButton("&Replace");
        m_replaceButton->setObjectName("ReplaceButton");
        m_replaceAll = new QPushButton("Replace &All");
        m_replaceAll->setObjectName("ReplaceAll");
        buttons->addWidget(m_replaceButton);
        buttons->addWidget(m_replaceAll);
        connect(m_replaceButton, &QPushButton::clicked, this, &FindDialog::ReplaceOne);
        connect(m_replaceAll, &QPushButton::clicked, this, &FindDialog::ReplaceAll);
    }
    auto *cancel = new QPushButton("Cancel");
    cancel->setObjectName("Cancel");
    buttons->addWidget(cancel);
    buttons->addStretch();
    connect(cancel, &QPushButton::clicked, this, &FindDialog::close);

    auto *left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(lower);
    auto *all = new QHBoxLayout(this);
    all->addLayout(left);
    all->addLayout(buttons);

    // As in the system's dialogs, nothing can be searched for without a text.
    connect(m_find, &QLineEdit::textChanged, this, &FindDialog::UpdateButtons);
    UpdateButtons();
}

std::string FindDialog::FindText() const
{
    return m_find->text().toLatin1().toStdString();
}

std::string FindDialog::ReplacementText() const
{
    return m_replacement ? m_replacement->text().toLatin1().toStdString() : std::string();
}

SearchFlags FindDialog::Flags() const
{
    SearchFlags flags;
    flags.down = m_down ? m_down->isChecked() : true;
    flags.matchCase = m_matchCase->isChecked();
    flags.wholeWord = m_wholeWord->isChecked();
    return flags;
}

void FindDialog::UpdateButtons()
{
    const bool any = !m_find->text().isEmpty();
    m_findNext->setEnabled(any);
    if (m_replaceButton)
        m_replaceButton->setEnabled(any);
    if (m_replaceAll)
        m_replaceAll->setEnabled(any);
}

void FindDialog::closeEvent(QCloseEvent *event)
{
    emit Terminated();
    event->accept();
}

void FindDialog::reject()
{
    close();
}

} // namespace kestrel
