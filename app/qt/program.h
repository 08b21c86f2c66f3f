// The program from start to end: temporary directory, settings, start
// locations, main window, and at the end the settings and the edit-window
// placements written back.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/qt/main_window.h"
#include "app/qt/qt_ui.h"
#include "app/shell/catalog_location_service.h"

namespace kestrel
{

class Program
{
public:
    Program();
    ~Program();

    // Everything before the event loop, with the locations of the command
    // line (none, LEFT, or LEFT and RIGHT; relative ones are taken from
    // workingDir). Returns -1 when the loop should run, else the exit code
    // (1: no start location was chosen).
    int Start(const std::vector<std::string> &locations, const std::string &workingDir);
    MainWindow *Window() const { return m_window.get(); }
    QtUi &GetUi() { return m_ui; }
    // After the loop: the settings and the edit-window placements are
    // written, the panes and the temporary directory go. Returns 0.
    int Finish();

private:
    QtUi m_ui;
    CatalogLocationService m_locations;
    std::unique_ptr<MainWindow> m_window;
    bool m_finished = false;
};

// The whole run, for main(): the command line of ParseProgramArguments;
// "--screenshot FILE" grabs the window after the first listing into FILE
// and ends the program.
int RunProgram(int argc, char **argv);

} // namespace kestrel
