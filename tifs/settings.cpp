#include "tifs/settings.h"

#include <algorithm>
#include <cstdio>

#include "platform/paths.h"
#include "platform/profile.h"

namespace kestrel {

namespace {

using platform::Profile;

// Widths beyond this are no column a screen can show; capping them keeps the
// sums of column positions far from overflow whatever the file says.
constexpr uint32_t kMaxColumnWidth = 65535;
constexpr int kMissingColumnWidth = 100;
constexpr uint32_t kDriveLetterMask = 0x3FFFFFB; // drives A to Z without C

// Read and write the placement keys; 9999 marks a missing key.
void ReadPlacementKey(const Profile& profile, const char* key, int32_t& value)
{
    int read = profile.GetInt(kSettingsSection, key, kPlacementMissing);
    if (read != kPlacementMissing)
        value = read;
}

void SetInt(Profile& profile, const char* section, const std::string& key, int value)
{
    profile.SetString(section, key, std::to_string(value));
}

void ParseColumnWidths(const std::string& text, Settings& settings)
{
    size_t pos = 0;
    for (int i = 0; i < kColumnCount; ++i) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        int width = kMissingColumnWidth;
        if (pos < text.size()) {
            size_t end = text.find(' ', pos);
            if (end == std::string::npos)
                end = text.size();
            if (text[pos] >= '0' && text[pos] <= '9') {
                uint32_t value = 0;
                for (size_t k = pos; k < end && text[k] >= '0' && text[k] <= '9'; ++k)
                    value = std::min<uint32_t>(value * 10 + static_cast<uint32_t>(text[k] - '0'),
                                               kMaxColumnWidth);
                width = static_cast<int>(value);
            }
            pos = end;
        }
        settings.columnWidths[i] = width;
    }
    int left = 0;
    for (int i = 0; i < kColumnCount; ++i) {
        settings.columnLefts[i] = left;
        left += settings.columnWidths[i];
    }
}

std::string FormatColumnWidths(const Settings& settings)
{
    std::string text;
    char number[32];
    for (int i = 0; i < kColumnCount; ++i) {
        std::snprintf(number, sizeof number, "%s%u", i == 0 ? "" : " ",
                      static_cast<unsigned>(settings.columnWidths[i]));
        text += number;
    }
    return text;
}

void ReadMargins(const Profile& profile, Settings& settings, bool metricUnits)
{
    SetDefaultPageMargins(settings, metricUnits);
    settings.marginLeft = profile.GetInt(kPageSetupSection, "MarginLeft", settings.marginLeft);
    settings.marginTop = profile.GetInt(kPageSetupSection, "MarginTop", settings.marginTop);
    settings.marginRight = profile.GetInt(kPageSetupSection, "MarginRight", settings.marginRight);
    settings.marginBottom =
        profile.GetInt(kPageSetupSection, "MarginBottom", settings.marginBottom);
}

void WriteMargins(Profile& profile, const Settings& settings)
{
    SetInt(profile, kPageSetupSection, "MarginLeft", settings.marginLeft);
    SetInt(profile, kPageSetupSection, "MarginTop", settings.marginTop);
    SetInt(profile, kPageSetupSection, "MarginRight", settings.marginRight);
    SetInt(profile, kPageSetupSection, "MarginBottom", settings.marginBottom);
}

std::string EditSection(int slot)
{
    char name[16];
    std::snprintf(name, sizeof name, "EDIT%02d", slot + 1);
    return name;
}

std::string RecentKey(int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "dir%02d", number);
    return name;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

Settings& ProgramSettings()
{
    static Settings settings;
    return settings;
}

std::string SettingsFilePath(const std::string& workingDir)
{
    return platform::WithTrailingSeparator(workingDir) + kProgramName + ".ini";
}

void SetDefaultPageMargins(Settings& settings, bool metricUnits)
{
    settings.marginsMetric = metricUnits;
    if (metricUnits) {
        settings.marginLeft = 2000;
        settings.marginTop = 1500;
        settings.marginRight = 2000;
        settings.marginBottom = 1500;
    } else {
        settings.marginLeft = 780;
        settings.marginTop = 590;
        settings.marginRight = 780;
        settings.marginBottom = 590;
    }
}

void LoadSettings(Settings& settings, const std::string& path, bool metricUnits)
{
    settings = Settings();
    settings.path = path;
    Profile profile;
    platform::LoadProfile(path, profile);
    const char* s = kSettingsSection;

    ReadPlacementKey(profile, "left", settings.main.left);
    ReadPlacementKey(profile, "top", settings.main.top);
    ReadPlacementKey(profile, "width", settings.main.width);
    ReadPlacementKey(profile, "height", settings.main.height);

    settings.fontItalic = profile.GetInt(s, "fitalic", 0) != 0;
    settings.fontHeight = profile.GetInt(s, "fheight", settings.fontHeight);
    settings.fontWeight = profile.GetInt(s, "fweight", settings.fontWeight);
    settings.sortBy = profile.GetInt(s, "sortby", settings.sortBy);
    settings.fontName = profile.GetString(s, "fname", settings.fontName, kFontNameLimit + 1);
    settings.defaultPathLeft = profile.GetString(s, "default_path_left", "", kPathLimit + 1);
    settings.defaultPathRight = profile.GetString(s, "default_path_right", "", kPathLimit + 1);

    ParseColumnWidths(profile.GetString(s, "hdrsize", "", kHeaderSizeLimit + 1), settings);

    settings.textColor = static_cast<uint32_t>(
        profile.GetInt(s, "textcolor", static_cast<int>(settings.textColor)));
    settings.backColor = static_cast<uint32_t>(
        profile.GetInt(s, "backcolor", static_cast<int>(settings.backColor)));
    settings.markColor = static_cast<uint32_t>(
        profile.GetInt(s, "markcolor", static_cast<int>(settings.markColor)));
    settings.mouseWheel = profile.GetInt(s, "mousewheel", 0) != 0;
    settings.zubCompatible = profile.GetInt(s, "zubcompatible", 0) != 0;
    settings.extractTiFiles = profile.GetInt(s, "extracttifiles", 0) != 0;
    settings.driveLetters = static_cast<uint32_t>(profile.GetInt(
                                s, "driveletters", static_cast<int>(settings.driveLetters))) &
                            kDriveLetterMask;

    ReadMargins(profile, settings, metricUnits);

    // Read-only keys that the library binding and the picture viewer use.
    settings.dllDirectory =
        profile.GetString(s, "DllDirectory", settings.dllDirectory, kPathLimit + 1);
    settings.picViewer = profile.GetString(s, "picviewer", "", kCommandLimit + 1);
}

bool SaveSettings(const Settings& settings)
{
    Profile profile;
    if (!platform::LoadProfile(settings.path, profile))
        return false; // never overwrite a file whose other keys we could not read
    const char* s = kSettingsSection;
    SetInt(profile, s, "left", settings.main.left);
    SetInt(profile, s, "top", settings.main.top);
    SetInt(profile, s, "width", settings.main.width);
    SetInt(profile, s, "height", settings.main.height);
    profile.SetString(s, "fitalic", settings.fontItalic ? "1" : "0");
    SetInt(profile, s, "fheight", settings.fontHeight);
    SetInt(profile, s, "fweight", settings.fontWeight);
    SetInt(profile, s, "sortby", settings.sortBy);
    profile.SetString(s, "fname", settings.fontName);
    profile.SetString(s, "default_path_left", settings.defaultPathLeft);
    profile.SetString(s, "default_path_right", settings.defaultPathRight);
    profile.SetString(s, "hdrsize", FormatColumnWidths(settings));
    SetInt(profile, s, "textcolor", static_cast<int>(settings.textColor));
    SetInt(profile, s, "backcolor", static_cast<int>(settings.backColor));
    SetInt(profile, s, "markcolor", static_cast<int>(settings.markColor));
    SetInt(profile, s, "mousewheel", settings.mouseWheel ? 1 : 0);
    SetInt(profile, s, "zubcompatible", settings.zubCompatible ? 1 : 0);
    SetInt(profile, s, "extracttifiles", settings.extractTiFiles ? 1 : 0);
    SetInt(profile, s, "driveletters", static_cast<int>(settings.driveLetters));
    WriteMargins(profile, settings);
    return platform::SaveProfile(settings.path, profile);
}

void LoadPageMargins(Settings& settings, bool metricUnits)
{
    Profile profile;
    platform::LoadProfile(settings.path, profile);
    ReadMargins(profile, settings, metricUnits);
}

bool SavePageMargins(const Settings& settings)
{
    Profile profile;
    if (!platform::LoadProfile(settings.path, profile))
        return false;
    WriteMargins(profile, settings);
    return platform::SaveProfile(settings.path, profile);
}

void ReadEditSlotPlacements(Settings& settings)
{
    Profile profile;
    platform::LoadProfile(settings.path, profile);
    const EditSlotPlacement defaults;
    for (int i = 0; i < kEditSlotCount; ++i) {
        const std::string section = EditSection(i);
        EditSlotPlacement& slot = settings.editSlots[i];
        slot.left = profile.GetInt(section, "left", defaults.left);
        slot.top = profile.GetInt(section, "top", defaults.top);
        slot.width = profile.GetInt(section, "width", defaults.width);
        slot.height = profile.GetInt(section, "height", defaults.height);
    }
}

bool WriteEditSlotPlacements(const Settings& settings)
{
    Profile profile;
    if (!platform::LoadProfile(settings.path, profile))
        return false;
    for (int i = 0; i < kEditSlotCount; ++i) {
        const std::string section = EditSection(i);
        const EditSlotPlacement& slot = settings.editSlots[i];
        profile.SetString(section, "left", std::to_string(slot.left));
        profile.SetString(section, "top", std::to_string(slot.top));
        profile.SetString(section, "width", std::to_string(slot.width));
        profile.SetString(section, "height", std::to_string(slot.height));
    }
    return platform::SaveProfile(settings.path, profile);
}

int ReadSettingInt(const std::string& section, const std::string& key, int defaultValue)
{
    return platform::ReadProfileInt(ProgramSettings().path, section, key, defaultValue);
}

bool WriteSettingInt(const std::string& section, const std::string& key, int value)
{
    return platform::WriteProfileInt(ProgramSettings().path, section, key, value);
}

std::string ReadSettingString(const std::string& section, const std::string& key,
                              const std::string& defaultValue, size_t limit)
{
    return platform::ReadProfileString(ProgramSettings().path, section, key, defaultValue,
                                       limit + 1);
}

bool WriteSettingString(const std::string& section, const std::string& key,
                        const std::string& value)
{
    return platform::WriteProfileString(ProgramSettings().path, section, key, value);
}

std::vector<std::string> ReadSettingSection(const std::string& section)
{
    return platform::ReadProfileSection(ProgramSettings().path, section);
}

bool AddRecentLocation(const std::string& location)
{
    const std::string& path = ProgramSettings().path;
    Profile profile;
    if (!platform::LoadProfile(path, profile))
        return false;
    const std::string cut = location.substr(0, kPathLimit); // as it would be read back
    std::string entries[kRecentLocationCount];
    for (int i = 0; i < kRecentLocationCount; ++i) {
        entries[i] = profile.GetString(kRecentSection, RecentKey(i + 1), "", kPathLimit + 1);
        if (EqualNoCase(entries[i], cut))
            return true; // already known: the order stays as it is
    }
    for (int i = kRecentLocationCount - 1; i > 0; --i)
        entries[i] = entries[i - 1];
    entries[0] = cut;
    for (int i = 0; i < kRecentLocationCount; ++i)
        profile.SetString(kRecentSection, RecentKey(i + 1), entries[i]);
    return platform::SaveProfile(path, profile);
}

std::string ReadRecentLocation(int number)
{
    if (number < 1 || number > kRecentLocationCount)
        return std::string();
    return ReadSettingString(kRecentSection, RecentKey(number));
}

WindowPosition PlaceWindow(WindowPosition stored, int32_t width, int32_t height,
                           const DesktopRect& desktop, int32_t fullScreenWidth,
                           int32_t fullScreenHeight)
{
    // In 64 bits: a stored or compiled position may sit at the ends of the range.
    const int64_t left = stored.left, top = stored.top;
    const int64_t maxLeft = int64_t{desktop.left} + desktop.width - 30;
    const int64_t maxTop = int64_t{desktop.top} + desktop.height - 30;
    if (left >= desktop.left && left <= maxLeft && top >= desktop.top && top <= maxTop)
        return stored;
    const int32_t halfScreenX = fullScreenWidth / 2, halfWindowX = width / 2;
    const int32_t halfScreenY = fullScreenHeight / 2, halfWindowY = height / 2;
    WindowPosition placed;
    placed.left = halfScreenX < halfWindowX ? 100 : halfScreenX - halfWindowX;
    placed.top = halfScreenY < halfWindowY ? 100 : halfScreenY - halfWindowY;
    return placed;
}

} // namespace kestrel
