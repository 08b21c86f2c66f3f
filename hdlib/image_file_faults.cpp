// The library's end of the program's write seam (platform/fault_injection.h). The library links
// nothing of the program, so it finds an armed plan by name in the process that loads it: a
// test program exports "KestrelFaultPlan", and the library's image writes then count and fail
// in the same plan as the program's own. In any other process the name is not found and the
// seam stays off for good.
#include "platform/fault_injection.h"

#include <dlfcn.h>

namespace kestrel::platform::detail
{

namespace
{

FaultPlan *g_noPlan = nullptr;

FaultPlan *const *FindProcessPlan()
{
    void *found = dlsym(RTLD_DEFAULT, "KestrelFaultPlan");
    return found != nullptr ? static_cast<FaultPlan *const *>(found) : &g_noPlan;
}

} // namespace

FaultPlan *const *g_faultPlanSlot = FindProcessPlan();

} // namespace kestrel::platform::detail
