#include "drives/hd_binding.h"

#include <filesystem>

#include "platform/library_lookup.h"
#include "tifs/messages.h"
#include "tifs/settings.h"

namespace kestrel
{

namespace
{

constexpr size_t kCachedPathLimit = 300;

// The binding and the image path it last gave the library live and die
// together. The program unloads the library itself when its window goes
// (UnloadHdLibrary); nothing calls into the library from a static
// destructor, because by then the library's own state may be gone.
struct BindingHolder {
    HdBinding binding;
    std::string cachedPath;
};

BindingHolder &Holder()
{
    static BindingHolder holder;
    return holder;
}

std::string &CachedPath()
{
    return Holder().cachedPath;
}

template <typename Fn> bool Take(const platform::Library &library, unsigned ordinal, Fn &target)
{
    target = reinterpret_cast<Fn>(library.Ordinal(ordinal));
    return target != nullptr;
}

void ClearTable(HdBinding &b)
{
    b.bound = false;
    b.openImage = nullptr;
    b.closeImage = nullptr;
    b.selectVolume = nullptr;
    b.selectVolumeBySector = nullptr;
    b.openDirectory = nullptr;
    b.directoryInfo = nullptr;
    b.nextCatalogEntry = nullptr;
    b.close = nullptr;
    b.deleteFile = nullptr;
    b.fileStatus = nullptr;
    b.setProtection = nullptr;
    b.renameFile = nullptr;
    b.renameDirectory = nullptr;
    b.createDirectory = nullptr;
    b.deleteDirectory = nullptr;
    b.createSectorFile = nullptr;
    b.writeFileSector = nullptr;
}

bool SamePathNoCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y) {
            return false;
        }
    }
    return true;
}

} // namespace

HdBinding &TheHdBinding()
{
    return Holder().binding;
}

std::string HdLibraryPathFrom(const std::string &dllDirectory, const std::string &currentDir)
{
    std::string dir = dllDirectory.substr(0, std::min(dllDirectory.size(), kPathLimit));
    if (dir.empty()) {
        dir = "./"; // an empty value stands for no value
    }
#if !defined(_WIN32)
    for (char &c : dir) {
        if (c == '\\') {
            c = '/';
        }
    }
    const char separator = '/';
#else
    const char separator = '\\';
#endif
    if (!dir.empty() && dir[0] == '.') {
        dir = currentDir + separator + dir;
    }
    if (dir.empty() || (dir.back() != separator && dir.back() != '/')) {
        dir += separator;
    }
    return dir + platform::LibraryFileName("Brackenly32");
}

std::string HdLibraryPath()
{
    std::error_code error;
    std::string current = std::filesystem::current_path(error).string();
    return HdLibraryPathFrom(ProgramSettings().dllDirectory, current);
}

std::vector<std::string> HdLibraryCandidates()
{
    if (!ProgramSettings().dllDirectory.empty()) {
        return {HdLibraryPath()};
    }
    return platform::DefaultLibraryCandidates(platform::LibraryFileName("Brackenly32"),
                                              HdLibraryPath());
}

bool BindHdLibrary(Ui &ui)
{
    HdBinding &b = TheHdBinding();
    if (b.bound) {
        return true;
    }
    std::string path;
    if (!platform::LoadFirstLibrary(b.library, HdLibraryCandidates(), path)) {
        ui.ShowKestrelError(FormatText("Unable to locate %s", {path}));
        return false;
    }
    const platform::Library &l = b.library;
    bool all = Take(l, brackenly::kOrdOpenImage, b.openImage) &
               Take(l, brackenly::kOrdCloseImage, b.closeImage) &
               Take(l, brackenly::kOrdSelectVolume, b.selectVolume) &
               Take(l, brackenly::kOrdSelectVolumeBySector, b.selectVolumeBySector) &
               Take(l, brackenly::kOrdOpenDirectory, b.openDirectory) &
               Take(l, brackenly::kOrdDirectoryInfo, b.directoryInfo) &
               Take(l, brackenly::kOrdNextCatalogEntry, b.nextCatalogEntry) &
               Take(l, brackenly::kOrdClose, b.close) &
               Take(l, brackenly::kOrdDeleteFile, b.deleteFile) &
               Take(l, brackenly::kOrdFileStatus, b.fileStatus) &
               Take(l, brackenly::kOrdSetProtection, b.setProtection) &
               Take(l, brackenly::kOrdRenameFile, b.renameFile) &
               Take(l, brackenly::kOrdRenameDirectory, b.renameDirectory) &
               Take(l, brackenly::kOrdCreateDirectory, b.createDirectory) &
               Take(l, brackenly::kOrdDeleteDirectory, b.deleteDirectory) &
               Take(l, brackenly::kOrdCreateSectorFile, b.createSectorFile) &
               Take(l, brackenly::kOrdWriteFileSector, b.writeFileSector);
    if (!all) {
        ui.ShowKestrelError(FormatText("Unable to link %s functions", {path}));
        ClearTable(b);
        b.library.Unload();
        return false;
    }
    b.libraryPath = path;
    b.bound = true;
    CachedPath().clear(); // a freshly loaded library has no image open
    return true;
}

void UnloadHdLibrary()
{
    HdBinding &b = TheHdBinding();
    if (b.bound && !CachedPath().empty() && b.closeImage != nullptr) {
        b.closeImage();
    }
    CachedPath().clear();
    ClearTable(b);
    b.library.Unload();
    b.libraryPath.clear();
}

const std::string &CachedHdImagePath()
{
    return CachedPath();
}

void SetCachedHdImagePath(const std::string &path)
{
    CachedPath() = path.substr(0, std::min(path.size(), kCachedPathLimit));
}

void ForgetHdImage(const std::string &pcPath)
{
    if (CachedPath().empty() || !SamePathNoCase(CachedPath(), pcPath)) {
        return;
    }
    CachedPath().clear();
    HdBinding &b = TheHdBinding();
    if (b.bound && b.closeImage != nullptr) {
        b.closeImage();
    }
}

} // namespace kestrel
