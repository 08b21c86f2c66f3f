#include "app/qt/config_dialog.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QCheckBox>
#include <QColor>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QVBoxLayout>

#include "app/qt/dialog_frame.h"
#include "app/qt/info_dialogs.h"
#include "app/qt/pane_widget.h"
#include "app/shell/colour_contrast.h"
#include "app/shell/info_fields.h"
#include "platform/rawdisk.h"
#include "tifs/settings.h"

namespace kestrel
{

namespace
{

constexpr int kOkId = 1;
constexpr int kFontDescriptionId = 1037;
constexpr int kFontChangeId = 1035;
constexpr int kTextChangeId = 1039;
constexpr int kBackgroundChangeId = 1041;
constexpr int kMarkChangeId = 1043;
constexpr int kTextSampleId = 1048;
constexpr int kSpacesSampleId = 1050;
constexpr int kMarkSampleId = 1053;
constexpr int kCursorSampleId = 1056;
constexpr int kMarkCursorSampleId = 1060;
constexpr int kMouseWheelId = 1101;
constexpr int kZubCompatibleId = 1104;
constexpr int kExtractTiFilesId = 1105;
constexpr int kFirstDriveId = 1252; // "A:"; "Z:" is 1277
constexpr int kDriveCount = 26;
constexpr int kNormalWeight = 400;
constexpr int kFirstGivenLetter = 3; // A:, B: and C: never name a drive

// The mouse-wheel switch stood for a Windows message that some drivers did
// not send; elsewhere the wheel always arrives.
bool OnWindows()
{
    return QSysInfo::kernelType() == QLatin1String("winnt");
}

// The colour dialog's custom colours: black at start, kept for the run only.
std::array<QColor, 16> &CustomColours()
{
    static std::array<QColor, 16> colours = [] {
        std::array<QColor, 16> c;
        c.fill(QColor(0, 0, 0));
        return c;
    }();
    return colours;
}

// Settings keep the height in pixels, the font dialog speaks in points.
qreal LogicalDpi(const QWidget *owner)
{
    qreal dpi = 0;
    if (owner != nullptr) {
        dpi = owner->logicalDpiY();
    } else if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        dpi = screen->logicalDotsPerInchY();
    }
    return dpi > 0 ? dpi : 96.0;
}

class ConfigDialog : public QDialog
{
public:
    ConfigDialog(QWidget *owner, const ConfigurationHooks &hooks);

    void reject() override
    {
        Cancel();
        QDialog::reject();
    }

private:
    QWidget *FontGroup();
    QWidget *ColourGroup();
    QWidget *DriveGroup();
    QWidget *MiscGroup();
    QCheckBox *FlagBox(int id, const char *text, bool &setting);
    QLabel *Sample(int id, const char *text);

    void ChooseFont();
    void ChooseColour(uint32_t &setting);
    void ShowFontDescription();
    void ShowSamples();

    void Cancel();

    const ConfigurationHooks &m_hooks;
    const Settings m_before; // what Cancel goes back to
    QLineEdit *m_fontDescription = nullptr;
    QLabel *m_fontInUse = nullptr;
    QLabel *m_samples[5] = {};
};

ConfigDialog::ConfigDialog(QWidget *owner, const ConfigurationHooks &hooks)
    : QDialog(owner), m_hooks(hooks), m_before(ProgramSettings())
{
    setObjectName("Configuration");
    setWindowTitle("Configuration");
    setModal(true);

    auto *upper = new QHBoxLayout;
    upper->addWidget(FontGroup());
    upper->addWidget(ColourGroup());
    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(QDialogButtonBox::Ok);
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName("Cancel");
    connect(ok, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(upper);
    outer->addWidget(DriveGroup());
    outer->addWidget(MiscGroup());
    outer->addWidget(buttons);

    ShowFontDescription();
    ShowSamples();
    FixDialogFrame(this);
}

QWidget *ConfigDialog::FontGroup()
{
    auto *group = new QGroupBox("Font");
    m_fontDescription = new QLineEdit;
    m_fontDescription->setReadOnly(true);
    m_fontDescription->setMinimumWidth(180);
    SetControlId(m_fontDescription, kFontDescriptionId);
    auto *change = new QPushButton("Change");
    SetControlId(change, kFontChangeId);
    connect(change, &QPushButton::clicked, this, [this] { ChooseFont(); });
    auto *layout = new QVBoxLayout(group);
    layout->addWidget(m_fontDescription);
    // The face asked for may not be installed; the list then shows the
    // system's fixed-width font, and says so here.
    m_fontInUse = new QLabel;
    m_fontInUse->setObjectName("FontInUse");
    m_fontInUse->setTextFormat(Qt::PlainText);
    m_fontInUse->setWordWrap(true);
    layout->addWidget(m_fontInUse);
    layout->addWidget(change, 0, Qt::AlignLeft);
    layout->addStretch();
    return group;
}

QLabel *ConfigDialog::Sample(int id, const char *text)
{
    auto *sample = new QLabel(text);
    SetControlId(sample, id);
    sample->setAutoFillBackground(true);
    sample->setTextFormat(Qt::PlainText);
    return sample;
}

QWidget *ConfigDialog::ColourGroup()
{
    auto *group = new QGroupBox("Color");
    auto *grid = new QGridLayout(group);
    Settings &settings = ProgramSettings();
    struct Row {
        const char *label;
        int id;
        uint32_t *setting;
    } rows[] = {
        {"Text", kTextChangeId, &settings.textColor},
        {"Background", kBackgroundChangeId, &settings.backColor},
        {"Marked", kMarkChangeId, &settings.markColor},
    };
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(rows[r].label), r, 0);
        auto *change = new QPushButton("Change");
        SetControlId(change, rows[r].id);
        uint32_t *setting = rows[r].setting;
        connect(change, &QPushButton::clicked, this, [this, setting] { ChooseColour(*setting); });
        grid->addWidget(change, r, 1);
    }
    m_samples[0] = Sample(kTextSampleId, "Text");
    m_samples[1] = Sample(kSpacesSampleId, "    ");
    m_samples[2] = Sample(kMarkSampleId, "Mark");
    m_samples[3] = Sample(kCursorSampleId, "Cursor");
    m_samples[4] = Sample(kMarkCursorSampleId, "Mark + Cursor");
    auto *samples = new QHBoxLayout;
    samples->setSpacing(0);
    for (QLabel *sample : m_samples)
        samples->addWidget(sample);
    grid->addLayout(samples, 3, 0, 1, 2);
    return group;
}

QWidget *ConfigDialog::DriveGroup()
{
    const bool windows = OnWindows();
    auto *group =
        new QGroupBox(windows ? "WDS/ SCS / IDE / CF7A+ drives" : "WDS / SCS / IDE / CF7A+ disks");
    auto *layout = new QVBoxLayout(group);
    auto *text = new QLabel(windows ? "Select the drive letters which are allowed to use for "
                                      "reading and writing WDS, SCS, IDE, CF7A+ images."
                                    : "Select the removable disks that may be read and written "
                                      "as WDS, SCS, IDE or CF7A+ disks. Each letter stands for a "
                                      "place in the list of removable whole disks, in the order "
                                      "of their device names.");
    text->setWordWrap(true);
    layout->addWidget(text);
    auto *grid = new QGridLayout;
    const uint32_t mask = ProgramSettings().driveLetters;
    // The disks the probe finds now, whatever the mask allows.
    std::vector<platform::RawDriveInfo> found;
    if (!windows)
        found = platform::ListRawDrives(0x3FFFFFF);
    int cell = 0;
    for (int n = 0; n < kDriveCount; ++n) {
        const uint32_t bit = 1u << n;
        const QChar letter('A' + n);
        auto *box = new QCheckBox(QString("%1:").arg(letter));
        SetControlId(box, kFirstDriveId + n);
        box->setChecked((mask & bit) != 0);
        connect(box, &QCheckBox::toggled, this, [bit](bool checked) {
            uint32_t &letters = ProgramSettings().driveLetters;
            letters = checked ? letters | bit : letters & ~bit;
        });
        if (!windows) {
            if (n < kFirstGivenLetter) {
                // Kept, so that the mask keeps those bits as the file has them.
                box->setVisible(false);
                box->setParent(group);
                continue;
            }
            QString device = QString("disk %1").arg(n - kFirstGivenLetter + 1);
            for (const platform::RawDriveInfo &drive : found)
                if (drive.letter == 'A' + n) {
                    device = QString::fromStdString(drive.devicePath);
                    box->setToolTip(QString::fromStdString(drive.description));
                }
            box->setText(QString("%1: %2").arg(letter).arg(device));
        }
        const int columns = windows ? 13 : 6;
        grid->addWidget(box, cell / columns, cell % columns);
        ++cell;
    }
    layout->addLayout(grid);
    return group;
}

QCheckBox *ConfigDialog::FlagBox(int id, const char *text, bool &setting)
{
    auto *box = new QCheckBox(text);
    SetControlId(box, id);
    box->setChecked(setting);
    bool *target = &setting;
    connect(box, &QCheckBox::toggled, this, [target](bool checked) { *target = checked; });
    return box;
}

QWidget *ConfigDialog::MiscGroup()
{
    Settings &settings = ProgramSettings();
    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    QCheckBox *wheel = FlagBox(
        kMouseWheelId, "Enable windows mouse wheel messages when scroll wheel doesn't work.",
        settings.mouseWheel);
    layout->addWidget(wheel);
    wheel->setVisible(OnWindows());
    auto *group = new QGroupBox("Miscellaneous");
    auto *inner = new QVBoxLayout(group);
    inner->addWidget(FlagBox(kZubCompatibleId, "Enable Ti994w and Marlock compatibility.",
                             settings.zubCompatible));
    inner->addWidget(FlagBox(kExtractTiFilesId, "Save all extracted files in TIFILES format.",
                             settings.extractTiFiles));
    layout->addWidget(group);
    return panel;
}

void ConfigDialog::ShowFontDescription()
{
    const Settings &s = ProgramSettings();
    m_fontDescription->setText(QString::fromLatin1(
        FontDescription(s.fontName, s.fontHeight, s.fontWeight, s.fontItalic).c_str()));
    const QString face = QString::fromStdString(s.fontName);
    if (QFontDatabase::families().contains(face, Qt::CaseInsensitive)) {
        m_fontInUse->setText(QString("In use: %1").arg(face));
    } else {
        const QFontInfo fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        m_fontInUse->setText(QString("%1 is not installed; in use: %2").arg(face, fixed.family()));
    }
}

void ConfigDialog::Cancel()
{
    // Everything the dialog changed goes back, and the panes follow.
    Settings &s = ProgramSettings();
    const bool font = s.fontName != m_before.fontName || s.fontHeight != m_before.fontHeight ||
                      s.fontWeight != m_before.fontWeight || s.fontItalic != m_before.fontItalic;
    const bool colours = s.textColor != m_before.textColor || s.backColor != m_before.backColor ||
                         s.markColor != m_before.markColor;
    s.fontName = m_before.fontName;
    s.fontHeight = m_before.fontHeight;
    s.fontWeight = m_before.fontWeight;
    s.fontItalic = m_before.fontItalic;
    s.textColor = m_before.textColor;
    s.backColor = m_before.backColor;
    s.markColor = m_before.markColor;
    s.mouseWheel = m_before.mouseWheel;
    s.zubCompatible = m_before.zubCompatible;
    s.extractTiFiles = m_before.extractTiFiles;
    s.driveLetters = m_before.driveLetters;
    if (font && m_hooks.fontChanged)
        m_hooks.fontChanged();
    if (colours && m_hooks.coloursChanged)
        m_hooks.coloursChanged();
}

void ConfigDialog::ShowSamples()
{
    const Settings &s = ProgramSettings();
    // The colours as the list paints them, raised to a readable contrast.
    const ListColours c = EffectiveListColours(s.textColor, s.backColor, s.markColor);
    const QColor text = FromColorRef(c.text);
    const QColor back = FromColorRef(c.background);
    const QColor mark = FromColorRef(c.mark);
    const QColor bar = FromColorRef(c.cursorBar);
    // Foreground and background of each sample: the list as it draws a
    // plain row, a marked row, the cursor bar and a marked row under it.
    const QColor colours[5][2] = {
        {text, back},
        {text, back},
        {mark, back},
        {FromColorRef(c.cursorText), bar},
        {FromColorRef(c.cursorMark), bar},
    };
    for (int i = 0; i < 5; ++i) {
        QPalette palette = m_samples[i]->palette();
        palette.setColor(QPalette::WindowText, colours[i][0]);
        palette.setColor(QPalette::Window, colours[i][1]);
        m_samples[i]->setPalette(palette);
    }
}

void ConfigDialog::ChooseFont()
{
    Settings &s = ProgramSettings();
    const qreal dpi = LogicalDpi(parentWidget());
    const int pixels =
        s.fontHeight < 0 ? -std::max(s.fontHeight, -1000) : std::min(s.fontHeight, 1000);
    QFont current(QString::fromStdString(s.fontName));
    const int points = static_cast<int>(std::lround(pixels * 72.0 / dpi));
    current.setPointSize(std::clamp(points, kMinFontPoints, kMaxFontPoints));
    current.setWeight(static_cast<QFont::Weight>(std::clamp<int>(s.fontWeight, 100, 900)));
    current.setItalic(s.fontItalic);

    QFontDialog dialog(current, this);
    dialog.setObjectName("ChooseFont");
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // The list rows are measured from this font; sizes outside 8 to 18
    // points are pulled back into that range as soon as they are picked.
    connect(&dialog, &QFontDialog::currentFontChanged, &dialog, [&dialog](const QFont &font) {
        const int size = font.pointSize();
        if (size > 0 && (size < kMinFontPoints || size > kMaxFontPoints)) {
            QFont limited = font;
            limited.setPointSize(std::clamp(size, kMinFontPoints, kMaxFontPoints));
            dialog.setCurrentFont(limited);
        }
    });
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QFont chosen = dialog.selectedFont();
    int chosenPoints = chosen.pointSize() > 0 ? chosen.pointSize() : kMinFontPoints;
    chosenPoints = std::clamp(chosenPoints, kMinFontPoints, kMaxFontPoints);
    const std::string face = chosen.family().toLatin1().toStdString().substr(0, kFontNameLimit);
    const int32_t height = -static_cast<int32_t>(std::lround(chosenPoints * dpi / 72.0));
    const int32_t weight = chosen.weight();
    const bool italic = chosen.italic();
    if (face == s.fontName && height == s.fontHeight && weight == s.fontWeight &&
        italic == s.fontItalic)
        return;
    s.fontName = face;
    s.fontHeight = height;
    s.fontWeight = weight;
    s.fontItalic = italic;
    ShowFontDescription();
    if (m_hooks.fontChanged)
        m_hooks.fontChanged();
}

void ConfigDialog::ChooseColour(uint32_t &setting)
{
    QColorDialog dialog(FromColorRef(setting), this);
    dialog.setObjectName("ChooseColor");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    std::array<QColor, 16> &custom = CustomColours();
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, custom[i]);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < 16; ++i)
        custom[i] = QColorDialog::customColor(i);
    if (!accepted)
        return;
    const uint32_t chosen = ToColorRef(dialog.selectedColor());
    if (chosen == setting)
        return;
    setting = chosen;
    ShowSamples();
    if (m_hooks.coloursChanged)
        m_hooks.coloursChanged();
}

} // namespace

bool MouseWheelSwitchApplies()
{
    return OnWindows();
}

uint32_t ToColorRef(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return static_cast<uint32_t>(rgb.red()) | static_cast<uint32_t>(rgb.green()) << 8 |
           static_cast<uint32_t>(rgb.blue()) << 16;
}

bool RunConfiguration(QWidget *owner, const ConfigurationHooks &hooks)
{
    ConfigDialog dialog(owner, hooks);
    dialog.exec();
    return true;
}

} // namespace kestrel
