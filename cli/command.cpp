#include "cli/command.h"

namespace kestrel::cli
{

namespace
{

std::vector<Command> &Registry()
{
    static std::vector<Command> commands;
    return commands;
}

} // namespace

bool RegisterCommand(const Command &command)
{
    Registry().push_back(command);
    return true;
}

const std::vector<Command> &Commands()
{
    return Registry();
}

} // namespace kestrel::cli
