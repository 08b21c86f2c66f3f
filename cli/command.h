// The commands of kestrel-cli. Each command lives in its own cmd_<name>.cpp
// and registers itself with KESTREL_CLI_COMMAND; main() dispatches by name.
#pragma once

#include <string>
#include <vector>

namespace kestrel::cli {

class TerminalUi;

struct CommandContext {
    std::vector<std::string> args; // the arguments after the command name
    TerminalUi* ui = nullptr;
};

// Returns the process exit status: 0 on success, 1 after any catalog message
// or a usage error.
using CommandFn = int (*)(CommandContext& context);

struct Command {
    const char* name;
    const char* usage; // one line, shown by "kestrel-cli help"
    CommandFn run;
};

bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

} // namespace kestrel::cli

#define KESTREL_CLI_CONCAT2(a, b) a##b
#define KESTREL_CLI_CONCAT(a, b) KESTREL_CLI_CONCAT2(a, b)
#define KESTREL_CLI_COMMAND(name, usage, fn)                                                    \
    static const bool KESTREL_CLI_CONCAT(kRegistered_, __LINE__) =                              \
        ::kestrel::cli::RegisterCommand({name, usage, fn})
