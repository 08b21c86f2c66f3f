// The program-wide settings: every key of section "Kestrel", the page margins
// and the edit-slot placements, with their compiled defaults. The file itself
// is a profile (ini) file "Kestrel.ini" in the start-up working directory.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

constexpr int kPlacementMissing = 9999;     // profile default that marks a missing key
constexpr int32_t kUseDefault = INT32_MIN;  // CW_USEDEFAULT: no stored position
constexpr int kColumnCount = 6;
constexpr int kEditSlotCount = 16;

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
    std::string dllDirectory = "./";
    std::string picViewer;
    int marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0; // filled by the print setup
    EditSlotPlacement editSlots[kEditSlotCount];
};

// The one instance the program works with.
Settings& ProgramSettings();

} // namespace kestrel
