#include <windows.h>

#include "cab_builder.h"

namespace vexa::components {

void WakeWindow(void* window, unsigned message) {
  PostMessageW(static_cast<HWND>(window), message, 0, 0);
}

}  // namespace vexa::components
