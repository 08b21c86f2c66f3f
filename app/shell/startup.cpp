#include "app/shell/startup.h"

namespace kestrel
{

std::string JoinCommandLine(const std::vector<std::string> &arguments)
{
    std::string line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i)
            line += ' ';
        line += arguments[i];
    }
    return line;
}

StartLocations ChooseStartLocations(const std::string &commandLine, const std::string &left,
                                    const std::string &right,
                                    const std::function<bool(std::string &)> &browse)
{
    StartLocations out;
    if (!commandLine.empty()) {
        out.left = out.right = commandLine.substr(0, kStartLocationLimit);
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
