#include "tifs/location_listers.h"

#include "tifs/arc/arc_registration.h"
#include "tifs/floppy/floppy_registration.h"

namespace kestrel
{

void RegisterLocationListers()
{
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    // Each container module of tifs adds its registration call here.
    RegisterArchiveListers();
    RegisterFloppyListers();
}

} // namespace kestrel
