#include "ops/register_all.h"

#include "drives/cf7_registration.h"
#include "drives/drives_registration.h"
#include "tifs/location_listers.h"

namespace kestrel {

void RegisterAllListers()
{
    RegisterLocationListers();
    RegisterDriveListers();
    RegisterCf7Listers();
}

} // namespace kestrel
