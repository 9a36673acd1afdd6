// An OCX-like in-process COM server for the component tests. DllRegisterServer registers
// the file it was loaded from as the server of its class and appends that path and its
// version to C:\vexa-components\registrations.txt, so a test sees every registration.
#include <windows.h>

#include <cstring>

namespace {

constexpr const char* kServerKey = "CLSID\\{5D0C7A52-3E1B-4F7A-9C2D-7A1E0B5C9D31}\\InprocServer32";

HMODULE g_module = nullptr;

void AppendMarker(const char* path) {
  CreateDirectoryA("C:\\vexa-components", nullptr);
  HANDLE file = CreateFileA("C:\\vexa-components\\registrations.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char line[MAX_PATH + 64];
  lstrcpyA(line, path);
  lstrcatA(line, " " COMPONENT_VERSION "\r\n");
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = module;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  char path[MAX_PATH] = {};
  if (GetModuleFileNameA(g_module, path, MAX_PATH) == 0) return E_FAIL;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kServerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return E_FAIL;
  const LONG result = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                     static_cast<DWORD>(std::strlen(path) + 1));
  RegCloseKey(key);
  AppendMarker(path);
  return result == ERROR_SUCCESS ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kServerKey);
  return S_OK;
}
