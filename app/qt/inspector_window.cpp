#include "app/qt/inspector_window.h"

#include <algorithm>

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/qt/edit_window.h"
#include "app/qt/find_dialog.h"
#include "viewers/sector_range_view.h"

namespace kestrel
{

namespace
{

constexpr int kCascade = 24; // how far a linked window sits from the one it came from

QString Text(const std::string &text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

SectorRange ToSectorRange(const InspectorDataRange &data)
{
    SectorRange range;
    range.imagePath = data.imagePath;
    range.label = data.label;
    range.offsetInBytes = data.offsetInBytes;
    range.baseOffset = data.baseOffset;
    range.sectorsPerAu = data.sectorsPerAu;
    range.firstAu = data.firstAu;
    range.auCount = data.auCount;
    return range;
}

} // namespace

InspectorWindow *InspectorWindow::Open(QWidget *owner, InspectorView view, QWidget *near)
{
    auto *window = new InspectorWindow(owner, std::move(view));
    window->PlaceNear(near ? near : owner);
    window->show();
    return window;
}

InspectorWindow::InspectorWindow(QWidget *owner, InspectorView view)
    : QWidget(owner), m_view(std::move(view)), m_owner(owner)
{
    setWindowFlag(Qt::Window);
    setObjectName("StructureInspector");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Text(m_view.caption));
    m_ui.SetOwner(this);
    Build();
}

void InspectorWindow::Build()
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto *layout = new QVBoxLayout(this);
    if (!m_view.fields.empty()) {
        auto *grid = new QGridLayout;
        int row = 0;
        for (size_t i = 0; i < m_view.fields.size(); ++i) {
            const InspectorField &field = m_view.fields[i];
            if (field.offset >= 0)
                grid->addWidget(new QLabel(QString::number(field.offset), this), row, 0,
                                Qt::AlignRight);
            grid->addWidget(new QLabel(Text(field.label), this), row, 1);
            if (!field.choices.empty()) {
                auto *combo = new QComboBox(this);
                combo->setFont(fixed);
                for (const std::string &choice : field.choices)
                    combo->addItem(Text(choice));
                grid->addWidget(combo, row, 2);
            } else {
                auto *value = new QLineEdit(Text(field.value), this);
                value->setReadOnly(true);
                value->setFont(fixed);
                value->setMinimumWidth(value->fontMetrics().horizontalAdvance(value->text()) + 16);
                grid->addWidget(value, row, 2);
            }
            QPushButton *button = nullptr;
            if (field.link.target != InspectorLink::kNone) {
                button = new QPushButton(">>", this);
                button->setEnabled(field.link.enabled);
                const int index = static_cast<int>(i);
                connect(button, &QPushButton::clicked, this, [this, index] { FollowField(index); });
                grid->addWidget(button, row, 3);
            }
            m_fieldButtons.push_back(button);
            ++row;
        }
        grid->setColumnStretch(2, 1);
        layout->addLayout(grid);
    }
    const bool hasList = !m_view.listLabel.empty();
    if (hasList) {
        QString heading = Text(m_view.listLabel);
        if (m_view.listOffset >= 0)
            heading = QString::number(m_view.listOffset) + "  " + heading;
        layout->addWidget(new QLabel(heading, this));
        m_list = new QListWidget(this);
        m_list->setFont(fixed);
        // Room for the longest line form (a file index line with its name).
        m_list->setMinimumWidth(m_list->fontMetrics().horizontalAdvance(QString(36, 'M')));
        for (const InspectorLine &line : m_view.lines)
            m_list->addItem(Text(line.text));
        layout->addWidget(m_list, 1);
        m_listButton = new QPushButton(">>", this);
        layout->addWidget(m_listButton, 0, Qt::AlignLeft);
        connect(m_listButton, &QPushButton::clicked, this, [this] { FollowCurrentLine(); });
        connect(m_list, &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem *item) { FollowLine(m_list->row(item)); });
        connect(m_list, &QListWidget::currentRowChanged, this, [this] { UpdateListButton(); });
        if (!m_view.lines.empty())
            m_list->setCurrentRow(0);
        UpdateListButton();
    }
}

void InspectorWindow::UpdateListButton()
{
    if (!m_list || !m_listButton)
        return;
    const int row = m_list->currentRow();
    const bool followable = row >= 0 && row < static_cast<int>(m_view.lines.size()) &&
                            m_view.lines[static_cast<size_t>(row)].link.Followable();
    m_listButton->setEnabled(followable);
}

QPushButton *InspectorWindow::FieldButton(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_fieldButtons.size()))
        return nullptr;
    return m_fieldButtons[static_cast<size_t>(index)];
}

bool InspectorWindow::FollowField(int index)
{
    if (index < 0 || index >= static_cast<int>(m_view.fields.size()))
        return false;
    return Follow(m_view.fields[static_cast<size_t>(index)].link);
}

bool InspectorWindow::FollowLine(int row)
{
    if (row < 0 || row >= static_cast<int>(m_view.lines.size()))
        return false;
    return Follow(m_view.lines[static_cast<size_t>(row)].link);
}

bool InspectorWindow::FollowCurrentLine()
{
    return m_list && FollowLine(m_list->currentRow());
}

bool InspectorWindow::Follow(const InspectorLink &link)
{
    if (!link.Followable())
        return false;
    if (link.target == InspectorLink::kData)
        return OpenSectorViewWindow(m_owner, m_ui, ToSectorRange(link.data)) != nullptr;
    InspectorView next;
    if (!FollowInspectorLink(link, m_ui, next))
        return false;
    return Open(m_owner, std::move(next), this) != nullptr;
}

void InspectorWindow::PlaceNear(QWidget *near)
{
    adjustSize();
    QPoint at(kCascade, kCascade);
    if (near)
        at = near->frameGeometry().topLeft() + QPoint(kCascade, kCascade);
    QScreen *screen = near && near->screen() ? near->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        move(at);
        return;
    }
    const QRect virt = screen->availableVirtualGeometry();
    // The frame is not known before the first show; leave room for a title bar.
    const QSize frame(width() + 16, height() + 40);
    if (frame.height() > virt.height() || frame.width() > virt.width())
        resize(std::min(width(), virt.width() - 16), std::min(height(), virt.height() - 40));
    const int w = width() + 16, h = height() + 40;
    at.setX(std::clamp(at.x(), virt.left(), std::max(virt.left(), virt.right() + 1 - w)));
    at.setY(std::clamp(at.y(), virt.top(), std::max(virt.top(), virt.bottom() + 1 - h)));
    move(at);
}

bool RunInspectStructure(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    if (pane.location.kind != kLocPcDirectory)
        return false;
    const CatalogEntry *entry = pane.CursorEntry();
    if (!entry)
        return false;
    InspectorView view;
    if (!OpenInspectorView(pane.location.path, *entry, ui, view))
        return false;
    return InspectorWindow::Open(owner, std::move(view), owner) != nullptr;
}

} // namespace kestrel
