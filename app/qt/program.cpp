#include "app/qt/program.h"

#include <cstdio>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLocale>
#include <QTimer>

#include "app/qt/common_dialogs.h"
#include "app/shell/colour_contrast.h"
#include "app/shell/key_codes.h"
#include "app/shell/startup.h"
#include "drives/hd_binding.h"
#include "ops/register_all.h"
#include "platform/temp_dir.h"
#include "tifs/location_listers.h"
#include "tifs/settings.h"
#include "viewers/tokenizer_loader.h"

namespace kestrel
{

Program::Program() = default;

Program::~Program()
{
    if (!m_finished)
        Finish();
}

int Program::Start(const std::vector<std::string> &arguments, const std::string &workingDir)
{
    // A private directory for the three fixed temporary names. Should it
    // fail, the parts that need a temporary file report it when they do.
    platform::ProgramTempDir().Create();

    Settings &settings = ProgramSettings();
    const bool metric = QLocale::system().measurementSystem() == QLocale::MetricSystem;
    LoadSettings(settings, SettingsFilePath(workingDir), metric);
    // What a settings file keeps is used as it is; what it does not keep yet
    // gets defaults that suit the screen and font this run has.
    const bool savedSize =
        ReadSettingInt(kSettingsSection, "width", kPlacementMissing) != kPlacementMissing &&
        ReadSettingInt(kSettingsSection, "height", kPlacementMissing) != kPlacementMissing;
    const bool savedColumns = !ReadSettingString(kSettingsSection, "hdrsize").empty();
    if (ReadSettingString(kSettingsSection, "markcolor").empty())
        settings.markColor = kReadableMarkColor;
    ReadEditSlotPlacements(settings);
    RegisterAllListers();

    std::vector<std::string> locations;
    for (const std::string &argument : arguments)
        locations.push_back(AbsoluteStartLocation(argument, workingDir));
    StartLocations starts = ChooseStartLocations(
        locations, settings.defaultPathLeft, settings.defaultPathRight,
        [](std::string &chosen) { return BrowseForLocation(nullptr, std::string(), chosen); });
    if (!starts.ok)
        return kExitStartFailed;
    settings.defaultPathLeft = starts.left;
    settings.defaultPathRight = starts.right;

    // Large folders are listed on a worker thread while the window works.
    m_locations.SetBackgroundScans(true);
    m_window = std::make_unique<MainWindow>(settings, m_ui, m_locations);
    if (!savedColumns)
        m_window->FitDefaultColumns();
    m_window->GetShell().SetStartLocations(starts.left, starts.right, settings.sortBy,
                                           settings.columnWidths);
    m_window->Start(savedSize);
    return -1;
}

int Program::Finish()
{
    if (m_finished)
        return 0;
    m_finished = true;
    if (m_window) {
        if (m_window->isVisible())
            m_window->close();
        // The libraries go with the main window, before anything of the
        // process is torn down.
        UnloadHdLibrary();
        UnloadTokenizerLibrary();
        Settings &settings = ProgramSettings();
        SaveSettings(settings);
        WriteEditSlotPlacements(settings);
        m_ui.SetOwner(nullptr);
        m_window.reset();
    }
    platform::ProgramTempDir().Remove();
    return 0;
}

namespace
{

// The pictures the screenshot run writes beside the main one: base-dsk.png
// (the right pane inside the demo's floppy image), base-copy.png (the copy
// dialog) and base-options.png (the Options dialog).
QString SiblingShot(const QString &main, const char *suffix)
{
    QString base = main;
    if (base.endsWith(".png", Qt::CaseInsensitive))
        base.chop(4);
    return base + "-" + suffix + ".png";
}

// Grabs the modal dialog named name once it shows and closes it.
void GrabModalDialog(const QString &name, const QString &path)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, name, path] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->objectName() != name)
            return;
        timer->stop();
        timer->deleteLater();
        dialog->grab().save(path);
        dialog->reject();
    });
    timer->start();
}

int IndexOfPcName(const Pane &pane, const std::string &name)
{
    for (int i = 0; i < pane.Count(); ++i)
        if (pane.Entry(i)->pcName == name)
            return i;
    return -1;
}

void TakeScreenshots(MainWindow *window, const QString &path)
{
    window->grab().save(path);
    Shell &shell = window->GetShell();
    const int image = IndexOfPcName(shell.GetPane(kRightPane), "games.dsk");
    if (image >= 0) {
        shell.OpenEntry(kRightPane, image);
        window->RepaintAll();
        window->grab().save(SiblingShot(path, "dsk"));
        // A copy from the folder into the image, as F5 asks for it.
        shell.SetActiveSide(kLeftPane);
        Pane &left = shell.GetPane(kLeftPane);
        for (int i = 0; i < left.Count(); ++i)
            if (IsTiFileKind(left.Entry(i)->ti.kind)) {
                left.cursor = i;
                break;
            }
        window->RepaintAll();
        GrabModalDialog("Copy File(s)", SiblingShot(path, "copy"));
        window->SendKey(kKeyF5);
    }
    GrabModalDialog("Configuration", SiblingShot(path, "options"));
    window->RunOperation(shell.ActiveSide(), PaneOperation::Options);
}

} // namespace

int RunProgram(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The toolkit has taken its own options (-platform, -style, ...) out of argv.
    const ProgramArguments parsed =
        ParseProgramArguments(std::vector<std::string>(argv + 1, argv + argc));
    switch (parsed.action) {
    case ProgramArguments::Action::Help:
        std::fputs(ProgramUsageText().c_str(), stdout);
        return 0;
    case ProgramArguments::Action::Version:
        std::fputs(ProgramVersionLine().c_str(), stdout);
        return 0;
    case ProgramArguments::Action::UsageError:
        std::fprintf(stderr, "kestrel: %s\nTry 'kestrel --help' for more information.\n",
                     parsed.error.c_str());
        return kExitUsage;
    case ProgramArguments::Action::Run:
        break;
    }
    const std::string screenshot = parsed.screenshot;
    Program program;
    int rc = program.Start(parsed.locations, QDir::currentPath().toStdString());
    if (rc >= 0)
        return rc;
    MainWindow *window = program.Window();
    if (!screenshot.empty()) {
        // After the splash picture has gone, so that the pictures show the panes.
        QObject::connect(window, &MainWindow::firstListing, window, [window, screenshot] {
            QTimer::singleShot(kSplashMinimumMs + kTimerPeriodMs, window, [window, screenshot] {
                TakeScreenshots(window, QString::fromStdString(screenshot));
                window->close();
            });
        });
    }
    app.exec();
    return program.Finish();
}

} // namespace kestrel
