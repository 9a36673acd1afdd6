// Functions of system DLLs that are loaded when first needed, from the system directory
// only, never from beside the program.
#pragma once

#include <windows.h>

// The system DLL `name` from the system directory; null when it cannot be loaded.
inline HMODULE LoadSystemLibrary(const char* name) {
  return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// `function` = the export `name` of `module` (null when missing), typed as the caller's
// pointer.
template <typename Function>
void LookUp(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
