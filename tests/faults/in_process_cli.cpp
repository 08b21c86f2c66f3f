#include "tests/faults/in_process_cli.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/hd_binding.h"
#include "ops/register_all.h"
#include "tifs/settings.h"
#include "viewers/tokenizer_loader.h"

namespace kestrel::testing
{

namespace fs = std::filesystem;

namespace
{

// Counts what the commands show; the terminal text still goes to the captured stderr.
class WatchingUi : public cli::TerminalUi
{
public:
    void ShowError(const std::string &text) override
    {
        ++errors;
        TerminalUi::ShowError(text);
    }
    void ShowDsrError(const std::string &text) override
    {
        ++dsrErrors;
        TerminalUi::ShowDsrError(text);
    }
    int errors = 0;
    int dsrErrors = 0;
};

// Points a standard stream at a file for the length of a run.
class Capture
{
public:
    Capture(int fd, std::FILE *stream) : m_fd(fd), m_stream(stream)
    {
        char pattern[] = "/tmp/kestrel-faults-capture-XXXXXX";
        m_file = ::mkstemp(pattern);
        m_path = pattern;
        std::fflush(m_stream);
        m_saved = ::dup(m_fd);
        ::dup2(m_file, m_fd);
    }
    std::string Finish()
    {
        std::fflush(m_stream);
        ::dup2(m_saved, m_fd);
        ::close(m_saved);
        ::close(m_file);
        std::string text = ReadAll(m_path);
        std::remove(m_path.c_str());
        return text;
    }

private:
    int m_fd;
    std::FILE *m_stream;
    int m_file = -1;
    int m_saved = -1;
    std::string m_path;
};

// The column-th tab-separated cell of a listing row, without its padding.
std::string Cell(const std::string &row, size_t column)
{
    size_t start = 0;
    for (size_t i = 0; i < column && start != std::string::npos; ++i) {
        start = row.find('\t', start);
        start = start == std::string::npos ? start : start + 1;
    }
    if (start == std::string::npos) {
        return "";
    }
    std::string cell = row.substr(start, row.find('\t', start) - start);
    while (!cell.empty() && cell.back() == ' ') {
        cell.pop_back();
    }
    return cell;
}

} // namespace

void PrepareInProcessCli()
{
    static bool prepared = false;
    if (prepared) {
        return;
    }
    prepared = true;
    ProgramSettings().dllDirectory = std::string(KESTREL_BIN_DIR) + "/";
    RegisterAllListers();
}

InProcessRun RunInProcess(const std::vector<std::string> &args, platform::FaultPlan *plan)
{
    PrepareInProcessCli();
    InProcessRun run;
    if (args.empty()) {
        return run;
    }
    const cli::Command *command = nullptr;
    for (const auto &c : cli::Commands()) {
        if (args[0] == c.name) {
            command = &c;
        }
    }
    if (command == nullptr) {
        run.err = "no such command: " + args[0];
        return run;
    }
    WatchingUi ui;
    ui.SetInteractive(false);
    cli::CommandContext context;
    context.args.assign(args.begin() + 1, args.end());
    context.ui = &ui;
    Capture out(1, stdout);
    Capture err(2, stderr);
    platform::ArmFaults(plan);
    run.status = command->run(context);
    run.callsInCommand = plan != nullptr ? plan->calls : 0;
    UnloadHdLibrary();
    UnloadTokenizerLibrary();
    platform::ArmFaults(nullptr);
    run.out = out.Finish();
    run.err = err.Finish();
    run.errors = ui.errors;
    run.dsrErrors = ui.dsrErrors;
    return run;
}

std::string ReadAll(const std::string &path, bool *exists)
{
    std::ifstream in(path, std::ios::binary);
    if (exists != nullptr) {
        *exists = static_cast<bool>(in);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::map<std::string, std::string> FilesBelow(const std::string &dir)
{
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) {
            files[fs::relative(it->path(), dir, ec).string()] = ReadAll(it->path().string());
        }
    }
    return files;
}

std::map<std::string, std::string> LocationFiles(const std::string &location, bool &ok)
{
    std::map<std::string, std::string> files;
    InProcessRun listing = RunInProcess({"ls", "--tsv", location});
    ok = listing.status == 0;
    if (!ok) {
        return files;
    }
    const std::string scratch = NewScratchFolder("kestrel-faults-get");
    std::istringstream lines(listing.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        rows.push_back(line);
    }
    if (!rows.empty()) {
        rows.pop_back(); // the status line
    }
    for (const std::string &row : rows) {
        std::string name = Cell(row, 1);
        if (name.empty() || name == "..") {
            continue;
        }
        const std::string saved = scratch + "/file";
        InProcessRun get = RunInProcess({"get", "--tifiles", location + "/" + name, saved});
        bool exists = false;
        std::string bytes = ReadAll(saved, &exists);
        files[name] = get.status == 0 && exists ? bytes : "<dir>";
        std::remove(saved.c_str());
    }
    fs::remove_all(scratch);
    return files;
}

std::string NewScratchFolder(const std::string &prefix)
{
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    return ::mkdtemp(pattern.data());
}

} // namespace kestrel::testing
