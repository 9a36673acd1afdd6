// Linked into the controls that run inside another program's process (a browser): such a
// module must not change how its host searches for DLLs, so it cannot do what our own
// programs do (system_dll_search_win32.cpp). Instead the system DLLs it links are
// delay-loaded (cmake/SystemDlls.cmake), and this hook, which the delay-load helper calls
// before it loads one, loads it by its full path in the system directory: never from the
// control's folder, the host's folder or the current directory.
#include <windows.h>

#include <delayimp.h>

#include <cstring>

namespace {

FARPROC WINAPI LoadFromSystemDirectory(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary) return nullptr;
  char path[MAX_PATH];
  const UINT directory = GetSystemDirectoryA(path, MAX_PATH);
  const std::size_t name = std::strlen(info->szDll);
  HMODULE module = nullptr;
  if (directory > 0 && directory + 1 + name < MAX_PATH) {
    path[directory] = '\\';
    std::memcpy(path + directory + 1, info->szDll, name + 1);
    // The DLL's own dependencies are then looked for beside it, in the system directory.
    module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return reinterpret_cast<FARPROC>(module);
}

__attribute__((constructor)) void HookDelayLoads() { __pfnDliNotifyHook2 = LoadFromSystemDirectory; }

}  // namespace
