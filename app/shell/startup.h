// The start-up rules that do not need a window: the command line, the two
// start locations and the exit code when no location can be found.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kestrel
{

constexpr int kStartLocationLimit = 300;

// The whole text after the program name: the arguments joined by single
// spaces (the shell already split it; this puts it back together).
std::string JoinCommandLine(const std::vector<std::string> &arguments);

struct StartLocations {
    bool ok = false; // false: the folder browser was cancelled, exit with code 1
    std::string left, right;
};

// A non-empty command line is both panes' start location. Otherwise an empty
// left takes the right, then an empty right takes the left; when both are
// empty the browser is asked (without an owner). Each is cut to 300
// characters as the settings file would.
StartLocations ChooseStartLocations(const std::string &commandLine, const std::string &left,
                                    const std::string &right,
                                    const std::function<bool(std::string &)> &browse);

// The exit code of a start-up that stopped early.
constexpr int kExitStartFailed = 1;

} // namespace kestrel
