#include "app/qt/basic_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/qt/convert_dialogs.h"
#include "app/qt/common_dialogs.h"
#include "app/qt/dialog_helpers.h"
#include "app/qt/input_filters.h"
#include "ops/conversion_result.h"
#include "ops/copy.h"
#include "tifs/messages.h"

namespace kestrel
{

namespace
{

// Kept while the program runs, never written to the settings file.
BasicConversionOptions g_options;

constexpr int kMsgOnlyTiToPc = 12;
constexpr int kMsgInvalidName = 16;

QString Latin(const std::string &text)
{
    return QString::fromLatin1(text.c_str());
}

bool IsPcFile(const CatalogEntry &entry)
{
    return entry.ti.kind == kKindDos;
}

class BasicDialog : public QDialog
{
public:
    BasicDialog(QWidget *owner, Ui &ui, Location &destination, Location &source,
                CatalogEntry &entry, unsigned markedCount)
        : QDialog(owner), m_ui(ui), m_destination(destination), m_source(source),
          m_entry(entry), m_batch(markedCount > 0)
    {
        setObjectName("basicDialog");
        if (m_batch)
            setWindowTitle(QString("Convert %1 PC files to TI files").arg(markedCount));
        else
            setWindowTitle(Latin(FormatText("Convert PC file [%.30s] to", {entry.pcName})));

        auto *layout = new QVBoxLayout(this);
        auto *destinationLabel = new QLabel(Latin(destination.path), this);
        destinationLabel->setObjectName("destination");
        layout->addWidget(destinationLabel);

        auto *nameRow = new QHBoxLayout;
        nameRow->addWidget(new QLabel("TI file name", this));
        m_name = new QLineEdit(this);
        m_name->setObjectName("name");
        m_name->setMaxLength(10);
        InstallInputFilter(m_name, InputFilter::Name);
        if (m_batch) {
            // The length limit is for typing; the disabled field shows the
            // whole placeholder and then the name of each file in turn.
            m_name->setMaxLength(32767);
            m_name->setValidator(nullptr);
            m_name->setText("[SELECTED FILES]");
            m_name->setEnabled(false);
        } else {
            m_name->setText(Latin(DefaultBasicName(entry.pcName)));
        }
        nameRow->addWidget(m_name);
        layout->addLayout(nameRow);

        m_program = new QRadioButton("Convert to Basic PROGRAM file", this);
        m_program->setObjectName("program");
        m_merge = new QRadioButton("Convert to Basic DISPLAY VARIABLE 163 file", this);
        m_merge->setObjectName("merge");
        m_log = new QCheckBox("Create log file", this);
        m_log->setObjectName("log");
        m_verbose = new QCheckBox("Verbose conversion logging", this);
        m_verbose->setObjectName("verbose");
        for (QWidget *item : {static_cast<QWidget *>(m_program), static_cast<QWidget *>(m_merge),
                              static_cast<QWidget *>(m_log), static_cast<QWidget *>(m_verbose)})
            layout->addWidget(item);
        m_program->setChecked(g_options.program);
        m_merge->setChecked(!g_options.program);
        SetCheck(m_log, g_options.log);
        SetCheck(m_verbose, g_options.verbose);
        m_verbose->setEnabled(g_options.log);
        connect(m_log, &QCheckBox::toggled, m_verbose, &QWidget::setEnabled);

        m_progress = new QProgressBar(this);
        m_progress->setObjectName("progress");
        m_progress->setRange(0, 10);
        m_progress->setValue(0);
        layout->addWidget(m_progress);

        auto *buttons = new QHBoxLayout;
        m_convert = new QPushButton("Convert", this);
        m_convert->setObjectName("convert");
        m_convert->setDefault(true);
        auto *cancel = new QPushButton("Cancel", this);
        cancel->setObjectName("cancel");
        buttons->addStretch();
        buttons->addWidget(m_convert);
        buttons->addWidget(cancel);
        layout->addLayout(buttons);
        connect(m_convert, &QPushButton::clicked, this, [this] { Convert(); });
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    }

    void reject() override
    {
        // While a batch runs, Cancel stops it between files.
        if (m_busy) {
            m_cancelled = true;
            return;
        }
        QDialog::reject();
    }

private:
    void Convert()
    {
        if (m_busy)
            return;
        std::string name = m_name->text().toLatin1().toStdString();
        if (!m_batch) {
            std::string problem = BasicNameProblem(name);
            if (name.empty()) {
                QMessageBox::warning(this, "Kestrel", Latin(problem));
                m_name->setFocus();
                return;
            }
            if (!problem.empty()) {
                ReportError(m_ui, kMsgInvalidName, {name});
                m_name->setFocus();
                return;
            }
        }
        g_options.program = m_program->isChecked();
        g_options.log = GetCheck(m_log);
        g_options.verbose = GetCheck(m_verbose);

        m_busy = true;
        m_convert->setEnabled(false);
        {
            ConversionDialogUi ui(m_ui, m_progress, m_cancelled);
            BasicConversionBatch batch;
            if (!m_batch) {
                ConvertTextToBasic(ui, m_destination, m_source, m_entry, name, g_options, batch);
            } else {
                for (auto &entry : m_source.entries) {
                    if (!entry->marked || !IsPcFile(*entry))
                        continue;
                    ui.PumpPendingMessages();
                    if (m_cancelled)
                        break;
                    std::string tiName = DefaultBasicName(entry->pcName);
                    m_name->setText(Latin(tiName));
                    int result = ConvertTextToBasic(ui, m_destination, m_source, *entry, tiName,
                                                    g_options, batch);
                    if (result != kConversionDone)
                        break;
                    entry->marked = false;
                }
            }
        }
        m_busy = false;
        accept();
    }

    Ui &m_ui;
    Location &m_destination;
    Location &m_source;
    CatalogEntry &m_entry;
    bool m_batch;
    bool m_busy = false;
    bool m_cancelled = false;
    QLineEdit *m_name = nullptr;
    QRadioButton *m_program = nullptr;
    QRadioButton *m_merge = nullptr;
    QCheckBox *m_log = nullptr;
    QCheckBox *m_verbose = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_convert = nullptr;
};

} // namespace

BasicConversionOptions RememberedBasicOptions()
{
    return g_options;
}

bool RunConvertTextToBasic(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    Location &destination = shell.GetPane(1 - side).location;
    if (!CheckBasicDestination(ui, destination))
        return true;
    unsigned marked = 0;
    CatalogEntry *first = nullptr;
    for (auto &entry : pane.location.entries) {
        if (entry->marked && IsPcFile(*entry)) {
            ++marked;
            if (first == nullptr)
                first = entry.get();
        }
    }
    CatalogEntry *entry = marked > 0 ? first : pane.CursorEntry();
    if (entry == nullptr || !IsPcFile(*entry)) {
        ReportError(ui, kMsgOnlyTiToPc);
        return true;
    }
    {
        BasicDialog dialog(owner, ui, destination, pane.location, *entry, marked);
        dialog.adjustSize();
        // Modal before CenterOver shows it, or exec() would find it shown modeless.
        dialog.setWindowModality(Qt::ApplicationModal);
        CenterOver(&dialog, owner);
        dialog.exec();
    }
    shell.Reread(1 - side);
    const Location &source = pane.location;
    if (source.kind == destination.kind && source.path == destination.path)
        shell.Reread(side);
    else
        shell.Redraw(side);
    return true;
}

} // namespace kestrel
