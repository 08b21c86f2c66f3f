// The program's side of the tokenizer library Wendover32: loading it from the
// "DllDirectory" of the settings, binding its ordinal 1 (XBTokenize) and
// releasing it at exit. The library stays loaded once bound; a failed load is
// tried again on the next call. Not thread-safe: the user-interface thread
// alone converts.
#pragma once

#include <cstdint>
#include <string>

#include "tifs/ui.h"

namespace kestrel
{

// XBTokenize(input, program, merge, log, options) -> return code (0, 10, 11,
// 20, 30, 40, 50); null arguments count as empty strings.
using XBTokenizeFunction = int32_t (*)(const char *inputPath, const char *programPath,
                                       const char *mergePath, const char *logPath,
                                       const char *options);

constexpr unsigned kXBTokenizeOrdinal = 1;

// The library's path for a DllDirectory value: a value beginning with "." is
// relative to currentDir; a separator is added when missing. Backslashes of
// values written on Windows count as separators; an empty value is "./".
std::string TokenizerLibraryPath(const std::string &dllDirectory, const std::string &currentDir);

// Loads and binds the library from ProgramSettings().dllDirectory (or the
// given directory) unless it is bound already; an empty directory means none
// is configured, and the library is looked for beside the program, in the
// installed library folder and last in the working directory. Failures show
// "Unable to locate %s" (with the last path tried) or "Unable to link %s
// functions" (with the path) in a box captioned "Kestrel" and return false.
bool LoadTokenizerLibrary(Ui &ui);
bool LoadTokenizerLibrary(Ui &ui, const std::string &dllDirectory);

bool TokenizerLibraryLoaded();
// The bound entry, or null when the library is not loaded.
XBTokenizeFunction TokenizerEntry();
// Releases the library (at program exit); harmless when it is not loaded.
void UnloadTokenizerLibrary();

} // namespace kestrel
