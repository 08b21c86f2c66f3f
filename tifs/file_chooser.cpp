#include "tifs/file_chooser.h"

#include <filesystem>
#include <system_error>

#include "platform/paths.h"
#include "tifs/settings.h"

namespace kestrel {

int ChooseFileWithRemembered(Ui& ui, bool save, const std::string& settingsKey,
                             const std::string& title, const std::string& filter,
                             const std::string& defaultExtension, std::string& name)
{
    std::string startDir;
    if (!settingsKey.empty()) {
        startDir = ReadSettingString(kSettingsSection, settingsKey);
        if (startDir.empty()) {
            std::error_code ec;
            std::filesystem::path current = std::filesystem::current_path(ec);
            if (!ec)
                startDir = current.string();
        }
    } else {
        startDir = platform::DirectoryPart(name);
        name = platform::LastComponent(name);
    }
    if (!ui.ChooseFile(save, title, filter, defaultExtension, startDir, name))
        return 1;
    if (!settingsKey.empty()) {
        const std::string dir = platform::DirectoryPart(name);
        if (!dir.empty())
            WriteSettingString(kSettingsSection, settingsKey, dir);
    }
    return 0;
}

} // namespace kestrel
