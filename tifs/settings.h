// The program-wide settings: every key of section "Kestrel", the page margins
// and the edit-slot placements, with their compiled defaults. The file itself
// is a profile (ini) file "Kestrel.ini" in the start-up working directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

constexpr int kPlacementMissing = 9999;     // profile default that marks a missing key
constexpr int32_t kUseDefault = INT32_MIN;  // CW_USEDEFAULT: no stored position
constexpr int kColumnCount = 6;
constexpr int kEditSlotCount = 16;
constexpr int kRecentLocationCount = 5;

constexpr const char* kProgramName = "Kestrel";
constexpr const char* kSettingsSection = "Kestrel"; // the program's own section
constexpr const char* kRecentSection = "recentdirectories";
constexpr const char* kPageSetupSection = "PageSetup";

// Longest texts the settings keep; longer values are cut to these lengths.
constexpr size_t kPathLimit = 300;       // start locations, DllDirectory, remembered dirs
constexpr size_t kFontNameLimit = 30;    // "fname"
constexpr size_t kHeaderSizeLimit = 80;  // "hdrsize"
constexpr size_t kCommandLimit = 512;    // "picviewer"

struct WindowPlacement {
    int32_t left = kUseDefault;
    int32_t top = kUseDefault;
    int32_t width = 600;  // client width
    int32_t height = 232; // client height
};

struct EditSlotPlacement {
    int32_t left = 1;
    int32_t top = 1;
    int32_t width = 600;
    int32_t height = 800;
};

struct Settings {
    std::string path; // the settings file

    WindowPlacement main;
    bool fontItalic = false;
    int32_t fontHeight = -12;
    int32_t fontWeight = 400;
    std::string fontName = "Courier New";
    int sortBy = 1;
    std::string defaultPathLeft;
    std::string defaultPathRight;
    int columnWidths[kColumnCount] = {100, 100, 100, 100, 100, 100};
    int columnLefts[kColumnCount] = {0, 100, 200, 300, 400, 500};
    uint32_t textColor = 0;
    uint32_t backColor = 12763842;
    uint32_t markColor = 65535;
    bool mouseWheel = false;
    bool zubCompatible = false;
    bool extractTiFiles = false;
    uint32_t driveLetters = 0x3FFFFFF;
    // Empty when the file has no "DllDirectory" (or an empty one): the
    // libraries are then looked for beside the program and in its installed
    // library folder before the working directory. A value is used as given.
    std::string dllDirectory;
    std::string picViewer;
    // Print margins in thousandths of an inch, or in hundredths of a
    // millimetre when marginsMetric is set (the user's measurement system).
    bool marginsMetric = false;
    int marginLeft = 780, marginTop = 590, marginRight = 780, marginBottom = 590;
    EditSlotPlacement editSlots[kEditSlotCount];
};

// The one instance the program works with.
Settings& ProgramSettings();

// "Kestrel.ini" in workingDir; a separator is put between them when missing.
std::string SettingsFilePath(const std::string& workingDir);

// Reads every key of section "Kestrel" and the page margins from the file at
// path into settings, which first gets the compiled defaults and remembers
// path. metricUnits selects the metric margin defaults. A missing or
// unreadable file leaves the defaults, without a message. The stored window
// position is kept as read: the caller puts it through PlaceWindow once it
// knows the desktop.
void LoadSettings(Settings& settings, const std::string& path, bool metricUnits = false);

// Writes section "Kestrel" and the page margins to settings.path, in the
// program's fixed key order, keeping every other section, key and line of
// the file. False when the file could not be read or written (it is then
// left as it was).
bool SaveSettings(const Settings& settings);

// The margin defaults of a measurement system: 780, 590, 780, 590 thousandths
// of an inch, or 2000, 1500, 2000, 1500 hundredths of a millimetre.
void SetDefaultPageMargins(Settings& settings, bool metricUnits);
// Keys "MarginLeft", "MarginTop", "MarginRight", "MarginBottom" of "PageSetup".
void LoadPageMargins(Settings& settings, bool metricUnits);
bool SavePageMargins(const Settings& settings);

// Sections "EDIT01" to "EDIT16", keys "left", "top", "width", "height"
// (defaults 1, 1, 600, 800), from and to settings.path.
void ReadEditSlotPlacements(Settings& settings);
bool WriteEditSlotPlacements(const Settings& settings);

// One key of the program's settings file (ProgramSettings().path), for every
// part that keeps a setting. Integers are written as "%d"; a string read is
// cut to limit characters.
int ReadSettingInt(const std::string& section, const std::string& key, int defaultValue);
bool WriteSettingInt(const std::string& section, const std::string& key, int value);
std::string ReadSettingString(const std::string& section, const std::string& key,
                              const std::string& defaultValue = std::string(),
                              size_t limit = kPathLimit);
bool WriteSettingString(const std::string& section, const std::string& key,
                        const std::string& value);
// A whole section as "key=value" lines (the conversion rule sections).
std::vector<std::string> ReadSettingSection(const std::string& section);

// Recent locations, section "recentdirectories", keys "dir01" to "dir05",
// newest first. Adding a location that is already in the list (compared
// without regard to case) changes nothing; otherwise it becomes the first
// and the fifth is dropped, and all five keys are written at once.
bool AddRecentLocation(const std::string& location);
// Number 1 to 5; "" for an empty entry or any other number.
std::string ReadRecentLocation(int number);

// Where a window goes: the stored position stays when left lies in
// [desktop.left, desktop.left + desktop.width - 30] and top in
// [desktop.top, desktop.top + desktop.height - 30]; otherwise the window of
// the given size is centred on the full-screen area at (0, 0), where a
// coordinate becomes 100 when half the screen is smaller than half the window.
struct DesktopRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct WindowPosition {
    int32_t left = 0;
    int32_t top = 0;
};

WindowPosition PlaceWindow(WindowPosition stored, int32_t width, int32_t height,
                           const DesktopRect& desktop, int32_t fullScreenWidth,
                           int32_t fullScreenHeight);

} // namespace kestrel
