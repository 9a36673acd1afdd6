#include "cab_builder.h"

// No window system to wake: the caller polls ProcessMakeCabEvents.
void WakeWindow(void*, unsigned) {}
