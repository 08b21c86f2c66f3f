// The program's version: 8.2c, build 20210408.
#pragma once

#include <cstdio>
#include <string>

#include "tifs/settings.h"

namespace kestrel
{

// kProgramName ("Kestrel") comes with the settings.
constexpr int kVersionMajor = 8;
constexpr int kVersionMinor = 2;
constexpr char kVersionLetter = 'c';
constexpr long kVersionBuild = 20210408;

// "Kestrel 8.2c 20210408": the main window title.
inline std::string MainWindowTitle()
{
    char text[64];
    std::snprintf(text, sizeof text, "%s %d.%d%c %06ld", kProgramName, kVersionMajor, kVersionMinor,
                  kVersionLetter, kVersionBuild);
    return text;
}

// "Version 8.2c 20210408": the About box line.
inline std::string VersionText()
{
    char text[64];
    std::snprintf(text, sizeof text, "Version %d.%d%c %ld", kVersionMajor, kVersionMinor,
                  kVersionLetter, kVersionBuild);
    return text;
}

} // namespace kestrel
