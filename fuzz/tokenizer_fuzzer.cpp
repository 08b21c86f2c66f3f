// Fuzzed text through the tokenizer library's entry point, ordinal 1, as the program calls it:
// a PROGRAM and a MERGE file and a log at every level. The first byte picks the options.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/library.h"

namespace
{

using Tokenize = int32_t (*)(const char *, const char *, const char *, const char *, const char *);
using Ordinal = void *(*)(unsigned);

Tokenize Bind()
{
    static kestrel::platform::Library library;
    if (!library.Loaded() && !library.Load(WENDOVER_PATH)) {
        std::fprintf(stderr, "%s\n", library.ErrorText().c_str());
        std::abort();
    }
    return reinterpret_cast<Tokenize>(library.Ordinal(1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kestrel::fuzzing;
    static const Tokenize tokenize = Bind();
    static const std::string input = ScratchPath("tokenizer", "in.txt");
    static const std::string program = ScratchPath("tokenizer", "program");
    static const std::string merge = ScratchPath("tokenizer", "merge");
    static const std::string log = ScratchPath("tokenizer", "log");
    static const char *const kOptions[] = {"", "v=0", "v=1", "v=2", "v=3", "v=9", "v=", "x"};
    const uint8_t choice = size > 0 ? data[0] : 0;
    const char *options = kOptions[choice % 8];
    std::FILE *file = std::fopen(input.c_str(), "wb");
    if (file == nullptr || tokenize == nullptr) {
        return 0;
    }
    if (size > 1) {
        std::fwrite(data + 1, 1, size - 1, file);
    }
    std::fclose(file);
    const bool withMerge = (choice & 8) != 0;
    tokenize(input.c_str(), program.c_str(), withMerge ? merge.c_str() : "",
             (choice & 16) != 0 ? log.c_str() : "", options);
    for (const std::string *path : {&input, &program, &merge, &log}) {
        std::remove(path->c_str());
    }
    return 0;
}
