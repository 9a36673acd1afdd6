#include <windows.h>

#include "cab_builder.h"

void WakeWindow(void* window, unsigned message) {
  PostMessageW(static_cast<HWND>(window), message, 0, 0);
}
