// Running kestrel-cli as a program from a test, and the scratch folders those runs work in.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace kestrel::testing
{

struct CliRun {
    int status = -1; // the exit code, -1 when the program did not exit normally
    std::string out; // standard output and standard error, interleaved
};

// Runs the built kestrel-cli with args (shell syntax) and no terminal on standard input, so
// that it never waits for an answer and takes the path a script would.
inline CliRun RunCli(const std::string &args)
{
    CliRun run;
    const std::string command =
        std::string(KESTREL_BIN_DIR) + "/kestrel-cli " + args + " 2>&1 </dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A new, empty folder below the system's temporary folder, its name starting with prefix.
inline std::string MakeScratchFolder(const std::string &prefix)
{
    const std::string pattern =
        (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    return mkdtemp(buffer.data());
}

} // namespace kestrel::testing
