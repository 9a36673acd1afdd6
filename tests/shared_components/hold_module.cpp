// Keeps DLLs loaded, as a running program keeps shared components in use:
//   hold_module RELEASE-FILE DLL...
// Loads every DLL, creates RELEASE-FILE.held, and exits when RELEASE-FILE appears (or after
// two minutes).
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  for (int i = 2; i < argc; ++i) {
    if (!LoadLibraryExA(argv[i], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) return 3;
  }
  const std::string held = std::string(argv[1]) + ".held";
  CloseHandle(CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  for (int i = 0; i < 1200 && GetFileAttributesA(argv[1]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  return 0;
}
