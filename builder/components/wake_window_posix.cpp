#include "cab_builder.h"

namespace vexa::components {

// No window system to wake: the caller polls ProcessMakeCabEvents.
void WakeWindow(void*, unsigned) {}

}  // namespace vexa::components
