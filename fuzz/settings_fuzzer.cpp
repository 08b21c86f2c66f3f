// A fuzzed settings file read as the program reads it at start-up, then one key written back
// in place, which must keep every other line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/profile.h"
#include "tifs/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kestrel;
    static const std::string path = fuzzing::ScratchPath("settings", "Kestrel.ini");
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    Settings settings;
    LoadSettings(settings, path);
    LoadSettings(settings, path, true);
    platform::ReadProfileSection(path, "Pc_Ti_File_Conversion");
    platform::WriteProfileString(path, "Kestrel", "extracttifiles", "1");
    std::remove(path.c_str());
    return 0;
}
