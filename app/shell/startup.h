// The start-up rules that do not need a window: the command line, the two
// start locations and the exit code when no location can be found.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kestrel
{

constexpr int kStartLocationLimit = 300;

// What the command line "kestrel [OPTIONS] [LEFT [RIGHT]]" asks for. The
// toolkit has taken its own options out before this is read.
struct ProgramArguments {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    std::vector<std::string> locations; // LEFT and RIGHT as given, at most two
    std::string screenshot;             // --screenshot FILE
    std::string error;                  // for UsageError: what is wrong
};

// Reads the arguments after the program name. "--help" and "--version" win
// over everything else wherever they stand (before "--"), so that they
// answer even beside options that only the toolkit knows; "--" ends the
// options, so a location may begin with "-". An unknown option, a missing
// FILE and a third location are usage errors.
ProgramArguments ParseProgramArguments(const std::vector<std::string> &arguments);

// The text of "kestrel --help" and the line of "kestrel --version".
std::string ProgramUsageText();
std::string ProgramVersionLine();

// The exit code of a command line that cannot be used.
constexpr int kExitUsage = 2;

// A location of the command line as the panes keep it: a relative one is
// taken from workingDir, "." and ".." steps are resolved and a trailing
// separator is dropped, so that the settings file keeps a place that still
// holds when the program is started elsewhere. Names inside containers
// ("disks/games.dsk/UTIL") are joined the same way.
std::string AbsoluteStartLocation(const std::string &location, const std::string &workingDir);

struct StartLocations {
    bool ok = false; // false: the folder browser was cancelled, exit with code 1
    std::string left, right;
};

// Locations from the command line replace the saved ones: one is both
// panes' start location, two are the left and the right one. Otherwise an
// empty left takes the right, then an empty right takes the left; when both
// are empty the browser is asked (without an owner). Each is cut to 300
// characters as the settings file would.
StartLocations ChooseStartLocations(const std::vector<std::string> &locations,
                                    const std::string &left, const std::string &right,
                                    const std::function<bool(std::string &)> &browse);

// The exit code of a start-up that stopped early.
constexpr int kExitStartFailed = 1;

} // namespace kestrel
