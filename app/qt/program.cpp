#include "app/qt/program.h"

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTimer>

#include "app/qt/common_dialogs.h"
#include "app/shell/startup.h"
#include "platform/temp_dir.h"
#include "drives/hd_binding.h"
#include "ops/register_all.h"
#include "viewers/tokenizer_loader.h"
#include "tifs/location_listers.h"
#include "tifs/settings.h"

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

    m_window = std::make_unique<MainWindow>(settings, m_ui, m_locations);
    m_window->GetShell().SetStartLocations(starts.left, starts.right, settings.sortBy,
                                           settings.columnWidths);
    m_window->Start();
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
        // After the splash picture has gone, so that the picture shows the panes.
        QObject::connect(window, &MainWindow::firstListing, window, [window, screenshot] {
            QTimer::singleShot(kSplashMinimumMs + kTimerPeriodMs, window, [window, screenshot] {
                window->grab().save(QString::fromStdString(screenshot));
                window->close();
            });
        });
    }
    app.exec();
    return program.Finish();
}

} // namespace kestrel
