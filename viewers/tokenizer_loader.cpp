#include "viewers/tokenizer_loader.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/library.h"
#include "platform/library_lookup.h"
#include "tifs/messages.h"
#include "tifs/settings.h"

namespace kestrel
{

namespace
{

struct TokenizerBinding {
    platform::Library library;
    XBTokenizeFunction entry = nullptr;
};

TokenizerBinding &Binding()
{
    static TokenizerBinding binding;
    return binding;
}

std::string CurrentDirectory()
{
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    return ec ? std::string(".") : cwd.string();
}

} // namespace

std::string TokenizerLibraryPath(const std::string &dllDirectory, const std::string &currentDir)
{
    std::string dir = dllDirectory.empty() ? std::string("./") : dllDirectory;
    constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if constexpr (separator == '/') {
        for (char &c : dir) {
            if (c == '\\')
                c = '/';
        }
    }
    if (dir[0] == '.')
        dir = currentDir + separator + dir;
    if (dir.back() != '/' && dir.back() != '\\')
        dir.push_back(separator);
    return dir + platform::LibraryFileName("Wendover32");
}

bool LoadTokenizerLibrary(Ui &ui)
{
    return LoadTokenizerLibrary(ui, ProgramSettings().dllDirectory);
}

bool LoadTokenizerLibrary(Ui &ui, const std::string &dllDirectory)
{
    TokenizerBinding &b = Binding();
    if (b.library.Loaded() && b.entry)
        return true;
    const std::string configured = TokenizerLibraryPath(dllDirectory, CurrentDirectory());
    std::vector<std::string> candidates{configured};
    if (dllDirectory.empty()) {
        candidates =
            platform::DefaultLibraryCandidates(platform::LibraryFileName("Wendover32"), configured);
    }
    std::string path;
    // The Ui has no error box captioned "Kestrel"; the warning box is the one
    // with that caption.
    if (!platform::LoadFirstLibrary(b.library, candidates, path)) {
        ui.ShowKestrelError(FormatText("Unable to locate %s", {path}));
        return false;
    }
    b.entry = reinterpret_cast<XBTokenizeFunction>(b.library.Ordinal(kXBTokenizeOrdinal));
    if (!b.entry) {
        ui.ShowKestrelError(FormatText("Unable to link %s functions", {path}));
        b.library.Unload();
        return false;
    }
    return true;
}

bool TokenizerLibraryLoaded()
{
    return Binding().library.Loaded() && Binding().entry;
}

XBTokenizeFunction TokenizerEntry()
{
    return TokenizerLibraryLoaded() ? Binding().entry : nullptr;
}

void UnloadTokenizerLibrary()
{
    TokenizerBinding &b = Binding();
    b.entry = nullptr;
    b.library.Unload();
}

} // namespace kestrel
