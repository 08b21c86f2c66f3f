#include "app/qt/convert_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/common_dialogs.h"
#include "app/qt/dialog_helpers.h"
#include "app/qt/input_filters.h"
#include "ops/conversion_rules.h"
#include "ops/copy.h"
#include "ops/pc_to_ti.h"
#include "ops/ti_to_pc.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

ConversionDialogUi::ConversionDialogUi(Ui &inner, QProgressBar *bar, const bool &cancelled)
    : ForwardingUi(inner), m_bar(bar), m_cancelled(cancelled)
{
    SetLastMessage(inner.LastMessage());
}

ConversionDialogUi::~ConversionDialogUi()
{
    m_inner.SetLastMessage(LastMessage());
}









void ConversionDialogUi::SetProgressRange(uint32_t maximum)
{
    if (m_onRange)
        m_onRange();
    if (m_bar != nullptr)
        kestrel::SetProgressRange(m_bar, maximum);
}

void ConversionDialogUi::SetProgressPosition(uint32_t position)
{
    if (m_bar != nullptr)
        kestrel::SetProgressPosition(m_bar, position);
}

void ConversionDialogUi::SetStatusText(const std::string &text)
{
    m_inner.SetStatusText(text);
}

void ConversionDialogUi::PumpPendingMessages()
{
    kestrel::PumpPendingMessages();
}

bool ConversionDialogUi::CancelPressed()
{
    return m_cancelled;
}


namespace
{

// Kept while the program runs: the tab choice of the PC-to-TI direction.
struct RememberedTabs {
    bool convert = true;
    int width = 8;
};
RememberedTabs g_tabs;

const char *const kPcTiMethodNames[] = {
    "--SELECT--",
    "Remove CR and/or LF (EDITOR/ASM)",
    "Convert CR/LF or LF to CR (TI WRITER)",
    "Convert CR/LF or CR to LF",
    "Binary (no conversion)",
};
const char *const kTiPcMethodNames[] = {
    "--SELECT--",
    "Add CR/LF (EDITOR/ASM)",
    "Add LF (TI WRITER)",
    "Binary (no conversion)",
};
constexpr const char *kSelectedFiles = "[SELECTED FILES]";

QString Latin(const std::string &text)
{
    return QString::fromLatin1(text.c_str());
}

std::string FromLatin(const QString &text)
{
    return text.toLatin1().toStdString();
}

int TypeIndexOf(uint8_t flags)
{
    for (size_t i = 0; i < kTiFileTypes.size(); ++i) {
        if (kTiFileTypes[i].flags == (flags & kFlagTypeMask))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

bool IsPcFile(const CatalogEntry &entry)
{
    return entry.ti.kind == kKindDos;
}

bool IsTiFile(const CatalogEntry &entry)
{
    return IsTiFileKind(entry.ti.kind);
}

// The TI files a TI-to-PC batch takes along with the file it was opened
// for: the same type and, except PROGRAM, the same record length.
bool SameTiType(const CatalogEntry &a, const CatalogEntry &b)
{
    if (a.ti.kind != b.ti.kind)
        return false;
    return a.ti.kind == kKindProgram || a.ti.recordLength == b.ti.recordLength;
}

int DialogResultOf(int conversion)
{
    if (conversion == kConversionStop)
        return kConvertDialogStop;
    return conversion == kConversionDone ? kConvertDialogConverted : kConvertDialogFailed;
}

class ConvertFileDialog : public QDialog
{
public:
    ConvertFileDialog(QWidget *owner, Ui &ui, Location &destination, Location &source,
                      const CatalogEntry &entry, TiFileDescriptor *fill, bool batch,
                      bool toTi)
        : QDialog(owner), m_ui(ui), m_destination(destination), m_source(source),
          m_entry(entry), m_fill(fill), m_batch(batch), m_toTi(toTi)
    {
        setObjectName("convertFileDialog");
        Build();
        if (m_toTi)
            PresetPcToTi();
        else
            PresetTiToPc();
    }

    void reject() override
    {
        // While a conversion runs, Cancel only asks it to stop between files.
        if (m_busy) {
            m_cancelled = true;
            return;
        }
        done(kConvertDialogStop);
    }

private:
    void Build()
    {
        auto *layout = new QVBoxLayout(this);
        m_destinationLabel = new QLabel(Latin(m_destination.path), this);
        m_destinationLabel->setObjectName("destination");
        layout->addWidget(m_destinationLabel);

        auto *grid = new QGridLayout;
        layout->addLayout(grid);
        m_nameLabel = new QLabel(m_toTi ? "TI-file name" : "PC-file name", this);
        m_name = new QLineEdit(this);
        m_name->setObjectName("name");
        m_name->setMaxLength(m_toTi ? 10 : 80);
        InstallInputFilter(m_name, InputFilter::PcName);
        grid->addWidget(m_nameLabel, 0, 0);
        grid->addWidget(m_name, 0, 1, 1, 3);

        m_type = new QComboBox(this);
        m_type->setObjectName("fileType");
        std::vector<std::string> types{"--SELECT--"};
        for (const auto &type : kTiFileTypes)
            types.push_back(type.name);
        FillTextCombo(m_type, types, 0);
        m_length = new QComboBox(this);
        m_length->setObjectName("recordLength");
        FillNumberCombo(m_length, 1, 255, 0, "--SELECT--");
        grid->addWidget(new QLabel("File type", this), 1, 0);
        grid->addWidget(m_type, 1, 1);
        grid->addWidget(new QLabel("Record length", this), 1, 2);
        grid->addWidget(m_length, 1, 3);

        m_method = new QComboBox(this);
        m_method->setObjectName("method");
        std::vector<std::string> methods;
        if (m_toTi)
            methods.assign(std::begin(kPcTiMethodNames), std::end(kPcTiMethodNames));
        else
            methods.assign(std::begin(kTiPcMethodNames), std::end(kTiPcMethodNames));
        FillTextCombo(m_method, methods, 0);
        grid->addWidget(new QLabel("Conversion method", this), 2, 0);
        grid->addWidget(m_method, 2, 1, 1, 3);

        m_tabs = new QCheckBox("Convert tabs to", this);
        m_tabs->setObjectName("convertTabs");
        m_tabWidth = new QComboBox(this);
        m_tabWidth->setObjectName("tabWidth");
        m_spaces = new QLabel("spaces", this);
        auto *tabRow = new QHBoxLayout;
        tabRow->addWidget(m_tabs);
        tabRow->addWidget(m_tabWidth);
        tabRow->addWidget(m_spaces);
        tabRow->addStretch();
        layout->addLayout(tabRow);

        m_dataHeader = new QCheckBox("Add  3 words (6 bytes) data header", this);
        m_dataHeader->setObjectName("dataHeader");
        auto *headerRow = new QHBoxLayout;
        headerRow->addWidget(m_dataHeader);
        for (int i = 0; i < 3; ++i) {
            m_headerWords[i] = new QLineEdit(this);
            m_headerWords[i]->setObjectName(QString("headerWord%1").arg(i + 1));
            m_headerWords[i]->setMaxLength(4);
            InstallInputFilter(m_headerWords[i], InputFilter::Hex);
            headerRow->addWidget(m_headerWords[i]);
        }
        layout->addLayout(headerRow);

        m_progress = new QProgressBar(this);
        m_progress->setObjectName("progress");
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
        layout->addWidget(m_progress);

        auto *buttons = new QHBoxLayout;
        m_convert = new QPushButton("Convert", this);
        m_convert->setObjectName("convert");
        m_convert->setDefault(true);
        m_cancel = new QPushButton("Cancel", this);
        m_cancel->setObjectName("cancel");
        buttons->addStretch();
        buttons->addWidget(m_convert);
        buttons->addWidget(m_cancel);
        layout->addLayout(buttons);

        connect(m_convert, &QPushButton::clicked, this, [this] { Convert(); });
        connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    }

    void PresetPcToTi()
    {
        PcToTiOptions defaults = PcToTiOptionsFor(m_entry, PcToTiOptions{});
        if (m_batch)
            setWindowTitle(QString("Convert %1 PC files to TI files").arg(MarkedCount()));
        else
            setWindowTitle(Latin(FormatText("Convert PC file [%.30s] to", {m_entry.pcName})));
        SetName(defaults.name);
        m_type->setCurrentIndex(TypeIndexOf(defaults.typeFlags));
        m_length->setCurrentIndex(defaults.recordLength >= 1 && defaults.recordLength <= 255
                                      ? defaults.recordLength
                                      : 0);
        m_method->setCurrentIndex(defaults.method >= 0 && defaults.method < kPcTiMethodCount
                                      ? defaults.method
                                      : 0);
        FillNumberCombo(m_tabWidth, 1, 20, static_cast<unsigned>(g_tabs.width));
        SetCheck(m_tabs, g_tabs.convert);
        SetCheck(m_dataHeader, false);
        connect(m_type, &QComboBox::currentIndexChanged, this, [this] { TypeChanged(); });
        connect(m_tabs, &QCheckBox::toggled, this, [this] { EnableTabs(); });
        connect(m_dataHeader, &QCheckBox::toggled, this, [this] { EnableHeaderWords(); });
        TypeChanged();
    }

    void PresetTiToPc()
    {
        TiToPcOptions defaults = TiToPcOptionsFromSettings(m_entry.ti);
        if (m_batch)
            setWindowTitle(QString("Convert %1 TI files to PC files").arg(MarkedCount()));
        else
            setWindowTitle(Latin(FormatText("Convert TI file [%.10s] to", {m_entry.ti.tiName})));
        SetName(defaults.pcName);
        m_type->setCurrentIndex(TypeIndexOf(static_cast<uint8_t>(m_entry.ti.flags)));
        m_length->setCurrentIndex(m_entry.ti.kind != kKindProgram &&
                                          m_entry.ti.recordLength >= 1 &&
                                          m_entry.ti.recordLength <= 255
                                      ? m_entry.ti.recordLength
                                      : 0);
        m_method->setCurrentIndex(defaults.method >= 0 && defaults.method < kTiPcMethodCount
                                      ? defaults.method
                                      : 0);
        m_type->setEnabled(false);
        m_length->setEnabled(false);
        for (QWidget *item : {static_cast<QWidget *>(m_tabs), static_cast<QWidget *>(m_tabWidth),
                              static_cast<QWidget *>(m_spaces),
                              static_cast<QWidget *>(m_dataHeader)})
            item->hide();
        for (QLineEdit *word : m_headerWords)
            word->hide();
    }

    void SetName(const std::string &name)
    {
        if (m_batch) {
            // The length limit is for typing; the disabled field shows the
            // whole placeholder.
            m_name->setMaxLength(32767);
            m_name->setValidator(nullptr);
            m_name->setText(kSelectedFiles);
            m_name->setEnabled(false);
        } else {
            m_name->setText(Latin(name));
        }
    }

    unsigned MarkedCount() const
    {
        unsigned count = 0;
        for (const auto &entry : m_source.entries) {
            if (entry->marked && (m_toTi ? IsPcFile(*entry) : IsTiFile(*entry)))
                ++count;
        }
        return count;
    }

    bool ProgramChosen() const
    {
        return m_type->currentIndex() > 0 &&
               kTiFileTypes[static_cast<size_t>(m_type->currentIndex() - 1)].flags == kFlagProgram;
    }

    void TypeChanged()
    {
        bool program = ProgramChosen();
        m_length->setEnabled(!program);
        if (program)
            m_method->setCurrentIndex(kPcTiBinary);
        m_method->setEnabled(!program);
        m_dataHeader->setEnabled(program);
        EnableTabs();
        EnableHeaderWords();
    }

    void EnableTabs()
    {
        bool program = ProgramChosen();
        m_tabs->setEnabled(!program);
        m_tabWidth->setEnabled(!program && GetCheck(m_tabs));
        m_spaces->setEnabled(!program);
    }

    void EnableHeaderWords()
    {
        bool on = ProgramChosen() && GetCheck(m_dataHeader);
        for (QLineEdit *word : m_headerWords)
            word->setEnabled(on);
    }

    // The dialog's input checks show their text captioned "Kestrel", owned
    // by the dialog, and give the focus back to the field concerned.
    void Refuse(const std::string &text, QWidget *field)
    {
        QMessageBox::warning(this, "Kestrel", Latin(text));
        field->setFocus();
    }

    PcToTiOptions ChosenPcToTi() const
    {
        PcToTiOptions options;
        options.name = FromLatin(m_name->text());
        int type = m_type->currentIndex();
        options.typeFlags =
            type > 0 ? kTiFileTypes[static_cast<size_t>(type - 1)].flags : kNoFileType;
        options.recordLength = m_length->currentIndex();
        options.method = m_method->currentIndex();
        options.tabWidth = GetCheck(m_tabs) ? m_tabWidth->currentIndex() + 1 : 0;
        options.dataHeader = options.typeFlags == kFlagProgram && GetCheck(m_dataHeader);
        for (int i = 0; i < 3; ++i)
            options.dataHeaderText[static_cast<size_t>(i)] = FromLatin(m_headerWords[i]->text());
        return options;
    }

    QWidget *ProblemField(const std::string &problem, const PcToTiOptions &options)
    {
        if (problem == "Please enter a filename")
            return m_name;
        if (problem == "Please select a filetype")
            return m_type;
        if (problem == "Please select a conversion methode")
            return m_method;
        if (problem.rfind("Please select a record", 0) == 0 || problem.rfind("Record length", 0) == 0)
            return m_length;
        for (int i = 0; i < 3; ++i) {
            uint16_t words[3];
            std::array<std::string, 3> one = {"0", "0", "0"};
            one[static_cast<size_t>(i)] = options.dataHeaderText[static_cast<size_t>(i)];
            if (!ParseDataHeader(one, words))
                return m_headerWords[i];
        }
        return m_headerWords[0];
    }

    void Convert()
    {
        if (m_busy)
            return;
        if (m_toTi)
            ConvertToTi();
        else
            ConvertToPc();
    }

    void ConvertToTi()
    {
        PcToTiOptions options = ChosenPcToTi();
        std::string problem = PcToTiOptionsProblem(options);
        if (!problem.empty()) {
            Refuse(problem, ProblemField(problem, options));
            return;
        }
        g_tabs.convert = GetCheck(m_tabs);
        g_tabs.width = m_tabWidth->currentIndex() + 1;
        Run([&](ConversionDialogUi &ui) {
            PcToTiBatch batch;
            if (!m_batch) {
                int result = ConvertPcFile(ui, m_destination, m_source, m_entry, options, batch);
                if (result == kConversionDone)
                    Fill(options);
                return DialogResultOf(result);
            }
            for (auto &entry : m_source.entries) {
                if (!entry->marked || !IsPcFile(*entry))
                    continue;
                ui.PumpPendingMessages();
                if (m_cancelled)
                    return static_cast<int>(kConvertDialogStop);
                PcToTiOptions one = options;
                one.name = DefaultTiFileName(entry->pcName);
                int result = ConvertPcFile(ui, m_destination, m_source, *entry, one, batch);
                if (result != kConversionDone)
                    return DialogResultOf(result);
                entry->marked = false;
                Fill(one);
            }
            return static_cast<int>(kConvertDialogConverted);
        });
    }

    void ConvertToPc()
    {
        TiToPcOptions options;
        options.pcName = FromLatin(m_name->text());
        options.method = m_method->currentIndex();
        std::string problem = TiToPcOptionsProblem(options);
        if (!problem.empty()) {
            Refuse(problem, problem == "Please enter a filename" ? static_cast<QWidget *>(m_name)
                                                                 : m_method);
            return;
        }
        Run([&](ConversionDialogUi &ui) {
            TiToPcBatch batch;
            if (!m_batch)
                return DialogResultOf(
                    ConvertTiFile(ui, m_destination, m_source, m_entry, options, batch));
            for (auto &entry : m_source.entries) {
                if (!entry->marked || !IsTiFile(*entry) || !SameTiType(*entry, m_entry))
                    continue;
                ui.PumpPendingMessages();
                if (m_cancelled)
                    return static_cast<int>(kConvertDialogStop);
                TiToPcOptions one = options;
                one.pcName = TiToPcOptionsFromSettings(entry->ti).pcName;
                int result = ConvertTiFile(ui, m_destination, m_source, *entry, one, batch);
                if (result != kConversionDone)
                    return DialogResultOf(result);
                entry->marked = false;
            }
            return static_cast<int>(kConvertDialogConverted);
        });
    }

    template <typename Work> void Run(Work work)
    {
        m_busy = true;
        m_convert->setEnabled(false);
        int result;
        {
            ConversionDialogUi ui(m_ui, m_progress, m_cancelled);
            result = work(ui);
        }
        m_busy = false;
        done(result);
    }

    void Fill(const PcToTiOptions &options)
    {
        if (m_fill == nullptr)
            return;
        m_fill->tiName = PadTiName(PcNameToTiName(options.name));
        m_fill->flags = options.typeFlags;
        m_fill->recordLength = static_cast<uint16_t>(options.recordLength);
        DecodeFileType(*m_fill);
    }

    Ui &m_ui;
    Location &m_destination;
    Location &m_source;
    const CatalogEntry &m_entry;
    TiFileDescriptor *m_fill;
    bool m_batch;
    bool m_toTi;
    bool m_busy = false;
    bool m_cancelled = false;

    QLabel *m_destinationLabel = nullptr;
    QLabel *m_nameLabel = nullptr;
    QLineEdit *m_name = nullptr;
    QComboBox *m_type = nullptr;
    QComboBox *m_length = nullptr;
    QComboBox *m_method = nullptr;
    QCheckBox *m_tabs = nullptr;
    QComboBox *m_tabWidth = nullptr;
    QLabel *m_spaces = nullptr;
    QCheckBox *m_dataHeader = nullptr;
    QLineEdit *m_headerWords[3] = {};
    QProgressBar *m_progress = nullptr;
    QPushButton *m_convert = nullptr;
    QPushButton *m_cancel = nullptr;
};

int RunDialog(QWidget *owner, Ui &ui, Location &destination, Location &source,
              const CatalogEntry &entry, TiFileDescriptor *fill, bool batch, bool toTi)
{
    ConvertFileDialog dialog(owner, ui, destination, source, entry, fill, batch, toTi);
    dialog.adjustSize();
    // Modal before CenterOver shows it, or exec() would find it shown modeless.
    dialog.setWindowModality(Qt::ApplicationModal);
    CenterOver(&dialog, owner);
    return dialog.exec();
}

// The entry a command's dialog opens for: the cursor entry when it is of
// the kind (and marked, when anything is marked), else the first marked one.
CatalogEntry *DialogEntry(Location &location, CatalogEntry *cursor,
                          bool (*ofKind)(const CatalogEntry &))
{
    std::vector<CatalogEntry *> entries = EntriesToHandle(location, cursor);
    if (cursor != nullptr && ofKind(*cursor)) {
        for (CatalogEntry *entry : entries) {
            if (entry == cursor)
                return cursor;
        }
    }
    for (CatalogEntry *entry : entries) {
        if (ofKind(*entry))
            return entry;
    }
    return nullptr;
}

bool AnyMarked(const Location &location, bool (*ofKind)(const CatalogEntry &))
{
    for (const auto &entry : location.entries) {
        if (entry->marked && ofKind(*entry))
            return true;
    }
    return false;
}

void ListAfterConversion(Shell &shell, int side)
{
    const Location &source = shell.GetPane(side).location;
    const Location &destination = shell.GetPane(1 - side).location;
    shell.Reread(1 - side);
    if (source.kind == destination.kind && source.path == destination.path)
        shell.Reread(side);
    else
        shell.Redraw(side);
}

} // namespace

int RunPcToTiDialog(QWidget *owner, Ui &ui, Location &destination, Location &source,
                    const CatalogEntry &entry, TiFileDescriptor *fill, bool batch)
{
    return RunDialog(owner, ui, destination, source, entry, fill, batch, true);
}

int RunTiToPcDialog(QWidget *owner, Ui &ui, Location &destination, Location &source,
                    const CatalogEntry &entry, bool batch)
{
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, 49);
        ReportError(ui, 12);
        return kConvertDialogFailed;
    }
    return RunDialog(owner, ui, destination, source, entry, nullptr, batch, false);
}

bool RunConvertPcToTi(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    Location &destination = shell.GetPane(1 - side).location;
    CatalogEntry *entry = DialogEntry(pane.location, pane.CursorEntry(), IsPcFile);
    if (entry == nullptr) {
        ReportError(ui, 12);
        return true;
    }
    // Only these can take a converted file; refusing here spares the user
    // a dialog whose result could not be placed.
    switch (destination.kind) {
    case kLocPcDirectory:
    case kLocDskImage:
    case kLocHdImage:
    case kLocHdPartition:
    case kLocCf7Volume:
        break;
    default:
        ReportError(ui, 49);
        ReportError(ui, 12);
        return true;
    }
    RunPcToTiDialog(owner, ui, destination, pane.location, *entry, nullptr,
                    AnyMarked(pane.location, IsPcFile));
    ListAfterConversion(shell, side);
    return true;
}

bool RunConvertTiToPc(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    Location &destination = shell.GetPane(1 - side).location;
    CatalogEntry *entry = DialogEntry(pane.location, pane.CursorEntry(), IsTiFile);
    if (entry == nullptr) {
        ReportError(ui, 12);
        return true;
    }
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, 49);
        ReportError(ui, 12);
        return true;
    }
    RunTiToPcDialog(owner, ui, destination, pane.location, *entry,
                    AnyMarked(pane.location, IsTiFile));
    ListAfterConversion(shell, side);
    return true;
}

} // namespace kestrel
