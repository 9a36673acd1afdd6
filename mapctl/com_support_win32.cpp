// The shared part of our in-process servers: module, counts, strings and registry keys.
#include "com_support_win32.h"

HINSTANCE g_server_module = nullptr;

namespace {

LONG g_objects = 0;
LONG g_locks = 0;

}  // namespace

void ServerObjectCreated() { InterlockedIncrement(&g_objects); }
void ServerObjectDestroyed() { InterlockedDecrement(&g_objects); }
void ServerLock(bool lock) {
  if (lock) {
    InterlockedIncrement(&g_locks);
  } else {
    InterlockedDecrement(&g_locks);
  }
}
bool ServerInUse() { return g_objects > 0 || g_locks > 0; }

LPOLESTR CoTaskStringCopy(const wchar_t* text) {
  const size_t bytes = (static_cast<size_t>(lstrlenW(text)) + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (copy != nullptr) CopyMemory(copy, text, bytes);
  return copy;
}

std::wstring ServerString(UINT id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadString hands out a pointer into the resource itself.
  const int length = LoadStringW(g_server_module, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<size_t>(length));
}

HRESULT LoadServerTypeLib(ITypeLib** library) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(g_server_module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  return LoadTypeLibEx(path, REGKIND_NONE, library);
}

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

bool WriteClassesKey(const std::wstring& path, const wchar_t* value, const wchar_t* name, const wchar_t* named_value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  bool ok = true;
  auto set = [&](const wchar_t* value_name, const wchar_t* data) {
    const DWORD bytes = static_cast<DWORD>((static_cast<size_t>(lstrlenW(data)) + 1) * sizeof(wchar_t));
    ok = ok && RegSetValueExW(key, value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
  };
  if (value != nullptr) set(nullptr, value);
  if (name != nullptr && named_value != nullptr) set(name, named_value);
  RegCloseKey(key);
  return ok;
}

bool DeleteClassesTree(const std::wstring& path) {
  const LONG result = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
  if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) {
    const LONG last = RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
    return last == ERROR_SUCCESS || last == ERROR_FILE_NOT_FOUND;
  }
  return false;
}

bool ServerPath(std::wstring& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameW(g_server_module, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  path.assign(buffer, length);
  return true;
}
