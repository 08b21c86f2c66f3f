#include "platform/fault_injection.h"

// The armed plan of the process. Its name is what the hard-disk library looks up when it is
// loaded; a test program exports it so that the library's writes count and fail in the same
// plan as the program's. Ordinary programs do not export it, and the library's seam then
// stays off.
extern "C" {
kestrel::platform::FaultPlan *KestrelFaultPlan = nullptr;
}

namespace kestrel::platform
{

namespace detail
{
FaultPlan *const *g_faultPlanSlot = &KestrelFaultPlan;
} // namespace detail

void ArmFaults(FaultPlan *plan)
{
    KestrelFaultPlan = plan;
}

} // namespace kestrel::platform
