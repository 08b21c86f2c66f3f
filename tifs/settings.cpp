#include "tifs/settings.h"

namespace kestrel {

Settings& ProgramSettings()
{
    static Settings settings;
    return settings;
}

} // namespace kestrel
