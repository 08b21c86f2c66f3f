#include "tokenizer/xb_tokenize.h"

#include <cstdio>
#include <memory>
#include <string>

#include "tokenizer/atomizer.h"
#include "tokenizer/line_reader.h"
#include "tokenizer/merge_writer.h"
#include "tokenizer/options.h"
#include "tokenizer/program_writer.h"
#include "tokenizer/run_log.h"

namespace kestrel::tokenizer
{

namespace
{

struct FileCloser {
    void operator()(std::FILE *f) const
    {
        if (f)
            std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Creates the output, writes it with `write` and closes it; false when any
// of the three fails.
template <typename Writer> bool WriteOutput(const std::string &path, Writer write)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = write(f);
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}

int32_t Convert(const std::string &inputPath, const std::string &programPath,
                const std::string &mergePath, const Logger &log)
{
    int32_t result = kRcSuccess;
    LineTable table;
    // Text mode, as the lines are text; the reader drops CR itself as well.
    File input(std::fopen(inputPath.c_str(), "r"));
    if (!input) {
        log(0, "Error opening file " + inputPath);
        result = kRcOpenInput;
    } else {
        log(3, "");
        log(2, "Read file " + inputPath + " into memory");
        if (!ReadProgramLines(input.get(), table, log)) {
            log(0, "Error reading file " + inputPath);
            result = kRcReadInput;
        }
        log(2, std::to_string(table.lines.size()) + " lines read.");
        input.reset();
        log(3, "");

        if (result == kRcSuccess) {
            if (!AtomizeProgram(table, log)) {
                log(0, "Error converting file " + inputPath);
                result = kRcConvert;
            }
            log(3, "");
        }
        if (!mergePath.empty() && result == kRcSuccess) {
            log(2, "Writing MERGE-File " + mergePath + ".");
            if (!WriteOutput(mergePath, [&](std::FILE *f) { return WriteMergeFile(f, table); })) {
                log(0, "Error writing MERGE-File " + mergePath + ".");
                result = kRcWriteMerge;
            }
        }
        if (!programPath.empty() && result == kRcSuccess) {
            log(2, "Writing PROGRAM-File " + programPath + ".");
            if (!WriteOutput(programPath,
                             [&](std::FILE *f) { return WriteProgramFile(f, table, log); })) {
                log(0, "Error writing PROGRAM-File " + programPath + ".");
                result = kRcWriteProgram;
            }
        }
    }
    if (result > 0)
        log(2, "Errors found, RC=" + std::to_string(result));
    return result;
}

std::string Arg(const char *s)
{
    return s ? std::string(s) : std::string();
}

} // namespace

extern "C" int32_t XBTokenize(const char *inputPath, const char *programPath, const char *mergePath,
                              const char *logPath, const char *options)
{
    try {
        RunLog log(VerbosityOption(Arg(options)));
        const std::string logFile = Arg(logPath);
        if (!logFile.empty() && !log.Open(logFile))
            return kRcCreateLog;
        const int32_t result =
            Convert(Arg(inputPath), Arg(programPath), Arg(mergePath), log.AsLogger());
        log.Close();
        return result;
    } catch (...) {
        // Out of memory and the like: the caller only ever sees a code.
        return kRcConvert;
    }
}

} // namespace kestrel::tokenizer
