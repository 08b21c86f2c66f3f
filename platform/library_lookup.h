// Where the two run-time libraries are looked for when the settings name no
// directory of their own. A program started from a build tree, from an
// unpacked folder or from an installation finds the libraries that came with
// it, whatever the working directory is: first beside the running
// executable, then in the library folder of the installation it belongs to,
// and only then in the working directory, where the libraries were kept when
// the program was always started from its own folder.
#pragma once

#include <string>
#include <vector>

#include "platform/library.h"

namespace kestrel::platform
{

// The folder of the running executable, without a trailing separator; empty
// when the system cannot tell (the search then starts at the installed
// folder). Never throws.
std::string ExecutableDirectory();

// The folders to look in before the working directory, each once, in this
// order: executableDir itself; the installed library folder reached from
// executableDir the way bin/ reaches lib/kestrel/ in an installation, so that
// an installation moved to another prefix (or unpacked from a package) still
// finds its own libraries; the library folder of the prefix the program was
// configured for. An empty executableDir gives the last one alone.
std::vector<std::string> LibrarySearchDirectories(const std::string &executableDir);
std::vector<std::string> LibrarySearchDirectories(); // from ExecutableDirectory()

// The paths to try for the library file fileName ("Brackenly32.so") when no
// directory is configured: fileName in each search directory, then
// workingDirPath, the path made from the working directory as an explicit
// "./" would make it. The last entry is therefore always workingDirPath.
std::vector<std::string> DefaultLibraryCandidates(const std::string &fileName,
                                                  const std::string &workingDirPath);

// Loads the first of paths that loads (a file that is missing, unreadable
// or not a library of ours is passed over). path receives the path that
// loaded, or after a failure the last one tried. False when none loaded or
// paths is empty; library.ErrorText() then tells why the last one failed.
bool LoadFirstLibrary(Library &library, const std::vector<std::string> &paths, std::string &path);

} // namespace kestrel::platform
