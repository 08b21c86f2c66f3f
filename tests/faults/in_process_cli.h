// Running kestrel-cli commands inside the test process, where the write seam can be armed,
// and comparing what they leave on disk.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/fault_injection.h"

namespace kestrel::testing
{

struct InProcessRun {
    int status = -1;         // the command's exit status
    int errors = 0;          // numbered catalog messages shown
    int dsrErrors = 0;       // the hard-disk library's error boxes
    std::string out;         // standard output
    std::string err;         // standard error
    long callsInCommand = 0; // wrapped calls made before the command answered
};

// Runs one command with args (no shell: each argument is one string) as kestrel-cli's main
// would, with plan armed (null: nothing armed) and the answer flags the args hold. The
// hard-disk library is let go afterwards, as the program does at its end.
InProcessRun RunInProcess(const std::vector<std::string> &args,
                          platform::FaultPlan *plan = nullptr);

// Prepares the process once: settings pointing at the built libraries, the listers.
void PrepareInProcessCli();

std::string ReadAll(const std::string &path, bool *exists = nullptr);
void WriteAll(const std::string &path, const std::string &bytes);

// Every regular file below dir, by path relative to dir, with its bytes.
std::map<std::string, std::string> FilesBelow(const std::string &dir);

// The files of a location (a disk image, a volume, a hard-disk directory): name -> the file
// saved as a TI file, or "<dir>" for what cannot be saved (subdirectories, volumes).
// Empty with ok false when the location cannot be listed.
std::map<std::string, std::string> LocationFiles(const std::string &location, bool &ok);

// A new empty folder below the system's temporary folder.
std::string NewScratchFolder(const std::string &prefix);

} // namespace kestrel::testing
