#include "tifs/ti_file.h"

namespace kestrel {

const char* EntryKindName(uint16_t kind)
{
    static const char* const kNames[kEntryKindCount] = {
        "VOLUME", "DIS/FIX", "DIS/VAR", "INT/FIX", "INT/VAR", "PROGRAM",
        "SUBDIR", "UPRDIR", "UNKNOWN", "DSK", "PC99/SD", "PC99/DD",
        "PTIMG", "HDIMG", "CF7A+DSK", "CF7A+IMG", "CF7A+DSK", "DOS", "HFE",
    };
    return kind < kEntryKindCount ? kNames[kind] : "UNKNOWN";
}

} // namespace kestrel
