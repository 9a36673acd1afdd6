#include "win32_handles.h"

#include <windows.h>

namespace win32_handles_detail {

void CloseKernelHandle(void* handle) { CloseHandle(handle); }
void CloseSearch(void* handle) { FindClose(handle); }
void CloseRegistryKey(HKEY key) { RegCloseKey(key); }
unsigned long LastError() { return GetLastError(); }
void* InvalidHandleValue() { return INVALID_HANDLE_VALUE; }

}  // namespace win32_handles_detail
