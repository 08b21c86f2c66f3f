#include <cstdio>
#include <string>
#include <vector>

#include "app/qt/program.h"
#include "app/shell/startup.h"

int main(int argc, char **argv)
{
    // --help and --version answer before the toolkit starts, so that they
    // work where no display can be opened.
    const kestrel::ProgramArguments parsed =
        kestrel::ParseProgramArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.action == kestrel::ProgramArguments::Action::Help) {
        std::fputs(kestrel::ProgramUsageText().c_str(), stdout);
        return 0;
    }
    if (parsed.action == kestrel::ProgramArguments::Action::Version) {
        std::fputs(kestrel::ProgramVersionLine().c_str(), stdout);
        return 0;
    }
    return kestrel::RunProgram(argc, argv);
}
