// The program's binding of the hard-disk library: 17 of its ordinals, loaded
// from the "DllDirectory" on first use and kept until the program exits, and
// the image path the library has open. Everything that reaches the inside of
// a hard-disk image goes through this table.
#pragma once

#include <string>
#include <vector>

#include "hdlib/brackenly.h"
#include "platform/library.h"
#include "tifs/ui.h"

namespace kestrel
{

// The process-wide binding table. The function pointers are null until
// BindHdLibrary succeeded.
struct HdBinding {
    platform::Library library;
    std::string libraryPath; // the path the library was loaded from
    bool bound = false;
    brackenly::OpenImageFn openImage = nullptr;                       // 2
    brackenly::CloseImageFn closeImage = nullptr;                     // 3
    brackenly::SelectVolumeFn selectVolume = nullptr;                 // 4
    brackenly::SelectVolumeBySectorFn selectVolumeBySector = nullptr; // 5
    brackenly::OpenDirectoryFn openDirectory = nullptr;               // 6
    brackenly::DirectoryInfoFn directoryInfo = nullptr;               // 7
    brackenly::NextCatalogEntryFn nextCatalogEntry = nullptr;         // 10
    brackenly::CloseFn close = nullptr;                               // 12
    brackenly::DeleteFileFn deleteFile = nullptr;                     // 20
    brackenly::FileStatusFn fileStatus = nullptr;                     // 21
    brackenly::SetProtectionFn setProtection = nullptr;               // 24
    brackenly::RenameFileFn renameFile = nullptr;                     // 25
    brackenly::RenameDirectoryFn renameDirectory = nullptr;           // 26
    brackenly::CreateDirectoryFn createDirectory = nullptr;           // 27
    brackenly::DeleteDirectoryFn deleteDirectory = nullptr;           // 28
    brackenly::CreateSectorFileFn createSectorFile = nullptr;         // 31
    brackenly::WriteFileSectorFn writeFileSector = nullptr;           // 32
};

HdBinding &TheHdBinding();

// The full path of the library file from a "DllDirectory" value: a value
// beginning with "." is taken relative to currentDir; a separator is put
// after the directory when it has none. Backslashes are taken as separators
// on platforms whose separator is "/", so settings written elsewhere work.
std::string HdLibraryPathFrom(const std::string &dllDirectory, const std::string &currentDir);
// The same from ProgramSettings().dllDirectory and the current directory.
std::string HdLibraryPath();
// The paths BindHdLibrary tries, in order: the configured one alone, or
// without a configured directory (an empty value) the usual places and the
// working directory last.
std::vector<std::string> HdLibraryCandidates();

// Loads the library and takes its 17 ordinals, unless that happened before.
// A library that cannot be loaded shows "Unable to locate %s", one that
// lacks an ordinal "Unable to link %s functions" (both through
// Ui::ShowWarning, captioned "Kestrel") and is unloaded again; the next call
// tries anew. True once everything is bound.
bool BindHdLibrary(Ui &ui);

// Closes the image the library holds (ordinal 3) and unloads it; the cached
// image path is cleared. Safe to call when nothing is loaded.
void UnloadHdLibrary();

// The image the library has open ("" when none), at most 300 characters.
const std::string &CachedHdImagePath();
void SetCachedHdImagePath(const std::string &path);

// Before the image file at pcPath is deleted on the PC: when it is the
// cached image, the cache is cleared and the library closes it (ordinal 3).
void ForgetHdImage(const std::string &pcPath);

} // namespace kestrel
