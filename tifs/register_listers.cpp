#include "tifs/location_listers.h"

namespace kestrel {

void RegisterLocationListers()
{
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    // Each container module of tifs adds its registration call here.
}

} // namespace kestrel
