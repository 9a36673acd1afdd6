// A Windows program that does one observable thing per command, for testing the
// harness helpers:
//   harness_probe exit CODE            exit with CODE
//   harness_probe sleep                wait forever
//   harness_probe reg KEY VALUE DATA   write a string value under HKEY_CURRENT_USER
//   harness_probe file PATH TEXT       create PATH (and its directory) holding TEXT
//   harness_probe window SECONDS       show a captioned window for SECONDS
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int WriteRegistryValue(const char* key, const char* name, const char* data) {
  HKEY handle = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS)
    return 2;
  LONG result = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                               static_cast<DWORD>(std::strlen(data) + 1));
  RegCloseKey(handle);
  return result == ERROR_SUCCESS ? 0 : 3;
}

int WriteTextFile(const char* path, const char* text) {
  std::string directory(path);
  directory.resize(directory.find_last_of('\\'));
  CreateDirectoryA(directory.c_str(), nullptr);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
  CloseHandle(file);
  return ok ? 0 : 3;
}

int ShowWindowFor(int seconds) {
  HWND window = CreateWindowExA(0, "STATIC", "Vexa harness probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                100, 100, 400, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window) return 2;
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  MSG message;
  while (GetTickCount() < end) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(20);
  }
  DestroyWindow(window);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "exit" && argc == 3) return static_cast<int>(std::strtoul(argv[2], nullptr, 10));
  if (command == "sleep") Sleep(INFINITE);
  if (command == "reg" && argc == 5) return WriteRegistryValue(argv[2], argv[3], argv[4]);
  if (command == "file" && argc == 4) return WriteTextFile(argv[2], argv[3]);
  if (command == "window" && argc == 3) return ShowWindowFor(std::atoi(argv[2]));
  return 64;
}
