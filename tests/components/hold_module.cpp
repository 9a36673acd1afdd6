// Keeps a DLL loaded, as a running program keeps a shared component in use:
//   hold_module DLL RELEASE-FILE
// Loads DLL, creates RELEASE-FILE.held, and exits when RELEASE-FILE appears (or after two
// minutes).
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) return 3;
  const std::string held = std::string(argv[2]) + ".held";
  CloseHandle(CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  for (int i = 0; i < 1200 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  FreeLibrary(module);
  return 0;
}
