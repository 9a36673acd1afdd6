// A DLL that must never be loaded: copied beside a Setup.exe under the names of system
// DLLs, it leaves a marker file named after itself in C:\vexa-canary\ when a process
// loads it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH);
  const char* name = path;
  for (const char* c = path; *c; ++c) {
    if (*c == '\\' || *c == '/') name = c + 1;
  }
  CreateDirectoryA("C:\\vexa-canary", nullptr);
  char marker[MAX_PATH + 32] = "C:\\vexa-canary\\";
  lstrcatA(marker, name);
  CloseHandle(CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return TRUE;
}
