#include "app/shell/startup.h"

#include <cstdio>
#include <filesystem>

#include "app/shell/version.h"
#include "platform/paths.h"

namespace kestrel
{

ProgramArguments ParseProgramArguments(const std::vector<std::string> &arguments)
{
    ProgramArguments out;
    auto fail = [&out](const std::string &why) {
        // The first fault is the one told; --help and --version still win.
        if (out.error.empty())
            out.error = why;
    };
    bool help = false;
    bool version = false;
    bool options = true;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &arg = arguments[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            help = true;
        } else if (options && arg == "--version") {
            version = true;
        } else if (options && arg == "--screenshot") {
            if (i + 1 < arguments.size())
                out.screenshot = arguments[++i];
            else
                fail("--screenshot needs a FILE");
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            fail("unknown option " + arg);
        } else if (out.locations.size() < 2) {
            out.locations.push_back(arg);
        } else {
            fail("at most two locations, LEFT and RIGHT");
        }
    }
    if (help)
        out.action = ProgramArguments::Action::Help;
    else if (version)
        out.action = ProgramArguments::Action::Version;
    else if (!out.error.empty())
        out.action = ProgramArguments::Action::UsageError;
    return out;
}

std::string ProgramUsageText()
{
    return "usage: kestrel [OPTION]... [LEFT [RIGHT]]\n"
           "Two-pane file manager, viewer and converter for TI-99/4A files on the PC.\n"
           "\n"
           "LEFT and RIGHT are the locations the panes open instead of the saved ones:\n"
           "a PC folder, a disk image, an archive, a hard-disk image, a CF7A+ card image\n"
           "or a folder inside one of them (disks/games.dsk/UTIL). One location opens\n"
           "in both panes.\n"
           "\n"
           "  --help             show this text and exit\n"
           "  --version          show the version and exit\n"
           "  --screenshot FILE  save a picture of the window after the first listing\n"
           "                     to FILE, then exit\n"
           "  --                 end of the options\n"
           "\n"
           "The settings file is Kestrel.ini in the working directory.\n";
}

std::string ProgramVersionLine()
{
    char text[64];
    std::snprintf(text, sizeof text, "kestrel %d.%d%c %ld\n", kVersionMajor, kVersionMinor,
                  kVersionLetter, kVersionBuild);
    return text;
}

std::string AbsoluteStartLocation(const std::string &location, const std::string &workingDir)
{
    namespace fs = std::filesystem;
    if (location.empty())
        return location;
    fs::path path(location);
    if (path.is_relative() && !workingDir.empty())
        path = fs::path(workingDir) / path;
    return platform::RemoveTrailingSeparator(path.lexically_normal().string());
}

StartLocations ChooseStartLocations(const std::vector<std::string> &locations,
                                    const std::string &left, const std::string &right,
                                    const std::function<bool(std::string &)> &browse)
{
    StartLocations out;
    if (!locations.empty() && !locations[0].empty()) {
        out.left = locations[0].substr(0, kStartLocationLimit);
        out.right = locations.size() > 1 && !locations[1].empty()
                        ? locations[1].substr(0, kStartLocationLimit)
                        : out.left;
        out.ok = true;
        return out;
    }
    out.left = left.substr(0, kStartLocationLimit);
    out.right = right.substr(0, kStartLocationLimit);
    if (out.left.empty())
        out.left = out.right;
    if (out.right.empty())
        out.right = out.left;
    if (out.left.empty()) {
        std::string chosen;
        if (!browse || !browse(chosen) || chosen.empty())
            return out;
        out.left = out.right = chosen.substr(0, kStartLocationLimit);
    }
    out.ok = true;
    return out;
}

} // namespace kestrel
